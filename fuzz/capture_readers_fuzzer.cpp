// Fuzzes the tool's capture readers: form detection, the three readers,
// resynchronisation after damage and the record size limit, with the input
// delivered through a pipe in blocks of fuzzed sizes, as a live stream
// arrives.
//
// The first byte picks the mode. Odd: the second picks the record size
// limit, the third the block sizes, and the rest is a capture as it is (the
// samples and damaged captures of the corpus); a record read is never
// larger than the limit. Even: the rest describes records, a form and one damage;
// the fuzzer writes the capture with the tool's writers, damages it, reads
// it back and checks that
//   - every record that ends before the damage, in every form, and in
//     version 2 and text also every record whose bytes lie wholly outside
//     the damage, is read back unchanged and in order;
//   - in version 2 a record that is not read back is reported (a skip or
//     an error), never lost quietly.
// A single allocation above a few MiB fails the run (-malloc_limit_mb), so
// a length field that claims more than the input holds costs no memory.
#include <fuzzer/FuzzedDataProvider.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "capture/capture_format.h"
#include "capture/capture_reader.h"
#include "capture/capture_writer.h"

namespace {

// Fails the run with the property that did not hold.
void require(bool condition, const char *property) {
    if (condition) return;
    std::fprintf(stderr, "capture_readers: %s\n", property);
    std::abort();
}

struct Record {
    uint16_t channel;
    uint32_t id;
    uint64_t time;
    std::string payload;
    size_t begin = 0;  // the record's bytes in the written capture
    size_t end = 0;
    bool gone = false;  // removed by the damage
};

bool operator==(const Record &record, const tkcli::CaptureRecord &read) {
    return record.channel == read.channel && record.id == read.id && record.time == read.time &&
           record.payload.size() == read.size &&
           (record.payload.empty() || std::memcmp(record.payload.data(), read.payload, read.size) == 0);
}

// Writes bytes into a pipe in blocks, each only once the reader has taken
// the one before, so that every read returns exactly one block.
void feed(int descriptor, const std::string &bytes, const std::vector<size_t> &blocks, const std::atomic<bool> &done) {
    size_t at = 0;
    for (size_t index = 0; at < bytes.size(); ++index) {
        const size_t size = std::min(blocks.empty() ? bytes.size() : blocks[index % blocks.size()], bytes.size() - at);
        if (write(descriptor, bytes.data() + at, size) != static_cast<ssize_t>(size)) break;  // reader gone
        at += size;
        int waiting = 1;
        while (waiting > 0 && !done && ioctl(descriptor, FIONREAD, &waiting) == 0) std::this_thread::yield();
    }
    close(descriptor);
}

struct Reading {
    std::vector<tkcli::CaptureRecord> records;
    std::vector<std::string> payloads;
    bool opened = false;
    bool reported = false;  // a skip or an error
};

Reading readThroughPipe(const std::string &bytes, const std::vector<size_t> &blocks, uint32_t maxRecord) {
    int ends[2];
    require(pipe(ends) == 0, "a pipe could be made");
    std::atomic<bool> done = false;
    std::thread writer(feed, ends[1], std::cref(bytes), std::cref(blocks), std::cref(done));
    Reading reading;
    tkcli::ReadOptions options;
    options.maxRecord = maxRecord;
    {
        const std::string path = "/dev/fd/" + std::to_string(ends[0]);
        tkcli::OpenedCapture opened = tkcli::openCapture(path.c_str(), options);
        reading.opened = opened.reader != nullptr;
        if (opened.reader) {
            tkcli::CaptureRecord record;
            tkcli::CaptureReader::Next next;
            while ((next = opened.reader->next(record)) == tkcli::CaptureReader::Next::Record) {
                require(record.size <= maxRecord, "no record above --max-record");
                reading.payloads.emplace_back(reinterpret_cast<const char *>(record.payload), record.size);
                reading.records.push_back(record);
            }
            reading.reported = next == tkcli::CaptureReader::Next::Error || opened.reader->skips() > 0;
            require(opened.reader->skippedBytes() <= bytes.size(), "no more bytes skipped than read");
        }
    }
    close(ends[0]);
    done = true;
    writer.join();
    for (size_t index = 0; index < reading.records.size(); ++index) {
        reading.records[index].payload = reinterpret_cast<const uint8_t *>(reading.payloads[index].data());
    }
    return reading;
}

std::vector<size_t> takeBlocks(FuzzedDataProvider &input) {
    std::vector<size_t> blocks(input.ConsumeIntegralInRange<size_t>(0, 8));
    for (size_t &block : blocks) block = input.ConsumeIntegralInRange<size_t>(1, 300);
    return blocks;
}

uint32_t takeLimit(FuzzedDataProvider &input) {
    return input.ConsumeBool() ? input.ConsumeIntegralInRange<uint32_t>(0, 256) : tkcli::kDefaultMaxRecord;
}

void rawCapture(const uint8_t *data, size_t size) {
    if (size < 3) return;
    const uint32_t maxRecord = data[1] == 0 ? tkcli::kDefaultMaxRecord : data[1] * 16u;
    std::vector<size_t> blocks;
    for (uint32_t seed = data[2]; seed != 0 && blocks.size() < 8; seed /= 3) blocks.push_back(1 + seed * 37 % 300);
    readThroughPipe(std::string(reinterpret_cast<const char *>(data + 3), size - 3), blocks, maxRecord);
}

void damagedCapture(FuzzedDataProvider &input) {
    enum Form { V1, V2, Text };
    const Form form = static_cast<Form>(input.ConsumeIntegralInRange<int>(0, 2));
    const uint32_t maxRecord = takeLimit(input);
    const std::vector<size_t> blocks = takeBlocks(input);
    std::string bytes;
    if (form == Text) {
        tkcli::appendTextHeader(input.ConsumeBool() ? std::string(32, 'a') : std::string(), bytes);
    } else {
        tkcli::appendBinaryHeader(form == V1 ? 1 : 2, std::string(32, '7'), bytes);
    }
    std::vector<Record> records(input.ConsumeIntegralInRange<size_t>(0, 12));
    for (Record &record : records) {
        record.channel = input.ConsumeIntegral<uint16_t>();
        record.id = input.ConsumeIntegral<uint32_t>();
        record.time = form == V1 ? 0 : input.ConsumeIntegralInRange<uint64_t>(0, uint64_t{1} << 62);
        record.payload = input.ConsumeBytesAsString(input.ConsumeIntegralInRange<size_t>(0, 40));
        const tkcli::CaptureRecord written{record.channel, record.id, record.time,
                                           reinterpret_cast<const uint8_t *>(record.payload.data()),
                                           static_cast<uint32_t>(record.payload.size()), 0};
        record.begin = bytes.size();
        if (form == V1) tkcli::appendBinaryV1Record(written, bytes);
        if (form == V2) tkcli::appendBinaryV2Record(written, bytes);
        if (form == Text) tkcli::appendTextRecord(written, bytes);
        record.end = bytes.size();
    }
    // One damage: bytes overwritten, bytes inserted or bytes removed, within
    // the records (the file header stays intact).
    const size_t first = records.empty() ? bytes.size() : records.front().begin;
    size_t damageBegin = input.ConsumeIntegralInRange<size_t>(first, bytes.size());
    size_t damageEnd = damageBegin;
    switch (input.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
        break;  // no damage
    case 1: {
        damageEnd = std::min(bytes.size(), damageBegin + input.ConsumeIntegralInRange<size_t>(1, 40));
        for (size_t at = damageBegin; at < damageEnd; ++at) bytes[at] = static_cast<char>(input.ConsumeIntegral<uint8_t>());
        break;
    }
    case 2: {
        const std::string garbage = input.ConsumeBytesAsString(input.ConsumeIntegralInRange<size_t>(1, 40));
        bytes.insert(damageBegin, garbage);
        for (Record &record : records) {
            if (record.begin >= damageBegin) {
                record.begin += garbage.size();
                record.end += garbage.size();
            }
        }
        damageEnd = damageBegin + garbage.size();
        break;
    }
    default: {
        const size_t removed = std::min(bytes.size() - damageBegin, input.ConsumeIntegralInRange<size_t>(1, 40));
        bytes.erase(damageBegin, removed);
        damageEnd = damageBegin + 1;  // the records on both sides of the cut count as touched
        for (Record &record : records) {
            if (record.begin >= damageBegin + removed) {
                record.begin -= removed;
                record.end -= removed;
            } else if (record.begin >= damageBegin) {
                record.gone = true;
            } else if (record.end > damageBegin) {
                record.end = damageBegin + 1;
            }
        }
        if (damageBegin > 0) --damageBegin;
        break;
    }
    }
    const bool damaged = damageEnd > damageBegin;
    // The records expected back, in order. A text line needs the line end
    // before it intact too; a record above the limit is damage itself, and
    // so is a version 1 header of zero bytes only (zeroed storage).
    std::vector<const Record *> expected;
    for (const Record &record : records) {
        const bool zeroed = form == V1 && record.channel == 0 && record.id == 0 && record.payload.empty();
        if (record.gone || record.payload.size() > maxRecord || zeroed) continue;
        const size_t from = form == Text ? record.begin - 1 : record.begin;
        const bool before = !damaged || record.end <= damageBegin;
        const bool after = damaged && from >= damageEnd;
        if (before || (after && form != V1)) expected.push_back(&record);
    }
    const Reading reading = readThroughPipe(bytes, blocks, maxRecord);
    require(reading.opened, "a capture with an intact header opens");
    size_t next = 0;
    for (const tkcli::CaptureRecord &read : reading.records) {
        if (next < expected.size() && *expected[next] == read) ++next;
    }
    if (form == V1) {
        // Only the records before the first damage or oversized record are
        // promised: version 1 cannot tell where records start behind them.
        size_t promised = 0;
        while (promised < expected.size() && expected[promised] == &records[promised]) ++promised;
        require(next >= promised, "every version 1 record before the damage is read");
    } else {
        require(next == expected.size(), "every record outside the damage is read");
    }
    const auto left = std::count_if(records.begin(), records.end(), [](const Record &record) { return !record.gone; });
    if (form == V2 && reading.records.size() < static_cast<size_t>(left)) require(reading.reported, "a record not read back is reported");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const bool ignored = std::signal(SIGPIPE, SIG_IGN) != SIG_ERR;
    (void)ignored;
    if (size == 0) return 0;
    if (data[0] % 2) {
        rawCapture(data, size);
    } else {
        FuzzedDataProvider input(data + 1, size - 1);
        damagedCapture(input);
    }
    return 0;
}
