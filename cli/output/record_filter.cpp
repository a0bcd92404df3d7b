#include "output/record_filter.h"

#include "base/diagnostics.h"
#include "base/hex.h"

namespace tkcli {

namespace {

// Splits "a,!b" and hands each item with whether it excludes to take,
// which returns false for an item it cannot read.
template <typename Take>
bool forEachItem(const char *list, Take take) {
    if (list == nullptr) return true;
    std::string_view rest = list;
    for (;;) {
        const size_t comma = rest.find(',');
        std::string_view item = rest.substr(0, comma);
        const bool excludes = item.starts_with('!');
        if (excludes) item.remove_prefix(1);
        if (!take(item, excludes)) return false;
        if (comma == std::string_view::npos) return true;
        rest.remove_prefix(comma + 1);
    }
}

template <typename T>
void add(std::vector<T> &included, std::vector<T> &excluded, bool excludes, T value) {
    (excludes ? excluded : included).push_back(std::move(value));
}

bool canBeUnknownToken(RecordKind kind) {
    return kind == RecordKind::Print || kind == RecordKind::Alarm || kind == RecordKind::Exception;
}

}  // namespace

bool RecordFilter::parse(const char *channels, const char *groups, const char *kinds, const char *ids,
                         std::string &problem) {
    const auto numbers = [&](const char *list, Choice<uint64_t> &choice, uint64_t maximum, const char *what) {
        return forEachItem(list, [&](std::string_view item, bool excludes) {
            uint64_t value = 0;
            if (!parseUnsigned(item, maximum, value)) {
                problem = formatText("%s %s is not a number from 0 to %llu", what, quoted(item).c_str(),
                                     static_cast<unsigned long long>(maximum));
                return false;
            }
            add(choice.included, choice.excluded, excludes, value);
            return true;
        });
    };
    active_ = channels != nullptr || groups != nullptr || kinds != nullptr || ids != nullptr;
    const bool groupsRead = forEachItem(groups, [&](std::string_view item, bool excludes) {
        add(groups_.included, groups_.excluded, excludes, item);
        return true;
    });
    const bool kindsRead = forEachItem(kinds, [&](std::string_view item, bool excludes) {
        RecordKind kind;
        if (!parseKindName(item, kind)) {
            problem = "unknown kind " + quoted(item) +
                      " (print, alarm, exception, message, trace, unknown_channel or unknown_token)";
            return false;
        }
        add(kinds_.included, kinds_.excluded, excludes, kind);
        return true;
    });
    return kindsRead && groupsRead && numbers(channels, channels_, 0xFFFF, "channel") &&
           numbers(ids, ids_, 0xFFFFFFFF, "id");
}

bool RecordFilter::admitsBeforeDecoding(uint16_t channel, uint32_t id, RecordKind channelKind,
                                        const char *group) const {
    if (!channels_.admits(channel) || !ids_.admits(id)) return false;
    if (!kinds_.admits(channelKind) && !(canBeUnknownToken(channelKind) && kinds_.admits(RecordKind::UnknownToken))) {
        return false;
    }
    if (group != nullptr) return groups_.admits(std::string_view(group));
    return groups_.included.empty();
}

}  // namespace tkcli
