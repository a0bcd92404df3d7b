#include "output/record_printer.h"

#include <cstring>

#include "base/diagnostics.h"
#include "base/hex.h"
#include "base/time_text.h"
#include "output/json_text.h"
#include "output/json_writer.h"
#include "output/record_lines.h"
#include "tkdec.h"

namespace tkcli {

namespace {

constexpr const char *kReset = "\x1b[0m";
constexpr const char *kDim = "\x1b[2m";

// Colour of a record's line by its kind; nullptr for none.
const char *kindColour(RecordKind kind) {
    switch (kind) {
    case RecordKind::Alarm:
    case RecordKind::Exception: return "\x1b[31m";
    case RecordKind::UnknownChannel:
    case RecordKind::UnknownToken: return "\x1b[33m";
    default: return nullptr;
    }
}

bool hasTokens(RecordKind kind) {
    return kind == RecordKind::Print || kind == RecordKind::Alarm || kind == RecordKind::Exception;
}

// <unknown token 0x00000034 on channel 48, 4 payload bytes: 01 00 00 00>
void appendUnknownTokenMarker(const CaptureRecord &record, std::string &out) {
    out += formatText("<unknown token 0x%08x on channel %u, %u payload byte%s", record.id, record.channel,
                      record.size, record.size == 1 ? "" : "s");
    if (record.size != 0) out += ": ";
    appendHexBytes(record.payload, record.size, out);
    out += '>';
}

}  // namespace

void escapeForHtml(std::string &text, size_t start) {
    for (size_t at = text.find('<', start); at != std::string::npos; at = text.find('<', at + 6)) {
        text.replace(at, 1, "\\u003c");
    }
}

int32_t libraryFormat(LineFormat format) {
    switch (format) {
    case LineFormat::Xml: return UF_AsXml;
    case LineFormat::Json: return UF_AsJson;
    case LineFormat::LongJson: return UF_AsLongJson;
    case LineFormat::Text:
    case LineFormat::JsonLines:  // the record's text, with its fields as long JSON
    case LineFormat::Html: break;
    }
    return UF_AsText;
}

RecordPrinter::RecordPrinter(const DecoderFunctions &library, const PrintSettings &settings, const RecordFilter &filter,
                             const ChannelLabels &labels)
    : library_(library),
      settings_(settings),
      filter_(filter),
      labels_(labels),
      decoder_(library, libraryFormat(settings.format)),
      fieldsDecoder_(library, UF_AsLongJson, writesJsonLines(settings.format) ? RecordDecoder::kInitialSize : 1),
      plain_(!settings.withMeta && settings.time == TimeColumn::None && !settings.colour &&
             !writesJsonLines(settings.format)) {}

RecordPrinter::Printed RecordPrinter::print(const CaptureRecord &record, uint64_t number, TextBuffer &out) {
    const RecordKind channelKind = labels_.kind(record.channel);
    if (filter_.active() &&
        !filter_.admitsBeforeDecoding(record.channel, record.id, channelKind, labels_.group(record.channel))) {
        return Printed::Filtered;
    }
    if (plain_) return printPlain(record, channelKind, out);
    line_.clear();
    const Printed printed = printLine(record, number, channelKind, line_);
    out += line_;
    return printed;
}

RecordPrinter::Printed RecordPrinter::printPlain(const CaptureRecord &record, RecordKind channelKind,
                                                 TextBuffer &out) {
    const size_t start = out.size();
    int32_t result = 0;
    if (!decoder_.decodeInto(record, out, result)) return Printed::TooLong;
    kind_ = result != 0 && hasTokens(channelKind) ? RecordKind::UnknownToken : channelKind;
    if (filter_.active() && !filter_.admitsKind(kind_)) {
        out.cut(start);
        return Printed::Filtered;
    }
    const std::string_view text(out.data() + start, out.size() - start);
    const bool json = settings_.format == LineFormat::Json || settings_.format == LineFormat::LongJson;
    // Printable ASCII, the common JSON text, holds no NUL and is one line
    // already; the other texts end at their first NUL.
    if (!json || !isPrintableAscii(text)) {
        const auto *nul = static_cast<const char *>(std::memchr(text.data(), '\0', text.size()));
        const size_t length = nul != nullptr ? static_cast<size_t>(nul - text.data()) : text.size();
        if (settings_.format == LineFormat::Text && kind_ == RecordKind::UnknownToken) {
            out.cut(start);
            line_.clear();
            appendUnknownTokenMarker(record, line_);
            out += line_;
        } else if (json) {
            line_.assign(text.data(), length);
            out.cut(start);
            std::string line;
            appendJsonOneLine(line_, line);
            out += line;
        } else {
            out.cut(start + length);
        }
    }
    out += '\n';
    previousTime_ = record.time != 0 ? record.time : previousTime_;
    return Printed::Shown;
}

RecordPrinter::Printed RecordPrinter::printLine(const CaptureRecord &record, uint64_t number, RecordKind channelKind,
                                                std::string &out) {
    std::string_view text;
    int32_t result = 0;
    if (!decoder_.decode(record, text, result)) return Printed::TooLong;
    kind_ = result != 0 && hasTokens(channelKind) ? RecordKind::UnknownToken : channelKind;
    if (filter_.active() && !filter_.admitsKind(kind_)) return Printed::Filtered;
    if (writesJsonLines(settings_.format)) {
        const size_t start = out.size();
        if (!appendJsonLine(record, number, text, out)) return Printed::TooLong;
        if (settings_.format == LineFormat::Html) escapeForHtml(out, start);
    } else if (settings_.format == LineFormat::Text) {
        appendTextLine(record, number, text, out);
    } else if (settings_.withMeta) {
        appendRecordLineWithMeta(libraryFormat(settings_.format), {number, record.channel, record.id, labels_.label(record.channel)},
                                 text, out);
    } else {
        appendRecordLine(libraryFormat(settings_.format), text, out);
    }
    previousTime_ = record.time != 0 ? record.time : previousTime_;
    return Printed::Shown;
}

// [time] [#number channel label id: ]text, the first two dim and the text
// coloured by kind; an unknown token shows as the tool's marker.
void RecordPrinter::appendTextLine(const CaptureRecord &record, uint64_t number, std::string_view text,
                                   std::string &out) {
    const bool meta = settings_.withMeta || settings_.time != TimeColumn::None;
    if (settings_.colour && meta) out += kDim;
    if (settings_.time != TimeColumn::None) appendTimeColumn(record.time, out);
    if (settings_.withMeta) {
        std::string line;
        appendRecordLineWithMeta(UF_AsText, {number, record.channel, record.id, labels_.label(record.channel)}, "",
                                 line);
        out.append(line, 0, line.size() - 1);  // without its line break
    }
    if (settings_.colour && meta) out += kReset;
    const char *colour = settings_.colour ? kindColour(kind_) : nullptr;
    if (colour != nullptr) out += colour;
    if (kind_ == RecordKind::UnknownToken) appendUnknownTokenMarker(record, out);
    else out.append(text);
    if (colour != nullptr) out += kReset;
    out += '\n';
}

void RecordPrinter::appendTimeColumn(uint64_t time, std::string &out) {
    if (time == 0) out += '-';
    else if (settings_.time == TimeColumn::Absolute) appendUtcTime(time, out);
    else appendDelta(previousTime_ == 0 ? time : previousTime_, time, out);
    out += ' ';
}

// {"record":1,"offset":28,"channel":48,"label":"...","id":"0x00000000",
//  "kind":"print","group":"...","file":"...","line":263,"text":"...",
//  "fields":{...},"payload":"0100..."}
bool RecordPrinter::appendJsonLine(const CaptureRecord &record, uint64_t number, std::string_view text,
                                   std::string &out) {
    std::string_view fields;
    int32_t result = 0;
    if (!fieldsDecoder_.decode(record, fields, result)) return false;
    JsonWriter json(out);
    json.beginObject().key("record").number(number).key("offset").number(record.position);
    if (record.time != 0) {
        std::string time;
        appendUtcTime(record.time, time);
        json.key("time").string(time);
    }
    json.key("channel").number(record.channel).key("label").stringOrNull(labels_.label(record.channel));
    json.key("id").id(record.id).key("kind").string(kindName(kind_));
    if (const char *group = labels_.group(record.channel); group != nullptr) json.key("group").string(group);
    if (hasTokens(kind_)) {
        uint32_t line = 0;
        char file[1024] = {};
        if (library_.getSourceReference(record.channel, record.id, &line, sizeof file - 1, file) == 0) {
            json.key("file").string(file).key("line").number(line);
        }
    }
    json.key("text").string(text).key("fields");
    if (isJsonObject(fields)) json.document(fields);
    else json.null();
    std::string hex;
    appendHexBytes(record.payload, record.size, hex);
    std::erase(hex, ' ');
    json.key("payload").string(hex).endObject();
    out += '\n';
    return true;
}

void RecordPrinter::appendJsonLinesHeader(const std::string &decoderUuid, const std::string &captureUuid,
                                          std::string &out) {
    JsonWriter json(out);
    json.beginObject().key("schema").string("tkdec.jsonl/1").key("decoder_build").string(decoderUuid);
    json.key("capture_build").stringOrNull(captureUuid.empty() ? nullptr : captureUuid.c_str());
    json.key("build_match").boolean(captureUuid == decoderUuid).endObject();
    out += '\n';
}

}  // namespace tkcli
