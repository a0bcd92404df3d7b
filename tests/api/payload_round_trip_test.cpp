// Encoder and decoder agree on every layout of the build: a description that
// names every member of a type or message is encoded, the bytes are printed
// again, and the printed text shows every value.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "encoder/encode_entries.h"
#include "tkdec.h"
#include "type_tables.h"

namespace {

using tkdec::FieldDescriptor;
using tkdec::TypeDescriptor;
using Texts = std::vector<std::string>;

constexpr const char *kPtpTask = "CKI_TIMER_PTP_TASK_ID";
constexpr uint16_t kMessageChannel = 8433;

// A value in both input syntaxes and the fragments of compact JSON that the
// decoder prints for it (for a leaf: the printed value alone).
struct Value {
    std::string designated;
    std::string json;
    Texts shown;
    bool leaf = true;
};

// Joins texts (operator+ on strings trips a false -Wrestrict of GCC 12).
std::string cat(std::initializer_list<std::string_view> parts) {
    std::string text;
    for (std::string_view part : parts) text.append(part);
    return text;
}

std::string inQuotes(const std::string &text) { return cat({"\"", text, "\""}); }

std::string joined(const Texts &items, const char *separator) {
    std::string text;
    for (size_t i = 0; i < items.size(); ++i) text.append(i > 0 ? cat({separator, items[i]}) : items[i]);
    return text;
}

struct Enumerator {
    uint32_t value;
    std::string name;
};

// The kind ("base", "enum", "enum_bitmask", "enum_bitoffset") and the
// enumerators of a type, read from the decoder's description of it:
// {"Type":["kind",...[value,"NAME"]...]}.
struct TypeFacts {
    std::string kind;
    std::vector<Enumerator> enumerators;
};

TypeFacts factsOf(const std::string &typeName) {
    std::vector<char> out(1 << 17);
    EXPECT_EQ(tkdec_decodeType(typeName.c_str(), 0, nullptr, static_cast<uint32_t>(out.size()), out.data(), UF_AsJson), 0u);
    const std::string text(out.data());
    TypeFacts facts;
    const std::string opening = cat({"{\"", typeName, "\":[\""});
    if (text.rfind(opening, 0) == 0) facts.kind = text.substr(opening.size(), text.find('"', opening.size()) - opening.size());
    for (size_t open = text.find('['); open != std::string::npos; open = text.find('[', open + 1)) {
        const size_t comma = text.find(",\"", open), close = text.find("\"]", open);
        if (comma == std::string::npos || close == std::string::npos || comma > close) continue;
        const std::string value = text.substr(open + 1, comma - open - 1);
        if (value.empty() || value.find_first_not_of("0123456789") != std::string::npos) continue;
        facts.enumerators.push_back({static_cast<uint32_t>(std::stoul(value)), text.substr(comma + 2, close - comma - 2)});
    }
    return facts;
}

bool uniqueNonZero(const std::vector<Enumerator> &all, const Enumerator &e) {
    int same = 0;
    for (const Enumerator &other : all) same += other.value == e.value;
    return e.value != 0 && same == 1;
}

// Members are separated by ',', which also ends a bitmask list (a list that
// runs into the next designator is not written). JSON numbers are quoted
// only as the very first character of a value, so members are written
// "name":value and list elements without blanks.
class Describer {
public:
    Value ofType(const TypeDescriptor &type) {
        return type.fields[0].isArray ? ofArray(type.fields[0]) : ofStructure(type);
    }

private:
    uint32_t counter_ = 0;

    Value ofStructure(const TypeDescriptor &type) {
        Texts designated, json, shown;
        addMembers(type, designated, json, shown);
        return {cat({"{", joined(designated, ", "), "}"}), cat({"{", joined(json, ", "), "}"}), shown, false};
    }

