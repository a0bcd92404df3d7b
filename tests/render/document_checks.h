// Small validators for the tests: is a text one JSON value, is it a
// well-formed XML fragment.
#pragma once

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

namespace tkdec::test {

// A recursive-descent reader of one JSON value; the library writes
// integers only.
class JsonValidator {
public:
    explicit JsonValidator(const std::string &text) : text_(text) {}
    bool valid() { return value(0) && peek() == '\0' && pos_ == text_.size(); }

private:
    char peek() {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
        return pos_ < text_.size() ? text_[pos_] : '\0';
    }
    bool eat(char c) { return peek() == c && (++pos_, true); }
    bool literal(const char *word) {
        const size_t length = std::strlen(word);
        return text_.compare(pos_, length, word) == 0 && (pos_ += length, true);
    }
    bool string() {
        if (!eat('"')) return false;
        for (; pos_ < text_.size(); ++pos_) {
            const unsigned char c = static_cast<unsigned char>(text_[pos_]);
            if (c == '"') return ++pos_, true;
            if (c < 0x20) return false;
            if (c == '\\' && (++pos_ >= text_.size() || !std::strchr("\"\\/bfnrtu", text_[pos_]))) return false;
        }
        return false;
    }
    bool number() {
        if (pos_ < text_.size() && text_[pos_] == '-') ++pos_;
        if (pos_ < text_.size() && text_[pos_] == '0') return ++pos_, true;
        const size_t start = pos_;
        while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) ++pos_;
        return pos_ > start;
    }
    bool sequence(char close, int depth, bool members) {
        ++pos_;
        if (eat(close)) return true;
        do {
            if (members && !(string() && eat(':'))) return false;
            if (!value(depth + 1)) return false;
        } while (eat(','));
        return eat(close);
    }
    bool value(int depth) {
        if (depth > 64) return false;
        switch (peek()) {
        case '{': return sequence('}', depth, true);
        case '[': return sequence(']', depth, false);
        case '"': return string();
        case 't': return literal("true");
        case 'f': return literal("false");
        case 'n': return literal("null");
        default: return number();
        }
    }

    const std::string &text_;
    size_t pos_ = 0;
};

inline bool isJson(const std::string &text) { return JsonValidator(text).valid(); }

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
