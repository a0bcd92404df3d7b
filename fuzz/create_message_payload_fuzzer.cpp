// Fuzzes building a message payload.
//
// Input: buffer size u24 (up to 65,536), form u8, then name, destination
// and body, each up to a NUL. Forms: 0 three texts; 1 the JSON text alone
// (destination and body null); 2 empty destination; 3 null destination
// with a body; 4 a destination with a null body; 5 null buffer; 6 null
// name. Forms 1 to 4 all select the JSON form, so they must give the same
// result and bytes as form 1.
#include "fuzz_input.h"
#include "guarded_buffer.h"
#include "tkdec.h"

using fuzzing::GuardedBuffer;
using fuzzing::require;

namespace {

enum Form : uint32_t { kThreeTexts, kJsonAlone, kEmptyDestination, kNullDestination, kNullBody, kNullBuffer, kNullName };
constexpr uint32_t kFormCount = 7;
// A shorter buffer cannot hold the identifier and the length.
constexpr uint32_t kSmallestBuffer = 7;

struct Texts {
    const char *name;
    const char *destination;
    const char *body;
};

Texts textsOf(Form form, const fuzzing::ExactText &name, const fuzzing::ExactText &destination,
              const fuzzing::ExactText &body) {
    switch (form) {
    case kJsonAlone: return {name.get(), nullptr, nullptr};
    case kEmptyDestination: return {name.get(), "", body.get()};
    case kNullDestination: return {name.get(), nullptr, body.get()};
    case kNullBody: return {name.get(), destination.get(), nullptr};
    case kNullName: return {nullptr, destination.get(), body.get()};
    default: return {name.get(), destination.get(), body.get()};
    }
}

bool isJsonForm(Form form) { return form >= kJsonAlone && form <= kNullBody; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzing::InputReader input(data, size);
    const uint32_t bufferSize = fuzzing::takeSize(input);
    const Form form = static_cast<Form>(input.take(1) % kFormCount);
    const fuzzing::ExactText name(input);
    const fuzzing::ExactText destination(input);
    const fuzzing::ExactText body(input);
    const Texts texts = textsOf(form, name, destination, body);

    GuardedBuffer out(bufferSize);
    uint8_t *buffer = form == kNullBuffer ? nullptr : out.data();
    const int32_t result = tkdec_createMessagePayload(buffer, bufferSize, texts.name, texts.destination, texts.body);
    require(result != -2);
    require(result <= 0 || static_cast<uint32_t>(result) <= bufferSize);
    const bool refused = buffer == nullptr || bufferSize < kSmallestBuffer || texts.name == nullptr || texts.name[0] == '\0';
    if (refused) require(result == -1 && out.untouched());

    if (isJsonForm(form) && form != kJsonAlone) {
        GuardedBuffer jsonAlone(bufferSize);
        require(tkdec_createMessagePayload(jsonAlone.data(), bufferSize, name.get(), nullptr, nullptr) == result);
        require(out.sameBytes(jsonAlone));
    }
    out.checkGuards();
    return 0;
}
