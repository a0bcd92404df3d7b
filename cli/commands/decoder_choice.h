// Which decoder library a command uses: the one that --decoder names, the
// one of --decoders DIR made for the capture's build, or else the library
// installed beside the tool.
#ifndef TKDEC_CLI_DECODER_CHOICE_H
#define TKDEC_CLI_DECODER_CHOICE_H

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "commands/command.h"
#include "output/decoder_library.h"

namespace tkcli {

// The options that choose the decoder, as rows of each command's option
// table: --decoder for every command that loads a decoder, --decoders and
// --strict also for those that read captures.
inline constexpr ValueOption kDecoderOption = {{
    "--decoder", nullptr, "PATH", "use the decoder library at PATH instead of the one installed\nbeside the tool"}};
inline constexpr ValueOption kDecodersOption = {{
    "--decoders", nullptr, "DIR",
    "use, for each capture, the library in DIR made for its build\n"
    "(tkdec_getUniqueId equal to its build UUID); when none is, the\n"
    "one of --decoder or beside the tool"}};
inline constexpr FlagOption kStrictOption = {{
    "--strict", nullptr, nullptr,
    "fail (status 1) when a capture names no build or no decoder is\n"
    "made for its build"}};

// Loads the library at path, or the tool's own library when path is null.
// Returns kExitOk, or reports why not and returns the exit status.
int loadDecoder(const char *path, DecoderLibrary &library);

// The decoder of a command without a capture: --decoder, or the tool's own.
int loadDecoder(const Invocation &call, DecoderLibrary &library);

// The decoder for the capture named captureName, of build captureUuid
// (empty when the capture names none): the library of --decoders DIR made
// for that build, else the one loadDecoder(call) gives, with a warning
// when it is made for another build. With --strict, a capture of no build
// or of a build that no decoder is made for is an error instead.
int loadDecoderForCapture(const Invocation &call, const std::string &captureName, const std::string &captureUuid,
                          DecoderLibrary &library);

// The libraries of a folder (its files with the platform's library
// ending), in name order.
std::vector<std::filesystem::path> librariesIn(const std::filesystem::path &folder);

// Loads the first library of the folder whose build UUID is uuid. False
// when none is; libraries that cannot be loaded as decoders are passed
// over.
bool findDecoderFor(const std::filesystem::path &folder, const std::string &uuid, DecoderLibrary &library);

// Where the tool looks for its own library, in order: beside it, one
// folder up (the build tree) and the installed library folder.
std::vector<std::filesystem::path> ownLibraryCandidates();

}  // namespace tkcli

#endif
