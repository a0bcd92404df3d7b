// tkdec inspect: what a capture holds, without decoding it.
#include <cstdio>
#include <map>
#include <string>

#include "capture_outcome.h"
#include "capture_reader.h"
#include "channel_labels.h"
#include "command.h"
#include "diagnostics.h"
#include "exit_codes.h"
#include "json_text.h"
#include "time_text.h"

namespace tkcli {
namespace {

struct CaptureSurvey {
    uint64_t records = 0;
    std::map<uint16_t, uint64_t> perChannel;
    uint64_t firstTime = 0;
    uint64_t lastTime = 0;
};

Outcome survey(CaptureReader &reader, CaptureSurvey &found) {
    CaptureRecord record;
    CaptureReader::Next next;
    while ((next = reader.next(record)) == CaptureReader::Next::Record) {
        ++found.records;
        ++found.perChannel[record.channel];
        if (record.time == 0) continue;
        if (found.firstTime == 0 || record.time < found.firstTime) found.firstTime = record.time;
        if (record.time > found.lastTime) found.lastTime = record.time;
    }
    return next == CaptureReader::Next::End ? Outcome{} : captureFailure(reader);
}

std::string formText(const CaptureReader &reader) {
    return reader.form() == CaptureForm::Text ? "text" : formatText("binary, version %u", reader.version());
}

std::string timeText(uint64_t time) {
    std::string text;
    appendUtcTime(time, text);
    return text;
}

void printText(const CaptureReader &reader, const CaptureSurvey &found, const std::string &decoderUuid,
               const ChannelLabels &labels) {
    std::string text = reader.name() + "\n  form: " + formText(reader) + "\n  build: ";
    if (reader.uuid().empty()) text += "not named\n";
    else if (reader.uuid() == decoderUuid) text += reader.uuid() + " (the decoder's)\n";
    else text += reader.uuid() + " (the decoder is for " + decoderUuid + ")\n";
    text += formatText("  bytes: %llu\n  records: %llu\n", static_cast<unsigned long long>(reader.bytesRead()),
                       static_cast<unsigned long long>(found.records));
    if (found.firstTime != 0) {
        text += "  time: " + timeText(found.firstTime) + " to " + timeText(found.lastTime) + "\n";
    }
    if (reader.skips() != 0) {
        text += formatText("  damaged: %llu bytes skipped at %llu places\n",
                           static_cast<unsigned long long>(reader.skippedBytes()),
                           static_cast<unsigned long long>(reader.skips()));
    }
    for (const auto &[channel, count] : found.perChannel) {
        const char *label = labels.label(channel);
        text += formatText("  channel %5u %8llu  %s\n", channel, static_cast<unsigned long long>(count),
                           label ? label : "(unknown channel)");
    }
    std::fputs(text.c_str(), stdout);
}

void appendJsonText(std::string_view text, std::string &out) {
    out += '"';
    appendJsonEscaped(text, out);
    out += '"';
}

// A JSON string, or null for an empty text.
void appendJsonOrNull(std::string_view text, std::string &out) {
    if (text.empty()) out += "null";
    else appendJsonText(text, out);
}

// One line: {"capture":...,"form":"binary","version":2,"build":...,
// "decoder_build":...,"build_match":true,"bytes":...,"records":...,
// "first_time":...,"last_time":...,"skipped_bytes":0,"channels":[...]}
void printJson(const CaptureReader &reader, const CaptureSurvey &found, const std::string &decoderUuid,
               const ChannelLabels &labels) {
    std::string out = "{\"capture\":";
    appendJsonText(reader.name(), out);
    out += reader.form() == CaptureForm::Text ? ",\"form\":\"text\",\"version\":null"
                                              : formatText(",\"form\":\"binary\",\"version\":%u", reader.version());
    out += ",\"build\":";
    appendJsonOrNull(reader.uuid(), out);
    out += ",\"decoder_build\":";
    appendJsonOrNull(decoderUuid, out);
    out += reader.uuid() == decoderUuid ? ",\"build_match\":true" : ",\"build_match\":false";
    out += formatText(",\"bytes\":%llu,\"records\":%llu", static_cast<unsigned long long>(reader.bytesRead()),
                      static_cast<unsigned long long>(found.records));
    out += ",\"first_time\":";
    appendJsonOrNull(found.firstTime ? timeText(found.firstTime) : std::string(), out);
    out += ",\"last_time\":";
    appendJsonOrNull(found.lastTime ? timeText(found.lastTime) : std::string(), out);
    out += formatText(",\"skipped_bytes\":%llu,\"channels\":[", static_cast<unsigned long long>(reader.skippedBytes()));
    const char *separator = "";
    for (const auto &[channel, count] : found.perChannel) {
        out += formatText("%s{\"channel\":%u,\"label\":", separator, channel);
        const char *label = labels.label(channel);
        appendJsonOrNull(label ? label : "", out);
        out += formatText(",\"records\":%llu}", static_cast<unsigned long long>(count));
        separator = ",";
    }
    out += "]}\n";
    std::fputs(out.c_str(), stdout);
}

int runInspect(const Invocation &call) {
    const ChannelLabels labels;
    const std::string decoderUuid = libraryUuid();
    ReadOptions options;
    options.knownChannel = [&labels](uint16_t channel) { return labels.known(channel); };
    options.notice = [](const std::string &message) { report(kExitOk, "%s", message.c_str()); };
    int status = kExitOk;
    for (const char *path : call.positionals) {
        OpenedCapture opened = openCapture(path, options);
        if (!opened.reader) {
            const int failed = reportOutcome(captureFailure(opened.errorKind, opened.error));
            if (status == kExitOk) status = failed;
            continue;
        }
        CaptureSurvey found;
        const Outcome outcome = survey(*opened.reader, found);
        if (call.has("--json")) printJson(*opened.reader, found, decoderUuid, labels);
        else printText(*opened.reader, found, decoderUuid, labels);
        std::fflush(stdout);
        const int result = reportOutcome(outcome);
        if (status == kExitOk) status = result != kExitOk ? result : opened.reader->skips() ? kExitDataError : kExitOk;
    }
    return status;
}

constexpr OptionDefinition kInspectOptions[] = {
    {"--json", nullptr, nullptr, "one JSON object per capture, on one line"},
};

}  // namespace

extern const Command kInspectCommand = {
    "inspect",
    "tell what captures hold, without decoding them",
    "CAPTURE...",
    "Prints for each capture its form and version, the build UUID it names\n"
    "and whether that is the decoder's, its size in bytes, the number of\n"
    "records, the records per channel, and the span of the host times when\n"
    "the records have them. Nothing is decoded.\n",
    kInspectOptions,
    1,
    static_cast<size_t>(-1),
    runInspect,
};

}  // namespace tkcli
