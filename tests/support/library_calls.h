// The calls that the host program (through the functions it finds by name)
// and the reliability tests (through the linked ones) make of the library:
// one table per function signature, and the helpers that run one call of
// each kind with an output buffer of exactly its size plus a guard.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tkdec.h"

namespace calls {

#define TKDEC_FUNCTIONS(X)                                                                                      \
    X(tkdec_init) X(tkdec_exit) X(tkdec_getApiVersion) X(tkdec_getUniqueId) X(tkdec_getTargetInformation)       \
    X(tkdec_getNrSupportedChannels) X(tkdec_getSupportedChannels) X(tkdec_getChannelMaster) X(tkdec_getSource) \
    X(tkdec_getType) X(tkdec_getLabel) X(tkdec_decodeType) X(tkdec_getText) X(tkdec_getShortText)              \
    X(tkdec_getXml) X(tkdec_getLongJson) X(tkdec_getJson) X(tkdec_getSourceReference)                          \
    X(tkdec_createMessagePayload)

// The exported functions; a null one is not called.
struct Api {
#define TKDEC_API_MEMBER(name) decltype(&::name) name = nullptr;
    TKDEC_FUNCTIONS(TKDEC_API_MEMBER)
#undef TKDEC_API_MEMBER
};

// Receives every call: before() and after() bracket the library call alone;
// then the call's text, result and its output: the bytes that it wrote (up
// to the last one that differs from the fill), "|" and the guard (empty when
// the call had no output buffer).
class Sink {
public:
    virtual ~Sink() = default;
    virtual void before() {}
    virtual void after() {}
    virtual void call(const std::string &text, int64_t result, std::string_view output) = 0;
};

using Bytes = std::vector<uint8_t>;

// The bytes past an output buffer's size that no call may write.
inline constexpr uint32_t kGuard = 4;
inline constexpr char kFill = '\xa5';

// One record through the four wrappers, with an output buffer of outSize.
void decodeRecord(const Api &api, Sink &sink, uint16_t channel, uint32_t id, const Bytes &payload, uint32_t outSize);
// tkdec_getText in one format.
void getText(const Api &api, Sink &sink, uint16_t channel, uint32_t id, const Bytes &payload, uint32_t outSize,
             int32_t format);
void sourceReference(const Api &api, Sink &sink, uint16_t channel, uint32_t token, uint32_t size, bool nullLine = false,
                     bool nullBuffer = false);
// tkdec_decodeType in the four formats.
void decodeType(const Api &api, Sink &sink, const char *name, const Bytes &data, uint32_t outSize);
void createPayload(const Api &api, Sink &sink, uint32_t size, const char *name, const char *destination,
                   const char *body);

// Every table of calls.
void runCalls(const Api &api, Sink &sink);

}  // namespace calls
