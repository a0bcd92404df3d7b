// tkdec_getSourceReference: the source file and line of a token.
#include "api/channel_table.h"
#include "records/token_table.h"
#include "render/bounded_append.h"
#include "tkdec.h"

namespace {

constexpr uint32_t kNoLine = 0xFFFFFFFF;
constexpr const char *kNotFound = "Source reference not found for channel x%.4x token x%.8x";

}  // namespace

extern "C" TKDEC_API int32_t TKDEC_CALL tkdec_getSourceReference(uint16_t channel, uint32_t tokenId, uint32_t *line,
                                                                 uint32_t size, char *buffer) {
    if (line == nullptr || buffer == nullptr) return 1;
    const tkdec::TokenTable *table = tkdec::tokenTableOf(tkdec::build::channelKind(channel));
    const tkdec::TokenRecord *record = table != nullptr ? tkdec::findToken(*table, tokenId) : nullptr;
    char *pos = buffer;
    char *const end = buffer + size;
    if (record != nullptr && record->file != nullptr) {
        *line = record->line;
        tkdec::appendText(&pos, end, record->file);
        return 0;
    }
    *line = kNoLine;
    tkdec::append(&pos, end, kNotFound, static_cast<unsigned>(channel), tokenId);
    return 1;
}
