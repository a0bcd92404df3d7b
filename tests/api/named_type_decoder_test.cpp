#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tkdec.h"
#include "type_tables.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The status confirmation 0x2CC40007 sent by the given task, status 2.
Bytes statusCnf(uint32_t source) {
    Bytes data = {0x07, 0x00, 0xC4, 0x2C};
    for (int i = 0; i < 4; ++i) data.push_back(static_cast<uint8_t>(source >> (8 * i)));
    data.insert(data.end(), {0x00, 0x00, 0xC4, 0x13, 0, 0, 0, 0, 2, 0, 0, 0});
    return data;
}

struct Decoded {
    uint32_t result;
    std::string text;
};

Decoded decode(const char *name, const Bytes &data, int32_t format = UF_AsText, uint32_t outSize = 4096) {
    std::vector<char> out(outSize, '\0');
    out.resize(outSize + 8, '#');
    const uint32_t result = tkdec_decodeType(name, static_cast<uint32_t>(data.size()), data.data(), outSize,
                                             out.data(), format);
    for (size_t i = outSize; i < out.size(); ++i) EXPECT_EQ(out[i], '#') << "write behind the buffer";
    const auto end = std::find(out.begin(), out.begin() + outSize, '\0');
    return {result, std::string(out.begin(), end)};
}

const char kStatusCnfText[] =
    "(CkiTestAppQueryStatusCnfMessage){.m_srcTask=CKI_TIMER_PTP_TASK_ID .m_dstTask=CKI_TEST_APP_APPS_TASK_ID "
    ".m_postedCounter=0 .m_deleteMe=0 .m_processing=0 .m_flags=0 .m_status=CKI_TESTAPP_STATUS_PASSED}";

TEST(DecodeType, LookupByNameAndId) {
    struct Case {
        const char *name;
        Bytes data;
        uint32_t result;
        const char *text;
    };
    const Bytes fromPtp = statusCnf(0x12000000);
    const Bytes fromApps = statusCnf(0x13C40000);
    const Case cases[] = {
        {"CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", fromPtp, 0, kStatusCnfText},
        {"0x2cc40007", fromPtp, 0, kStatusCnfText},
        {"751042567", fromPtp, 0, kStatusCnfText},
        {"0x2CC40007", fromPtp, 1, ""},
        {"0x2cc4007", fromPtp, 1, ""},
        {"0x02cc40007", fromPtp, 1, ""},
        {"+751042567", fromPtp, 1, ""},
        {" 751042567", fromPtp, 1, ""},
        // The source check: an APPS sender, or too few bytes for one.
        {"CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", fromApps, 1, ""},
        {"0x2cc40007", Bytes(fromPtp.begin(), fromPtp.begin() + 7), 1, ""},
        {"0x2cc40007", {}, 1, ""},
        // The structure's type entry has id 0: no source check.
        {"CkiTestAppQueryStatusCnfMessage", fromApps, 0,
         "(CkiTestAppQueryStatusCnfMessage){.m_srcTask=CKI_TEST_APP_APPS_TASK_ID .m_dstTask=CKI_TEST_APP_APPS_TASK_ID "
         ".m_postedCounter=0 .m_deleteMe=0 .m_processing=0 .m_flags=0 .m_status=CKI_TESTAPP_STATUS_PASSED}"},
        // 0 names the first type entry.
        {"0", {65}, 0, "65"},
        {"0x00000000", {65}, 0, "65"},
        {"-0", {65}, 1, ""},
        // An event by its negative decimal id.
        {"-1845165567", {1, 2, 0x05, 0x92, 0, 0, 1, 0x12}, 0,
         "(Atlayer_AbortEvent){.m_srcTask=CKI_IPC_DRIVER_TASK_ID .m_dstTask=(CKI_TaskId)(no data) "
         ".m_postedCounter=(unsigned char)(no data) .m_deleteMe=(unsigned char)(no data) "
         ".m_processing=(unsigned char)(no data) .m_flags=(unsigned char)(no data) "
         ".m_eventId=(CKI_EventId)(no data) .m_channel=(uint8_t)(no data) .m_reason=(CKI_Return)(no data)}"},
        {"0x92050201", {1, 2, 0x05, 0x92, 0, 0, 1, 0x13}, 1, ""},
        {"TokenisedPrintChannels", {5, 0, 0, 0}, 0, "(TokenisedPrintChannels) 0x00000005 (5)"},
        {"NoSuchType", fromPtp, 1, ""},
        {"", fromPtp, 1, ""},
    };
    for (const Case &c : cases) {
        const Decoded decoded = decode(c.name, c.data);
        EXPECT_EQ(decoded.result, c.result) << c.name;
        EXPECT_EQ(decoded.text, c.text) << c.name;
    }
}

