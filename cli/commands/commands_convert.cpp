// tkdec convert: a capture rewritten in another form.
#include <cerrno>
#include <cstdio>
#include <string>

#include "base/diagnostics.h"
#include "base/exit_codes.h"
#include "base/hex.h"
#include "base/platform.h"
#include "capture/capture_outcome.h"
#include "capture/capture_reader.h"
#include "capture/capture_writer.h"
#include "commands/command.h"
#include "output/output_stream.h"

namespace tkcli {
namespace {

enum class Form { Text, BinaryV2, BinaryV1 };

Outcome convertRecords(CaptureReader &reader, Form form, OutputStream &out) {
    std::string bytes;  // the header, then each record
    if (form == Form::Text) appendTextHeader(reader.uuid(), bytes);
    else appendBinaryHeader(form == Form::BinaryV1 ? 1 : 2, reader.uuid(), bytes);
    out.write(bytes);
    CaptureRecord record;
    CaptureReader::Next next;
    while ((next = reader.next(record)) == CaptureReader::Next::Record) {
        if (form == Form::BinaryV1 && record.time != 0) {  // refused, not dropped quietly
            const bool text = reader.form() == CaptureForm::Text;
            return {kExitDataError,
                    formatText("%s: the record at %s %llu has a host time, which a version 1 capture cannot "
                               "hold; convert to binary (version 2) or text instead",
                               reader.name().c_str(), text ? "line" : "byte offset",
                               static_cast<unsigned long long>(record.position)),
                    true};
        }
        bytes.clear();
        if (form == Form::Text) appendTextRecord(record, bytes);
        else if (form == Form::BinaryV2) appendBinaryV2Record(record, bytes);
        else appendBinaryV1Record(record, bytes);
        out.write(bytes);
        if (out.failed()) return {};  // reported by the caller
    }
    if (next != CaptureReader::Next::End) return captureFailure(reader);
    if (reader.skips() != 0) return {kExitDataError, {}};  // each skip was reported
    return {};
}

constexpr OptionChoice kFormNames[] = {{"text", static_cast<int>(Form::Text)},
                                       {"binary", static_cast<int>(Form::BinaryV2)},
                                       {"binary-v1", static_cast<int>(Form::BinaryV1)}};
constexpr ChoiceOption<Form> kTo = {
    {"--to", nullptr, "FORM", "text (default), binary (version 2) or binary-v1", kFormNames, "capture form"}};
constexpr ValueOption kOutput = {{"--output", "-o", "FILE", "write to FILE instead of standard output"}};
constexpr ValueOption kMaxRecord = {
    {"--max-record", nullptr, "N", "a binary record longer than N bytes is damage (default 65536)"}};

int runConvert(const Invocation &call) {
    Form form = Form::Text;
    if (const int status = call.choice(kTo, form); status != kExitOk) return status;
    const char *outputPath = call.value(kOutput);
    if (form != Form::Text && outputPath == nullptr && isTerminal(stdout)) {
        return usageError(call.command, "a binary capture is not written to a terminal; use -o FILE");
    }
    ReadOptions options;
    if (const char *size = call.value(kMaxRecord); size != nullptr) {
        uint64_t value = 0;
        if (!parseUnsigned(size, 0xFFFFFFFF, value)) {
            return usageError(call.command, "--max-record %s is not a number of bytes", quoted(size).c_str());
        }
        options.maxRecord = static_cast<uint32_t>(value);
    }
    options.notice = [](const std::string &message) { report(kExitOk, "%s", message.c_str()); };
    OpenedCapture opened = openCapture(inputPath(call), options);
    if (!opened.reader) return reportOutcome(captureFailure(opened.errorKind, opened.error));
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
        outcome = convertRecords(*opened.reader, form, out);
        written = out.flush();
        error = out.writeErrno();
    }
    if (file != stdout && std::fclose(file) != 0 && written) {
        written = false;
        error = errno;
    }
    if (!written) return outputFailure(outputPath ? outputPath : "the output", error);
    if (outcome.refused && outputPath != nullptr) std::remove(outputPath);  // no half-written capture stays
    return reportOutcome(outcome);
}

constexpr const OptionDefinition *kConvertOptions[] = {&kTo.row, &kOutput.row, &kMaxRecord.row};

}  // namespace

extern const Command kConvertCommand = {
    "convert",
    "rewrite a capture in the text or a binary form",
    "[FILE|-]",
    "Reads a capture (any form, from FILE or standard input) and writes it\n"
    "again in the text form, the binary form of version 2 or that of version\n"
    "1, with the same records, host times and build UUID. Damaged records\n"
    "are reported and left out. Version 1 holds no host times: a capture with\n"
    "them is refused (status 1), and a FILE written so far removed.\n",
    kConvertOptions,
    0,
    1,
    runConvert,
};

}  // namespace tkcli
