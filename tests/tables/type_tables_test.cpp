// What the generated type tables of any build description do: every type
// and message prints as valid documents, decodes and traces on its channels.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "api/channel_table.h"
#include "render/name_filters.h"
#include "render/document_checks.h"
#include "support/support.h"
#include "tkdec.h"
#include "type_tables.h"

namespace tkdec::test {
namespace {

uint16_t channelOf(ChannelKind kind) {
    for (uint32_t i = 0; i < build::channelCount; ++i)
        if (build::channelKind(build::channels[i].id) == kind) return build::channels[i].id;
    return 0;
}

// A message's payload (the message from offset 4 on): a pattern, with the
// PTP task of the lowest id as sender and the last task as receiver.
Bytes messagePayload(const TypeDescriptor &type) {
    const EnumerationInfo &tasks = build::enum_CKI_TaskId;
    uint32_t ptp = 0;
    for (uint32_t i = tasks.count; i-- > 0;)
        if (((tasks.table[i].value >> 24) & 0xF) == 2) ptp = tasks.table[i].value;
    Bytes payload(type.size > 4 ? type.size - 4 : 0);
    for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<uint8_t>(i * 37 + 11);
    const Bytes head = words({ptp, tasks.table[tasks.count - 1].value});
    std::memcpy(payload.data(), head.data(), payload.size() < 8 ? payload.size() : 8);
    return payload;
}

bool validDocument(tkdec_OutputFormat format, const std::string &text) {
    if (format == UF_AsText) return !text.empty();
    return format == UF_AsXml ? isWellFormedXml(text) : isJson(text);
}

// Every type of the build, with complete data, prints one JSON value in
// both JSON formats and well-formed XML.
TEST(TypeTables, EveryTypeGivesValidDocuments) {
    ASSERT_NE(build::messageTypeTable[0].print, nullptr);
    for (const MessageTypeEntry *entry = build::messageTypeTable; entry->print != nullptr; ++entry) {
        if (entry->type->size == 0) continue;  // the opaque printer writes plain text
        for (uint8_t fill : {uint8_t{0x00}, uint8_t{0x27}, uint8_t{0xA5}, uint8_t{0xFF}}) {
            Bytes data(entry->type->size, fill);
            for (size_t i = 0; i < data.size(); i += 7) data[i] = static_cast<uint8_t>(i * 37);
            if (data.size() >= 8) data[7] = 0x12;  // a PTP sender for message entries
            for (tkdec_OutputFormat format : {UF_AsXml, UF_AsLongJson, UF_AsJson}) {
                const std::string text = decodeType(entry->name, data, format);
                EXPECT_TRUE(validDocument(format, text)) << entry->name << ": " << text;
            }
        }
    }
}

// decodeType finds a name's first entry in table order (a message entry
// only for a PTP sender); a prefix of a name, or a name with one more
// character, finds nothing unless it is a name itself.
TEST(TypeTables, NamesFindTheirFirstEntryAndNothingElse) {
    std::set<std::string> names;
    for (const MessageTypeEntry *e = build::messageTypeTable; e->print != nullptr; ++e) names.insert(e->name);
    for (const std::string &name : names) {
        if (name[0] == '-' || (name[0] >= '0' && name[0] <= '9')) continue;  // may spell an id
        for (const uint8_t cpu : {uint8_t{0x12}, uint8_t{0x13}}) {
            const Bytes data = {1, 2, 3, 4, 5, 6, 7, cpu, 9, 10, 11, 12};
            const MessageTypeEntry *e = build::messageTypeTable;
            while (e->print != nullptr && (e->name != name || (e->id != 0 && cpu != 0x12))) ++e;
            const std::string expected = e->print != nullptr ? render(e->print, data, UF_AsText) : "<result 1>";
            EXPECT_EQ(decodeType(name.c_str(), data, UF_AsText), expected) << name << " " << int{cpu};
        }
        for (size_t n = 0; n <= name.size(); ++n) {
            const std::string other = n < name.size() ? name.substr(0, n) : name + "_";
            if (names.count(other) != 0) continue;
            EXPECT_EQ(decodeType(other.c_str(), {}, UF_AsText), "<result 1>") << other;
        }
    }
}

// Every message and event decodes on the message channel: valid documents
// when complete, well-formed XML and marked gaps when cut short.
TEST(TypeTables, EveryMessageDecodesOnTheMessageChannel) {
    const uint16_t channel = channelOf(ChannelKind::Message);
    ASSERT_NE(channel, 0);
    for (const MessageTypeEntry *e = build::messageTypeTable; e->id != 0; ++e) {
        const MessageTypeEntry &entry = *e;
        const Bytes full = messagePayload(*entry.type);
        for (tkdec_OutputFormat format : kFormats) {
            const Decoded decoded = decode(channel, entry.id, full, format);
            EXPECT_EQ(decoded.result, 0);
            EXPECT_TRUE(validDocument(format, decoded.text)) << entry.name << ": " << decoded.text;
        }
        for (size_t length : {size_t{0}, size_t{5}, full.size() / 2, full.size() - 1}) {
            const Bytes part(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(std::min(length, full.size())));
            EXPECT_TRUE(isWellFormedXml(decode(channel, entry.id, part, UF_AsXml).text)) << entry.name << " " << length;
        }
        EXPECT_NE(decode(channel, entry.id, {}, UF_AsText).text.find("(no data)"), std::string::npos) << entry.name;
    }
}

}  // namespace
}  // namespace tkdec::test
