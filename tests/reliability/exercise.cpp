#include "exercise.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "api/channel_table.h"
#include "tkdec.h"
#include "type_tables.h"

namespace reliability {
namespace {

constexpr size_t kOutputSize = 64 * 1024;

// Deterministic payload bytes of the given length.
std::vector<uint8_t> payloadOf(size_t length, uint32_t seed) {
    std::vector<uint8_t> bytes(length);
    uint32_t state = seed * 2654435761u + 1;
    for (uint8_t &b : bytes) {
        state = state * 1103515245u + 12345u;
        b = static_cast<uint8_t>(state >> 16);
    }
    return bytes;
}

// An extended payload behind two argument words: a terminated string under
// key 0 and three data bytes under key 1.
std::vector<uint8_t> extendedPayload() {
    const uint8_t bytes[] = {0, 0, 0, 0, 1, 0, 0, 0,                      // arguments 0 and 1
                             0, 0, 0, 0, 6, 0, 0, 0, 'h', 'e', 'l', 'l', 'o', 0, 0, 0,  // key 0
                             1, 0, 0, 0, 3, 0, 0, 0, 1, 10, 255, 0};      // key 1
    return std::vector<uint8_t>(bytes, bytes + sizeof bytes);
}

class Runner {
public:
    explicit Runner(const Hooks &hooks) : hooks_(hooks), output_(kOutputSize) {}

    void decode(uint16_t channel, uint32_t id, const std::vector<uint8_t> &payload) {
        for (int32_t format = 0; format < 4; ++format) {
            char *pos = output_.data();
            hooks_.before();
            tkdec_getText(payload.data(), payload.data() + payload.size(), &pos, output_.data() + output_.size(),
                          format, id, channel);
            hooks_.after();
            emit(static_cast<size_t>(pos - output_.data()));
        }
    }

    void sourceReference(uint16_t channel, uint32_t id) {
        uint32_t line = 0;
        hooks_.before();
        tkdec_getSourceReference(channel, id, &line, 512, output_.data());
        hooks_.after();
        emit(std::strlen(output_.data()));
    }

    void decodeType(const char *name, const std::vector<uint8_t> &data) {
        for (int32_t format = 0; format < 4; ++format) {
            output_[0] = '\0';
            hooks_.before();
            tkdec_decodeType(name, static_cast<uint32_t>(data.size()), data.data(),
                             static_cast<uint32_t>(output_.size()), output_.data(), format);
            hooks_.after();
            emit(std::strlen(output_.data()));
        }
    }

    void createPayload(const char *name, const char *destination, const char *body) {
        uint8_t payload[2048];
        hooks_.before();
        const int32_t result = tkdec_createMessagePayload(payload, sizeof payload, name, destination, body);
        hooks_.after();
        std::string text = std::to_string(result) + ":";
        if (result > 0) text.append(reinterpret_cast<const char *>(payload), static_cast<size_t>(result));
        hooks_.output(calls_++, text);
    }

    void identity() {
        hooks_.before();
        const int32_t length = tkdec_getTargetInformation(static_cast<uint32_t>(output_.size()), output_.data());
        hooks_.after();
        emit(static_cast<size_t>(length));
        char uuid[40];
        hooks_.before();
        tkdec_getUniqueId(sizeof uuid, uuid);
        tkdec_init();
        tkdec_getApiVersion();
        tkdec_getNrSupportedChannels();
        tkdec_exit();
        hooks_.after();
        hooks_.output(calls_++, std::string_view(uuid, 32));
    }

    void channelRow(int32_t index) {
        uint16_t id = 0, master = 0;
        char texts[3][128] = {};
        hooks_.before();
        tkdec_getSupportedChannels(index, &id);
        tkdec_getChannelMaster(index, &master);
        tkdec_getSource(index, sizeof texts[0], texts[0]);
        tkdec_getType(index, sizeof texts[1], texts[1]);
        tkdec_getLabel(index, sizeof texts[2], texts[2]);
        hooks_.after();
        hooks_.output(calls_++, std::to_string(id) + texts[0] + texts[1] + texts[2] + std::to_string(master));
    }

