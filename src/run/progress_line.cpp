// The progress percentage, recomputed only when the read position reaches
// the first position of the next percentage (or after an opening or a sync
// search), so that a frame usually costs one comparison.
#include "run/progress_line.h"

namespace zelmot {
void ShowNewProgress(ProgressLine& progress, const std::string& fileName, std::uint64_t position,
                     std::uint64_t size) {
    std::uint32_t percent = 100;
    if (size == 0) {
        progress.Next = 0;
    } else {
        percent = static_cast<std::uint32_t>(position * 100 / size);
        progress.Next = ((percent + 1) * size + 99) / 100;
    }
    if (percent == progress.LastShown) return;
    progress.LastShown = percent;
    if (progress.Out == nullptr) return;
    std::fprintf(progress.Out, "%s %2u%%\r", fileName.c_str(), percent);
    progress.Shown = true;
}

}  // namespace zelmot
