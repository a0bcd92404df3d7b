// Writes the seed corpora of the fuzz targets and the dictionaries of the
// text targets from the reference build's tables: records of every token,
// alarm, message and event, alone and appended into one view; a named-type
// input per entry of the message type table; and a description of every
// message and type entry in both syntaxes of the encoder, with every member
// given a value of its kind.
//
//     make_seeds fuzz/corpus fuzz/dictionaries
#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "records/token_table.h"
#include "tkdec.h"
#include "type_tables.h"

namespace {

using Bytes = std::vector<uint8_t>;
using tkdec::FieldDescriptor;
using tkdec::MessageTypeEntry;
using tkdec::TypeDescriptor;

const tkdec::EnumerationInfo *const kEnumerations[] = {
#include "enumerations.inc"
};
constexpr const char *kPtpTask = "CKI_TIMER_PTP_TASK_ID";
constexpr uint32_t kSeedOutputSize = 4096;

void put(Bytes &bytes, uint32_t value, int width) {
    for (int i = 0; i < width; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void putText(Bytes &bytes, const std::string &text) {
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.push_back(0);
}

bool writeFile(const std::string &path, const std::string &bytes) {
    FILE *f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

bool writeSeed(const std::string &path, const Bytes &bytes) { return writeFile(path, std::string(bytes.begin(), bytes.end())); }

std::string hexId(uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%.8x", id);
    return text;
}

// --- records -----------------------------------------------------------------

struct Record {
    uint16_t channel;
    uint32_t id;
    uint32_t mode;  // get_text's mode byte: format and payload pointers
    uint32_t payloadBytes;
};

void putRecord(Bytes &bytes, const Record &r) {
    put(bytes, r.channel, 2);
    put(bytes, r.id, 4);
    put(bytes, r.mode, 1);
    put(bytes, r.payloadBytes, 2);
    for (uint32_t i = 0; i < r.payloadBytes; ++i) bytes.push_back(static_cast<uint8_t>(i * 37 + 1));
}

// A get_text input: the cursor, the output size and offset, then records.
Bytes view(uint32_t cursor, uint32_t offset, const std::vector<Record> &records) {
    Bytes bytes;
    put(bytes, cursor, 1);
    put(bytes, kSeedOutputSize, 3);
    put(bytes, offset, 2);
    for (const Record &r : records) putRecord(bytes, r);
    return bytes;
}

// A decode_wrappers input: the wrapper, the record and the output size.
Bytes wrapped(const Record &r) {
    Bytes bytes;
    put(bytes, r.mode & 3, 1);
    put(bytes, r.channel, 2);
    put(bytes, r.id, 4);
    put(bytes, kSeedOutputSize, 3);
    for (uint32_t i = 0; i < r.payloadBytes; ++i) bytes.push_back(static_cast<uint8_t>(i * 37 + 1));
    return bytes;
}

// One record of every token, alarm, message and message trace.
std::vector<Record> buildRecords() {
    std::vector<Record> records;
    for (uint32_t id = 0; id <= 10736; id += 4) {
        if (const tkdec::TokenRecord *t = tkdec::findToken(tkdec::build::printTokenTable, id))
            records.push_back({static_cast<uint16_t>(16 + 32 * t->group), id, id % 4, 4 * t->argumentCount});
        if (const tkdec::TokenRecord *t = tkdec::findToken(tkdec::build::alarmTokenTable, id))
            records.push_back({8209, id, 0, 4 * t->argumentCount + 8});
    }
    const tkdec::EnumerationInfo &alarms = tkdec::build::enum_CKI_AlarmId;
    for (uint32_t i = 0; i < alarms.count; ++i) records.push_back({8241, alarms.table[i].value, i % 4, 24});
    for (const MessageTypeEntry *e = tkdec::build::messageTypeTable; e->id != 0; ++e) {
        records.push_back({8433, e->id, 0, e->type->size - 4});
        records.push_back({8465, e->id, 3, 8});
    }
    return records;
}

int writeRecordSeeds(const std::string &dir, const std::vector<Record> &records) {
    int n = 0;
    for (const Record &r : records) n += writeSeed(dir + "/record-" + std::to_string(n), view(0, 0, {r}));
    return n;
}

// Several records through one cursor, with each way of starting the cursor
// and each way of passing the payload and the format.
int writeViewSeeds(const std::string &dir, const std::vector<Record> &records) {
    const Record &print = records.front();
    const Record &message = records[records.size() - 2];
    const Record &trace = records.back();
    const Record alarm{8209, tkdec::build::enum_CKI_AlarmId.table[0].value, 1, 16};
    const Record unknown{0x1234, 7, 2, 4};
    const std::vector<Record> mixed = {print, alarm, message, trace, unknown};
    int n = 0;
    for (uint32_t cursor = 0; cursor < 4; ++cursor)
        n += writeSeed(dir + "/view-" + std::to_string(n), view(cursor, 100 + cursor, mixed));
    for (uint32_t pointers = 1; pointers < 4; ++pointers) {
        std::vector<Record> passed = mixed;
        for (Record &r : passed) r.mode |= pointers << 3;
        n += writeSeed(dir + "/view-" + std::to_string(n), view(0, 0, passed));
    }
    Bytes rawFormats = view(0, 0, {});
    for (uint32_t format : {4u, 0xFFFFFFFFu, 0x80000000u}) {
        put(rawFormats, print.channel, 2);
        put(rawFormats, print.id, 4);
        put(rawFormats, 4, 1);
        put(rawFormats, format, 4);
        put(rawFormats, 0, 2);
    }
    n += writeSeed(dir + "/view-" + std::to_string(n), rawFormats);
    return n;
}

// Two-argument prints whose arguments name extended items 0 and 1 of a
// payload near the host's 64 KiB: texts and dumps longer than the scratch
// area of a record.
int writeLongPayloadSeeds(const std::string &dir, const std::vector<Record> &records) {
    constexpr uint32_t kItemLengths[] = {40000, 16000};
    int n = 0;
    for (const Record &r : records) {
        if (r.channel % 32 != 16 || r.payloadBytes != 8) continue;
        Bytes bytes = view(0, 0, {});
        Bytes payload;
        put(payload, 0, 4);
        put(payload, 1, 4);
        for (uint32_t key = 0; key < 2; ++key) {
            put(payload, key, 4);
            put(payload, kItemLengths[key], 4);
            for (uint32_t i = 0; i < kItemLengths[key]; ++i) payload.push_back(static_cast<uint8_t>('a' + i % 26));
        }
        put(bytes, r.channel, 2);
        put(bytes, r.id, 4);
        put(bytes, r.mode, 1);
        put(bytes, static_cast<uint32_t>(payload.size()), 2);
        bytes.insert(bytes.end(), payload.begin(), payload.end());
        n += writeSeed(dir + "/long-" + std::to_string(n), bytes);
    }
    return n;
}

// Every record but the print tokens, of which every sixteenth, in turn
// through each wrapper.
int writeWrapperSeeds(const std::string &dir, const std::vector<Record> &records) {
    int n = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        const Record &r = records[i];
        if (r.channel % 32 == 16 && r.id % 64 != 0) continue;
        Record seed = r;
        seed.mode = static_cast<uint32_t>(n % 4);
        n += writeSeed(dir + "/record-" + std::to_string(n), wrapped(seed));
    }
    return n;
}

// --- named types -------------------------------------------------------------

int writeTypeSeeds(const std::string &dir) {
    int n = 0;
    for (const MessageTypeEntry *e = tkdec::build::messageTypeTable; e->print != nullptr; ++e) {
        Bytes bytes;
        put(bytes, static_cast<uint32_t>(n % 4), 1);
        put(bytes, kSeedOutputSize, 3);
        putText(bytes, e->name);
        for (uint32_t i = 0; i < e->type->size; ++i) bytes.push_back(static_cast<uint8_t>(i == 7 ? 0x12 : i * 13));
        n += writeSeed(dir + "/" + std::to_string(n), bytes);
    }
    return n;
}

// --- encoder descriptions ----------------------------------------------------

enum class Syntax { Designated, Json };

const tkdec::EnumerationInfo *enumerationNamed(const char *name) {
    for (const tkdec::EnumerationInfo *e : kEnumerations)
        if (std::string(e->name) == name) return e;
    return nullptr;
}

// The value part of the compact JSON that the decoder prints for a value of
// a named type: a number, a quoted enumerator name or a list of them.
std::string printedJson(const char *typeName, uint64_t value) {
    uint8_t bytes[8];
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
    char out[1024] = {};
    if (tkdec_decodeType(typeName, sizeof bytes, bytes, sizeof out - 1, out, UF_AsJson) != 0) return "";
    const std::string text = out;
    const size_t colon = text.find("\":");
    if (text.empty() || text[0] != '{' || colon == std::string::npos || text.back() != '}') return "";
    return text.substr(colon + 2, text.size() - colon - 3);
}

// Candidate values of an enumeration: two of its values together (a
// bitmask or bit-offset list), one, and the first.
std::vector<uint64_t> candidateValues(const tkdec::EnumerationInfo *e) {
    std::vector<uint64_t> values = {1};
    if (e == nullptr || e->count == 0) return values;
    std::vector<uint32_t> nonzero;
    for (uint32_t i = 0; i < e->count && nonzero.size() < 2; ++i)
        if (e->table[i].value != 0) nonzero.push_back(e->table[i].value);
    if (nonzero.size() == 2) {
        values.push_back(nonzero[0] | nonzero[1]);
        if (nonzero[1] < 64) values.push_back((uint64_t{1} << nonzero[0] % 64) | (uint64_t{1} << nonzero[1]));
    }
    values.push_back(e->table[0].value);
    return values;
}

// A leaf value in JSON: the printed value that names the most enumerators.
std::string leafJson(const char *typeName) {
    std::string best;
    size_t bestQuotes = 0;
    for (uint64_t value : candidateValues(enumerationNamed(typeName))) {
        const std::string printed = printedJson(typeName, value);
        const size_t quotes = static_cast<size_t>(std::count(printed.begin(), printed.end(), '"'));
        if (best.empty() || quotes > bestQuotes) best = printed, bestQuotes = quotes;
    }
    // Some printed forms are no value the parsers read ("(0x..)<<32", an
    // opaque handle): a plain number instead.
    if (best.empty() || best == "[]" || best.find('(') != std::string::npos) return "1";
    return best;
}

// The same value in the designated syntax: names unquoted, lists as A|B.
std::string leafDesignated(const std::string &json) {
    std::string out;
    for (char c : json) {
        if (c == '"' || c == '[' || c == ']') continue;
        out += c == ',' ? '|' : c;
    }
    return out;
}

std::string leafValue(const char *typeName, Syntax syntax) {
    const std::string json = leafJson(typeName);
    return syntax == Syntax::Json ? json : leafDesignated(json);
}

std::string typeValue(const TypeDescriptor *type, Syntax syntax);

std::string fieldValue(const FieldDescriptor &f, Syntax syntax) {
    if (std::string(f.fieldName) == "m_dstTask") return syntax == Syntax::Json ? std::string("\"") + kPtpTask + "\"" : kPtpTask;
    if (f.descriptor != nullptr) return typeValue(f.descriptor(), syntax);
    return leafValue(f.typeName, syntax);
}

// Members of a structure and of its base parts, as a brace-enclosed list.
void addMembers(const TypeDescriptor *type, Syntax syntax, std::string &out) {
    for (const FieldDescriptor *f = type->fields; f->fieldName != nullptr; ++f) {
        if (f->fieldName[0] == '^') {
            addMembers(f->descriptor(), syntax, out);
            continue;
        }
        if (out.size() > 1) out += syntax == Syntax::Json ? ", " : " ";
        out += syntax == Syntax::Json ? "\"" + std::string(f->fieldName) + "\": " : "." + std::string(f->fieldName) + "=";
        out += fieldValue(*f, syntax);
    }
}

// An array, inside its brackets: a string for characters, else a list of
// up to three elements.
std::string arrayValue(const FieldDescriptor &element, Syntax syntax) {
    const std::string typeName = element.typeName;
    std::string items;
    if (element.elementSize == 1 && typeName.find("char") != std::string::npos && typeName != "unsigned char") {
        items = "\"seed text\"";
    } else {
        const std::string one = element.descriptor != nullptr ? typeValue(element.descriptor(), syntax)
                                                              : leafValue(element.typeName, syntax);
        items = one;
        for (uint32_t i = 1; i < element.elementCount && i < 3; ++i) items += ", " + one;
    }
    return syntax == Syntax::Json ? "[" + items + "]" : "{" + items + "}";
}

std::string typeValue(const TypeDescriptor *type, Syntax syntax) {
    if (type->fields == nullptr) return leafValue(type->name, syntax);
    const FieldDescriptor &first = type->fields[0];
    if (first.isArray) return arrayValue(first, syntax);
    if (first.fieldName[0] == '=') return leafValue(first.typeName, syntax);
    std::string out = "{";
    addMembers(type, syntax, out);
    return out + "}";
}

// A value of a type entry as its own description: a single-value type's
// value is written as the one member of a brace-enclosed list.
std::string entryValue(const TypeDescriptor *type, Syntax syntax) {
    const bool braced = type->fields != nullptr && !type->fields[0].isArray && type->fields[0].fieldName[0] != '=';
    if (braced) return typeValue(type, syntax);
    const std::string value = typeValue(type, syntax);
    if (type->fields != nullptr && type->fields[0].isArray) return value;
    return syntax == Syntax::Json ? "{\"value\": " + value + "}" : "{.value=" + value + "}";
}

struct Description {
    uint32_t form;  // create_message_payload's form byte
    std::string name, destination, body;
};

std::vector<Description> describe(const MessageTypeEntry *e) {
    const std::string typeName = e->type->name;
    const std::string json = "{\"" + typeName + "\": " + entryValue(e->type, Syntax::Json) + "}";
    if (e->id == 0) return {{0, e->name, entryValue(e->type, Syntax::Designated), " "}, {1, json, "", ""}};
    const std::string body = entryValue(e->type, Syntax::Designated);
    return {{0, e->name, kPtpTask, body}, {0, hexId(e->id), hexId(0x12000000), body}, {0, typeName, kPtpTask, body},
            {1, json, "", ""}};
}

Bytes encoderInput(const Description &d) {
    Bytes bytes;
    put(bytes, kSeedOutputSize, 3);
    put(bytes, d.form, 1);
    putText(bytes, d.name);
    putText(bytes, d.destination);
    putText(bytes, d.body);
    return bytes;
}

// Descriptions at the edges of the syntaxes, which the generated ones do
// not reach: stray text, missing closers, quoting, numbers and lists.
const Description kEdgeDescriptions[] = {
    {0, "CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", kPtpTask, "{.m_status=1 .m_bad#=2}"},
    {0, "CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", kPtpTask, "{.m_status=1 junk}"},
    {0, "CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", kPtpTask, "Name {m_status = 010, m_flags = -1}"},
    {0, "CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", "CKI_TIMER_MCE_TASK_ID", "{}"},
    {0, "CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", "not a task", "{.m_dstTask=0x12000000 .m_status=1ABC}"},
    {0, "AtCommandIndMessage", kPtpTask, "{.m_command='quoted' .m_length=0X10}"},
    {0, "AtCommandIndMessage", kPtpTask, "{.m_command=\"unclosed}"},
    {0, "CKI_LogGroupSetReqMessage", kPtpTask, "{.m_groups=LOG_GROUP_CKI_DEFAULT|3|LOG_GROUP_USB .m_enable=1}"},
    {0, "CkiAlarmLevel", "CKI_ALARM_ERROR", ""},
    {1, "{\"AtCommandIndMessage\": {\"m_dstTask\": \"CKI_TIMER_PTP_TASK_ID\", \"m_command\": [\"text\"}}", "", ""},
    {1, "{\"AtCommandIndMessage\": {\"m_dstTask\": \"CKI_TIMER_PTP_TASK_ID\", \"m_command\": [\"text\" ,]}}", "", ""},
    {1, "{\"CkiTestAppQueryStatusCnfMessage\": {\"m_dstTask\": 301989888, \"m_status\": \"7\", \"m_flags\": \"7}}", "", ""},
    {1, "{\"LogHwConfigReqMessage\": {\"m_dstTask\": \"CKI_TIMER_PTP_TASK_ID\", \"m_groups\": \"LOG_HW_GROUP_MCE_PRINT\"}}", "", ""},
    {1, "{\"LogHwConfigReqMessage\": {\"m_dstTask\": \"CKI_TIMER_PTP_TASK_ID\", \"m_groups\": 3, \"m_events\": [1, \"LOG_HW_EVENT_RESET\"]}}", "", ""},
    {1, "  {  \"CkiTestAppQueryStatusCnfMessage\"  :  {}}", "", ""},
    {1, "{\"CkiTestAppQueryStatusCnfMessage\" {}}", "", ""},
};

int writeEncoderSeeds(const std::string &dir) {
    int n = 0;
    for (const MessageTypeEntry *e = tkdec::build::messageTypeTable; e->print != nullptr; ++e)
        for (const Description &d : describe(e)) n += writeSeed(dir + "/" + std::to_string(n), encoderInput(d));
    for (const Description &d : kEdgeDescriptions) n += writeSeed(dir + "/edge-" + std::to_string(n), encoderInput(d));
    return n;
}

// --- dictionaries and queries -----------------------------------------------

void collectMembers(const TypeDescriptor *type, std::set<std::string> &words) {
    if (type == nullptr || type->fields == nullptr) return;
    for (const FieldDescriptor *f = type->fields; f->fieldName != nullptr; ++f)
        if (f->fieldName[0] != '^' && f->fieldName[0] != '=') words.insert(f->fieldName);
}

bool writeDictionary(const std::string &path, const std::set<std::string> &words) {
    std::string text = "# Generated by fuzz_make_seeds from the reference build's tables. Do not edit.\n";
    for (const std::string &word : words) {
        text += '"';
        for (char c : word) text += (c == '"' || c == '\\') ? std::string("\\") + c : std::string(1, c);
        text += "\"\n";
    }
    return writeFile(path, text);
}

// Member, enumerator and message names, and the syntax's punctuation.
bool writeEncoderDictionary(const std::string &path) {
    std::set<std::string> words = {"{", "}", "[", "]", ".", "=", ":", ",", "|", "\"", "'", "0x", "-1", "{}", "[]"};
    for (const MessageTypeEntry *e = tkdec::build::messageTypeTable; e->print != nullptr; ++e) {
        words.insert(e->name);
        words.insert(e->type->name);
        collectMembers(e->type, words);
    }
    for (const tkdec::EnumerationInfo *e : kEnumerations)
        for (uint32_t i = 0; i < e->count; ++i) words.insert(e->table[i].name);
    return writeDictionary(path, words);
}

// Type and message names, and the ids in the two spellings that match.
bool writeTypeDictionary(const std::string &path) {
    std::set<std::string> words;
    for (const MessageTypeEntry *e = tkdec::build::messageTypeTable; e->print != nullptr; ++e) {
        words.insert(e->name);
        if (e->id == 0) continue;
        words.insert(hexId(e->id));
        words.insert(std::to_string(static_cast<int32_t>(e->id)));
    }
    return writeDictionary(path, words);
}

// The queries target reads its choices with FuzzedDataProvider, which takes
// integers from the end of the input: a few varied inputs suffice.
int writeQuerySeeds(const std::string &dir) {
    const Bytes seeds[] = {{0, 3, 0, 0}, {1, 0x10, 0x30, 0, 0, 1}, {2, 0x40, 0, 0, 2}, {0x34, 0, 0, 0, 0x30, 0, 3}, {4}};
    int n = 0;
    for (const Bytes &seed : seeds) n += writeSeed(dir + "/seed-" + std::to_string(n), seed);
    return n;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_seeds CORPUS_DIR DICTIONARY_DIR\n");
        return 2;
    }
    const std::string root = argv[1];
    const std::string dictionaries = argv[2];
    const std::vector<Record> records = buildRecords();
    const int recordSeeds = writeRecordSeeds(root + "/get_text", records) + writeViewSeeds(root + "/get_text", records) +
                            writeLongPayloadSeeds(root + "/get_text", records);
    const int wrapperSeeds = writeWrapperSeeds(root + "/decode_wrappers", records);
    const int types = writeTypeSeeds(root + "/decode_type");
    const int descriptions = writeEncoderSeeds(root + "/create_message_payload");
    const int queries = writeQuerySeeds(root + "/queries");
    const bool dictionariesWritten = writeEncoderDictionary(dictionaries + "/create_message_payload.dict") &&
                                     writeTypeDictionary(dictionaries + "/decode_type.dict");
    std::printf("%d record seeds, %d wrapper seeds, %d named-type seeds, %d encoder seeds, %d query seeds\n",
                recordSeeds, wrapperSeeds, types, descriptions, queries);
    return dictionariesWritten ? 0 : 1;
}
