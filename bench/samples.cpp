#include "samples.h"

#include <cstdlib>
#include <cstring>

#include "api/channel_table.h"
#include "records/argument_reader.h"
#include "records/conversion_rule.h"
#include "render/name_filters.h"
#include "type_tables.h"

namespace tkdec::bench {
namespace {

constexpr uint32_t kPtpCpu = 2;
constexpr const char *kExtendedString = "wlan0 link up at 866 Mbit/s, rssi -47 dBm";
constexpr uint32_t kExtendedDataBytes = 32;

void putWord(Bytes &bytes, uint32_t word) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(word >> (8 * i)));
}

// An extended payload item: key, length, data, padding to 4 bytes.
void putItem(Bytes &bytes, uint32_t key, const Bytes &data) {
    putWord(bytes, key);
    putWord(bytes, static_cast<uint32_t>(data.size()));
    bytes.insert(bytes.end(), data.begin(), data.end());
    while (bytes.size() % 4 != 0) bytes.push_back(0);
}

// Values worth trying as enumerators: small numbers, then the values of
// the tables that every build has and the named alarm ids.
std::vector<uint32_t> candidateValues() {
    std::vector<uint32_t> values = {1, 2, 3, 0};
    for (uint32_t v = 4; v < 64; ++v) values.push_back(v);
    for (const EnumerationInfo *info : {&build::enum_CKI_TaskId, &build::enum_CKI_MsgId, &build::enum_CKI_EventId})
        for (uint32_t i = 0; i < info->count; ++i) values.push_back(info->table[i].value);
    const TokenTable &alarms = build::alarmTokenTable;
    for (uint32_t i = 0; i < alarms.restFirst + alarms.restCount; ++i) values.push_back(alarms.ids[i]);
    return values;
}

