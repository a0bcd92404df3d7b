// tkdec decode: captures decoded, one record per line, as they arrive.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/diagnostics.h"
#include "base/exit_codes.h"
#include "base/hex.h"
#include "base/platform.h"
#include "capture/capture_outcome.h"
#include "capture/capture_format.h"
#include "capture/capture_reader.h"
#include "commands/command.h"
#include "commands/decoder_choice.h"
#include "commands/ordered_workers.h"
#include "output/channel_labels.h"
#include "output/output_stream.h"
#include "output/progress_line.h"
#include "output/record_printer.h"
#include "tkdec.h"

namespace tkcli {

// The viewer's page, written from viewer/ by the build: the page up to the
// element that holds the records, and the rest.
extern const char kViewerPageHead[];
extern const char kViewerPageTail[];

namespace {

struct DecodeCounts {
    uint64_t records = 0;
    uint64_t unknownChannels = 0;
    uint64_t unknownTokens = 0;
    uint64_t truncated = 0;
    uint64_t filtered = 0;
    uint64_t skippedBytes = 0;
    uint64_t skips = 0;

    void add(const DecodeCounts &other) {
        records += other.records;
        unknownChannels += other.unknownChannels;
        unknownTokens += other.unknownTokens;
        truncated += other.truncated;
        filtered += other.filtered;
        skippedBytes += other.skippedBytes;
        skips += other.skips;
    }
};

struct DecodeSettings {
    PrintSettings print;
    RecordFilter filter;
    ReadOptions read;
    bool quiet = false;
    bool lineBuffered = false;  // flush after every record
    unsigned workers = 1;       // captures decoded at once
};

// The plural ending of a count's noun.
const char *plural(uint64_t count) { return count == 1 ? "" : "s"; }

unsigned long long wide(uint64_t count) { return static_cast<unsigned long long>(count); }

// The verdict on the builds of every capture read.
struct BuildVerdict {
    bool named = true;
    bool matches = true;
    void add(const std::string &capture, const std::string &decoder) {
        named = named && !capture.empty();
        matches = matches && (capture.empty() || capture == decoder);
    }
    void add(const BuildVerdict &other) {
        named = named && other.named;
        matches = matches && other.matches;
    }
    const char *text() const {
        if (!matches) return "capture build differs from the decoder's";
        return named ? "capture build matches the decoder" : "capture names no build";
    }
};

void printSummary(const DecodeCounts &counts, const DecodeSettings &settings, const BuildVerdict &verdict) {
    const std::string filtered =
        settings.filter.active() ? formatText(", %llu filtered out", wide(counts.filtered)) : std::string();
    const std::string skipped =
        counts.skips == 0 ? std::string()
                          : formatText(", %llu byte%s skipped at %llu place%s", wide(counts.skippedBytes),
                                       plural(counts.skippedBytes), wide(counts.skips), plural(counts.skips));
    report(kExitOk, "%llu record%s decoded, %llu unknown channel%s, %llu unknown token%s, %llu truncated%s%s; %s",
           wide(counts.records), plural(counts.records), wide(counts.unknownChannels),
           plural(counts.unknownChannels), wide(counts.unknownTokens), plural(counts.unknownTokens),
           wide(counts.truncated), filtered.c_str(), skipped.c_str(), verdict.text());
}

void count(RecordKind kind, DecodeCounts &counts) {
    ++counts.records;
    if (kind == RecordKind::UnknownChannel) ++counts.unknownChannels;
    if (kind == RecordKind::UnknownToken) ++counts.unknownTokens;
}

// Where the records of one stretch of a capture end: at a record that
// starts exactly at limit, if inStep says the stretch is in step with the
// one-pass reader there; otherwise it reads on to the capture's end.
struct StretchEnd {
    uint64_t limit = UINT64_MAX;
    std::function<bool()> inStep;
    bool landed = false;  // the stretch ended at its limit
};

// Decodes every record of one capture to out, up to its end or the first
// record that cannot be read or shown; number is the records before.
Outcome decodeRecords(CaptureReader &reader, RecordPrinter &printer, bool live, OutputStream &out,
                      DecodeCounts &counts, ProgressLine &progress, uint64_t number, StretchEnd &end) {
    CaptureRecord record;
    CaptureReader::Next next;
    while ((next = reader.next(record)) == CaptureReader::Next::Record) {
        if (record.position >= end.limit) {
            end.landed = record.position == end.limit && end.inStep();
            if (end.landed) return {};
            end.limit = UINT64_MAX;
        }
        ++number;
        switch (printer.print(record, number, out.buffer())) {
        case RecordPrinter::Printed::Shown: count(printer.kind(), counts); break;
        case RecordPrinter::Printed::Filtered: ++counts.filtered; continue;
        case RecordPrinter::Printed::TooLong:
            return {kExitDataError, formatText("%s: record %llu: its text is longer than %llu bytes",
                                               reader.name().c_str(), static_cast<unsigned long long>(number),
                                               static_cast<unsigned long long>(RecordDecoder::kLargestSize))};
        }
        if (live) out.flush();
        else out.written();
        if (out.failed()) return {};  // reported by the caller
        progress.update(reader.bytesRead());
    }
    if (next == CaptureReader::Next::End) return {};
    if (reader.errorKind() == CaptureError::Truncated) ++counts.truncated;
    return captureFailure(reader);
}

constexpr OptionChoice kLineFormatNames[] = {
    {"text", static_cast<int>(LineFormat::Text)},         {"xml", static_cast<int>(LineFormat::Xml)},
    {"json", static_cast<int>(LineFormat::Json)},         {"longjson", static_cast<int>(LineFormat::LongJson)},
    {"jsonl", static_cast<int>(LineFormat::JsonLines)},   {"html", static_cast<int>(LineFormat::Html)}};
constexpr ChoiceOption<LineFormat> kFormat = {{"--format", nullptr, "F",
                                               "output format: text (default), xml, json, longjson, jsonl\n"
                                               "(one JSON object per record, docs/tkdec-jsonl.schema.json)\n"
                                               "or html (the viewer's page with the records, one file)",
                                               kLineFormatNames, "format"}};
constexpr FlagOption kWithMeta = {{"--with-meta", nullptr, nullptr,
                                   "add the record number, channel, channel label and id; in the\n"
                                   "JSON formats each line is an object whose member \"text\"\n"
                                   "holds the decoded record as a JSON string"}};
constexpr OptionChoice kTimeNames[] = {{"abs", static_cast<int>(TimeColumn::Absolute)},
                                       {"delta", static_cast<int>(TimeColumn::Delta)}};
constexpr ChoiceOption<TimeColumn> kTimestamps = {{"--timestamps", nullptr, "abs|delta",
                                                   "put the record's host time (captures of version 2 or text\n"
                                                   "with times), or the time since the record before, in front",
                                                   kTimeNames, "timestamps"}};
constexpr ValueOption kChannel = {{"--channel", nullptr, "LIST", "keep only these channels (numbers); !N drops channel N"}};
constexpr ValueOption kGroup = {{"--group", nullptr, "LIST", "keep only these log groups (LOG_GROUP_...); !G drops one"}};
constexpr ValueOption kKind = {{"--kind", nullptr, "LIST",
                                "keep only these kinds: print, alarm, exception, message, trace,\n"
                                "unknown_channel, unknown_token; !K drops one"}};
constexpr ValueOption kId = {{"--id", nullptr, "LIST", "keep only these token or message ids; !N drops one"}};
enum class Colour { Auto, Always, Never };
constexpr OptionChoice kColourNames[] = {{"auto", static_cast<int>(Colour::Auto)},
                                         {"always", static_cast<int>(Colour::Always)},
                                         {"never", static_cast<int>(Colour::Never)}};
constexpr ChoiceOption<Colour> kColor = {{"--color", nullptr, "WHEN",
                                          "colour text output: auto (default: on a terminal unless\n"
                                          "NO_COLOR is set or TERM is dumb), always or never",
                                          kColourNames, "colour choice"}};
constexpr FlagOption kFollow = {{"--follow", "-f", nullptr, "keep reading FILE as it grows, as tail -f does; Ctrl-C stops"}};
constexpr FlagOption kLineBuffered = {{"--line-buffered", nullptr, nullptr, "write each record's line as soon as it is decoded"}};
constexpr ValueOption kMaxRecord = {{"--max-record", nullptr, "N", "a binary record longer than N bytes is damage (default 65536)"}};
constexpr FlagOption kStopOnError = {{"--stop-on-error", nullptr, nullptr, "stop at the first damaged record instead of skipping it"}};
constexpr ValueOption kJobs = {{"--jobs", "-j", "N",
                                "decode up to N captures at once, the output in their order; with\n"
                                "fewer captures than N, a version 2 file of some MB is split at\n"
                                "its sync marks among them (default: the number of cores)"}};
constexpr FlagOption kQuiet = {{"--quiet", "-q", nullptr, "no summary and no progress line"}};

// Whether the terminal, if stdout is one, is to get colour: not when
// NO_COLOR is set (to anything but "") or TERM says it has none.
bool terminalTakesColour() {
    const char *noColour = std::getenv("NO_COLOR");
    const char *term = std::getenv("TERM");
    return (noColour == nullptr || *noColour == '\0') && (term == nullptr || std::strcmp(term, "dumb") != 0);
}

int readSettings(const Invocation &call, DecodeSettings &settings) {
    if (const int status = call.choice(kFormat, settings.print.format); status != kExitOk) return status;
    if (const int status = call.choice(kTimestamps, settings.print.time); status != kExitOk) return status;
    if (settings.print.time != TimeColumn::None && settings.print.format != LineFormat::Text &&
        settings.print.format != LineFormat::JsonLines) {
        return usageError(call.command, "--timestamps needs --format text or jsonl (jsonl has a \"time\" member): "
                          "the xml and json formats are the library's own record texts, with no place for a time");
    }
    Colour colour = Colour::Auto;
    if (const int status = call.choice(kColor, colour); status != kExitOk) return status;
    const bool colourWanted = colour == Colour::Auto ? isTerminal(stdout) && terminalTakesColour() : colour == Colour::Always;
    settings.print.colour = colourWanted && settings.print.format == LineFormat::Text;
    if (const char *size = call.value(kMaxRecord); size != nullptr) {
        uint64_t value = 0;
        if (!parseUnsigned(size, 0xFFFFFFFF, value)) {
            return usageError(call.command, "--max-record %s is not a number of bytes", quoted(size).c_str());
        }
        settings.read.maxRecord = static_cast<uint32_t>(value);
    }
    std::string problem;
    if (!settings.filter.parse(call.value(kChannel), call.value(kGroup), call.value(kKind), call.value(kId),
                               problem)) {
        return usageError(call.command, "%s", problem.c_str());
    }
    settings.print.withMeta = call.has(kWithMeta);
    settings.quiet = call.has(kQuiet);
    settings.read.follow = call.has(kFollow);
    settings.read.stopOnError = call.has(kStopOnError);
    settings.lineBuffered = call.has(kLineBuffered) || settings.read.follow || isTerminal(stdout);
    settings.workers = defaultWorkerCount();
    if (const char *jobs = call.value(kJobs); jobs != nullptr) {
        uint64_t value = 0;
        if (!parseUnsigned(jobs, 1024, value) || value == 0) {
            return usageError(call.command, "--jobs %s is not a number of workers from 1 to 1024",
                              quoted(jobs).c_str());
        }
        settings.workers = static_cast<unsigned>(value);
    }
    if (settings.read.follow && (call.positionals.size() != 1 || std::strcmp(call.positionals[0], "-") == 0)) {
        return usageError(call.command, "--follow reads one FILE");
    }
    return kExitOk;
}

int worse(int a, int b) { return a == kExitOk ? b : a; }

// A stretch of one version 2 capture that a worker decodes on its own: the
// records from starts[index] (for index 0, the capture's first) up to the
// record at starts[index + 1]. Each start is a record whose sync mark and
// checksum hold, but the one-pass reader is in step there only if the
// stretch before ends exactly at it; where it does not, that stretch reads
// on to the capture's end and the later stretches' output is dropped. The
// worker of each later stretch first reads the stretch before its own
// without decoding it (the StretchScan it publishes): the record number and
// the previous record's time that the stretch starts with, and whether it
// is worth decoding at all.
struct SplitCapture {
    std::vector<uint64_t> starts;
    StretchScans scans;
    explicit SplitCapture(std::vector<uint64_t> points) : starts(std::move(points)), scans(starts.size() - 1) {}
};

struct Stretch {
    SplitCapture *split = nullptr;  // nullptr: the whole capture
    size_t index = 0;
    uint64_t limit() const { return split && index + 1 < split->starts.size() ? split->starts[index + 1] : UINT64_MAX; }
};

// Stretches of at least this size are worth a worker.
constexpr uint64_t kSmallestStretch = uint64_t{1} << 20;

// With --timestamps delta a stretch starts from the time of the last record
// shown before it, which must be known without decoding: the kind filter
// must treat an unknown token as it treats the token kinds.
bool timesCarryOver(const DecodeSettings &settings) {
    if (settings.print.time != TimeColumn::Delta || !settings.filter.active()) return true;
    const RecordFilter &filter = settings.filter;
    const bool unknown = filter.admitsKind(RecordKind::UnknownToken);
    return filter.admitsKind(RecordKind::Print) == unknown && filter.admitsKind(RecordKind::Alarm) == unknown &&
           filter.admitsKind(RecordKind::Exception) == unknown;
}

// Up to count stretch starts of a regular version 2 capture file, spread
// over it: after each point, the first record whose frame and checksum
// hold. Fewer than two when it is not to be split.
std::vector<uint64_t> stretchStarts(const char *input, const ReadOptions &options, size_t count) {
    ReadOptions read = options;
    read.notice = {};
    const OpenedCapture opened = openCapture(input, read);
    if (!opened.reader || opened.reader->form() != CaptureForm::Binary || opened.reader->version() != 2 ||
        !opened.reader->regularFile()) {
        return {};
    }
    const uint64_t total = opened.reader->totalBytes();
    count = static_cast<size_t>(std::min<uint64_t>(count, total / kSmallestStretch));
    std::vector<uint64_t> starts = {kCaptureHeaderSize};
    std::ifstream file(input, std::ios::binary);
    std::vector<uint8_t> window(2 * kSmallestStretch);  // a start is looked for in the first half
    for (size_t k = 1; k < count && file; ++k) {
        const uint64_t point = kCaptureHeaderSize + (total - kCaptureHeaderSize) / count * k;
        file.seekg(static_cast<std::streamoff>(point));
        file.read(reinterpret_cast<char *>(window.data()), static_cast<std::streamsize>(window.size()));
        const auto got = static_cast<size_t>(file.gcount());
        file.clear();
        for (size_t at = 0; at < kSmallestStretch && at + kV2HeaderSize + kV2TrailerSize <= got; ++at) {
            const uint8_t *record = window.data() + at;
            if (record[0] != kSyncMark[0] || record[1] != kSyncMark[1]) continue;
            const uint32_t length = loadLe<uint32_t>(record + 16);
            if (length > read.maxRecord || got - at - kV2HeaderSize - kV2TrailerSize < length) continue;
            if (crc32(record, kV2HeaderSize + length) != loadLe<uint32_t>(record + kV2HeaderSize + length)) continue;
            if (point + at > starts.back()) starts.push_back(point + at);
            break;
        }
    }
    return starts.size() >= 2 ? starts : std::vector<uint64_t>{};
}

// What the captures decoded into one output share: the output, the
// progress line and the counts that the summary gives.
struct DecodeRun {
    DecodeRun() : out(stdout) {}
    // A worker's: output handed to take, no progress line.
    explicit DecodeRun(std::function<bool(std::string)> take) : out(std::move(take)), worker(true) {}

