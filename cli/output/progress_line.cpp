#include "output/progress_line.h"

namespace tkcli {

void ProgressLine::redraw(uint64_t done) {
    const int percent = static_cast<int>((done < total_ ? done : total_) * 100 / total_);
    if (percent == percent_) return;
    percent_ = percent;
    std::fprintf(terminal_, "\rtkdec: decoding %3d%% of %llu MB", percent,
                 static_cast<unsigned long long>((total_ + 500000) / 1000000));
    std::fflush(terminal_);
}

void ProgressLine::finish() {
    if (!shown_ || percent_ < 0) return;
    std::fprintf(terminal_, "\r%40s\r", "");
    std::fflush(terminal_);
}

}  // namespace tkcli
