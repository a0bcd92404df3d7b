// Writes the seed corpora of the fuzz targets from the reference build's
// tables: a record per token, alarm, message and event, a named-type input
// per entry of the message type table, and the encoder's examples.
//
//     make_seeds fuzz/corpus
#include <cstdio>
#include <string>
#include <vector>

#include "records/token_table.h"
#include "type_tables.h"

namespace {

using Bytes = std::vector<uint8_t>;

void put(Bytes &bytes, uint32_t value, int width) {
    for (int i = 0; i < width; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void putText(Bytes &bytes, const std::string &text) {
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.push_back(0);
}

bool writeSeed(const std::string &path, const Bytes &bytes) {
    FILE *f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

Bytes record(uint16_t channel, uint32_t id, uint32_t format, uint32_t payloadBytes) {
    Bytes bytes;
    put(bytes, channel, 2);
    put(bytes, id, 4);
    put(bytes, format, 1);
    put(bytes, 2048, 2);
    for (uint32_t i = 0; i < payloadBytes; ++i) bytes.push_back(static_cast<uint8_t>(i * 37 + 1));
    return bytes;
}

int writeRecordSeeds(const std::string &dir) {
    int n = 0;
    for (uint32_t id = 0; id <= 10736; id += 4) {
        if (const tkdec::TokenRecord *t = tkdec::findToken(tkdec::build::printTokenTable, id))
            n += writeSeed(dir + "/print-" + std::to_string(id), record(16 + 32 * t->group, id, id % 4, 4 * t->argumentCount));
        if (const tkdec::TokenRecord *t = tkdec::findToken(tkdec::build::alarmTokenTable, id))
            n += writeSeed(dir + "/alarm-" + std::to_string(id), record(8209, id, 0, 4 * t->argumentCount + 8));
    }
    const tkdec::EnumerationInfo &alarms = tkdec::build::enum_CKI_AlarmId;
    for (uint32_t i = 0; i < alarms.count; ++i)
        n += writeSeed(dir + "/named-" + alarms.table[i].name, record(8241, alarms.table[i].value, i % 4, 24));
    for (const tkdec::MessageTypeEntry *e = tkdec::build::messageTypeTable; e->id != 0; ++e) {
        n += writeSeed(dir + "/message-" + e->name, record(8433, e->id, 0, e->type->size - 4));
        n += writeSeed(dir + "/trace-" + e->name, record(8465, e->id, 3, 8));
    }
    return n;
}

int writeTypeSeeds(const std::string &dir) {
    int n = 0;
    for (const tkdec::MessageTypeEntry *e = tkdec::build::messageTypeTable; e->print != nullptr; ++e) {
        Bytes bytes;
        put(bytes, static_cast<uint32_t>(n % 4), 1);
        put(bytes, 4096, 2);
        putText(bytes, e->name);
        for (uint32_t i = 0; i < e->type->size; ++i) bytes.push_back(static_cast<uint8_t>(i == 7 ? 0x12 : i * 13));
        n += writeSeed(dir + "/" + std::to_string(n), bytes);
    }
    return n;
}

int writeEncoderSeeds(const std::string &dir) {
    struct Example {
        uint32_t form;
        const char *name, *destination, *body;
    } examples[] = {
        {0, "CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", "CKI_TIMER_PTP_TASK_ID", "{.m_status=1}"},
        {0, "0x2CC40007", "CKI_TIMER_PTP_TASK_ID", "{.m_status=1 .m_deleteMe=0}"},
        {0, "CkiTestAppQueryStatusCnfMessage", "0x12000000", "{m_status = 1, m_flags = 0}"},
        {1, "{\"CkiTestAppQueryStatusCnfMessage\": {\"m_dstTask\": \"CKI_TIMER_PTP_TASK_ID\", \"m_status\": 1}}", "", ""},
        {0, "CkiAlarmLevel", "{.value=CKI_ALARM_ERROR}", ""},
        {0, "CKI_TESTAPP_QUERY_TESTS_CNF_MSG_ID", "CKI_TIMER_PTP_TASK_ID", "{.m_count=2 .m_tests={{.m_id=1}}}"},
        {2, "CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", "", "{.m_status=1 .m_bad#=2}"},
    };
    int n = 0;
    for (const Example &e : examples) {
        Bytes bytes;
        put(bytes, 512, 2);
        put(bytes, e.form, 1);
        putText(bytes, e.name);
        putText(bytes, e.destination);
        putText(bytes, e.body);
        n += writeSeed(dir + "/example-" + std::to_string(n), bytes);
    }
    return n;
}

// The queries target reads its choices with FuzzedDataProvider, which takes
// integers from the end of the input: a few varied inputs suffice.
int writeQuerySeeds(const std::string &dir) {
    const Bytes seeds[] = {{0, 3, 0, 0}, {1, 0x10, 0x30, 0, 0, 1}, {2, 0x40, 0, 0, 2}, {0x34, 0, 0, 0, 0x30, 0, 3}};
    int n = 0;
    for (const Bytes &seed : seeds) n += writeSeed(dir + "/seed-" + std::to_string(n), seed);
    return n;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds CORPUS_DIR\n");
        return 2;
    }
    const std::string root = argv[1];
    const int records = writeRecordSeeds(root + "/get_text");
    const int types = writeTypeSeeds(root + "/decode_type");
    const int examples = writeEncoderSeeds(root + "/create_message_payload");
    const int queries = writeQuerySeeds(root + "/queries");
    std::printf("%d record seeds, %d named-type seeds, %d encoder seeds, %d query seeds\n", records, types, examples,
                queries);
    return 0;
}