    OutputStream out;
    ProgressLine progress{stderr, 0, false};
    bool worker = false;
    DecodeCounts counts;
    BuildVerdict verdict;
    bool anyDecoded = false;
    bool outputFailed = false;  // ends the run
    bool quiet = false;         // messages dropped: the setup of a later stretch
    bool landed = false;        // a stretch ended where the next starts
    bool skipped = false;       // damage was skipped
};

// The stretch before this one read without decoding; lands false when it
// cannot be read or does not end exactly where this one starts.
StretchScan scanStretchBefore(const char *input, const DecodeSettings &settings, const ChannelLabels &labels,
                              const Stretch &stretch) {
    StretchScan scan;
    ReadOptions read = settings.read;
    read.notice = {};
    bool another = false;  // a second file header: not split
    read.newCapture = [&another](const CaptureReader &) { another = true; };
    const OpenedCapture opened = openCapture(input, read);
    const std::vector<uint64_t> &starts = stretch.split->starts;
    if (!opened.reader || (stretch.index > 1 && !opened.reader->readFrom(starts[stretch.index - 1]))) return scan;
    const RecordFilter &filter = settings.filter;
    CaptureRecord record;
    while (opened.reader->next(record) == CaptureReader::Next::Record && !another) {
        if (record.position >= starts[stretch.index]) {
            scan.lands = record.position == starts[stretch.index];
            break;
        }
        ++scan.records;
        const RecordKind kind = labels.kind(record.channel);
        if (record.time != 0 &&
            (!filter.active() || (filter.admitsBeforeDecoding(record.channel, record.id, kind,
                                                              labels.group(record.channel)) &&
                                  filter.admitsKind(kind)))) {
            scan.lastTime = record.time;
        }
    }
    scan.lands = scan.lands && !another;
    return scan;
}

// Decodes one capture, or one stretch of it, with the decoder chosen for
// its build; returns the exit status that it earns (for a stretch, without
// the one that skipped damage earns: run.skipped tells).
int decodeCapture(const Invocation &call, const DecodeSettings &settings, const char *input, DecodeRun &run,
                  const Stretch &stretch = {}) {
    const bool first = stretch.index == 0;
    // A later stretch always publishes the scan that the one before waits for.
    struct Publisher {
        const Stretch &stretch;
        ~Publisher() {
            if (stretch.index != 0) stretch.split->scans.publish(stretch.index - 1, {});
        }
    } publisher{stretch};
    run.quiet = !first;
    ReadOptions read = settings.read;
    read.notice = [&run](const std::string &message) {
        run.out.flush();
        run.progress.clear();
        report(kExitOk, "%s", message.c_str());
    };
    OpenedCapture opened = openCapture(input, read);
    if (!opened.reader) return reportOutcome(captureFailure(opened.errorKind, opened.error));
    CaptureReader &reader = *opened.reader;
    DecoderLibrary library;
    if (const int status = loadDecoderForCapture(call, reader.name(), reader.uuid(), library); status != kExitOk) {
        return status;
    }
    if (settings.print.time != TimeColumn::None && reader.version() == 1) {
        report(kExitOk, "warning: %s: a version 1 capture has no host times; --timestamps shows \"-\" "
               "(version 2 captures carry them: tkdec convert --to binary)", reader.name().c_str());
    }
    const ChannelLabels labels(library);
    if (const std::string unknown = settings.filter.unknownNames(labels); !unknown.empty()) {
        return usageError(call.command, "%s", unknown.c_str());
    }
    const std::string decoderUuid = library.uuid();
    read.knownRecord = knownRecordTest(labels, reader, decoderUuid);
    RecordPrinter printer(library, settings.print, settings.filter, labels);
    // A second file header within the stretch: the next one, read on its
    // own, would not know of it.
    bool anotherCapture = false;
    StretchEnd end{stretch.limit(), [&] { return !anotherCapture && stretch.split->scans.wait(stretch.index).lands; }};
    uint64_t number = 0;
    if (!first) {
        if (!reader.readFrom(stretch.split->starts[stretch.index])) return kExitOk;
        stretch.split->scans.publish(stretch.index - 1, scanStretchBefore(input, settings, labels, stretch));
        uint64_t previousTime = 0;
        for (size_t i = 0; i < stretch.index; ++i) {
            const StretchScan scan = stretch.split->scans.wait(i);
            // A stretch before this one that does not end at the next one's
            // start reads on itself, and this one's output is not used.
            if (!scan.lands) return kExitOk;
            number += scan.records;
            previousTime = scan.lastTime != 0 ? scan.lastTime : previousTime;
        }
        printer.setPreviousTime(previousTime);
    }
    run.quiet = false;
    // A capture that follows another on the same stream: its own build check and header.
    read.newCapture = [&](const CaptureReader &next) {
        anotherCapture = true;
        run.verdict.add(next.uuid(), decoderUuid);
        if (!next.uuid().empty() && next.uuid() != decoderUuid) {
            report(kExitOk, "warning: %s: the capture at this point was made by build %s, the decoder is for build "
                   "%s: records may decode wrongly", next.name().c_str(), next.uuid().c_str(), decoderUuid.c_str());
        }
        if (settings.print.format == LineFormat::JsonLines) {
            std::string header;
            RecordPrinter::appendJsonLinesHeader(decoderUuid, next.uuid(), header);
            run.out.buffer() += header;
        }
    };
    if (first) {
        run.anyDecoded = true;
        run.verdict.add(reader.uuid(), decoderUuid);
        if (writesJsonLines(settings.print.format)) {
            std::string header;
            RecordPrinter::appendJsonLinesHeader(decoderUuid, reader.uuid(), header);
            run.out.buffer() += header;
        }
    }
    run.progress = ProgressLine(stderr, reader.totalBytes(),
                                !run.worker && !settings.quiet && isTerminal(stderr) && !isTerminal(stdout));
    const bool live = settings.lineBuffered || !reader.regularFile();
    const Outcome outcome = decodeRecords(reader, printer, live, run.out, run.counts, run.progress, number, end);
    run.landed = end.landed;
    run.progress.finish();
    if (!run.out.flush()) {
        run.outputFailed = true;
        // A worker's output fails where the writer has reported it.
        return run.worker ? kExitIoError : outputFailure("the output", run.out.writeErrno());
    }
    run.counts.skippedBytes += reader.skippedBytes();
    run.counts.skips += reader.skips();
    run.skipped = reader.skips() != 0;
    const int status = reportOutcome(outcome);
    if (reader.skips() != 0 && reader.version() == 1) {
        report(kExitOk, "warning: %s: version 1 records carry no sync mark or checksum, so damage there is found "
               "only by plausibility; record in version 2 (tools/capture/tkcapture.py --binary-v2, or tkdec "
               "convert --to binary)", reader.name().c_str());
    }
    if (stretch.split != nullptr) return status;
    return run.skipped ? worse(status, kExitDataError) : status;
}

// What a worker's capture, or stretch of one, added to the run.
struct CaptureTally {
    int status = kExitOk;
    DecodeCounts counts;
    BuildVerdict verdict;
    bool anyDecoded = false;
    bool landed = false;
    bool skipped = false;
};

// One worker's job: a capture, or a stretch of one.
struct DecodeJob {
    size_t input;
    Stretch stretch;
};

// The jobs for the workers: each capture whole, or, while there are more
// workers than captures, a large version 2 capture in stretches.
struct DecodePlan {
    std::vector<DecodeJob> jobs;
    std::vector<std::unique_ptr<SplitCapture>> splits;
};

DecodePlan planJobs(const DecodeSettings &settings, const std::vector<const char *> &inputs) {
    DecodePlan plan;
    const size_t stretches = jobsRunTogether() && timesCarryOver(settings) ? settings.workers / inputs.size() : 1;
    for (size_t input = 0; input < inputs.size(); ++input) {
        std::vector<uint64_t> starts;
        if (stretches >= 2) starts = stretchStarts(inputs[input], settings.read, stretches);
        if (starts.empty()) {
            plan.jobs.push_back({input, {}});
            continue;
        }
        plan.splits.push_back(std::make_unique<SplitCapture>(std::move(starts)));
        for (size_t index = 0; index < plan.splits.back()->starts.size(); ++index) {
            plan.jobs.push_back({input, {plan.splits.back().get(), index}});
        }
    }
    return plan;
}

// Decodes the jobs on settings.workers threads, the output written in their
// order; the same output, messages and status as one capture after the
// other, each read in one pass.
int decodeOnWorkers(const Invocation &call, const DecodeSettings &settings, const std::vector<const char *> &inputs,
                    const std::vector<DecodeJob> &jobs, DecodeRun &total) {
    std::vector<CaptureTally> tallies(jobs.size());
    // Whether a job's output is the run's: a later stretch only where the
    // one before ended at its start. Decided in job order by the writer.
    std::vector<bool> kept(jobs.size());
    const auto keep = [&](size_t index) {
        kept[index] = jobs[index].stretch.index == 0 || (kept[index - 1] && tallies[index - 1].landed);
        return kept[index];
    };
    size_t failedAt = jobs.size();
    int writeErrno = 0;
    size_t decided = 0;  // jobs whose keeping is decided
    runOrdered(
        jobs.size(), settings.workers,
        [&](size_t index, PieceSink &sink) {
            DecodeRun run(
                [&sink](std::string text) { return sink.hand({OutputPiece::Kind::Output, std::move(text)}); });
            redirectMessages([&](std::string line) {
                if (run.quiet) return;
                run.out.flush();
                sink.hand({OutputPiece::Kind::Message, std::move(line)});
            });
            CaptureTally &tally = tallies[index];
            tally.status = decodeCapture(call, settings, inputs[jobs[index].input], run, jobs[index].stretch);
            run.out.flush();
            redirectMessages({});
            tally.counts = run.counts;
            tally.verdict = run.verdict;
            tally.anyDecoded = run.anyDecoded;
            tally.landed = run.landed;
            tally.skipped = run.skipped;
        },
        [&](size_t index, OutputPiece &piece) {
            for (; decided <= index; ++decided) keep(decided);
            if (!kept[index]) return true;
            if (piece.kind == OutputPiece::Kind::Message) {
                std::fflush(stdout);
                std::fputs(piece.text.c_str(), stderr);
                return true;
            }
            errno = 0;
            const bool written = std::fwrite(piece.text.data(), 1, piece.text.size(), stdout) == piece.text.size() &&
                                 (!settings.lineBuffered || std::fflush(stdout) == 0);
            if (!written) {
                failedAt = index;
                writeErrno = errno;
            }
            return written;
        });
    int status = kExitOk;
    for (size_t i = 0; i < jobs.size() && i < failedAt;) {
        // A capture's jobs: its status is that of one pass over it.
        int captureStatus = kExitOk;
        bool skipped = false;
        const bool split = jobs[i].stretch.split != nullptr;
        size_t j = i;
        for (; j < jobs.size() && j < failedAt && jobs[j].input == jobs[i].input; ++j) {
            if (!keep(j)) continue;
            captureStatus = worse(captureStatus, tallies[j].status);
            skipped = skipped || tallies[j].skipped;
            total.counts.add(tallies[j].counts);
            total.verdict.add(tallies[j].verdict);
            total.anyDecoded = total.anyDecoded || tallies[j].anyDecoded;
        }
        status = worse(status, split && skipped ? worse(captureStatus, kExitDataError) : captureStatus);
        i = j;
    }
    if (failedAt == jobs.size() && std::fflush(stdout) != 0) {
        failedAt = 0;
        writeErrno = errno;
    }
    if (failedAt != jobs.size()) {
        total.outputFailed = true;
        return worse(status, outputFailure("the output", writeErrno));
    }
    return status;
}

int runDecode(const Invocation &call) {
    DecodeSettings settings;
    if (const int status = readSettings(call, settings); status != kExitOk) return status;
    std::vector<const char *> inputs = call.positionals;
    if (inputs.empty()) inputs.push_back("-");
    const bool standardInput = std::find_if(inputs.begin(), inputs.end(), [](const char *input) {
                                   return std::strcmp(input, "-") == 0;
                               }) != inputs.end();
    // Ctrl-C ends reading live input with the summary; on files it ends the
    // tool at once, as it always has.
    if (settings.read.follow || standardInput) catchInterrupt();
    setBinaryMode(stdout);
    DecodeRun run;
    const bool page = settings.print.format == LineFormat::Html;
    if (page) run.out.buffer() += kViewerPageHead;
    int status = kExitOk;
    // Live input is read as it arrives, one capture after the other.
    DecodePlan plan;
    if (settings.workers > 1 && !standardInput && !settings.read.follow) plan = planJobs(settings, inputs);
    if (plan.jobs.size() > 1) {
        status = decodeOnWorkers(call, settings, inputs, plan.jobs, run);
        if (run.outputFailed) return status;
    } else {
        for (const char *input : inputs) {
            status = worse(status, decodeCapture(call, settings, input, run));
            if (run.outputFailed) return status;
        }
    }
    if (page) {
        // The page's summary line: what the records alone do not tell.
        run.out.buffer() += formatText("{\"summary\":{\"ended\":true,\"status\":%d,\"skipped\":%llu}}\n", status,
                                       static_cast<unsigned long long>(run.counts.skippedBytes));
        run.out.buffer() += kViewerPageTail;
        if (!run.out.flush()) return outputFailure("the output", run.out.writeErrno());
    }
    if (!settings.quiet && run.anyDecoded) printSummary(run.counts, settings, run.verdict);
    return status;
}

constexpr const OptionDefinition *kDecodeOptions[] = {
    &kFormat.row, &kWithMeta.row,     &kTimestamps.row,   &kChannel.row,        &kGroup.row,
    &kKind.row,   &kId.row,           &kColor.row,        &kFollow.row,         &kLineBuffered.row,
    &kMaxRecord.row, &kStopOnError.row, &kJobs.row,      &kDecoderOption.row,  &kDecodersOption.row,
    &kStrictOption.row, &kQuiet.row,
};

}  // namespace

extern const Command kDecodeCommand = {
    "decode",
    "decode captures, one record per line",
    "[FILE|-]...",
    "Decodes every record of the captures (binary version 1 or 2, or text,\n"
    "from the FILEs in order or standard input) and prints one record per\n"
    "line as soon as its bytes have arrived. Each capture is decoded with\n"
    "the decoder chosen for its build (see --decoder and --decoders). A\n"
    "damaged stretch is reported and skipped. A summary goes to standard\n"
    "error: records decoded, unknown channels, unknown tokens, a truncated\n"
    "last record, bytes skipped, and whether the captures' build UUIDs match\n"
    "their decoders' (a mismatch is also warned about before the capture's\n"
    "first record).\n",
    kDecodeOptions,
    0,
    static_cast<size_t>(-1),
    runDecode,
};

}  // namespace tkcli
