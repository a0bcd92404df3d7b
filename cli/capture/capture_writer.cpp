#include "capture/capture_writer.h"

#include "base/diagnostics.h"
#include "base/hex.h"
#include "base/time_text.h"

namespace tkcli {

namespace {

void appendLe(uint64_t value, size_t size, std::string &out) {
    for (size_t i = 0; i < size; ++i) out += static_cast<char>(value >> (8 * i) & 0xFF);
}

}  // namespace

void appendBinaryHeader(uint32_t version, const std::string &uuid, std::string &out) {
    out.append(kCaptureMagic, sizeof kCaptureMagic);
    appendLe(version, 4, out);
    for (size_t i = 0; i < 16; ++i) {
        const bool known = uuid.size() == 32;
        out += static_cast<char>(known ? hexDigit(uuid[2 * i]) << 4 | hexDigit(uuid[2 * i + 1]) : 0);
    }
}

void appendBinaryV1Record(const CaptureRecord &record, std::string &out) {
    appendLe(record.channel, 2, out);
    appendLe(record.id, 4, out);
    appendLe(record.size, 4, out);
    out.append(reinterpret_cast<const char *>(record.payload), record.size);
}

void appendBinaryV2Record(const CaptureRecord &record, std::string &out) {
    const size_t start = out.size();
    out.append(reinterpret_cast<const char *>(kSyncMark), sizeof kSyncMark);
    appendLe(record.channel, 2, out);
    appendLe(record.id, 4, out);
    appendLe(record.time, 8, out);
    appendLe(record.size, 4, out);
    out.append(reinterpret_cast<const char *>(record.payload), record.size);
    appendLe(crc32(reinterpret_cast<const uint8_t *>(out.data() + start), out.size() - start), 4, out);
}

void appendTextHeader(const std::string &uuid, std::string &out) {
    out += "# tkdec capture: channel, id, payload bytes\n";
    if (!uuid.empty()) out += "# build " + uuid + "\n";
}

void appendTextRecord(const CaptureRecord &record, std::string &out) {
    if (record.time != 0) {
        appendUtcTime(record.time, out);
        out += ' ';
    }
    out += formatText("%u 0x%08x", record.channel, record.id);
    if (record.size != 0) out += ' ';
    appendHexBytes(record.payload, record.size, out);
    out += '\n';
}

}  // namespace tkcli
