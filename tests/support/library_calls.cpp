#include "support/library_calls.h"

namespace calls {
namespace {

// An output buffer of size bytes and the guard behind it, filled
// beforehand; a null one hands the call a null pointer.
class Buffer {
public:
    explicit Buffer(uint32_t size, bool null = false) : bytes_(size + kGuard, kFill), null_(null) {}
    char *data() { return null_ ? nullptr : bytes_.data(); }
    // The bytes up to the last one that differs from the fill, then the guard.
    std::string all() const {
        if (null_) return {};
        size_t touched = bytes_.size() - kGuard;
        while (touched > 0 && bytes_[touched - 1] == kFill) --touched;
        return bytes_.substr(0, touched) + "|" + bytes_.substr(bytes_.size() - kGuard);
    }

private:
    std::string bytes_;
    bool null_;
};

// A copy of the bytes in a block of their size and one byte more (never null).
struct Input {
    explicit Input(const Bytes &bytes) : size(static_cast<uint32_t>(bytes.size())) {
        copy.reserve(bytes.size() + 1);
        copy.assign(bytes.begin(), bytes.end());
    }
    const uint8_t *begin() const { return copy.data(); }
    const uint8_t *end() const { return copy.data() + size; }
    Bytes copy;
    uint32_t size;
};

std::string text(const char *value) { return value == nullptr ? "null" : '"' + std::string(value) + '"'; }
std::string call(const char *function, std::initializer_list<std::string> arguments) {
    std::string line = std::string(function) + "(";
    for (const std::string &argument : arguments) line += (line.back() == '(' ? "" : ", ") + argument;
    return line + ")";
}
std::string n(int64_t value) { return std::to_string(value); }

// Runs one library call between the sink's brackets. A call that moves the
// stack pointer (not cdecl) is inlined here, where the dynamic allocation
// makes the return restore the pointer: the program goes on to report it.
template <class Call>
[[gnu::noinline, gnu::flatten]] auto bracketed(Sink &sink, Call library) {
    volatile size_t none = 0;
    void *dynamic = __builtin_alloca(none);
    asm volatile("" : : "r"(dynamic));
    sink.before();
    const auto result = library();
    sink.after();
    return result;
}

// Task ids: 0x11000000 CKI_TIMER_MCE_TASK_ID, 0x12000000 CKI_TIMER_PTP_TASK_ID,
// 0x13C40000 an APPS task.
const Bytes kFourWords = {1, 0, 0, 0, 0xfe, 0xff, 0xff, 0xff, 0x78, 0x56, 0x34, 0x12, 0xef, 0xbe, 0xad, 0xde};
const Bytes kTwoTasks = {0, 0, 0, 0x11, 0, 0, 0, 0x12};
const Bytes kOneTask = {0, 0, 0, 0x11};
// CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID (0x2CC40007) from the PTP timer task to
// an APPS task, m_status 1: the whole structure, and the record payload (the
// structure from its offset 4); and the same message from the APPS task.
const Bytes kStatusMessage = {7, 0, 0xc4, 0x2c, 0, 0, 0, 0x12, 0, 0, 0xc4, 0x13, 0, 1, 0, 0, 1, 0, 0, 0};
const Bytes kStatusRecord(kStatusMessage.begin() + 4, kStatusMessage.end());
const Bytes kAppsStatusMessage = {7, 0, 0xc4, 0x2c, 0, 0, 0xc4, 0x13, 0, 0, 0, 0x12, 0, 1, 0, 0, 1, 0, 0, 0};

// One call given an output buffer of size bytes, or a null pointer.
template <class Call>
void withBuffer(Sink &sink, const std::string &text, uint32_t size, bool null, Call library) {
    Buffer out(size, null);
    const int64_t result = bracketed(sink, [&] { return library(out.data()); });
    sink.call(text + (null ? " null" : ""), result, out.all());
}

void identityAndChannelCalls(const Api &api, Sink &sink) {
    for (const auto &named : {std::pair{api.tkdec_getUniqueId, "tkdec_getUniqueId"},
                              {api.tkdec_getTargetInformation, "tkdec_getTargetInformation"}}) {
        const auto function = named.first;
        if (function == nullptr) continue;
        for (uint32_t size : {10u, 32u, 33u, 4096u})
            for (bool null : {false, true})
                withBuffer(sink, call(named.second, {n(size)}), size, null, [&](char *out) { return function(size, out); });
    }
    for (const auto &named : {std::pair{api.tkdec_getSource, "tkdec_getSource"}, {api.tkdec_getType, "tkdec_getType"},
                              {api.tkdec_getLabel, "tkdec_getLabel"}}) {
        const auto function = named.first;
        if (function == nullptr) continue;
        for (const auto &at : {std::pair{3, 25u}, {3, 26u}, {-1, 64u}, {166, 64u}})
            withBuffer(sink, call(named.second, {n(at.first), n(at.second)}), at.second, false,
                       [&](char *out) { return function(at.first, at.second, out); });
    }
    for (const auto &named : {std::pair{api.tkdec_getSupportedChannels, "tkdec_getSupportedChannels"},
                              {api.tkdec_getChannelMaster, "tkdec_getChannelMaster"}}) {
        const auto function = named.first;
        if (function == nullptr) continue;
        for (int32_t index : {165, 166, -1}) {
            uint16_t value = 0xa5a5;
            const int32_t result = bracketed(sink, [&] { return function(index, &value); });
            sink.call(call(named.second, {n(index)}) + " value " + n(value), result, {});
        }
    }
}

}  // namespace

void decodeRecord(const Api &api, Sink &sink, uint16_t channel, uint32_t id, const Bytes &payload, uint32_t outSize) {
    const struct {
        decltype(&tkdec_getXml) function;
        const char *name;
    } wrappers[] = {{api.tkdec_getShortText, "tkdec_getShortText"}, {api.tkdec_getXml, "tkdec_getXml"},
                    {api.tkdec_getLongJson, "tkdec_getLongJson"}, {api.tkdec_getJson, "tkdec_getJson"}};
    const Input input(payload);
    for (const auto &wrapper : wrappers) {
        if (wrapper.function == nullptr) continue;
        Buffer out(outSize);
        const int32_t result = bracketed(
            sink, [&] { return wrapper.function(channel, id, input.size, input.begin(), outSize, out.data()); });
        sink.call(call(wrapper.name, {n(channel), n(id), n(input.size), "payload", n(outSize), "out"}), result,
                  out.all());
    }
}

void getText(const Api &api, Sink &sink, uint16_t channel, uint32_t id, const Bytes &payload, uint32_t outSize,
             int32_t format) {
    if (api.tkdec_getText == nullptr) return;
    const Input input(payload);
    Buffer out(outSize);
    char *position = out.data();
    const int32_t result = bracketed(sink, [&] {
        return api.tkdec_getText(input.begin(), input.end(), &position, out.data() + outSize, format, id, channel);
    });
    sink.call(call("tkdec_getText", {"payload", "payload + " + n(input.size), "&position", "out + " + n(outSize),
                                     n(format), n(id), n(channel)}) +
                  " position - out " + n(position - out.data()),
              result, out.all());
}

void sourceReference(const Api &api, Sink &sink, uint16_t channel, uint32_t token, uint32_t size, bool nullLine,
                     bool nullBuffer) {
    if (api.tkdec_getSourceReference == nullptr) return;
    uint32_t line = 0xa5a5a5a5;
    Buffer out(size, nullBuffer);
    const int32_t result = bracketed(
        sink, [&] { return api.tkdec_getSourceReference(channel, token, nullLine ? nullptr : &line, size, out.data()); });
    sink.call(call("tkdec_getSourceReference", {n(channel), n(token), nullLine ? "null" : "&line", n(size),
                                                nullBuffer ? "null" : "out"}) +
                  " line " + n(line),
              result, out.all());
}

void decodeType(const Api &api, Sink &sink, const char *name, const Bytes &data, uint32_t outSize) {
    if (api.tkdec_decodeType == nullptr) return;
    const Input input(data);
    for (int32_t format = UF_AsText; format <= UF_AsJson; ++format) {
        Buffer out(outSize);
        const uint32_t result = bracketed(
            sink, [&] { return api.tkdec_decodeType(name, input.size, input.begin(), outSize, out.data(), format); });
        sink.call(call("tkdec_decodeType", {text(name), n(input.size), "data", n(outSize), "out", n(format)}), result,
                  out.all());
    }
}

void createPayload(const Api &api, Sink &sink, uint32_t size, const char *name, const char *destination,
                   const char *body) {
    if (api.tkdec_createMessagePayload == nullptr) return;
    Buffer out(size);
    const int32_t result = bracketed(sink, [&] {
        return api.tkdec_createMessagePayload(reinterpret_cast<uint8_t *>(out.data()), size, name, destination, body);
    });
    sink.call(call("tkdec_createMessagePayload", {"out", n(size), text(name), text(destination), text(body)}), result,
              out.all());
}

void runCalls(const Api &api, Sink &sink) {
    for (auto [function, name] : {std::pair{api.tkdec_init, "tkdec_init"}, {api.tkdec_getApiVersion, "tkdec_getApiVersion"},
                                  {api.tkdec_getNrSupportedChannels, "tkdec_getNrSupportedChannels"},
                                  {api.tkdec_exit, "tkdec_exit"}})
        if (function != nullptr) sink.call(call(name, {}), bracketed(sink, function), {});
    identityAndChannelCalls(api, sink);

    decodeRecord(api, sink, 48, 0, kFourWords, 4096);                   // a tokenised print
    decodeRecord(api, sink, 48, 0, kFourWords, 16);                     // cut at the end of the output
    decodeRecord(api, sink, 48, 0x1234, {}, 4096);                      // unknown token
    decodeRecord(api, sink, 0x1234, 0, {}, 4096);                       // unknown channel
    decodeRecord(api, sink, 8209, 52, {}, 4096);                        // an alarm without its arguments
    decodeRecord(api, sink, 8241, 0x30000300, kFourWords, 4096);        // an alarm raised by alarm id
    decodeRecord(api, sink, 8433, 0x2CC40007, kStatusRecord, 4096);     // a message
    decodeRecord(api, sink, 8433, 0x2CC40007, kOneTask, 4096);          // a message cut short
    decodeRecord(api, sink, 8465, 0x2CC40007, kTwoTasks, 4096);         // a message trace
    getText(api, sink, 48, 0, kFourWords, 4096, UF_AsJson);
    getText(api, sink, 48, 0, kFourWords, 8, UF_AsXml);

    sourceReference(api, sink, 8209, 52, 256);
    sourceReference(api, sink, 8433, 0, 256);
    sourceReference(api, sink, 48, 0, 256, true);
    sourceReference(api, sink, 48, 0, 256, false, true);

    decodeType(api, sink, "uint64_t", {0xef, 0xcd, 0xab, 0x89, 0x67, 0x45, 0x23, 0x01}, 512);
    decodeType(api, sink, "0x2cc40007", kStatusMessage, 4096);
    decodeType(api, sink, "CkiTestAppQueryStatusCnfMessage", kAppsStatusMessage, 4096);
    decodeType(api, sink, "CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", kStatusMessage, 24);
    decodeType(api, sink, "NoSuchType", {}, 512);
    decodeType(api, sink, nullptr, {}, 512);

    const char *const status = "CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID";
    createPayload(api, sink, 64, status, "CKI_TIMER_PTP_TASK_ID", "{.m_status=1}");
    createPayload(api, sink, 64,
                  "{\"CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID\": {\"m_dstTask\": \"CKI_TIMER_PTP_TASK_ID\", \"m_status\": 1}}",
                  nullptr, nullptr);
    createPayload(api, sink, 6, status, "CKI_TIMER_PTP_TASK_ID", "{.m_status=1}");
    createPayload(api, sink, 64, "CkiAlarmLevel", "CKI_ALARM_ERROR", "x");
}

}  // namespace calls
