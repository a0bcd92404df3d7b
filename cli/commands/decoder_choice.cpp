#include "commands/decoder_choice.h"

#include <algorithm>
#include <cctype>
#include <system_error>

#include "base/diagnostics.h"
#include "base/exit_codes.h"
#include "base/platform.h"

namespace tkcli {
namespace {

// A capture as the messages about its build name it.
struct CaptureBuild {
    const std::string &name;
    const std::string &uuid;
};

int loadFailure(LoadFailure failure, const std::string &error) {
    return report(failure == LoadFailure::Missing ? kExitIoError : kExitDataError, "%s", error.c_str());
}

int loadOwnLibrary(DecoderLibrary &library) {
    const std::vector<std::filesystem::path> candidates = ownLibraryCandidates();
    std::error_code ignored;
    for (const std::filesystem::path &candidate : candidates) {
        if (!std::filesystem::exists(candidate, ignored)) continue;
        return loadDecoder(candidate.string().c_str(), library);
    }
    if (candidates.empty()) {
        return report(kExitIoError, "the system does not tell where the tool is; name a decoder with --decoder PATH");
    }
    std::string tried;
    for (const std::filesystem::path &candidate : candidates) tried += (tried.empty() ? "" : ", ") + candidate.string();
    return report(kExitIoError, "no decoder library beside the tool (looked for %s); name one with --decoder PATH",
                  tried.c_str());
}

// A capture of no build, or of a build that no decoder of --decoders is
// made for: an error with --strict, else a warning naming the decoder
// that loadDecoder gives instead.
int withoutMatch(const Invocation &call, const std::string &problem, DecoderLibrary &library) {
    if (call.has(kStrictOption)) return report(kExitDataError, "%s (--strict)", problem.c_str());
    if (const int status = loadDecoder(call, library); status != kExitOk) return status;
    report(kExitOk, "warning: %s; decoding with %s (build %s): records may decode wrongly", problem.c_str(),
           library.path().c_str(), library.uuid().c_str());
    return kExitOk;
}

int loadFromFolder(const Invocation &call, const char *folder, const CaptureBuild &capture, DecoderLibrary &library) {
    std::error_code ignored;
    if (!std::filesystem::is_directory(folder, ignored)) {
        if (std::filesystem::exists(folder, ignored)) {
            return report(kExitUsage, "--decoders %s: a file, not a folder of decoders (one library is --decoder %s)",
                          folder, folder);
        }
        return report(kExitIoError, "decoder folder %s: no such folder", folder);
    }
    if (capture.uuid.empty()) return withoutMatch(call, capture.name + " names no build", library);
    if (findDecoderFor(folder, capture.uuid, library)) return kExitOk;
    return withoutMatch(call,
                        formatText("no decoder in %s is made for build %s of %s", folder, capture.uuid.c_str(),
                                   capture.name.c_str()),
                        library);
}

// The decoder of --decoder or the tool's own, checked against the
// capture's build.
int loadChecked(const Invocation &call, const CaptureBuild &capture, DecoderLibrary &library) {
    if (const int status = loadDecoder(call, library); status != kExitOk) return status;
    const bool strict = call.has(kStrictOption);
    if (capture.uuid.empty()) {
        return strict ? report(kExitDataError, "%s names no build (--strict)", capture.name.c_str()) : kExitOk;
    }
    const std::string decoderUuid = library.uuid();
    if (capture.uuid == decoderUuid) return kExitOk;
    const std::string problem = formatText("%s was made by build %s, the decoder is for build %s",
                                           capture.name.c_str(), capture.uuid.c_str(), decoderUuid.c_str());
    if (strict) return report(kExitDataError, "%s (--strict)", problem.c_str());
    report(kExitOk, "warning: %s: records may decode wrongly", problem.c_str());
    return kExitOk;
}

// Windows names DLLs in any letter case.
bool hasLibrarySuffix(const std::filesystem::path &path) {
    std::string suffix = path.extension().string();
    std::transform(suffix.begin(), suffix.end(), suffix.begin(), [](unsigned char c) { return std::tolower(c); });
    return suffix == kLibrarySuffix;
}

}  // namespace

std::vector<std::filesystem::path> ownLibraryCandidates() {
    const std::filesystem::path tool = executablePath();
    if (tool.empty()) return {};
    const std::filesystem::path folder = tool.parent_path();
    std::vector<std::filesystem::path> candidates;
    for (const char *relative : {".", "..", TKDEC_INSTALLED_LIBRARY_DIR}) {
        const std::filesystem::path candidate = (folder / relative / TKDEC_LIBRARY_FILE).lexically_normal();
        if (std::find(candidates.begin(), candidates.end(), candidate) == candidates.end()) {
            candidates.push_back(candidate);
        }
    }
    return candidates;
}

int loadDecoder(const char *path, DecoderLibrary &library) {
    if (path == nullptr) return loadOwnLibrary(library);
    LoadFailure failure = LoadFailure::None;
    std::string error;
    if (!library.load(path, failure, error)) return loadFailure(failure, error);
    return kExitOk;
}

int loadDecoder(const Invocation &call, DecoderLibrary &library) {
    return loadDecoder(call.value(kDecoderOption), library);
}

int loadDecoderForCapture(const Invocation &call, const std::string &captureName, const std::string &captureUuid,
                          DecoderLibrary &library) {
    const CaptureBuild capture{captureName, captureUuid};
    if (const char *folder = call.value(kDecodersOption)) return loadFromFolder(call, folder, capture, library);
    return loadChecked(call, capture, library);
}

std::vector<std::filesystem::path> librariesIn(const std::filesystem::path &folder) {
    std::vector<std::filesystem::path> libraries;
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator(folder, error)) {
        if (hasLibrarySuffix(entry.path()) && entry.is_regular_file(error)) {
            libraries.push_back(entry.path());
        }
    }
    std::sort(libraries.begin(), libraries.end());
    return libraries;
}

bool findDecoderFor(const std::filesystem::path &folder, const std::string &uuid, DecoderLibrary &library) {
    for (const std::filesystem::path &path : librariesIn(folder)) {
        DecoderLibrary candidate;
        LoadFailure failure = LoadFailure::None;
        std::string error;
        if (!candidate.load(path.string(), failure, error)) {
            // Say why, once per file and run: a junk file is not silently passed over.
            static std::vector<std::string> told;  // the tool's own run state, not the library's
            if (std::find(told.begin(), told.end(), path.string()) == told.end()) {
                told.push_back(path.string());
                report(kExitOk, "warning: --decoders: skipped %s: %s", path.string().c_str(), error.c_str());
            }
            continue;
        }
        if (candidate.uuid() == uuid) {
            library = std::move(candidate);
            return true;
        }
    }
    return false;
}

}  // namespace tkcli
