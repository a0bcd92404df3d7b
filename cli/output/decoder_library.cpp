#include "output/decoder_library.h"

#include <filesystem>
#include <system_error>

#include "base/diagnostics.h"
#include "output/library_loader.h"

namespace tkcli {
namespace {

// Sets function to the export of that name; counts the missing ones and
// keeps the first missing name.
template <class Function>
void findExport(void *handle, const char *name, Function &function, int &missing, const char *&firstMissing) {
    function = reinterpret_cast<Function>(loader::findFunction(handle, name));
    if (function != nullptr) return;
    if (missing++ == 0) firstMissing = name;
}

#define TKDEC_FIND_EXPORT(member) findExport(handle, "tkdec_" #member, functions.member, missing, firstMissing)

// Finds every function; returns the number missing and the first of them.
int findExports(void *handle, DecoderFunctions &functions, const char *&firstMissing) {
    int missing = 0;
    TKDEC_FIND_EXPORT(init);
    TKDEC_FIND_EXPORT(exit);
    TKDEC_FIND_EXPORT(getApiVersion);
    TKDEC_FIND_EXPORT(getUniqueId);
    TKDEC_FIND_EXPORT(getTargetInformation);
    TKDEC_FIND_EXPORT(getNrSupportedChannels);
    TKDEC_FIND_EXPORT(getSupportedChannels);
    TKDEC_FIND_EXPORT(getChannelMaster);
    TKDEC_FIND_EXPORT(getSource);
    TKDEC_FIND_EXPORT(getType);
    TKDEC_FIND_EXPORT(getLabel);
    TKDEC_FIND_EXPORT(getText);
    TKDEC_FIND_EXPORT(getShortText);
    TKDEC_FIND_EXPORT(getXml);
    TKDEC_FIND_EXPORT(getLongJson);
    TKDEC_FIND_EXPORT(getJson);
    TKDEC_FIND_EXPORT(getSourceReference);
    TKDEC_FIND_EXPORT(decodeType);
    TKDEC_FIND_EXPORT(createMessagePayload);
    return missing;
}

#undef TKDEC_FIND_EXPORT

bool fail(LoadFailure kind, std::string message, LoadFailure &failure, std::string &error) {
    failure = kind;
    error = std::move(message);
    return false;
}

}  // namespace

void DecoderLibrary::Closer::operator()(void *handle) const { loader::closeLibrary(handle); }

bool DecoderLibrary::load(const std::string &path, LoadFailure &failure, std::string &error) {
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(path, ignored)) {
        return fail(LoadFailure::Missing, formatText("decoder %s: no such file", path.c_str()), failure, error);
    }
    // An absolute path: for a bare file name the loader would search the
    // system's library folders instead of the current one.
    const std::string absolute = std::filesystem::absolute(path, ignored).string();
    std::unique_ptr<void, Closer> handle(loader::openLibrary(absolute.c_str()));
    if (handle == nullptr) {
        return fail(LoadFailure::NotLoadable,
                    formatText("decoder %s is not a tkdec library: it cannot be loaded (%s)", path.c_str(),
                               loader::loadError().c_str()),
                    failure, error);
    }
    DecoderFunctions functions;
    const char *firstMissing = nullptr;
    if (const int missing = findExports(handle.get(), functions, firstMissing); missing > 0) {
        const std::string more = missing > 1 ? formatText(" (nor %d more of its functions)", missing - 1) : "";
        return fail(LoadFailure::NotDecoder,
                    formatText("decoder %s is not a tkdec library: it does not export %s%s", path.c_str(),
                               firstMissing, more.c_str()),
                    failure, error);
    }
    if (const int32_t version = functions.getApiVersion(); version != kDecoderApiVersion) {
        return fail(LoadFailure::WrongApiVersion,
                    formatText("decoder %s has API version %d; this tool needs version %d", path.c_str(), version,
                               kDecoderApiVersion),
                    failure, error);
    }
    static_cast<DecoderFunctions &>(*this) = functions;
    handle_ = std::move(handle);
    path_ = path;
    failure = LoadFailure::None;
    return true;
}

std::string DecoderLibrary::uuid() const {
    char uuid[33] = {};
    getUniqueId(sizeof uuid, uuid);
    return uuid;
}

}  // namespace tkcli