    // Members of base parts are named like the structure's own; a
    // single-value type is named "value".
    void addMembers(const TypeDescriptor &type, Texts &designated, Texts &json, Texts &shown) {
        for (const FieldDescriptor *f = type.fields; f->fieldName != nullptr; ++f) {
            if (f->fieldName[0] == '^') {
                addMembers(*f->descriptor(), designated, json, shown);
                continue;
            }
            if (f->encode == nullptr || f->encode == &tkdec::encodeRefused) continue;
            const bool single = f->fieldName[0] == '=';
            const std::string name = single ? "value" : f->fieldName;
            const Value value = ofMember(*f);
            designated.push_back(cat({".", name, "=", value.designated}));
            json.push_back(cat({inQuotes(name), ":", value.json}));
            if (!value.leaf)
                shown.insert(shown.end(), value.shown.begin(), value.shown.end());
            else
                shown.push_back(single ? cat({":", value.shown[0], "}"}) : cat({inQuotes(name), ":", value.shown[0]}));
        }
    }

    Value ofMember(const FieldDescriptor &field) {
        if (field.descriptor == nullptr)
            return ofLeaf(field.typeName, field.elementSize, std::strcmp(field.fieldName, "m_dstTask") == 0 ? kPtpTask : "");
        const TypeDescriptor &type = *field.descriptor();
        const FieldDescriptor &first = type.fields[0];
        if (first.isArray) return ofArray(first);
        if (first.fieldName[0] == '=') return ofLeaf(first.typeName, type.size, "");  // an alias
        return ofStructure(type);
    }

    // Two structured elements; a character string (a list of its codes in
    // JSON, where a quoted string leaves its ']' unread); three numbers.
    Value ofArray(const FieldDescriptor &elements) {
        if (elements.descriptor != nullptr) {
            Value a = ofStructure(*elements.descriptor());
            const Value b = ofStructure(*elements.descriptor());
            a.shown.insert(a.shown.end(), b.shown.begin(), b.shown.end());
            return {cat({"{", a.designated, ", ", b.designated, "}"}), cat({"[", a.json, ",", b.json, "]"}), a.shown, false};
        }
        Texts designated, json, printed;
        const bool text = std::strcmp(elements.typeName, "char") == 0;
        const std::string chars = {'A', 'b', static_cast<char>('0' + counter_++ % 10)};
        for (uint32_t i = 0; i < elements.elementCount; ++i) {
            if (i >= 3) {
                printed.push_back("0");
            } else if (text) {
                json.push_back(std::to_string(chars[i]));
                printed.push_back(json.back());
            } else {
                const Value v = ofLeaf(elements.typeName, elements.elementSize, "");
                designated.push_back(v.designated);
                json.push_back(elements.elementSize == 1 ? v.designated : v.json);  // a quote: a string
                printed.push_back(v.shown[0]);
            }
        }
        const std::string list = text ? cat({"{", inQuotes(chars), "}"}) : cat({"{", joined(designated, ", "), "}"});
        return {list, cat({"[", joined(json, ","), "]"}), {cat({"[", joined(printed, ","), "]"})}};
    }

    Value ofLeaf(const std::string &typeName, uint32_t size, const std::string &fixed) {
        const TypeFacts facts = factsOf(typeName);
        if (facts.kind == "enum") return ofEnumerator(facts.enumerators, fixed);
        if (facts.kind == "enum_bitmask" || facts.kind == "enum_bitoffset")
            return ofBits(facts.enumerators, facts.kind == "enum_bitmask", size);
        EXPECT_EQ(facts.kind, "base") << typeName;
        const uint32_t n = ++counter_;
        const std::string text = std::to_string(size == 1 ? 1 + n % 100 : size == 2 ? 1000 + n : 100000 + n);
        return {text, n % 2 ? inQuotes(text) : text, {text}};
    }

    Value ofEnumerator(const std::vector<Enumerator> &all, const std::string &fixed) {
        std::string name = fixed;
        for (auto e = all.rbegin(); name.empty() && e != all.rend(); ++e)
            if (uniqueNonZero(all, *e)) name = e->name;
        if (name.empty() && !all.empty()) name = all.front().name;  // only a 0 enumerator
        EXPECT_FALSE(name.empty());
        return {name, inQuotes(name), {inQuotes(name)}};
    }

