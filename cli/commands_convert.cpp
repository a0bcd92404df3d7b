// tkdec convert: a capture rewritten in the other form.
#include <cerrno>
#include <cstdio>
#include <string>

#include "capture_outcome.h"
#include "capture_reader.h"
#include "capture_writer.h"
#include "command.h"
#include "diagnostics.h"
#include "exit_codes.h"
#include "output_stream.h"
#include "platform.h"

namespace tkcli {
namespace {

Outcome convertRecords(CaptureReader &reader, bool binary, OutputStream &out) {
    if (binary) appendBinaryHeader(reader.uuid(), out.buffer());
    else appendTextHeader(reader.uuid(), out.buffer());
    CaptureRecord record;
    CaptureReader::Next next;
    while ((next = reader.next(record)) == CaptureReader::Next::Record) {
        if (binary) appendBinaryRecord(record, out.buffer());
        else appendTextRecord(record, out.buffer());
        out.written();
        if (out.failed()) return {};  // reported by the caller
    }
    return next == CaptureReader::Next::End ? Outcome{} : captureFailure(reader);
}

int runConvert(const Invocation &call) {
    const char *to = call.value("--to");
    const std::string_view form = to ? to : "text";
    if (form != "text" && form != "binary") {
        return usageError(call.command, "unknown capture form %s (text or binary)", quoted(form).c_str());
    }
    const bool binary = form == "binary";
    const char *outputPath = call.value("--output");
    if (binary && outputPath == nullptr && isTerminal(stdout)) {
        return usageError(call.command, "a binary capture is not written to a terminal; use -o FILE");
    }
    CaptureReader reader;
    if (!reader.open(inputPath(call))) return reportOutcome(captureFailure(reader));
    std::FILE *file = stdout;
    if (outputPath != nullptr) {
        file = std::fopen(outputPath, "wb");
        if (file == nullptr) return outputFailure(outputPath, errno);
    } else {
        setBinaryMode(stdout);
    }
    Outcome outcome;
    bool written = true;
    int error = 0;
    {
        OutputStream out(file);
        outcome = convertRecords(reader, binary, out);
        written = out.flush();
        error = out.writeErrno();
    }
    if (file != stdout && std::fclose(file) != 0 && written) {
        written = false;
        error = errno;
    }
    if (!written) return outputFailure(outputPath ? outputPath : "the output", error);
    return reportOutcome(outcome);
}

constexpr OptionDefinition kConvertOptions[] = {
    {"--to", nullptr, true},
    {"--output", "-o", true},
};

}  // namespace

extern const Command kConvertCommand = {
    "convert",
    "rewrite a capture in the text or the binary form",
    "usage: tkdec convert [--to text|binary] [-o FILE] [FILE|-]\n"
    "\n"
    "Reads a capture (binary or text form, from FILE or standard input) and\n"
    "writes it again in the text form (the default) or the binary form, with\n"
    "the same records and build UUID.\n"
    "\n"
    "options:\n"
    "  --to FORM          text or binary\n"
    "  -o, --output FILE  write to FILE instead of standard output\n",
    kConvertOptions,
    0,
    1,
    runConvert,
};

}  // namespace tkcli
