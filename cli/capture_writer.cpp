#include "capture_writer.h"

#include "diagnostics.h"
#include "hex.h"

namespace tkcli {

namespace {

void appendLe(uint32_t value, size_t size, std::string &out) {
    for (size_t i = 0; i < size; ++i) out += static_cast<char>(value >> (8 * i) & 0xFF);
}

}  // namespace

void appendBinaryHeader(const std::string &uuid, std::string &out) {
    out.append(kCaptureMagic, sizeof kCaptureMagic);
    appendLe(kCaptureVersion, 4, out);
    for (size_t i = 0; i < 16; ++i) {
        const bool known = uuid.size() == 32;
        out += static_cast<char>(known ? hexDigit(uuid[2 * i]) << 4 | hexDigit(uuid[2 * i + 1]) : 0);
    }
}

void appendBinaryRecord(const CaptureRecord &record, std::string &out) {
    appendLe(record.channel, 2, out);
    appendLe(record.id, 4, out);
    appendLe(record.size, 4, out);
    out.append(reinterpret_cast<const char *>(record.payload), record.size);
}

void appendTextHeader(const std::string &uuid, std::string &out) {
    out += "# tkdec capture: channel, id, payload bytes\n";
    if (!uuid.empty()) out += "# build " + uuid + "\n";
}

void appendTextRecord(const CaptureRecord &record, std::string &out) {
    out += formatText("%u 0x%08x", record.channel, record.id);
    if (record.size != 0) out += ' ';
    appendHexBytes(record.payload, record.size, out);
    out += '\n';
}

}  // namespace tkcli
