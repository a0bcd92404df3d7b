// Small validators for the tests: is a text one JSON value (the tool's
// checker), is it a well-formed XML fragment.
#pragma once

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "output/json_text.h"

namespace tkdec::test {

inline bool isJson(const std::string &text) { return tkcli::isJsonValue(text); }

// A fragment is well-formed when its tags nest and close, and every "&"
// starts one of the five predefined entities.
inline bool isWellFormedXml(const std::string &text) {
    std::vector<std::string> open;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            bool known = false;
            for (const char *entity : {"&apos;", "&quot;", "&lt;", "&gt;", "&amp;"})
                known = known || text.compare(i, std::strlen(entity), entity) == 0;
            if (!known) return false;
        } else if (text[i] == '<') {
            const size_t close = text.find('>', i);
            if (close == std::string::npos) return false;
            const std::string tag = text.substr(i + 1, close - i - 1);
            i = close;
            if (tag.empty() || tag.find('<') != std::string::npos) return false;
            if (tag.back() == '/') continue;
            if (tag[0] != '/' && !std::isalpha(static_cast<unsigned char>(tag[0])) && tag[0] != '_') return false;
            if (tag[0] != '/') open.push_back(tag);
            else if (open.empty() || open.back() != tag.substr(1)) return false;
            else open.pop_back();
        }
    }
    return open.empty();
}

}  // namespace tkdec::test
