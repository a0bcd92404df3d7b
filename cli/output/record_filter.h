// The records that decode keeps: --channel, --group, --kind and --id, each
// a comma-separated list in which an item with a leading '!' excludes.
#ifndef TKDEC_CLI_RECORD_FILTER_H
#define TKDEC_CLI_RECORD_FILTER_H

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "output/channel_labels.h"

namespace tkcli {

class RecordFilter {
public:
    // Each argument may be nullptr (no such option). False with problem set
    // for a list item that is not a number or a kind name.
    bool parse(const char *channels, const char *groups, const char *kinds, const char *ids, std::string &problem);

    // What can be told before decoding: the channel, the id, and the kind
    // and group that the channel gives.
    bool admitsBeforeDecoding(uint16_t channel, uint32_t id, RecordKind channelKind, const char *group) const;
    // The kind found by decoding (an unknown token shows only then).
    bool admitsKind(RecordKind kind) const { return kinds_.admits(kind); }
    // Whether any list was given: without one every record is kept.
    bool active() const { return active_; }

private:
    template <typename T>
    struct Choice {
        std::vector<T> included;
        std::vector<T> excluded;
        bool admits(const T &value) const {
            const auto has = [&](const std::vector<T> &list) {
                return std::find(list.begin(), list.end(), value) != list.end();
            };
            return (included.empty() || has(included)) && !has(excluded);
        }
    };

    Choice<uint64_t> channels_;
    Choice<std::string_view> groups_;  // into the command line
    Choice<RecordKind> kinds_;
    Choice<uint64_t> ids_;
    bool active_ = false;
};

}  // namespace tkcli

#endif