    // Two names: single-bit masks, or bit numbers within the member.
    Value ofBits(const std::vector<Enumerator> &all, bool mask, uint32_t size) {
        Texts names, json;
        for (const Enumerator &e : all) {
            const bool fits = mask ? (e.value & (e.value - 1)) == 0 && (size >= 4 || e.value < (1u << (8 * size)))
                                   : e.value < 8 * size;
            if (names.size() < 2 && fits && uniqueNonZero(all, e)) {
                names.push_back(e.name);
                json.push_back(inQuotes(e.name));
            }
        }
        EXPECT_FALSE(names.empty());
        return {joined(names, "|"), cat({"[", joined(json, ", "), "]"}), {cat({"[", joined(json, ","), "]"})}};
    }
};

std::string decoded(const char *typeName, const uint8_t *data, uint32_t size) {
    std::vector<char> out(1 << 17);
    EXPECT_EQ(tkdec_decodeType(typeName, size, data, static_cast<uint32_t>(out.size()), out.data(), UF_AsJson), 0u);
    return out.data();
}

void expectShown(const std::string &text, const Value &value) {
    for (const std::string &fragment : value.shown) EXPECT_NE(text.find(fragment), std::string::npos) << fragment << " not in " << text;
}

// A message structure's name finds its message entry, not its type entry.
bool isMessageType(const TypeDescriptor *type) {
    for (const tkdec::MessageTypeEntry *e = tkdec::build::messageTypeTable; e->print != nullptr; ++e)
        if (e->id != 0 && e->type == type) return true;
    return false;
}

// The name by which the payload builder finds a message entry: its
// CKI_MsgId name, or for an event its number.
std::string messageName(const tkdec::MessageTypeEntry &entry) {
    char number[16];
    std::snprintf(number, sizeof number, "0x%08X", entry.id);
    return (entry.id >> 24) == 0x2C ? entry.name : number;
}

TEST(PayloadRoundTrip, EveryMessageInBothForms) {
    int messages = 0;
    for (const tkdec::MessageTypeEntry *entry = tkdec::build::messageTypeTable; entry->print != nullptr; ++entry) {
        if (entry->id == 0) continue;
        ++messages;
        const TypeDescriptor &type = *entry->type;
        SCOPED_TRACE(entry->name);
        const Value value = Describer().ofType(type);
        const uint32_t size = type.size + 2;
        std::vector<uint8_t> threeText(size), json(size);
        ASSERT_EQ(tkdec_createMessagePayload(threeText.data(), size, messageName(*entry).c_str(), kPtpTask,
                                             value.designated.c_str()),
                  static_cast<int32_t>(size))
            << value.designated;
        const std::string description = cat({"{", inQuotes(messageName(*entry)), ": ", value.json, "}"});
        ASSERT_EQ(tkdec_createMessagePayload(json.data(), size, description.c_str(), nullptr, nullptr),
                  static_cast<int32_t>(size))
            << description;
        EXPECT_EQ(json, threeText);
        expectShown(decoded(type.name, threeText.data() + 2, type.size), value);
        // From offset 6 on the payload is what a MESSAGE channel record carries.
        std::vector<char> out(1 << 17);
        ASSERT_EQ(tkdec_getJson(kMessageChannel, entry->id, size - 6, threeText.data() + 6,
                                static_cast<uint32_t>(out.size()), out.data()),
                  0);
        expectShown(out.data(), value);
    }
    EXPECT_GT(messages, 0);
}

TEST(PayloadRoundTrip, EveryTypeWithAFieldList) {
    int types = 0;
    for (const tkdec::MessageTypeEntry *entry = tkdec::build::messageTypeTable; entry->print != nullptr; ++entry) {
        const TypeDescriptor &type = *entry->type;
        if (entry->id != 0 || type.fields == nullptr || isMessageType(&type)) continue;
        ++types;
        SCOPED_TRACE(type.name);
        const Value value = Describer().ofType(type);
        std::vector<uint8_t> buffer(type.size < 7 ? 7 : type.size);
        ASSERT_EQ(tkdec_createMessagePayload(buffer.data(), static_cast<uint32_t>(buffer.size()), type.name,
                                             value.designated.c_str(), ""),
                  static_cast<int32_t>(type.size))
            << value.designated;
        expectShown(decoded(type.name, buffer.data(), type.size), value);
    }
    EXPECT_GT(types, 0);
}

}  // namespace
