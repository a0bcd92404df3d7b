// Writers of the capture forms (docs/capture-formats.md).
#ifndef TKDEC_CLI_CAPTURE_WRITER_H
#define TKDEC_CLI_CAPTURE_WRITER_H

#include <cstdint>
#include <string>

#include "capture/capture_reader.h"

namespace tkcli {

// uuid: 32 hexadecimal digits, or empty for an unknown build.
void appendBinaryHeader(uint32_t version, const std::string &uuid, std::string &out);
void appendBinaryV1Record(const CaptureRecord &record, std::string &out);
void appendBinaryV2Record(const CaptureRecord &record, std::string &out);

void appendTextHeader(const std::string &uuid, std::string &out);
// "[TIME] CHANNEL 0xID BYTES", the channel in decimal, the time only when
// known.
void appendTextRecord(const CaptureRecord &record, std::string &out);

}  // namespace tkcli

#endif
