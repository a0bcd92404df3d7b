#include "render/name_filters.h"

#include <cstring>

namespace tkdec {
namespace {

// The text behind the given number of underscores, or the empty end of
// the name when it has fewer; each word is passed by one search.
const char *skipWords(const char *name, int words) {
    if (name == nullptr) return name;
    for (; words > 0; --words) {
        const char *underscore = std::strchr(name, '_');
        if (underscore == nullptr) return name + std::strlen(name);
        name = underscore + 1;
    }
    return name;
}

}  // namespace

const char *filterIdentity(const char *name) { return name; }
const char *filterSkip2Words(const char *name) { return skipWords(name, 2); }
const char *filterSkip3Words(const char *name) { return skipWords(name, 3); }
const char *filterSkip4Words(const char *name) { return skipWords(name, 4); }
const char *filterSkip5Words(const char *name) { return skipWords(name, 5); }

}  // namespace tkdec
