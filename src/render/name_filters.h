// Name filters: the text printed for an enumerator name. The token
// formatters shorten long enumerator names by skipping leading words. A
// filter returns a suffix of its name (the printers take its length from
// the name's).
#pragma once

#include "render/output.h"

namespace tkdec {

const char *filterIdentity(const char *name);
// The text behind the N-th underscore, or the end of the name when it has
// fewer than N underscores.
const char *filterSkip2Words(const char *name);
const char *filterSkip3Words(const char *name);
const char *filterSkip4Words(const char *name);
const char *filterSkip5Words(const char *name);

}  // namespace tkdec
