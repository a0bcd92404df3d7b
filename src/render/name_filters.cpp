#include "render/name_filters.h"

namespace tkdec {
namespace {

const char *skipWords(const char *name, int words) {
    if (name == nullptr) return name;
    while (*name != '\0' && words > 0) {
        if (*name == '_') --words;
        ++name;
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
