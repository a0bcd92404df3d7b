// Turns each record of a capture into its output line: decoded through the
// library, filtered, and laid out in the chosen format with the tool's own
// additions (meta, time, colour, the unknown-token marker, JSON Lines).
#ifndef TKDEC_CLI_RECORD_PRINTER_H
#define TKDEC_CLI_RECORD_PRINTER_H

#include <cstdint>
#include <string>

#include "capture/capture_reader.h"
#include "output/channel_labels.h"
#include "output/record_decoder.h"
#include "output/record_filter.h"
#include "output/text_buffer.h"

namespace tkcli {

// The formats of the tool's lines: the library's four record texts, one
// JSON object per line, and the viewer's page with the JSON Lines embedded,
// each '<' written \u003c so that no record text can end the element that
// holds them.
enum class LineFormat { Text, Xml, Json, LongJson, JsonLines, Html };
inline bool writesJsonLines(LineFormat format) { return format == LineFormat::JsonLines || format == LineFormat::Html; }
// The library's output format that a line of the format is made from.
int32_t libraryFormat(LineFormat format);

// Writes each '<' of text from start on as \u003c (JSON text only: there a
// '<' stands inside a string).
void escapeForHtml(std::string &text, size_t start);

enum class TimeColumn { None, Absolute, Delta };

struct PrintSettings {
    LineFormat format = LineFormat::Text;
    bool withMeta = false;
    TimeColumn time = TimeColumn::None;
    bool colour = false;
};

class RecordPrinter {
public:
    enum class Printed { Shown, Filtered, TooLong };

    // Decodes through library, whose channels labels lists.
    RecordPrinter(const DecoderFunctions &library, const PrintSettings &settings, const RecordFilter &filter,
                  const ChannelLabels &labels);

    // Appends the record's line to out; kind() then tells what it was.
    Printed print(const CaptureRecord &record, uint64_t number, TextBuffer &out);
    RecordKind kind() const { return kind_; }
    // The host time of the record shown before the first to be printed (a
    // stretch of a capture printed on its own), for --timestamps delta.
    void setPreviousTime(uint64_t time) { previousTime_ = time; }

    // The JSON Lines header of a capture.
    static void appendJsonLinesHeader(const std::string &decoderUuid, const std::string &captureUuid,
                                      std::string &out);

private:
    // The library's text with a line break, decoded straight into out.
    Printed printPlain(const CaptureRecord &record, RecordKind channelKind, TextBuffer &out);
    // Any line, built in out.
    Printed printLine(const CaptureRecord &record, uint64_t number, RecordKind channelKind, std::string &out);
    void appendTextLine(const CaptureRecord &record, uint64_t number, std::string_view text, std::string &out);
    void appendTimeColumn(uint64_t time, std::string &out);
    bool appendJsonLine(const CaptureRecord &record, uint64_t number, std::string_view text, std::string &out);

    const DecoderFunctions &library_;
    PrintSettings settings_;
    const RecordFilter &filter_;
    const ChannelLabels &labels_;
    RecordDecoder decoder_;
    RecordDecoder fieldsDecoder_;  // long JSON for the JSON Lines "fields"
    bool plain_;       // the line is the library's text alone
    std::string line_;  // a line with the tool's additions, before it joins the output
    RecordKind kind_ = RecordKind::Print;
    uint64_t previousTime_ = 0;
};

}  // namespace tkcli

#endif