// Whether the printer knows the value: unknown values print in parentheses.
bool printsName(ValuePrinter printer, uint32_t size, uint32_t value) {
    uint8_t bytes[8] = {};
    for (uint32_t i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
    char text[4096];
    char *pos = text;
    printer(bytes, bytes + size, &pos, text + sizeof text, UF_AsText, E_TYPE, 0, nullptr, filterIdentity);
    return pos > text && text[0] != '(';
}

uint64_t fieldMask(uint32_t width) { return width >= 32 ? 0xFFFFFFFFu : (uint64_t{1} << width) - 1; }

// A value of the width that the printer prints as a name, else 0.
uint32_t knownValue(ValuePrinter printer, uint32_t width) {
    static const std::vector<uint32_t> candidates = candidateValues();
    for (uint32_t value : candidates)
        if (value <= fieldMask(width) && printsName(printer, 4, value)) return value;
    return 0;
}

void setField(uint32_t *words, const ArgumentSource &source, uint32_t value) {
    uint32_t &word = words[source.argument & 31];
    const uint32_t mask = static_cast<uint32_t>(fieldMask(source.width)) << (source.shift & 31);
    word = (word & ~mask) | ((value << (source.shift & 31)) & mask);
}

// Argument words that give every rule a representative value, and the
// extended items that its string and data rules name.
Bytes tokenPayload(const TokenRecord &record) {
    uint32_t words[kMaxArguments];
    for (uint32_t i = 0; i < kMaxArguments; ++i) words[i] = 0x1200 + 0x111 * i;
    Bytes extended;
    uint32_t key = 0;
    const TokenFormatter &formatter = record.formatter;
    for (uint32_t i = 0; i < formatter.ruleCount; ++i) {
        const ConversionRule &rule = formatter.rules[i];
        switch (rule.kind) {
        case RuleKind::Enumeration: setField(words, rule.source, knownValue(rule.printer, rule.source.width)); break;
        case RuleKind::Choice:
            setField(words, rule.source, 0);
            if (rule.optionCount > 0 && rule.options[0].kind == RuleKind::Enumeration)
                setField(words, rule.options[0].source, knownValue(rule.options[0].printer, rule.options[0].source.width));
            break;
        case RuleKind::ExtendedString:
            setField(words, rule.source, key);
            putItem(extended, key++, Bytes(kExtendedString, kExtendedString + std::strlen(kExtendedString) + 1));
            break;
        case RuleKind::ExtendedData: {
            setField(words, rule.source, key);
            Bytes data(kExtendedDataBytes);
            for (uint32_t b = 0; b < kExtendedDataBytes; ++b) data[b] = static_cast<uint8_t>(0x30 + 7 * b);
            putItem(extended, key++, data);
            break;
        }
        default: break;
        }
    }
    Bytes payload;
    for (uint32_t i = 0; i < record.argumentCount && i < kMaxArguments; ++i) putWord(payload, words[i]);
    payload.insert(payload.end(), extended.begin(), extended.end());
    return payload;
}

uint32_t countRules(const TokenRecord &record, RuleKind kind) {
    uint32_t count = 0;
    for (uint32_t i = 0; i < record.formatter.ruleCount; ++i) count += record.formatter.rules[i].kind == kind;
    return count;
}

bool allRules(const TokenRecord &record, RuleKind kind) { return countRules(record, kind) == record.formatter.ruleCount; }

// The first token (by id) that the test accepts, or the one that scores
// highest when a score is given.
template <class Accept>
const TableToken *firstToken(const std::vector<TableToken> &tokens, Accept accept) {
    for (const TableToken &token : tokens)
        if (accept(*token.record)) return &token;
    return nullptr;
}

template <class Score>
const TableToken *bestToken(const std::vector<TableToken> &tokens, Score score) {
    const TableToken *best = nullptr;
    for (const TableToken &token : tokens)
        if (score(*token.record) > 0 && (best == nullptr || score(*token.record) > score(*best->record))) best = &token;
    return best;
}

void addToken(std::vector<Sample> &samples, const char *name, const TableToken *token, uint16_t channel) {
    if (token == nullptr) return;
    samples.push_back({name, SampleKind::Token, channel, token->id, tokenPayload(*token->record), token->record});
}

void addTokens(std::vector<Sample> &samples) {
    const std::vector<TableToken> prints = tokensOf(build::printTokenTable);
    const std::vector<TableToken> alarms = tokensOf(build::alarmTokenTable);
    auto printChannel = [](const TableToken *t) { return t ? static_cast<uint16_t>(16 + 32 * t->record->group) : 0; };
    const TableToken *none = firstToken(prints, [](const TokenRecord &r) { return r.formatter.ruleCount == 0; });
    const TableToken *one = firstToken(
        prints, [](const TokenRecord &r) { return r.argumentCount == 1 && r.formatter.ruleCount == 1 && allRules(r, RuleKind::RawWord); });
    const TableToken *four = firstToken(prints, [](const TokenRecord &r) { return r.argumentCount == 4 && allRules(r, RuleKind::RawWord); });
    if (four == nullptr) four = firstToken(prints, [](const TokenRecord &r) { return r.argumentCount == 4; });
    const TableToken *enums = bestToken(prints, [](const TokenRecord &r) { return countRules(r, RuleKind::Enumeration); });
    const TableToken *string = firstToken(prints, [](const TokenRecord &r) { return countRules(r, RuleKind::ExtendedString) > 0; });
    const TableToken *located = firstToken(alarms, [](const TokenRecord &r) { return r.file != nullptr; });
    const TableToken *exception = bestToken(alarms, [](const TokenRecord &r) {
        return countRules(r, RuleKind::FlagLetter) > 0 ? r.formatter.ruleCount : 0;
    });
    const uint16_t alarmChannel = firstChannel(ChannelKind::Alarm);
    addToken(samples, "print_0_args", none, printChannel(none));
    addToken(samples, "print_1_arg", one, printChannel(one));
    addToken(samples, "print_4_args", four, printChannel(four));
    addToken(samples, "print_enums", enums, printChannel(enums));
    addToken(samples, "print_string", string, printChannel(string));
    addToken(samples, "alarm_located", located, alarmChannel);
    addToken(samples, "alarm_exception", exception, alarmChannel);
}

// The message entry whose payload is closest to the size.
const MessageTypeEntry *messageOfSize(uint32_t payloadSize) {
    const MessageTypeEntry *best = nullptr;
    auto distance = [payloadSize](const MessageTypeEntry &e) { return std::labs(static_cast<long>(e.type->size) - 4 - payloadSize); };
    for (const MessageTypeEntry *entry = build::messageTypeTable; entry->id != 0; ++entry)
        if (best == nullptr || distance(*entry) < distance(*best)) best = entry;
    return best;
}

uint32_t ptpTask() {
    const EnumerationInfo &tasks = build::enum_CKI_TaskId;
    for (uint32_t i = 0; i < tasks.count; ++i)
        if (((tasks.table[i].value >> 24) & 0xF) == kPtpCpu) return tasks.table[i].value;
    return 0;
}

uint32_t lastTask() { return build::enum_CKI_TaskId.table[build::enum_CKI_TaskId.count - 1].value; }

// Fills the value members of a structure at data (message offsets) with
// known values, through its fields.
void fillFields(const FieldDescriptor *fields, uint8_t *data, const uint8_t *end) {
    for (const FieldDescriptor *field = fields; field != nullptr && field->fieldName != nullptr; ++field) {
        for (uint32_t element = 0; element < field->elementCount; ++element) {
            uint8_t *at = data + field->offset + element * field->elementSize;
            if (at + field->elementSize > end) return;
            const TypeDescriptor *type = field->descriptor != nullptr ? field->descriptor() : nullptr;
            if (type != nullptr && type->fields != nullptr && type->fields[0].fieldName[0] != '=') {
                fillFields(type->fields, at, at + field->elementSize);
            } else if (field->elementSize <= 4 && field->print != nullptr) {
                const uint32_t value = knownValue(field->print, 8 * field->elementSize);
                for (uint32_t b = 0; b < field->elementSize; ++b) at[b] = static_cast<uint8_t>(value >> (8 * b));
            }
        }
    }
}

void addMessage(std::vector<Sample> &samples, const char *name, uint32_t payloadSize) {
    const MessageTypeEntry *entry = messageOfSize(payloadSize);
    if (entry == nullptr) return;
    samples.push_back({name, SampleKind::Message, firstChannel(ChannelKind::Message), entry->id,
                       messagePayload(*entry->type), nullptr, entry});
}

}  // namespace

