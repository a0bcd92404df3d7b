// The records that the benchmarks decode, picked from the tables of the
// build they are linked with, so that the same benchmark runs on every
// build.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "records/token_table.h"
#include "render/type_descriptor.h"

namespace tkdec::bench {

using Bytes = std::vector<uint8_t>;

enum class SampleKind { Token, Message, Trace };

struct Sample {
    std::string name;
    SampleKind kind;
    uint16_t channel;
    uint32_t id;
    Bytes payload;
    const TokenRecord *record = nullptr;        // tokens
    const MessageTypeEntry *message = nullptr;  // messages and traces
};

// The representative mix: print tokens with 0, 1 and 4 arguments, the
// print token with the most enumeration texts, one with an extended
// string, a located alarm, an exception report, messages of about 20, 200
// and 1,000 bytes and a message trace. A kind the build lacks is left out.
std::vector<Sample> pickSamples();

// The library's whole text of a sample in a format.
std::string decodeSample(const Sample &sample, OutputFormat format);

// Every record of a token table with its id.
struct TableToken {
    uint32_t id;
    const TokenRecord *record;
};
std::vector<TableToken> tokensOf(const TokenTable &table);

// The first channel of a kind, or 0.
uint16_t firstChannel(ChannelKind kind);

// A message's bytes from offset 4 on, every value member holding a value
// that its printer knows (an enumerator where there is one), sent from and
// to a PTP task.
Bytes messagePayload(const TypeDescriptor &type);

}  // namespace tkdec::bench
