// The exported functions as the host finds them, and the calls that the
// host test makes through them.
#pragma once

#include <string>
#include <vector>

#include "host_report.h"
#include "library_loader.h"

namespace host {

using loader::RawFunction;

// The functions named on the command line, found in the loaded library.
class Api {
public:
    struct Entry {
        std::string name;
        RawFunction function;
    };

    explicit Api(std::vector<Entry> entries) : entries_(std::move(entries)) {}

    // True when every one of the names was asked for (and found).
    bool has(std::initializer_list<const char *> names) const;

    // The function of that name as its declared type; only for names that
    // has() confirmed.
    template <class Function>
    Function get(const char *name) const {
        return reinterpret_cast<Function>(find(name));
    }

private:
    RawFunction find(const char *name) const;
    std::vector<Entry> entries_;
};

// The function declared in tkdec.h under that name, found in the library.
#define HOST_FUNCTION(api, name) (api).get<decltype(&name)>(#name)

// Runs every call of the tables whose functions the Api has.
void runCalls(const Api &api, Report &report);

// Runs the formatting rows through the library's printf engine.
void runFormats(Report &report);

}  // namespace host