    size_t calls() const { return calls_; }

private:
    void emit(size_t length) { hooks_.output(calls_++, std::string_view(output_.data(), length)); }

    const Hooks &hooks_;
    std::vector<char> output_;
    size_t calls_ = 0;
};

void exerciseTokens(Runner &run) {
    const std::vector<uint8_t> lengths[] = {payloadOf(0, 1), payloadOf(7, 2), payloadOf(48, 3), extendedPayload()};
    const uint16_t channels[] = {48, 8209, 0x1234};
    for (uint32_t id = 0; id <= 10740; id += 4) {
        for (uint16_t channel : channels) {
            for (const std::vector<uint8_t> &payload : lengths) run.decode(channel, id, payload);
            run.sourceReference(channel, id);
        }
    }
    const tkdec::EnumerationInfo &alarms = tkdec::build::enum_CKI_AlarmId;
    for (uint32_t i = 0; i < alarms.count; ++i) {
        for (const std::vector<uint8_t> &payload : lengths) run.decode(8241, alarms.table[i].value, payload);
        run.sourceReference(8241, alarms.table[i].value);
    }
}

void exerciseMessages(Runner &run) {
    const std::vector<uint8_t> payloads[] = {payloadOf(0, 4), payloadOf(5, 5), payloadOf(12, 6), payloadOf(1100, 7)};
    const uint32_t unregistered[] = {0x2C0000FF, 0, 0xFFFFFFFF};
    for (const tkdec::MessageTypeEntry *e = tkdec::build::messageTypeTable; e->print != nullptr; ++e) {
        if (e->id == 0) continue;
        for (const std::vector<uint8_t> &payload : payloads) {
            run.decode(8433, e->id, payload);
            run.decode(8465, e->id, payload);
        }
    }
    for (uint32_t id : unregistered) {
        for (const std::vector<uint8_t> &payload : payloads) {
            run.decode(8433, id, payload);
            run.decode(8465, id, payload);
        }
    }
}

void exerciseTypes(Runner &run) {
    const std::vector<uint8_t> data[] = {payloadOf(0, 8), payloadOf(3, 9), payloadOf(1100, 10)};
    for (const tkdec::MessageTypeEntry *e = tkdec::build::messageTypeTable; e->print != nullptr; ++e) {
        for (const std::vector<uint8_t> &bytes : data) run.decodeType(e->name, bytes);
        if (e->id != 0) {
            std::vector<uint8_t> fromPtp = payloadOf(e->type->size, e->id);
            fromPtp.resize(fromPtp.size() < 8 ? 8 : fromPtp.size());
            fromPtp[7] = 0x12;  // m_srcTask on the PTP CPU
            run.decodeType(e->name, fromPtp);
        }
    }
}

void exercisePayloads(Runner &run) {
    for (const tkdec::MessageTypeEntry *e = tkdec::build::messageTypeTable; e->print != nullptr; ++e) {
        run.createPayload(e->name, "CKI_TIMER_PTP_TASK_ID", "{.m_deleteMe=0}");
        run.createPayload(e->type->name, "0x12000000", "{}");
        std::string json = std::string("{\"") + e->type->name + "\": {\"m_dstTask\": \"CKI_TIMER_PTP_TASK_ID\"}}";
        run.createPayload(json.c_str(), nullptr, nullptr);
    }
    run.createPayload("CkiAlarmLevel", "{.value=CKI_ALARM_ERROR}", "");
    run.createPayload("CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", "CKI_TIMER_PTP_TASK_ID", "{.m_status=1 .bad#=2}");
}

}  // namespace

size_t exerciseLibrary(const Hooks &hooks) {
    Runner run(hooks);
    run.identity();
    for (int32_t index = -1; index <= 166; ++index) run.channelRow(index);
    exerciseTokens(run);
    exerciseMessages(run);
    exerciseTypes(run);
    exercisePayloads(run);
    return run.calls();
}

}  // namespace reliability
