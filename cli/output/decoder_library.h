// A decoder library loaded at run time: the nineteen exported functions,
// found by name as the log viewer host finds them, so that one tool
// decodes for any firmware build whose library it is given.
#ifndef TKDEC_CLI_DECODER_LIBRARY_H
#define TKDEC_CLI_DECODER_LIBRARY_H

#include <cstdint>
#include <memory>
#include <string>

#include "tkdec.h"

namespace tkcli {

// The version of the exported interface that this tool calls.
inline constexpr int32_t kDecoderApiVersion = 6;

struct DecoderFunctions {
    decltype(&tkdec_init) init = nullptr;
    decltype(&tkdec_exit) exit = nullptr;
    decltype(&tkdec_getApiVersion) getApiVersion = nullptr;
    decltype(&tkdec_getUniqueId) getUniqueId = nullptr;
    decltype(&tkdec_getTargetInformation) getTargetInformation = nullptr;
    decltype(&tkdec_getNrSupportedChannels) getNrSupportedChannels = nullptr;
    decltype(&tkdec_getSupportedChannels) getSupportedChannels = nullptr;
    decltype(&tkdec_getChannelMaster) getChannelMaster = nullptr;
    decltype(&tkdec_getSource) getSource = nullptr;
    decltype(&tkdec_getType) getType = nullptr;
    decltype(&tkdec_getLabel) getLabel = nullptr;
    decltype(&tkdec_getText) getText = nullptr;
    decltype(&tkdec_getShortText) getShortText = nullptr;
    decltype(&tkdec_getXml) getXml = nullptr;
    decltype(&tkdec_getLongJson) getLongJson = nullptr;
    decltype(&tkdec_getJson) getJson = nullptr;
    decltype(&tkdec_getSourceReference) getSourceReference = nullptr;
    decltype(&tkdec_decodeType) decodeType = nullptr;
    decltype(&tkdec_createMessagePayload) createMessagePayload = nullptr;
};

// Why a library could not be used as a decoder.
enum class LoadFailure { None, Missing, NotLoadable, NotDecoder, WrongApiVersion };

// A loaded decoder library; it stays loaded while this object lives, so
// the functions must not be called after it is gone.
class DecoderLibrary : public DecoderFunctions {
public:
    // Loads the library at path and finds all nineteen functions. False
    // with the failure and a one-line message naming the path when the file
    // is missing, cannot be loaded, lacks an export (named) or has another
    // interface version.
    [[nodiscard]] bool load(const std::string &path, LoadFailure &failure, std::string &error);

    const std::string &path() const { return path_; }
    // The build UUID that the library decodes: 32 lower-case hexadecimal
    // digits.
    std::string uuid() const;

private:
    struct Closer {
        void operator()(void *handle) const;
    };
    std::unique_ptr<void, Closer> handle_;
    std::string path_;
};

}  // namespace tkcli

#endif
