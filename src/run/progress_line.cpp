// The progress percentage, recomputed only when the read position leaves the
// range of positions that give the percentage shown last, so that a frame
// usually costs two comparisons.
#include "run/progress_line.h"

namespace zelmot {
void ShowNewProgress(ProgressLine& progress, const std::string& fileName, std::uint64_t position,
                     std::uint64_t size) {
    std::uint32_t percent = 100;
    if (size == 0) {
        progress.Low = progress.High = 0;
    } else {
        percent = static_cast<std::uint32_t>(position * 100 / size);
        progress.Low = (percent * size + 99) / 100;
        progress.High = ((percent + 1) * size + 99) / 100;
    }
    if (percent == progress.LastShown) return;
    progress.LastShown = percent;
    if (progress.Out == nullptr) return;
    std::fprintf(progress.Out, "%s %2u%%\r", fileName.c_str(), percent);
    progress.Shown = true;
}

}  // namespace zelmot
