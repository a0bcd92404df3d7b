#include "exercise.h"

#include <random>
#include <string>
#include <vector>

#include "support/library_calls.h"
#include "type_tables.h"

namespace reliability {
namespace {

using calls::Bytes;

constexpr uint32_t kOutputSize = 4096;

// Deterministic payload bytes of the given length.
Bytes payloadOf(size_t length, uint32_t seed) {
    Bytes bytes(length);
    std::minstd_rand random(seed);
    for (uint8_t &b : bytes) b = static_cast<uint8_t>(random() >> 8);
    return bytes;
}

// An extended payload behind two argument words: a terminated string under
// key 0 and three data bytes under key 1.
const Bytes kExtended = {0, 0, 0, 0, 1, 0, 0, 0,                                 // arguments 0 and 1
                         0, 0, 0, 0, 6, 0, 0, 0, 'h', 'e', 'l', 'l', 'o', 0, 0, 0,  // key 0
                         1, 0, 0, 0, 3, 0, 0, 0, 1, 10, 255, 0};                 // key 1

struct HookSink : calls::Sink {
    explicit HookSink(const Hooks &hooks) : hooks(hooks) {}
    void before() override { hooks.before(); }
    void after() override { hooks.after(); }
    void call(const std::string &, int64_t, std::string_view output) override { hooks.output(calls++, output); }
    const Hooks &hooks;
    size_t calls = 0;
};

calls::Api linkedApi() {
    calls::Api api;
#define TKDEC_LINK(name) api.name = &::name;
    TKDEC_FUNCTIONS(TKDEC_LINK)
#undef TKDEC_LINK
    return api;
}

void exerciseTokens(const calls::Api &api, calls::Sink &sink) {
    const Bytes payloads[] = {payloadOf(0, 1), payloadOf(7, 2), payloadOf(48, 3), kExtended};
    const auto decodeAll = [&](uint16_t channel, uint32_t id) {
        for (const Bytes &payload : payloads) calls::decodeRecord(api, sink, channel, id, payload, kOutputSize);
        calls::sourceReference(api, sink, channel, id, 512);
    };
    for (uint32_t id = 0; id <= 10740; id += 4)
        for (uint16_t channel : {uint16_t{48}, uint16_t{8209}, uint16_t{0x1234}}) decodeAll(channel, id);
    const tkdec::EnumerationInfo &alarms = tkdec::build::enum_CKI_AlarmId;
    for (uint32_t i = 0; i < alarms.count; ++i) decodeAll(8241, alarms.table[i].value);
}

void exerciseMessages(const calls::Api &api, calls::Sink &sink) {
    const Bytes payloads[] = {payloadOf(0, 4), payloadOf(5, 5), payloadOf(12, 6), payloadOf(1100, 7)};
    std::vector<uint32_t> ids = {0x2C0000FF, 0, 0xFFFFFFFF};
    for (const tkdec::MessageTypeEntry *e = tkdec::build::messageTypeTable; e->print != nullptr; ++e)
        if (e->id != 0) ids.push_back(e->id);
    for (uint32_t id : ids) {
        for (const Bytes &payload : payloads) {
            calls::decodeRecord(api, sink, 8433, id, payload, kOutputSize);
            calls::decodeRecord(api, sink, 8465, id, payload, kOutputSize);
        }
    }
}

void exerciseTypes(const calls::Api &api, calls::Sink &sink) {
    const Bytes data[] = {payloadOf(0, 8), payloadOf(3, 9), payloadOf(1100, 10)};
    for (const tkdec::MessageTypeEntry *e = tkdec::build::messageTypeTable; e->print != nullptr; ++e) {
        for (const Bytes &bytes : data) calls::decodeType(api, sink, e->name, bytes, kOutputSize);
        if (e->id != 0) {
            Bytes fromPtp = payloadOf(e->type->size < 8 ? 8 : e->type->size, e->id);
            fromPtp[7] = 0x12;  // m_srcTask on the PTP CPU
            calls::decodeType(api, sink, e->name, fromPtp, kOutputSize);
        }
        calls::createPayload(api, sink, 2048, e->name, "CKI_TIMER_PTP_TASK_ID", "{.m_deleteMe=0}");
        calls::createPayload(api, sink, 2048, e->type->name, "0x12000000", "{}");
        const std::string json = std::string("{\"") + e->type->name + "\": {\"m_dstTask\": \"CKI_TIMER_PTP_TASK_ID\"}}";
        calls::createPayload(api, sink, 2048, json.c_str(), nullptr, nullptr);
    }
}

}  // namespace

size_t exerciseLibrary(const Hooks &hooks) {
    HookSink sink(hooks);
    const calls::Api api = linkedApi();
    calls::runCalls(api, sink);
    exerciseTokens(api, sink);
    exerciseMessages(api, sink);
    exerciseTypes(api, sink);
    return sink.calls;
}

}  // namespace reliability
