// Writers of the two capture forms (docs/capture-formats.md).
#ifndef TKDEC_CLI_CAPTURE_WRITER_H
#define TKDEC_CLI_CAPTURE_WRITER_H

#include <string>

#include "capture_reader.h"

namespace tkcli {

// uuid: 32 hexadecimal digits, or empty for an unknown build.
void appendBinaryHeader(const std::string &uuid, std::string &out);
void appendBinaryRecord(const CaptureRecord &record, std::string &out);

void appendTextHeader(const std::string &uuid, std::string &out);
// "CHANNEL 0xID BYTES", the channel in decimal.
void appendTextRecord(const CaptureRecord &record, std::string &out);

}  // namespace tkcli

#endif
