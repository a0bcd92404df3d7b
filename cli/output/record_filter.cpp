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

namespace {

size_t editDistance(std::string_view a, std::string_view b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

}  // namespace

std::string RecordFilter::unknownNames(const ChannelLabels &labels) const {
    std::vector<std::string_view> groups;
    std::vector<uint16_t> channels;
    for (uint32_t channel = 0; channel <= 0xFFFF; ++channel) {
        if (!labels.known(static_cast<uint16_t>(channel))) continue;
        channels.push_back(static_cast<uint16_t>(channel));
        if (const char *group = labels.group(static_cast<uint16_t>(channel))) groups.emplace_back(group);
    }
    for (const auto *list : {&channels_.included, &channels_.excluded}) {
        for (const uint64_t channel : *list) {
            if (channels.empty() || labels.known(static_cast<uint16_t>(channel))) continue;
            const auto nearest = *std::min_element(channels.begin(), channels.end(), [&](uint16_t a, uint16_t b) {
                return (a > channel ? a - channel : channel - a) < (b > channel ? b - channel : channel - b);
            });
            return formatText("channel %llu is not a channel of the decoder's build; did you mean %u (%s)?",
                              static_cast<unsigned long long>(channel), nearest, labels.label(nearest));
        }
    }
    for (const auto *list : {&groups_.included, &groups_.excluded}) {
        for (const std::string_view group : *list) {
            if (groups.empty() || std::find(groups.begin(), groups.end(), group) != groups.end()) continue;
            const auto nearest = *std::min_element(groups.begin(), groups.end(), [&](auto a, auto b) {
                return editDistance(group, a) < editDistance(group, b);
            });
            return formatText("group %s is not a log group of the decoder's build; did you mean %.*s?",
                              quoted(group).c_str(), static_cast<int>(nearest.size()), nearest.data());
        }
    }
    return {};
}

}  // namespace tkcli
