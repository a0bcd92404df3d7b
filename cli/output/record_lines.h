// One output line per decoded record, with or without the record's
// number, channel and id around it (decode --with-meta).
#ifndef TKDEC_CLI_RECORD_LINES_H
#define TKDEC_CLI_RECORD_LINES_H

#include <cstdint>
#include <string>
#include <string_view>

namespace tkcli {

struct RecordMeta {
    uint64_t number;    // 1 for the first record of the capture
    uint16_t channel;
    uint32_t id;
    const char *label;  // the channel's label, nullptr for an unknown channel
};

// Appends the record's line in the output format (tkdec_OutputFormat).
// The JSON formats are kept on one line.
void appendRecordLine(int32_t format, std::string_view text, std::string &out);
void appendRecordLineWithMeta(int32_t format, const RecordMeta &meta, std::string_view text, std::string &out);

}  // namespace tkcli

#endif