TEST(DecodeType, BadArgumentsWriteNothing) {
    const Bytes data = statusCnf(0x12000000);
    char out[16] = "untouched";
    EXPECT_EQ(tkdec_decodeType(nullptr, 20, data.data(), sizeof out, out, UF_AsText), 1u);
    EXPECT_EQ(tkdec_decodeType("CKI_Message", 20, data.data(), sizeof out, nullptr, UF_AsText), 1u);
    EXPECT_EQ(tkdec_decodeType("CKI_Message", 20, data.data(), 0, out, UF_AsText), 1u);
    EXPECT_EQ(tkdec_decodeType("CKI_Message", 20, data.data(), sizeof out, out, 4), 1u);
    EXPECT_EQ(tkdec_decodeType("CKI_Message", 20, data.data(), sizeof out, out, -1), 1u);
    EXPECT_STREQ(out, "untouched");
    // Null data is no data: the type's description.
    EXPECT_EQ(tkdec_decodeType("CkiAlarmLevel", 8, nullptr, sizeof out, out, UF_AsText), 0u);
    EXPECT_EQ(std::string(out, sizeof out), "(CkiAlarmLevel){");
}

TEST(DecodeType, OutputIsCutAtTheBufferSize) {
    const Bytes data = statusCnf(0x12000000);
    const std::string full = kStatusCnfText;
    for (uint32_t size : {1u, 10u, static_cast<uint32_t>(full.size()), static_cast<uint32_t>(full.size() + 1)}) {
        const Decoded decoded = decode("0x2cc40007", data, UF_AsText, size);
        EXPECT_EQ(decoded.result, 0u);
        EXPECT_EQ(decoded.text, full.substr(0, size)) << size;
    }
}

TEST(TypeRegistry, MessageTypeTableLayout) {
    using tkdec::build::messageTypeTable;
    size_t entries = 0;
    while (messageTypeTable[entries].print != nullptr) ++entries;
    size_t messages = 0;
    while (messageTypeTable[messages].id != 0) ++messages;
    ASSERT_GE(messages, 2u);
    for (size_t i = 0; i < entries; ++i) {
        const tkdec::MessageTypeEntry &entry = messageTypeTable[i];
        ASSERT_NE(entry.type, nullptr) << entry.name;
        if (i < messages) {
            // A message entry names its identifier, and its structure also
            // has a type entry with the same print entry.
            EXPECT_STRNE(entry.name, entry.type->name);
            EXPECT_EQ(tkdec::build::findMessageClass(entry.id), &entry);
            bool listed = false;
            for (size_t j = messages; j < entries; ++j)
                listed = listed || (messageTypeTable[j].type == entry.type && messageTypeTable[j].print == entry.print);
            EXPECT_TRUE(listed) << entry.name;
            for (size_t j = 0; j < i; ++j) EXPECT_NE(messageTypeTable[j].id, entry.id);
        } else {
            EXPECT_EQ(entry.id, 0u) << entry.name;
            EXPECT_STREQ(entry.name, entry.type->name);
        }
    }
    EXPECT_EQ(messageTypeTable[entries].name, nullptr);
    EXPECT_EQ(messageTypeTable[entries].type, nullptr);
    EXPECT_EQ(tkdec::build::findMessageClass(0), nullptr);
    EXPECT_EQ(tkdec::build::findMessageClass(0x2C2A0003), nullptr);  // TFTP_RETRANS_TIMER_ID has no class

    // Searching by descriptor name finds the message entry first.
    const tkdec::MessageTypeEntry *first = messageTypeTable;
    while (std::strcmp(first->type->name, "CkiTestAppQueryStatusCnfMessage") != 0) ++first;
    EXPECT_EQ(first->id, 0x2CC40007u);
    EXPECT_STREQ(first->name, "CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID");
    EXPECT_EQ(tkdec::build::findMessageClass(0x92050201)->type, &tkdec::build::type_Atlayer_AbortEvent);
}

