// The calls of the host test, one table per function signature. A row runs
// when the library exports its function; what it returns and writes goes
// to the report, which the test compares between platforms.
#include "host_calls.h"

#include <cstring>
#include <type_traits>

#include "tkdec.h"

namespace host {

bool Api::has(std::initializer_list<const char *> names) const {
    for (const char *name : names)
        if (find(name) == nullptr) return false;
    return true;
}

RawFunction Api::find(const char *name) const {
    for (const Entry &entry : entries_)
        if (entry.name == name) return entry.function;
    return nullptr;
}

namespace {

// The name of a function of tkdec.h, checked at compile time to have the
// signature of the table that it stands in.
template <class Signature, class Declared>
constexpr const char *checkedName(const char *name) {
    static_assert(std::is_same_v<Signature, Declared>, "the function has another signature");
    return name;
}
#define FUNCTION_NAME(Signature, function) checkedName<Signature, decltype(&function)>(#function)

struct Bytes {
    const uint8_t *data;
    uint32_t size;
};

template <size_t N>
constexpr Bytes bytes(const uint8_t (&array)[N]) {
    return {array, N};
}

// A copy of the bytes in a buffer of exactly their size (never null).
struct Input {
    explicit Input(Bytes source) : bytes(source.data, source.data + source.size) { bytes.push_back(0); }
    const uint8_t *begin() const { return bytes.data(); }
    const uint8_t *end() const { return bytes.data() + bytes.size() - 1; }
    std::vector<uint8_t> bytes;
};

std::string bufferArgument(const Buffer &buffer) { return buffer.null() ? "null" : "out"; }

// Payloads. Task ids: 0x11000000 CKI_TIMER_MCE_TASK_ID, 0x12000000
// CKI_TIMER_PTP_TASK_ID, 0x13C40000 an APPS task.
constexpr uint8_t kFourWords[] = {1, 0, 0, 0, 0xfe, 0xff, 0xff, 0xff, 0x78, 0x56, 0x34, 0x12, 0xef, 0xbe, 0xad, 0xde};
constexpr uint8_t kTwoTasks[] = {0, 0, 0, 0x11, 0, 0, 0, 0x12};
constexpr uint8_t kOneTask[] = {0, 0, 0, 0x11};
// CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID (0x2CC40007) from the PTP timer task
// to an APPS task, m_status 1: the whole structure, and the record payload
// (the structure from its offset 4).
constexpr uint8_t kStatusMessage[] = {7, 0, 0xc4, 0x2c, 0, 0, 0, 0x12, 0, 0, 0xc4, 0x13, 0, 1, 0, 0, 1, 0, 0, 0};
constexpr uint8_t kStatusRecord[] = {0, 0, 0, 0x12, 0, 0, 0xc4, 0x13, 0, 1, 0, 0, 1, 0, 0, 0};
// The same message sent by the APPS task: fails the PTP source check.
constexpr uint8_t kAppsStatusMessage[] = {7, 0, 0xc4, 0x2c, 0, 0, 0xc4, 0x13, 0, 0, 0, 0x12, 0, 1, 0, 0, 1, 0, 0, 0};
constexpr uint8_t kUint64[] = {0xef, 0xcd, 0xab, 0x89, 0x67, 0x45, 0x23, 0x01};
constexpr uint8_t kAllOnes64[] = {0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff};
constexpr uint8_t kThreeBytes[] = {1, 2, 3};
constexpr uint8_t kChar200[] = {200};
constexpr uint8_t kMinusFive[] = {0xfb, 0xff, 0xff, 0xff};
constexpr uint8_t kAlarmError[] = {2, 0, 0, 0};

// --- no arguments -----------------------------------------------------------
using NoArguments = decltype(&tkdec_init);

const char *const kNoArgumentCalls[] = {
    FUNCTION_NAME(NoArguments, tkdec_init),
    FUNCTION_NAME(NoArguments, tkdec_getApiVersion),
    FUNCTION_NAME(NoArguments, tkdec_getNrSupportedChannels),
    FUNCTION_NAME(NoArguments, tkdec_exit),
};

void runNoArguments(const Api &api, Report &report) {
    for (const char *function : kNoArgumentCalls)
        if (api.has({function})) report.call(function, "", api.get<NoArguments>(function)());
}

// --- (size, buffer): build identity and target information -----------------
using SizedQuery = decltype(&tkdec_getUniqueId);

struct SizedCall {
    const char *function;
    uint32_t size;
    bool nullBuffer;
};

const SizedCall kSizedCalls[] = {
    {FUNCTION_NAME(SizedQuery, tkdec_getUniqueId), 33, false},
    {FUNCTION_NAME(SizedQuery, tkdec_getUniqueId), 32, false},
    {FUNCTION_NAME(SizedQuery, tkdec_getUniqueId), 31, false},
    {FUNCTION_NAME(SizedQuery, tkdec_getUniqueId), 0, false},
    {FUNCTION_NAME(SizedQuery, tkdec_getUniqueId), 33, true},
    {FUNCTION_NAME(SizedQuery, tkdec_getTargetInformation), 4096, false},
    {FUNCTION_NAME(SizedQuery, tkdec_getTargetInformation), 10, false},
    {FUNCTION_NAME(SizedQuery, tkdec_getTargetInformation), 0, false},
    {FUNCTION_NAME(SizedQuery, tkdec_getTargetInformation), 64, true},
};

void runSized(const Api &api, Report &report) {
    for (const SizedCall &c : kSizedCalls) {
        if (!api.has({c.function})) continue;
        Buffer out(c.size, c.nullBuffer);
        const int32_t result = api.get<SizedQuery>(c.function)(c.size, out.data());
        report.call(c.function, arguments({number(c.size), bufferArgument(out)}), result);
        report.text("out", out);
    }
}

// --- (index, pointer to u16): channel ids and masters -----------------------
using NumberQuery = decltype(&tkdec_getSupportedChannels);

struct NumberCall {
    const char *function;
    int32_t index;
    bool nullPointer;
};

const NumberCall kNumberCalls[] = {
    {FUNCTION_NAME(NumberQuery, tkdec_getSupportedChannels), 0, false},
    {FUNCTION_NAME(NumberQuery, tkdec_getSupportedChannels), 165, false},
    {FUNCTION_NAME(NumberQuery, tkdec_getSupportedChannels), 166, false},
    {FUNCTION_NAME(NumberQuery, tkdec_getSupportedChannels), -1, false},
    {FUNCTION_NAME(NumberQuery, tkdec_getSupportedChannels), 0, true},
    {FUNCTION_NAME(NumberQuery, tkdec_getChannelMaster), 3, false},
    {FUNCTION_NAME(NumberQuery, tkdec_getChannelMaster), 166, false},
    {FUNCTION_NAME(NumberQuery, tkdec_getChannelMaster), 0, true},
};

void runNumbers(const Api &api, Report &report) {
    for (const NumberCall &c : kNumberCalls) {
        if (!api.has({c.function})) continue;
        uint16_t value = 0xa5a5;
        const int32_t result = api.get<NumberQuery>(c.function)(c.index, c.nullPointer ? nullptr : &value);
        report.call(c.function, arguments({number(c.index), c.nullPointer ? "null" : "&value"}), result);
        report.stored("value", value);
    }
}

// --- (index, size, buffer): channel texts -----------------------------------
using TextQuery = decltype(&tkdec_getLabel);

struct TextCall {
    const char *function;
    int32_t index;
    uint32_t size;
    bool nullBuffer;
};

const TextCall kTextCalls[] = {
    {FUNCTION_NAME(TextQuery, tkdec_getLabel), 3, 26, false},
    {FUNCTION_NAME(TextQuery, tkdec_getLabel), 3, 25, false},
    {FUNCTION_NAME(TextQuery, tkdec_getLabel), 165, 64, false},
    {FUNCTION_NAME(TextQuery, tkdec_getType), 0, 64, false},
    {FUNCTION_NAME(TextQuery, tkdec_getType), 165, 64, false},
    {FUNCTION_NAME(TextQuery, tkdec_getSource), 164, 64, false},
    {FUNCTION_NAME(TextQuery, tkdec_getSource), 0, 3, false},
    {FUNCTION_NAME(TextQuery, tkdec_getSource), 0, 0, false},
    {FUNCTION_NAME(TextQuery, tkdec_getSource), -1, 64, false},
    {FUNCTION_NAME(TextQuery, tkdec_getSource), 166, 64, false},
    {FUNCTION_NAME(TextQuery, tkdec_getSource), 0, 64, true},
};

void runTexts(const Api &api, Report &report) {
    for (const TextCall &c : kTextCalls) {
        if (!api.has({c.function})) continue;
        Buffer out(c.size, c.nullBuffer);
        const int32_t result = api.get<TextQuery>(c.function)(c.index, c.size, out.data());
        report.call(c.function, arguments({number(c.index), number(c.size), bufferArgument(out)}), result);
        report.text("out", out);
    }
}

// The whole channel table, one line per row.
void runChannelTable(const Api &api, Report &report) {
    if (!api.has({"tkdec_getNrSupportedChannels", "tkdec_getSupportedChannels", "tkdec_getChannelMaster",
                  "tkdec_getSource", "tkdec_getType", "tkdec_getLabel"}))
        return;
    const int32_t count = HOST_FUNCTION(api, tkdec_getNrSupportedChannels)();
    report.line(std::string("channel table: ") + number(count) + " rows");
    for (int32_t i = 0; i < count; ++i) {
        uint16_t id = 0, master = 0;
        char source[256], type[256], label[256];
        const int32_t results[] = {
            HOST_FUNCTION(api, tkdec_getSupportedChannels)(i, &id),
            HOST_FUNCTION(api, tkdec_getChannelMaster)(i, &master),
            HOST_FUNCTION(api, tkdec_getSource)(i, sizeof source, source),
            HOST_FUNCTION(api, tkdec_getType)(i, sizeof type, type),
            HOST_FUNCTION(api, tkdec_getLabel)(i, sizeof label, label),
        };
        std::string line = "  ";
        line += number(i);
        line += ":";
        for (int32_t result : results) {
            line += ' ';
            line += number(result);
        }
        line += ' ';
        line += arguments({number(id), number(master), quoted(source), quoted(type), quoted(label)});
        report.line(line);
    }
}

// --- records: the four decoding wrappers and tkdec_getText ------------------
using Wrapper = decltype(&tkdec_getShortText);

const char *const kWrappers[] = {
    FUNCTION_NAME(Wrapper, tkdec_getShortText),
    FUNCTION_NAME(Wrapper, tkdec_getXml),
    FUNCTION_NAME(Wrapper, tkdec_getLongJson),
    FUNCTION_NAME(Wrapper, tkdec_getJson),
};

struct RecordCall {
    uint16_t channel;
    uint32_t id;
    Bytes payload;
    uint32_t outputSize;
};

const RecordCall kRecordCalls[] = {
    {48, 0, bytes(kFourWords), 4096},               // a tokenised print
    {8209, 52, {}, 4096},                           // an alarm without its arguments
    {48, 0, bytes(kFourWords), 16},                 // cut at the end of the output
    {48, 0, bytes(kFourWords), 0},                  // no output space
    {48, 0x1234, {}, 4096},                         // unknown token
    {0x1234, 0, {}, 4096},                          // unknown channel
    {8209, 52, bytes(kFourWords), 4096},            // an alarm log point
    {8241, 0x30000300, bytes(kFourWords), 4096},    // an alarm raised by alarm id
    {8433, 0x2CC40007, bytes(kStatusRecord), 4096}, // a message
    {8433, 0x2CC40007, bytes(kOneTask), 4096},      // a message cut short
    {8465, 0x2CC40007, bytes(kTwoTasks), 4096},     // a message trace
    {8465, 0x2CC40007, bytes(kOneTask), 4096},      // a trace with one task
};

std::string recordArguments(const RecordCall &c) {
    return arguments({number(c.channel), hexNumber(c.id), number(c.payload.size), "payload", number(c.outputSize)});
}

void runWrappers(const Api &api, Report &report) {
    for (const RecordCall &c : kRecordCalls) {
        for (const char *function : kWrappers) {
            if (!api.has({function})) continue;
            const Input payload(c.payload);
            Buffer out(c.outputSize);
            const int32_t result = api.get<Wrapper>(function)(c.channel, c.id, c.payload.size, payload.begin(),
                                                              c.outputSize, out.data());
            report.call(function, recordArguments(c) + ", out", result);
            report.text("out", out);
        }
    }
}

struct TextRecordCall {
    RecordCall record;
    int32_t format;
};

const TextRecordCall kTextRecordCalls[] = {
    {{48, 0, bytes(kFourWords), 4096}, UF_AsJson},
    {{48, 0, bytes(kFourWords), 8}, UF_AsXml},
    {{8465, 0x2CC40007, bytes(kTwoTasks), 4096}, UF_AsText},
    {{0x1234, 0, {}, 4096}, UF_AsLongJson},
};

void runGetText(const Api &api, Report &report) {
    if (!api.has({"tkdec_getText"})) return;
    for (const TextRecordCall &c : kTextRecordCalls) {
        const RecordCall &r = c.record;
        const Input payload(r.payload);
        Buffer out(r.outputSize);
        char *position = out.data();
        const int32_t result = HOST_FUNCTION(api, tkdec_getText)(payload.begin(), payload.end(), &position,
                                                                 out.data() + r.outputSize, c.format, r.id, r.channel);
        report.call("tkdec_getText",
                    arguments({"payload", std::string("payload + ") + number(r.payload.size), "&position",
                               std::string("out + ") + number(r.outputSize), number(c.format), hexNumber(r.id), number(r.channel)}),
                    result);
        report.stored("position - out", static_cast<uint64_t>(position - out.data()));
        report.text("out", out);
    }
}

// --- tkdec_getSourceReference -----------------------------------------------
struct SourceReferenceCall {
    uint16_t channel;
    uint32_t token;
    uint32_t size;
    bool nullLine;
    bool nullBuffer;
};

const SourceReferenceCall kSourceReferenceCalls[] = {
    {48, 0, 256, false, false},           {8209, 52, 256, false, false}, {48, 52, 256, false, false},
    {8241, 0x30000300, 256, false, false}, {8433, 0, 256, false, false},  {48, 2, 256, false, false},
    {48, 0, 8, false, false},              {48, 0, 256, true, false},     {48, 0, 256, false, true},
};

void runSourceReferences(const Api &api, Report &report) {
    if (!api.has({"tkdec_getSourceReference"})) return;
    for (const SourceReferenceCall &c : kSourceReferenceCalls) {
        uint32_t line = 0xa5a5a5a5;
        Buffer out(c.size, c.nullBuffer);
        const int32_t result = HOST_FUNCTION(api, tkdec_getSourceReference)(
            c.channel, c.token, c.nullLine ? nullptr : &line, c.size, out.data());
        report.call("tkdec_getSourceReference",
                    arguments({number(c.channel), hexNumber(c.token), c.nullLine ? "null" : "&line", number(c.size),
                               bufferArgument(out)}),
                    result);
        report.stored("line", line);
        report.text("out", out);
    }
}

// --- tkdec_decodeType, in every output format --------------------------------
struct DecodeTypeCall {
    const char *name;
    Bytes data;
    uint32_t outputSize;
};

const DecodeTypeCall kDecodeTypeCalls[] = {
    {"uint64_t", bytes(kUint64), 512},
    {"uint64_t", bytes(kAllOnes64), 512},
    {"uint64_t", bytes(kThreeBytes), 512},
    {"NimbaChar", bytes(kChar200), 512},
    {"int32_t", bytes(kMinusFive), 512},
    {"CkiAlarmLevel", bytes(kAlarmError), 512},
    {"CKI_TaskId", bytes(kOneTask), 512},
    {"CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", bytes(kStatusMessage), 4096},
    {"0x2cc40007", bytes(kStatusMessage), 4096},
    {"751042567", bytes(kStatusMessage), 4096},
    {"CkiTestAppQueryStatusCnfMessage", bytes(kAppsStatusMessage), 4096},
    {"CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", bytes(kAppsStatusMessage), 4096},
    {"CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", bytes(kStatusMessage), 24},
    {"NoSuchType", bytes(kUint64), 512},
    {nullptr, bytes(kUint64), 512},
    {"uint64_t", bytes(kUint64), 0},
};

void runDecodeType(const Api &api, Report &report) {
    if (!api.has({"tkdec_decodeType"})) return;
    for (const DecodeTypeCall &c : kDecodeTypeCalls) {
        for (int32_t format = UF_AsText; format <= UF_AsJson; ++format) {
            const Input data(c.data);
            Buffer out(c.outputSize);
            const uint32_t result =
                HOST_FUNCTION(api, tkdec_decodeType)(c.name, c.data.size, data.begin(), c.outputSize, out.data(), format);
            report.call("tkdec_decodeType",
                        arguments({quoted(c.name), number(c.data.size), "data", number(c.outputSize), "out",
                                   number(format)}),
                        result);
            report.text("out", out);
        }
    }
}

// --- tkdec_createMessagePayload ---------------------------------------------
struct PayloadCall {
    uint32_t size;
    const char *name;
    const char *destination;
    const char *body;
};

const PayloadCall kPayloadCalls[] = {
    {64, "CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", "CKI_TIMER_PTP_TASK_ID", "{.m_status=1}"},
    {64, "0x2CC40007", "CKI_TIMER_PTP_TASK_ID", "{.m_status=1}"},
    {64, "CkiTestAppQueryStatusCnfMessage", "CKI_TIMER_PTP_TASK_ID", "{.m_status=1, .m_deleteMe=0}"},
    {64,
     "{\"CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID\": {\"m_dstTask\": \"CKI_TIMER_PTP_TASK_ID\", \"m_status\": 1}}",
     nullptr, nullptr},
    {64, "{\"CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID\": {\"m_status\": 1}}", "", nullptr},
    {64, "CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", "CKI_TIMER_MCE_TASK_ID", "{.m_status=1}"},
    {64, "CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", "CKI_TIMER_PTP_TASK_ID", "{.m_status=}"},
    {6, "CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", "CKI_TIMER_PTP_TASK_ID", "{.m_status=1}"},
    {64, "", "CKI_TIMER_PTP_TASK_ID", "{.m_status=1}"},
    {64, "CkiAlarmLevel", "{.value=CKI_ALARM_ERROR}", "x"},
    {64, "CkiAlarmLevel", "CKI_ALARM_ERROR", "x"},
};

void runCreateMessagePayload(const Api &api, Report &report) {
    if (!api.has({"tkdec_createMessagePayload"})) return;
    for (const PayloadCall &c : kPayloadCalls) {
        Buffer out(c.size);
        const int32_t result =
            HOST_FUNCTION(api, tkdec_createMessagePayload)(out.bytes(), c.size, c.name, c.destination, c.body);
        report.call("tkdec_createMessagePayload",
                    arguments({"out", number(c.size), quoted(c.name), quoted(c.destination), quoted(c.body)}), result);
        report.hex("out", out);
    }
}

}  // namespace

void runCalls(const Api &api, Report &report) {
    runNoArguments(api, report);
    runSized(api, report);
    runNumbers(api, report);
    runTexts(api, report);
    runChannelTable(api, report);
    runWrappers(api, report);
    runGetText(api, report);
    runSourceReferences(api, report);
    runDecodeType(api, report);
    runCreateMessagePayload(api, report);
}

}  // namespace host
