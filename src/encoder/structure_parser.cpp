// The structure parser: a state machine over the characters of the text,
// driven by a constant transition table, that stops in E_READ_PARAM_VALUE
// to hand each member's value to the value step.
#include <cstddef>

#include "encoder/structure_encoding.h"
#include "encoder/text_scan.h"

namespace tkdec {
namespace {

enum ParserState : uint8_t {
    E_FIND_OPEN_BRACKET = 0,      // skip to the value's opening brace
    E_FIND_DOT = 1,               // designated: skip to the next member designator
    E_READ_PARAM_NAME = 2,        // collect a member name
    E_READ_PARAM_NAME_START = 3,  // JSON: skip to the quote that opens the next name
    E_FIND_EQUALS = 4,            // skip to the '=' or ':' after a name
    E_READ_PARAM_VALUE = 5,       // hand the value to the value step
    E_DONE = 6,                   // closing brace read
    E_ERROR = 7,                  // malformed text or failed value
    E_DONE_NO_MORE = 8,           // text ended where a further member could start
};

// Character classes of the transition table, one bit each.
enum CharClass : uint16_t {
    kNul = 1u << 0,
    kOpenBrace = 1u << 1,
    kOpenBracket = 1u << 2,
    kDot = 1u << 3,
    kQuote = 1u << 4,
    kEquals = 1u << 5,
    kColon = 1u << 6,
    kSpace = 1u << 7,
    kLetter = 1u << 8,  // A-Z, a-z and '_'
    kDigit = 1u << 9,
    kOther = 1u << 10,
    kAny = (1u << 11) - 1,
};

// What a transition needs of the parse besides its state and character.
enum Condition : uint8_t {
    kAlways = 0,
    kJson = 1u << 0,
    kDesignated = 1u << 1,
    kArrayType = 1u << 2,
    kNameEmpty = 1u << 3,
    kNameNotEmpty = 1u << 4,
};

enum NameAction : uint8_t { kKeep, kAppend, kClear };

struct Transition {
    ParserState from;
    uint8_t needs;     // Condition bits that must all hold
    uint16_t chars;    // CharClass bits of the characters it takes
    ParserState to;
    NameAction action;
};

// The first row that matches state, conditions and character applies.
constexpr Transition kTransitions[] = {
    {E_FIND_OPEN_BRACKET, kArrayType, kOpenBrace, E_READ_PARAM_VALUE, kKeep},
    {E_FIND_OPEN_BRACKET, kJson, kOpenBrace, E_READ_PARAM_NAME_START, kKeep},
    {E_FIND_OPEN_BRACKET, kAlways, kOpenBrace, E_FIND_DOT, kKeep},
    {E_FIND_OPEN_BRACKET, kJson | kArrayType, kOpenBracket, E_READ_PARAM_VALUE, kKeep},
    {E_FIND_OPEN_BRACKET, kAlways, kNul, E_ERROR, kKeep},
    {E_FIND_OPEN_BRACKET, kAlways, kAny, E_FIND_OPEN_BRACKET, kKeep},

    {E_FIND_DOT, kAlways, kDot, E_READ_PARAM_NAME, kKeep},
    {E_FIND_DOT, kAlways, kLetter, E_READ_PARAM_NAME, kAppend},
    {E_FIND_DOT, kAlways, kNul, E_DONE_NO_MORE, kKeep},
    {E_FIND_DOT, kAlways, kAny, E_FIND_DOT, kKeep},

    {E_READ_PARAM_NAME_START, kAlways, kQuote, E_READ_PARAM_NAME, kKeep},
    {E_READ_PARAM_NAME_START, kAlways, kSpace, E_READ_PARAM_NAME_START, kKeep},
    {E_READ_PARAM_NAME_START, kAlways, kNul, E_DONE_NO_MORE, kKeep},
    {E_READ_PARAM_NAME_START, kAlways, kAny, E_ERROR, kKeep},

    {E_READ_PARAM_NAME, kNameEmpty, kLetter, E_READ_PARAM_NAME, kAppend},
    {E_READ_PARAM_NAME, kNameEmpty, kAny, E_ERROR, kKeep},
    {E_READ_PARAM_NAME, kNameNotEmpty, kLetter | kDigit, E_READ_PARAM_NAME, kAppend},
    {E_READ_PARAM_NAME, kJson, kQuote, E_FIND_EQUALS, kKeep},
    {E_READ_PARAM_NAME, kDesignated, kSpace, E_FIND_EQUALS, kKeep},
    {E_READ_PARAM_NAME, kDesignated, kEquals, E_READ_PARAM_VALUE, kKeep},
    {E_READ_PARAM_NAME, kAlways, kAny, E_ERROR, kClear},

    {E_FIND_EQUALS, kAlways, kSpace, E_FIND_EQUALS, kKeep},
    {E_FIND_EQUALS, kJson, kColon, E_READ_PARAM_VALUE, kKeep},
    {E_FIND_EQUALS, kDesignated, kEquals, E_READ_PARAM_VALUE, kKeep},
    {E_FIND_EQUALS, kAlways, kAny, E_ERROR, kKeep},
};

// What may follow a member's value, and the state it leads to (consumed).
struct Separator {
    uint8_t needs;
    char c;
    ParserState to;
};

constexpr Separator kSeparators[] = {
    {kJson, ',', E_READ_PARAM_NAME_START},
    {kJson, '}', E_DONE},
    {kDesignated, ',', E_FIND_DOT},
    {kDesignated, '.', E_READ_PARAM_NAME},
    {kDesignated, '}', E_DONE},
};

CharClass classify(char c) {
    switch (c) {
        case '\0': return kNul;
        case '{': return kOpenBrace;
        case '[': return kOpenBracket;
        case '.': return kDot;
        case '"': return kQuote;
        case '=': return kEquals;
        case ':': return kColon;
        case '_': return kLetter;
        default: break;
    }
    if (isSpace(c)) return kSpace;
    if (isLetter(c)) return kLetter;
    return isDigit(c) ? kDigit : kOther;
}

// Every state below E_READ_PARAM_VALUE has a row for any character.
const Transition &transition(ParserState state, uint8_t conditions, char c) {
    const CharClass cls = classify(c);
    for (const Transition &t : kTransitions)
        if (t.from == state && (t.needs & ~conditions) == 0 && (t.chars & cls) != 0) return t;
    return kTransitions[sizeof kTransitions / sizeof kTransitions[0] - 1];
}

// The member name being read: at most kMaxMemberNameLength characters.
struct MemberName {
    char text[kMaxMemberNameLength + 1];
    uint32_t length;

