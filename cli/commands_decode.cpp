// tkdec decode: a capture decoded, one record per line.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "capture_outcome.h"
#include "capture_reader.h"
#include "channel_labels.h"
#include "command.h"
#include "decoder_choice.h"
#include "diagnostics.h"
#include "exit_codes.h"
#include "output_stream.h"
#include "platform.h"
#include "progress_line.h"
#include "record_decoder.h"
#include "record_lines.h"
#include "tkdec.h"

namespace tkcli {
namespace {

struct DecodeCounts {
    uint64_t records = 0;
    uint64_t unknownChannels = 0;
    uint64_t unknownTokens = 0;
    uint64_t truncated = 0;
};

std::string counted(uint64_t count, const char *noun) {
    return formatText("%llu %s%s", static_cast<unsigned long long>(count), noun, count == 1 ? "" : "s");
}

std::string buildVerdict(const std::string &capture, const std::string &decoder) {
    if (capture.empty()) return "capture names no build";
    return capture == decoder ? "capture build matches the decoder" : "capture build differs from the decoder's";
}

void printSummary(const DecodeCounts &counts, const std::string &verdict) {
    report(kExitOk, "%s decoded, %s, %s, %llu truncated; %s", counted(counts.records, "record").c_str(),
           counted(counts.unknownChannels, "unknown channel").c_str(),
           counted(counts.unknownTokens, "unknown token").c_str(), static_cast<unsigned long long>(counts.truncated),
           verdict.c_str());
}

struct DecodeSettings {
    int32_t format = UF_AsText;
    bool withMeta = false;
    const DecoderLibrary *library = nullptr;
};

// Decodes every record of the capture to out, up to its end or the first
// record that cannot be read or shown.
Outcome decodeRecords(CaptureReader &reader, const DecodeSettings &settings, OutputStream &out, DecodeCounts &counts,
                  ProgressLine &progress) {
    const ChannelLabels labels(*settings.library);
    RecordDecoder decoder(*settings.library, settings.format);
    CaptureRecord record;
    CaptureReader::Next next;
    while ((next = reader.next(record)) == CaptureReader::Next::Record) {
        ++counts.records;
        std::string_view text;
        int32_t result = 0;
        if (!decoder.decode(record, text, result)) {
            return {kExitDataError, formatText("record %llu: its text is longer than %zu bytes",
                                               static_cast<unsigned long long>(counts.records),
                                               RecordDecoder::kLargestSize)};
        }
        const char *label = labels.label(record.channel);
        if (result != 0) ++(label ? counts.unknownTokens : counts.unknownChannels);
        if (settings.withMeta) {
            const RecordMeta meta{counts.records, record.channel, record.id, label};
            appendRecordLineWithMeta(settings.format, meta, text, out.buffer());
        } else {
            appendRecordLine(settings.format, text, out.buffer());
        }
        out.written();
        if (out.failed()) return {};  // reported by the caller
        progress.update(reader.bytesRead());
    }
    if (next == CaptureReader::Next::End) return {};
    if (reader.errorKind() == CaptureError::Truncated) ++counts.truncated;
    return captureFailure(reader);
}

int runDecode(const Invocation &call) {
    DecodeSettings settings;
    if (const int status = formatOption(call, settings.format); status != kExitOk) return status;
    settings.withMeta = call.has("--with-meta");
    const bool quiet = call.has("--quiet");
    CaptureReader reader;
    if (!reader.open(inputPath(call))) return reportOutcome(captureFailure(reader));
    DecoderLibrary library;
    if (const int status = loadDecoderForCapture(call, reader.uuid(), library); status != kExitOk) return status;
    settings.library = &library;
    const std::string decoderUuid = library.uuid();
    setBinaryMode(stdout);
    OutputStream out(stdout);
    DecodeCounts counts;
    ProgressLine progress(stderr, reader.totalBytes(), !quiet && isTerminal(stderr));
    const Outcome outcome = decodeRecords(reader, settings, out, counts, progress);
    progress.finish();
    if (!out.flush()) return outputFailure("the output", out.writeErrno());
    const int status = reportOutcome(outcome);
    if (!quiet) printSummary(counts, buildVerdict(reader.uuid(), decoderUuid));
    return status;
}

constexpr OptionDefinition kDecodeOptions[] = {
    {"--format", nullptr, true},
    {"--with-meta", nullptr, false},
    {"--quiet", "-q", false},
    {"--decoder", nullptr, true},
    {"--decoders", nullptr, true},
    {"--strict", nullptr, false},
};

}  // namespace

extern const Command kDecodeCommand = {
    "decode",
    "decode a capture, one record per line",
    "usage: tkdec decode [--format text|xml|json|longjson] [--with-meta] [--quiet]\n"
    "                    [--decoder PATH] [--decoders DIR] [--strict] [FILE|-]\n"
    "\n"
    "Decodes every record of a capture (binary or text form, from FILE or\n"
    "standard input) and prints one record per line. The JSON formats keep a\n"
    "record on one line. A summary goes to standard error: records decoded,\n"
    "unknown channels, unknown tokens, a truncated last record, and whether\n"
    "the capture's build UUID matches the decoder's (a mismatch is also\n"
    "warned about before the first record).\n"
    "\n"
    "options:\n"
    "  --format F    output format: text (default), xml, json or longjson\n"
    "  --with-meta   add the record number, channel, channel label and id;\n"
    "                in the JSON formats each line is an object whose member\n"
    "                \"text\" holds the decoded record as a JSON string\n"
    "  -q, --quiet   no summary and no progress line\n"
    TKDEC_DECODER_OPTION_HELP
    "  --decoders DIR   decode with the library in DIR made for the capture's\n"
    "                   build (tkdec_getUniqueId equal to its build UUID);\n"
    "                   when none is, with the one above, after a warning\n"
    "  --strict         fail (status 1) when the capture names no build or\n"
    "                   its build is not the decoder's, instead of a warning\n",
    kDecodeOptions,
    0,
    1,
    runDecode,
};

}  // namespace tkcli
