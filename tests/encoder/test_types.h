// Hand-built descriptors and enumerator tables in the shapes of the
// generated ones, for the encoder's unit tests.
#pragma once

#include "encoder/encode_entries.h"
#include "encoder/message_payload.h"
#include "render/type_descriptor.h"

namespace enctest {

using tkdec::EnumerationInfo;
using tkdec::Enumerator;
using tkdec::FieldDescriptor;
using tkdec::MessageTypeEntry;
using tkdec::TypeDescriptor;

inline constexpr Enumerator kTaskIds[] = {
    {0x11000000, "CKI_TIMER_MCE_TASK_ID"},
    {0x12000000, "CKI_TIMER_PTP_TASK_ID"},
    {0x12010000, "CKI_DRIVER_PTP_TASK_ID"},
    {0x13C40000, "CKI_TEST_APP_APPS_TASK_ID"},
    {0, nullptr},
};
inline constexpr EnumerationInfo taskIdInfo{4, "CKI_TaskId", kTaskIds, 4};

inline constexpr Enumerator kMessageIds[] = {
    {0x2CC40006, "CKI_TESTAPP_QUERY_STATUS_REQ_MSG_ID"},
    {0x2CC40007, "CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID"},
    {0x2CC40042, "CKI_TEST_RECORD_MSG_ID"},
    {0x2CC40043, "CKI_TEST_BITS_MSG_ID"},
    {0, nullptr},
};

inline constexpr Enumerator kAlarmLevels[] = {
    {0, "CKI_NO_ALARM"}, {1, "CKI_ALARM_FATAL"}, {2, "CKI_ALARM_ERROR"},
    {4, "CKI_ALARM_WARNING"}, {8, "CKI_ALARM_INFO"}, {0, nullptr},
};
inline constexpr EnumerationInfo alarmLevelInfo{4, "CkiAlarmLevel", kAlarmLevels, 5};

inline constexpr Enumerator kStatuses[] = {
    {0, "CKI_TEST_APP_STATUS_IDLE"}, {1, "CKI_TEST_APP_STATUS_RUNNING"}, {0, nullptr},
};
inline constexpr EnumerationInfo statusInfo{1, "CkiTestAppStatus", kStatuses, 2};

// Bitmask masks and bit-offset bit numbers.
inline constexpr Enumerator kMasks[] = {
    {1, "BIT_A"}, {2, "BIT_B"}, {4, "BIT_C"}, {0x80, "BIT_H"}, {0, nullptr},
};
inline constexpr EnumerationInfo maskInfo{1, "TestMask", kMasks, 4};

inline constexpr Enumerator kEvents[] = {
    {0, "EV_0"}, {3, "EV_3"}, {9, "EV_9"}, {63, "EV_63"}, {64, "EV_64"}, {0, nullptr},
};
inline constexpr EnumerationInfo eventInfo{4, "TestEvent", kEvents, 5};

using tkdec::encodeBitmask;
using tkdec::encodeBitOffset;
using tkdec::encodeEnumeration;
using tkdec::encodeInteger;
using tkdec::encodeRefused;
using tkdec::encodeStructure;

const TypeDescriptor *ckiMessageType();
const TypeDescriptor *statusCnfType();
const TypeDescriptor *char16Type();
const TypeDescriptor *uint8x24Type();
const TypeDescriptor *uint16x3Type();
const TypeDescriptor *pairType();
const TypeDescriptor *pairx2Type();
const TypeDescriptor *eventMapType();
const TypeDescriptor *recordType();

// field(encode, type name, field name, offset, element size, count, getter, array flag)
constexpr FieldDescriptor field(tkdec::EncodeEntry encode, const char *typeName, const char *name, uint32_t offset,
                                uint32_t elementSize, uint32_t count = 1,
                                tkdec::DescriptorGetter getter = nullptr, bool isArray = false) {
    return {nullptr, encode, typeName, name, offset, elementSize, count, getter, nullptr, isArray};
}
inline constexpr FieldDescriptor kEnd{};

inline constexpr FieldDescriptor kCkiMessageFields[] = {
    field(&encodeEnumeration<taskIdInfo>, "CKI_TaskId", "m_srcTask", 4, 4),
    field(&encodeEnumeration<taskIdInfo>, "CKI_TaskId", "m_dstTask", 8, 4),
    field(&encodeInteger<1>, "unsigned char", "m_postedCounter", 12, 1),
    field(&encodeInteger<1>, "unsigned char", "m_deleteMe", 13, 1),
    field(&encodeInteger<1>, "unsigned char", "m_processing", 14, 1),
    field(&encodeInteger<1>, "unsigned char", "m_flags", 15, 1),
    kEnd,
};
inline constexpr TypeDescriptor ckiMessage{"CKI_Message", 16, kCkiMessageFields};

inline constexpr FieldDescriptor kStatusCnfFields[] = {
    field(&encodeStructure<ckiMessage>, "CKI_Message", "^", 0, 16, 1, &ckiMessageType),
    field(&encodeEnumeration<statusInfo>, "CkiTestAppStatus", "m_status", 16, 1),
    kEnd,
};
inline constexpr TypeDescriptor statusCnf{"CkiTestAppQueryStatusCnfMessage", 20, kStatusCnfFields};

inline constexpr FieldDescriptor kAlarmLevelFields[] = {
    field(&encodeEnumeration<alarmLevelInfo>, "CkiAlarmLevel", "=", 0, 4), kEnd};
inline constexpr TypeDescriptor alarmLevel{"CkiAlarmLevel", 4, kAlarmLevelFields};

inline constexpr FieldDescriptor kChar16Fields[] = {field(&encodeInteger<1>, "char", "^", 0, 1, 16, nullptr, true), kEnd};
inline constexpr TypeDescriptor char16{"char[16]", 16, kChar16Fields};

inline constexpr FieldDescriptor kUint8x24Fields[] = {
    field(&encodeInteger<1>, "uint8_t", "^", 0, 1, 24, nullptr, true), kEnd};
inline constexpr TypeDescriptor uint8x24{"uint8_t[24]", 24, kUint8x24Fields};

inline constexpr FieldDescriptor kUint16x3Fields[] = {
    field(&encodeInteger<2>, "uint16_t", "^", 0, 2, 3, nullptr, true), kEnd};
inline constexpr TypeDescriptor uint16x3{"uint16_t[3]", 6, kUint16x3Fields};

inline constexpr FieldDescriptor kPairFields[] = {
    field(&encodeInteger<1>, "uint8_t", "a", 0, 1),
    field(&encodeInteger<1>, "uint8_t", "b", 1, 1),
    kEnd,
};
inline constexpr TypeDescriptor pair{"Pair", 2, kPairFields};

inline constexpr FieldDescriptor kPairx2Fields[] = {
    field(&encodeStructure<pair>, "Pair", "^", 0, 2, 2, &pairType, true), kEnd};
inline constexpr TypeDescriptor pairx2{"Pair[2]", 4, kPairx2Fields};

// A 16-byte bitmap of TestEvent bit numbers, reached through an alias.
inline constexpr FieldDescriptor kEventMapFields[] = {
    field(&encodeBitOffset<eventInfo>, "TestEvent", "=", 0, 4), kEnd};
inline constexpr TypeDescriptor eventMap{"TestEvent[4]", 8, kEventMapFields};

// A message two "^" levels deep with a member of every kind.
inline constexpr FieldDescriptor kRecordFields[] = {
    field(&encodeStructure<statusCnf>, "CkiTestAppQueryStatusCnfMessage", "^", 0, 20, 1, &statusCnfType),
    field(&encodeInteger<4>, "uint32_t", "m_word", 20, 4),
    field(&encodeInteger<2>, "uint16_t", "m_half", 24, 2),
    field(&encodeBitmask<maskInfo>, "TestMask", "m_mask", 26, 1),
    field(&encodeInteger<1>, "char", "m_signed", 27, 1),
    field(&encodeEnumeration<alarmLevelInfo>, "CkiAlarmLevel", "m_level", 28, 4),
    field(&encodeStructure<char16>, "char[16]", "m_name", 32, 16, 1, &char16Type),
    field(&encodeStructure<uint8x24>, "uint8_t[24]", "m_bytes", 48, 24, 1, &uint8x24Type),
    field(&tkdec::encodeAlias<eventMap>, "TestEvent[4]", "m_events", 72, 8, 1, &eventMapType),
    field(&encodeStructure<pair>, "Pair", "m_pair", 80, 2, 1, &pairType),
    field(&encodeStructure<uint16x3>, "uint16_t[3]", "m_halves", 82, 6, 1, &uint16x3Type),
    field(&encodeStructure<pairx2>, "Pair[2]", "m_pairs", 88, 4, 1, &pairx2Type),
    field(&encodeRefused, "TokenisedPrintChannels", "m_opaque", 92, 4),
    field(&encodeInteger<8>, "uint64_t", "m_long", 96, 8),
    kEnd,
};
inline constexpr TypeDescriptor record{"TestRecord", 104, kRecordFields};

// A member name given in the base and again in the derived structure.
inline constexpr FieldDescriptor kShadowBaseFields[] = {
    field(&encodeEnumeration<alarmLevelInfo>, "CkiAlarmLevel", "m_value", 0, 4), kEnd};
inline constexpr TypeDescriptor shadowBase{"ShadowBase", 4, kShadowBaseFields};
inline const TypeDescriptor *shadowBaseType() { return &shadowBase; }
inline constexpr FieldDescriptor kShadowFields[] = {
    field(&encodeStructure<shadowBase>, "ShadowBase", "^", 0, 4, 1, &shadowBaseType),
    field(&encodeEnumeration<statusInfo>, "CkiTestAppStatus", "m_value", 4, 1),
    kEnd,
};
inline constexpr TypeDescriptor shadow{"Shadow", 5, kShadowFields};

inline const TypeDescriptor *ckiMessageType() { return &ckiMessage; }
inline const TypeDescriptor *statusCnfType() { return &statusCnf; }
inline const TypeDescriptor *char16Type() { return &char16; }
inline const TypeDescriptor *uint8x24Type() { return &uint8x24; }
inline const TypeDescriptor *uint16x3Type() { return &uint16x3; }
inline const TypeDescriptor *pairType() { return &pair; }
inline const TypeDescriptor *pairx2Type() { return &pairx2; }
inline const TypeDescriptor *eventMapType() { return &eventMap; }
inline const TypeDescriptor *recordType() { return &record; }

// A message whose last member is a bitmap of TestEvent bit numbers.
inline constexpr FieldDescriptor kBitsFields[] = {
    field(&encodeStructure<ckiMessage>, "CKI_Message", "^", 0, 16, 1, &ckiMessageType),
    field(&encodeBitOffset<eventInfo>, "TestEvent", "m_bits", 16, 4),
    kEnd,
};
inline constexpr TypeDescriptor bitsMessage{"TestBitsMessage", 20, kBitsFields};

// Entries end at a null print entry, so the listed ones need one.
inline void printNothing(const uint8_t *, const uint8_t *, char **, char *, tkdec::OutputFormat, tkdec::PrintMode,
                         uint32_t, tkdec::CountFunction, tkdec::NameFilter) {}

inline constexpr MessageTypeEntry kMessageTable[] = {
    {&printNothing, "CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", &statusCnf, 0x2CC40007},
    {&printNothing, "CKI_TEST_RECORD_MSG_ID", &record, 0x2CC40042},
    {&printNothing, "CKI_TEST_BITS_MSG_ID", &bitsMessage, 0x2CC40043},
    {&printNothing, "CKI_Message", &ckiMessage, 0},
    {&printNothing, "CkiTestAppQueryStatusCnfMessage", &statusCnf, 0},
    {&printNothing, "CkiAlarmLevel", &alarmLevel, 0},
    {&printNothing, "uint8_t[24]", &uint8x24, 0},
    {nullptr, nullptr, nullptr, 0},
};

inline constexpr tkdec::PayloadTables kTables{kMessageTable, kMessageIds, kTaskIds};

}  // namespace enctest
