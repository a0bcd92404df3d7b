// Small validators for the tests: is a text one JSON value, is it a
// well-formed XML fragment.
#pragma once

#include <cctype>
#include <string>
#include <vector>

namespace tkdec::test {

class JsonValidator {
public:
    explicit JsonValidator(const std::string &text) : text_(text) {}

    // True when the whole text is exactly one JSON value.
    bool valid() {
        pos_ = 0;
        skipSpace();
        if (!value(0)) return false;
        skipSpace();
        return pos_ == text_.size();
    }

private:
    static constexpr int kMaxDepth = 64;

    char peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }
    void skipSpace() {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
    }
    bool literal(const char *word) {
        const std::string w(word);
        if (text_.compare(pos_, w.size(), w) != 0) return false;
        pos_ += w.size();
        return true;
    }
    bool string() {
        if (peek() != '"') return false;
        for (++pos_; pos_ < text_.size(); ++pos_) {
            const unsigned char c = static_cast<unsigned char>(text_[pos_]);
            if (c == '"') {
                ++pos_;
                return true;
            }
            if (c < 0x20) return false;
            if (c == '\\') {
                ++pos_;
                if (pos_ >= text_.size() || std::string("\"\\/bfnrtu").find(text_[pos_]) == std::string::npos)
                    return false;
            }
        }
        return false;
    }
    bool digits() {
        const size_t start = pos_;
        while (std::isdigit(static_cast<unsigned char>(peek()))) ++pos_;
        return pos_ > start;
    }
    // The library writes integers only.
    bool number() {
        if (peek() == '-') ++pos_;
        return peek() == '0' ? (++pos_, true) : digits();
    }
    bool sequence(char close, int depth, bool members) {
        ++pos_;
        skipSpace();
        if (peek() == close) {
            ++pos_;
            return true;
        }
        for (;;) {
            skipSpace();
            if (members) {
                if (!string()) return false;
                skipSpace();
                if (peek() != ':') return false;
                ++pos_;
                skipSpace();
            }
            if (!value(depth + 1)) return false;
            skipSpace();
            if (peek() == close) {
                ++pos_;
                return true;
            }
            if (peek() != ',') return false;
            ++pos_;
        }
    }
    bool value(int depth) {
        if (depth > kMaxDepth) return false;
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
    static const char *const kEntities[] = {"&apos;", "&quot;", "&lt;", "&gt;", "&amp;"};
    std::vector<std::string> open;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            bool known = false;
            for (const char *entity : kEntities) known = known || text.compare(i, std::string(entity).size(), entity) == 0;
            if (!known) return false;
        } else if (text[i] == '<') {
            const size_t close = text.find('>', i);
            if (close == std::string::npos) return false;
            std::string tag = text.substr(i + 1, close - i - 1);
            i = close;
            if (tag.empty() || tag.find('<') != std::string::npos) return false;
            if (tag.back() == '/') continue;
            if (tag[0] == '/') {
                if (open.empty() || open.back() != tag.substr(1)) return false;
                open.pop_back();
            } else {
                if (!(std::isalpha(static_cast<unsigned char>(tag[0])) || tag[0] == '_')) return false;
                open.push_back(tag);
            }
        }
    }
    return open.empty();
}

}  // namespace tkdec::test