std::vector<TableToken> tokensOf(const TokenTable &table) {
    std::vector<TableToken> tokens;
    for (uint32_t i = 0; i < table.restFirst + table.restCount; ++i) tokens.push_back({table.ids[i], &table.records[i]});
    return tokens;
}

uint16_t firstChannel(ChannelKind kind) {
    for (uint32_t i = 0; i < build::channelCount; ++i)
        if (build::channelKind(build::channels[i].id) == kind) return build::channels[i].id;
    return 0;
}

Bytes messagePayload(const TypeDescriptor &type) {
    Bytes message(type.size, 0);
    fillFields(type.fields, message.data(), message.data() + message.size());
    // A PTP sender and receiver: the payload builder takes only messages to PTP tasks.
    const uint32_t tasks[2] = {ptpTask(), ptpTask()};
    for (uint32_t i = 0; i < 8 && 4 + i < message.size(); ++i) message[4 + i] = static_cast<uint8_t>(tasks[i / 4] >> (8 * (i % 4)));
    return Bytes(message.begin() + (message.size() >= 4 ? 4 : 0), message.end());
}

std::vector<Sample> pickSamples() {
    std::vector<Sample> samples;
    addTokens(samples);
    addMessage(samples, "message_20", 20);
    addMessage(samples, "message_200", 200);
    addMessage(samples, "message_1000", 1000);
    const MessageTypeEntry *traced = build::messageTypeTable[0].id != 0 ? &build::messageTypeTable[0] : nullptr;
    if (traced != nullptr) {
        Bytes tasks;
        putWord(tasks, ptpTask());
        putWord(tasks, lastTask());
        samples.push_back({"message_trace", SampleKind::Trace, firstChannel(ChannelKind::MessageTrace), traced->id,
                           tasks, nullptr, traced});
    }
    return samples;
}

std::string decodeSample(const Sample &sample, OutputFormat format) {
    std::vector<char> out(1 << 16);
    char *pos = out.data();
    tkdec_getText(sample.payload.data(), sample.payload.data() + sample.payload.size(), &pos, out.data() + out.size(),
                  format, sample.id, sample.channel);
    return std::string(out.data(), pos);
}

}  // namespace tkdec::bench
