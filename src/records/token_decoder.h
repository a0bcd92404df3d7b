// The token decoder: decodes one tokenised print or alarm record with a
// token table. In UF_AsText the token's formatter writes the log text; in
// the other formats the record's source reference, log group and raw
// arguments are written instead.
#pragma once

#include <cstdint>

#include "records/token_table.h"
#include "render/output.h"

namespace tkdec {

inline constexpr uint32_t kGroupScratchSize = 32768;

// Returns 0 when the table has a record for id, 1 (writing nothing) when
// it has none.
int32_t decodeToken(const uint8_t *payloadStart, const uint8_t *payloadEnd, char **pos, char *end,
                    OutputFormat format, uint32_t id, const TokenTable &table);

}  // namespace tkdec
