#include "output/record_lines.h"

#include <charconv>

#include "output/json_text.h"
#include "output/json_writer.h"
#include "tkdec.h"

namespace tkcli {

namespace {

bool isJson(int32_t format) { return format == UF_AsJson || format == UF_AsLongJson; }

void appendXmlEscaped(std::string_view text, std::string &out) {
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c; break;
        }
    }
}

void appendDecimal(uint64_t value, std::string &out) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

// "0x" and eight lower-case hexadecimal digits.
void appendId(uint32_t id, std::string &out) {
    static constexpr char kDigits[] = "0123456789abcdef";
    char text[10] = {'0', 'x'};
    for (int i = 0; i < 8; ++i) text[2 + i] = kDigits[id >> (28 - 4 * i) & 15];
    out.append(text, sizeof text);
}

// #12 48 PTP:LOG_GROUP_CKI_DEFAULT 0x00000000: text
void appendTextMeta(const RecordMeta &meta, std::string_view text, std::string &out) {
    out += '#';
    appendDecimal(meta.number, out);
    out += ' ';
    appendDecimal(meta.channel, out);
    out += ' ';
    out += meta.label ? meta.label : "(unknown channel)";
    out += ' ';
    appendId(meta.id, out);
    out += ": ";
    out.append(text);
}

// <record number="12" channel="48" label="..." id="0x00000000">text</record>
void appendXmlMeta(const RecordMeta &meta, std::string_view text, std::string &out) {
    out += "<record number=\"";
    appendDecimal(meta.number, out);
    out += "\" channel=\"";
    appendDecimal(meta.channel, out);
    out += '"';
    if (meta.label != nullptr) {
        out += " label=\"";
        appendXmlEscaped(meta.label, out);
        out += '"';
    }
    out += " id=\"";
    appendId(meta.id, out);
    out += "\">";
    out.append(text);
    out += "</record>";
}

// {"record":12,"channel":48,"label":"...","id":"0x00000000","text":"..."}
void appendJsonMeta(const RecordMeta &meta, std::string_view text, std::string &out) {
    JsonWriter json(out);
    json.beginObject().key("record").number(meta.number).key("channel").number(meta.channel);
    json.key("label").stringOrNull(meta.label).key("id").id(meta.id).key("text").string(text).endObject();
}

}  // namespace

void appendRecordLine(int32_t format, std::string_view text, std::string &out) {
    if (isJson(format)) appendJsonOneLine(text, out);
    else out.append(text);
    out += '\n';
}

void appendRecordLineWithMeta(int32_t format, const RecordMeta &meta, std::string_view text, std::string &out) {
    if (isJson(format)) appendJsonMeta(meta, text, out);
    else if (format == UF_AsXml) appendXmlMeta(meta, text, out);
    else appendTextMeta(meta, text, out);
    out += '\n';
}

}  // namespace tkcli
