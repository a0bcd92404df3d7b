// tkdec inspect: what a capture holds, without decoding it.
#include <cstdio>
#include <filesystem>
#include <map>
#include <system_error>
#include <string>

#include "base/diagnostics.h"
#include "base/exit_codes.h"
#include "base/time_text.h"
#include "capture/capture_outcome.h"
#include "capture/capture_reader.h"
#include "commands/command.h"
#include "commands/decoder_choice.h"
#include "output/channel_labels.h"
#include "output/json_text.h"
#include "output/json_writer.h"

namespace tkcli {
namespace {

constexpr FlagOption kJson = {{"--json", nullptr, nullptr, "one JSON object per capture, on one line"}};

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

// The decoder that labels a capture's channels: the one made for its
// build when there is one, else that of --decoder or beside the tool.
struct ChosenDecoder {
    DecoderLibrary library;
    std::string uuid;
    bool matches = false;
    const char *folder = nullptr;  // --decoders DIR
};

std::string decoderText(const CaptureReader &reader, const ChosenDecoder &decoder) {
    const std::string &path = decoder.library.path();
    if (decoder.matches) return path + " (made for this build)";
    if (reader.uuid().empty()) return path + " (build " + decoder.uuid + ")";
    std::string text = "none made for this build";
    if (decoder.folder != nullptr) {
        text += formatText(" among the %llu libraries in %s",
                           static_cast<unsigned long long>(librariesIn(decoder.folder).size()), decoder.folder);
    }
    return text + "; labels from " + path + " (build " + decoder.uuid + ")";
}

void printText(const CaptureReader &reader, const CaptureSurvey &found, const ChosenDecoder &decoder,
               const ChannelLabels &labels) {
    std::string text = reader.name() + "\n  form: " + formText(reader) + "\n  build: ";
    text += reader.uuid().empty() ? "not named" : reader.uuid();
    text += "\n  decoder: " + decoderText(reader, decoder) + "\n";
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

// A string, or null for an empty text.
void stringOrNull(JsonWriter &json, const std::string &text) {
    json.stringOrNull(text.empty() ? nullptr : text.c_str());
}

// One line: {"capture":...,"form":"binary","version":2,"build":...,
// "decoder":...,"decoder_build":...,"build_match":true,"bytes":...,"records":...,
// "first_time":...,"last_time":...,"skipped_bytes":0,"channels":[...]}
void printJson(const CaptureReader &reader, const CaptureSurvey &found, const ChosenDecoder &decoder,
               const ChannelLabels &labels) {
    std::string out;
    JsonWriter json(out);
    json.beginObject().key("capture").string(reader.name());
    if (reader.form() == CaptureForm::Text) json.key("form").string("text").key("version").null();
    else json.key("form").string("binary").key("version").number(reader.version());
    json.key("build");
    stringOrNull(json, reader.uuid());
    json.key("decoder").string(decoder.library.path()).key("decoder_build").string(decoder.uuid);
    json.key("build_match").boolean(decoder.matches);
    json.key("bytes").number(reader.bytesRead()).key("records").number(found.records).key("first_time");
    stringOrNull(json, found.firstTime ? timeText(found.firstTime) : std::string());
    json.key("last_time");
    stringOrNull(json, found.lastTime ? timeText(found.lastTime) : std::string());
    json.key("skipped_bytes").number(reader.skippedBytes()).key("channels").beginArray();
    for (const auto &[channel, count] : found.perChannel) {
        const char *label = labels.label(channel);
        json.beginObject().key("channel").number(channel).key("label");
        stringOrNull(json, label ? label : "");
        json.key("records").number(count).endObject();
    }
    json.endArray().endObject();
    out += '\n';
    std::fputs(out.c_str(), stdout);
}

// With --decoders DIR, the library there made for the capture's build;
// else, or when none is, the one of --decoder or beside the tool.
int chooseDecoder(const Invocation &call, const std::string &captureUuid, ChosenDecoder &decoder) {
    decoder.folder = call.value(kDecodersOption);
    const bool found = decoder.folder != nullptr && !captureUuid.empty() &&
                       findDecoderFor(decoder.folder, captureUuid, decoder.library);
    if (!found) {
        if (const int status = loadDecoder(call, decoder.library); status != kExitOk) return status;
    }
    decoder.uuid = decoder.library.uuid();
    decoder.matches = !captureUuid.empty() && captureUuid == decoder.uuid;
    return kExitOk;
}

// Surveys and prints one capture; returns the exit status that it earns.
int inspectCapture(const Invocation &call, const char *path) {
    ReadOptions options;
    options.notice = [](const std::string &message) { report(kExitOk, "%s", message.c_str()); };
    OpenedCapture opened = openCapture(path, options);
    if (!opened.reader) return reportOutcome(captureFailure(opened.errorKind, opened.error));
    CaptureReader &reader = *opened.reader;
    ChosenDecoder decoder;
    if (const int status = chooseDecoder(call, reader.uuid(), decoder); status != kExitOk) return status;
    const ChannelLabels labels(decoder.library);
    options.knownRecord = knownRecordTest(labels, reader, decoder.library.uuid());
    CaptureSurvey found;
    const Outcome outcome = survey(reader, found);
    if (call.has(kJson)) printJson(reader, found, decoder, labels);
    else printText(reader, found, decoder, labels);
    std::fflush(stdout);
    if (const int status = reportOutcome(outcome); status != kExitOk) return status;
    if (reader.skips() != 0) return kExitDataError;
    if (call.has(kStrictOption) && !decoder.matches) {
        return report(kExitDataError, "%s: no decoder is made for its build (--strict)", reader.name().c_str());
    }
    return kExitOk;
}

int runInspect(const Invocation &call) {
    std::error_code ignored;
    if (const char *folder = call.value(kDecodersOption); folder && !std::filesystem::is_directory(folder, ignored)) {
        return report(kExitIoError, "decoder folder %s: no such folder", folder);
    }
    int status = kExitOk;
    for (const char *path : call.positionals) {
        const int result = inspectCapture(call, path);
        if (status == kExitOk) status = result;
    }
    return status;
}

constexpr const OptionDefinition *kInspectOptions[] = {&kJson.row, &kDecoderOption.row, &kDecodersOption.row,
                                                      &kStrictOption.row};

}  // namespace

extern const Command kInspectCommand = {
    "inspect",
    "tell what captures hold, without decoding them",
    "CAPTURE...",
    "Prints for each capture its form and version, the build UUID it names\n"
    "and the decoder library made for that build (or, when none is, the one\n"
    "that labels its channels), its size in bytes, the number of records,\n"
    "the records per channel, and the span of the host times when the\n"
    "records have them. Nothing is decoded.\n",
    kInspectOptions,
    1,
    static_cast<size_t>(-1),
    runInspect,
};

}  // namespace tkcli
