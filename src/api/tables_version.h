// The version of the generated tables' rows (token records, conversion
// rules, type, field and enumerator rows, channel rows). Every generated
// file checks it with a static_assert, so tables written by a generator
// of another layout fail to compile instead of filling the wrong members.
// Raise it, and TABLES_VERSION in tools/gen/tkgen/cpp.py, whenever a row
// that the generator writes changes.
#pragma once

#include <cstdint>

namespace tkdec {

inline constexpr uint32_t kTablesVersion = 1;

}  // namespace tkdec
