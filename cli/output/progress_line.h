// The progress line that decode keeps on a terminal for large inputs.
#ifndef TKDEC_CLI_PROGRESS_LINE_H
#define TKDEC_CLI_PROGRESS_LINE_H

#include <cstdint>
#include <cstdio>

namespace tkcli {

class ProgressLine {
public:
    // Inputs above this size get a progress line.
    static constexpr uint64_t kThreshold = uint64_t{4} << 20;

    // Shown only when enabled, the total is known and above the threshold.
    ProgressLine(std::FILE *terminal, uint64_t total, bool enabled)
        : terminal_(terminal), total_(total), shown_(enabled && total > kThreshold) {}

    // Redraws the line when the whole percentage changes.
    void update(uint64_t done) {
        if (shown_) redraw(done);
    }
    // Clears the line; the next update draws it again.
    void finish();
    void clear() {
        finish();
        percent_ = -1;
    }

private:
    void redraw(uint64_t done);

    std::FILE *terminal_;
    uint64_t total_;
    bool shown_;
    int percent_ = -1;
};

}  // namespace tkcli

#endif
