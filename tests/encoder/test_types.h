// A hand-made message in the shapes of the generated tables, for what the
// reference build lacks: a member name given in a base part and again in
// the derived structure, an alias narrower than the bits named for it, and
// enumerator names at the identifier limit.
#pragma once

#include <cstddef>

#include "encoder/encode_entries.h"
#include "encoder/message_payload.h"

namespace enctest {

using tkdec::EnumerationInfo;
using tkdec::Enumerator;
using tkdec::FieldDescriptor;
using tkdec::TypeDescriptor;

// N copies of a letter, as a constant text.
template <size_t N>
struct Repeated {
    char text[N + 1] = {};
    constexpr explicit Repeated(char c) {
        for (size_t i = 0; i < N; ++i) text[i] = c;
    }
};
inline constexpr Repeated<127> kName127{'N'};
inline constexpr Repeated<128> kName128{'N'};

inline constexpr Enumerator kTaskIds[] = {
    {0x12000000, "CKI_TIMER_PTP_TASK_ID"}, {0x13C40000, "CKI_TEST_APP_APPS_TASK_ID"}, {0, nullptr}};
inline constexpr EnumerationInfo taskIdInfo{4, "CKI_TaskId", kTaskIds, 2};
inline constexpr Enumerator kMessageIds[] = {{0x2CC40042, "CKI_TEST_MSG_ID"}, {0, nullptr}};
inline constexpr Enumerator kLevels[] = {{2, "LEVEL_ERROR"}, {8, "LEVEL_INFO"}, {0, nullptr}};
inline constexpr EnumerationInfo levelInfo{4, "Level", kLevels, 2};
inline constexpr Enumerator kStatuses[] = {{1, "STATUS_RUNNING"}, {0, nullptr}};
inline constexpr EnumerationInfo statusInfo{1, "Status", kStatuses, 1};
// The lengths are given: a sanitized build does not take the address of
// a constant's member as a constant expression.
inline constexpr Enumerator kLongNames[] = {{5, kName127.text, 127}, {6, kName128.text, 128}, {0, nullptr}};
inline constexpr EnumerationInfo longNameInfo{1, "LongName", kLongNames, 2};
inline constexpr Enumerator kEvents[] = {{0, "EV_0"}, {17, "EV_17"}, {0, nullptr}};
inline constexpr EnumerationInfo eventInfo{4, "Event", kEvents, 2};

// field(encode, type name, field name, offset, size, descriptor getter)
constexpr FieldDescriptor field(tkdec::EncodeEntry encode, const char *typeName, const char *name, uint32_t offset,
                                uint32_t size, tkdec::DescriptorGetter getter = nullptr) {
    return {nullptr, encode, typeName, name, offset, size, 1, getter, nullptr, false};
}

inline constexpr FieldDescriptor kCkiMessageFields[] = {
    field(&tkdec::encodeEnumeration<taskIdInfo>, "CKI_TaskId", "m_srcTask", 4, 4),
    field(&tkdec::encodeEnumeration<taskIdInfo>, "CKI_TaskId", "m_dstTask", 8, 4),
    field(&tkdec::encodeInteger<1>, "unsigned char", "m_postedCounter", 12, 1),
    field(&tkdec::encodeInteger<1>, "unsigned char", "m_deleteMe", 13, 1),
    field(&tkdec::encodeInteger<1>, "unsigned char", "m_processing", 14, 1),
    field(&tkdec::encodeInteger<1>, "unsigned char", "m_flags", 15, 1),
    {},
};
inline constexpr TypeDescriptor ckiMessage{"CKI_Message", 16, kCkiMessageFields};
inline const TypeDescriptor *ckiMessageType() { return &ckiMessage; }

inline constexpr FieldDescriptor kBaseFields[] = {
    field(&tkdec::encodeStructure<ckiMessage>, "CKI_Message", "^", 0, 16, &ckiMessageType),
    field(&tkdec::encodeEnumeration<levelInfo>, "Level", "m_value", 16, 4),
    {},
};
inline constexpr TypeDescriptor testBase{"TestBase", 20, kBaseFields};
inline const TypeDescriptor *testBaseType() { return &testBase; }

// Two bytes of Event bit numbers.
inline constexpr FieldDescriptor kEventMapFields[] = {field(&tkdec::encodeBitOffset<eventInfo>, "Event", "=", 0, 2), {}};
inline constexpr TypeDescriptor eventMap{"EventMap", 2, kEventMapFields};
inline const TypeDescriptor *eventMapType() { return &eventMap; }

inline constexpr FieldDescriptor kTestFields[] = {
    field(&tkdec::encodeStructure<testBase>, "TestBase", "^", 0, 20, &testBaseType),
    field(&tkdec::encodeEnumeration<statusInfo>, "Status", "m_value", 20, 1),
    field(&tkdec::encodeEnumeration<longNameInfo>, "LongName", "m_long2", 21, 1),
    field(&tkdec::encodeAlias<eventMap>, "EventMap", "m_events", 24, 2, &eventMapType),
    {},
};
inline constexpr TypeDescriptor testMessage{"TestMessage", 28, kTestFields};

inline void printNothing(const uint8_t *, const uint8_t *, char **, char *, tkdec::OutputFormat, tkdec::PrintMode,
                         uint32_t, tkdec::CountFunction, tkdec::NameFilter) {}

inline constexpr tkdec::MessageTypeEntry kMessageTable[] = {
    {&printNothing, "CKI_TEST_MSG_ID", &testMessage, 0x2CC40042},
    {nullptr, nullptr, nullptr, 0},
};
inline constexpr tkdec::PayloadTables kTables{kMessageTable, kMessageIds, kTaskIds};

}  // namespace enctest