TEST(TypeRegistry, DescriptorShapes) {
    using namespace tkdec::build;
    EXPECT_EQ(type_TokenisedPrintChannels.size, 0u);
    EXPECT_EQ(type_TokenisedPrintChannels.fields, nullptr);

    const tkdec::FieldDescriptor &elements = type_uint8_t_24_.fields[0];
    EXPECT_STREQ(elements.fieldName, "^");
    EXPECT_STREQ(elements.typeName, "uint8_t");
    EXPECT_EQ(elements.elementSize, 1u);
    EXPECT_EQ(elements.elementCount, 24u);
    EXPECT_TRUE(elements.isArray);
    EXPECT_EQ(type_uint8_t_24_.fields[1].fieldName, nullptr);

    // A member of that type: count 1, no array flag, the array's getter.
    const tkdec::FieldDescriptor &digest = type_CkiTestAppQueryTestsCnfMessage__TestDescriptor.fields[3];
    EXPECT_STREQ(digest.fieldName, "m_digest");
    EXPECT_EQ(digest.elementCount, 1u);
    EXPECT_EQ(digest.elementSize, 24u);
    EXPECT_FALSE(digest.isArray);
    ASSERT_NE(digest.descriptor, nullptr);
    EXPECT_EQ(digest.descriptor(), &type_uint8_t_24_);

    // An enumeration's "=" field; a derived structure's base part.
    const tkdec::FieldDescriptor &task = type_CKI_TaskId.fields[0];
    EXPECT_STREQ(task.fieldName, "=");
    EXPECT_EQ(task.elementSize, 4u);
    EXPECT_EQ(task.descriptor, nullptr);
    EXPECT_EQ(type_CKI_TaskId.fields[1].fieldName, nullptr);
    const tkdec::FieldDescriptor &base = type_CkiTestAppQueryStatusCnfMessage.fields[0];
    EXPECT_STREQ(base.fieldName, "^");
    EXPECT_EQ(base.elementSize, 16u);
    EXPECT_EQ(base.descriptor(), &type_CKI_Message);
    EXPECT_EQ(type_CkiTestAppQueryStatusCnfMessage.size, 20u);

    // The alias: one field, the bit-offset type, within 256 bytes.
    const tkdec::FieldDescriptor &bitmap = type_CKI_LogGroupId_BITMAP_ARRAY_BITMAP_64_.fields[0];
    EXPECT_EQ(type_CKI_LogGroupId_BITMAP_ARRAY_BITMAP_64_.size, 256u);
    EXPECT_STREQ(bitmap.typeName, "CKI_LogGroupId_BITMAP_ARRAY_BITMAP");
    EXPECT_EQ(bitmap.elementSize, 256u);
    EXPECT_FALSE(bitmap.isArray);

    // The CKI_Timer layout.
    const char *const timerMembers[] = {"^", "m_duration", "m_remainingDuration", "m_latestTimeout", "m_inaccuracy",
                                        "m_startTicks", "m_delta", "m_repeat", "m_posting", "m_state", "m_id",
                                        "mp_name", "m_appTimer"};
    const uint32_t timerOffsets[] = {0, 16, 20, 24, 28, 32, 36, 40, 41, 42, 44, 48, 52};
    EXPECT_EQ(type_CKI_Timer.size, 56u);
    for (size_t i = 0; i < std::size(timerMembers); ++i) {
        EXPECT_STREQ(type_CKI_Timer.fields[i].fieldName, timerMembers[i]);
        EXPECT_EQ(type_CKI_Timer.fields[i].offset, timerOffsets[i]);
    }
    EXPECT_EQ(type_CKI_Timer.fields[std::size(timerMembers)].fieldName, nullptr);
}

TEST(TypeRegistry, EnumeratorTablesAreSortedAndEnded) {
    using namespace tkdec::build;
    for (const tkdec::EnumerationInfo *info :
         {&enum_CkiAlarmLevel, &enum_CKI_TaskId, &enum_CKI_MsgId, &enum_CKI_EventId, &enum_CKI_AlarmId,
          &enum_CKI_LogGroupId, &enum_CKI_Return, &enum_LogHwGroup, &enum_CKI_LogGroupId_BITMAP_ARRAY_BITMAP,
          &enum_CKI_Timer__CKI_TimerState}) {
        for (uint32_t i = 1; i < info->count; ++i) EXPECT_LE(info->table[i - 1].value, info->table[i].value) << info->name;
        EXPECT_EQ(info->table[info->count].name, nullptr) << info->name;
        EXPECT_EQ(info->table[info->count].value, 0u) << info->name;
        for (uint32_t i = 0; i < info->count; ++i) EXPECT_NE(info->table[i].name, nullptr) << info->name;
    }
    EXPECT_EQ(enum_CkiAlarmLevel.count, 5u);
    EXPECT_EQ(enum_CkiAlarmLevel.table[0].value, 0u);  // a first value 0 is still an entry
    EXPECT_EQ(enum_CKI_LogGroupId.count, 162u);
    EXPECT_EQ(enum_CKI_LogGroupId_BITMAP_ARRAY_BITMAP.table, enum_CKI_LogGroupId.table);
    EXPECT_STREQ(enum_CKI_Timer__CKI_TimerState.name, "CKI_Timer::CKI_TimerState");
}

}  // namespace