    void clear() {
        length = 0;
        text[0] = '\0';
    }
    bool append(char c) {
        if (length == kMaxMemberNameLength) return false;
        text[length++] = c;
        text[length] = '\0';
        return true;
    }
};

struct Parse {
    const char *p;
    ParserState state;
    int32_t result;
    uint8_t syntaxConditions;  // kJson or kDesignated, plus kArrayType
    MemberName name;
};

// Reads characters up to E_READ_PARAM_VALUE or a final state. The NUL is
// never stepped over.
void readUpToValue(Parse &parse) {
    while (parse.state < E_READ_PARAM_VALUE) {
        const char c = *parse.p++;
        const uint8_t conditions =
            parse.syntaxConditions | (parse.name.length == 0 ? kNameEmpty : kNameNotEmpty);
        const Transition &t = transition(parse.state, conditions, c);
        parse.state = t.to;
        if (t.action == kClear) parse.name.clear();
        if (t.action == kAppend && !parse.name.append(c)) {
            parse.state = E_ERROR;  // a name too long for any member
            parse.result = -1;
        }
        if (c == '\0') --parse.p;
    }
}

// After a value: the separator that follows decides the next state.
void readSeparator(Parse &parse) {
    parse.p = skipSpace(parse.p);
    if ((parse.syntaxConditions & (kJson | kArrayType)) == (kJson | kArrayType)) {
        parse.state = E_DONE;
    } else {
        parse.state = E_ERROR;
        for (const Separator &s : kSeparators) {
            if ((s.needs & parse.syntaxConditions) != 0 && s.c == *parse.p) {
                parse.state = s.to;
                ++parse.p;
                break;
            }
        }
        if (parse.state == E_ERROR) parse.result = -1;
    }
    if (parse.result == -1) parse.state = E_ERROR;
}

}  // namespace

int32_t parseStructure(uint8_t *start, uint8_t *end, const char **text, OutputFormat syntax,
                       const TypeDescriptor *type) {
    if (text == nullptr || *text == nullptr || type == nullptr || type->fields == nullptr) return -1;
    const bool arrayType = type->fields[0].fieldName != nullptr && type->fields[0].isArray;
    Parse parse{*text, E_FIND_OPEN_BRACKET, 0,
                static_cast<uint8_t>((syntax == UF_AsJson ? kJson : kDesignated) | (arrayType ? kArrayType : 0)),
                {}};
    while (parse.state < E_DONE) {
        parse.name.clear();
        readUpToValue(parse);
        if (parse.state != E_READ_PARAM_VALUE) break;
        const char *p = parse.p;
        parse.result = encodeValue(start, end, &p, syntax, type, parse.name.text);
        parse.p = p;
        readSeparator(parse);
    }
    *text = parse.p;
    return parse.result;
}

}  // namespace tkdec
