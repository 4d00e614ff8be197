// The progress line of a run: the capture file being read and the whole
// percentage of it read so far, "<file> NN%\r", printed whenever the
// percentage changes. Each opening of a capture file makes the next frame
// print it anew.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace zelmot {

struct ProgressLine {
    std::FILE* Out = nullptr;  // nowhere when null
    // The positions [Low, High) of the file now open that show the
    // percentage last computed, which has been shown; empty after an opening.
    std::uint64_t Low = 1;
    std::uint64_t High = 0;
    std::uint32_t LastShown = 100;  // the percentage last printed; 100 after each opening
    bool Shown = false;             // anything was printed
};

// A capture file was opened: the next position computes and shows anew.
inline void RestartProgress(ProgressLine& progress) {
    progress.Low = 1;
    progress.High = 0;
    progress.LastShown = 100;
}

// The percentage moved, or the file changed: recompute, and print when it
// differs from the one shown last.
void ShowNewProgress(ProgressLine& progress, const std::string& fileName, std::uint64_t position,
                     std::uint64_t size);

// The read position in the file now open, of the given size. Inline: it runs
// once per frame, and a frame nearly always stays in the cached range.
inline void UpdateProgress(ProgressLine& progress, const std::string& fileName, std::uint64_t position,
                           std::uint64_t size) {
    if (position >= progress.Low && position < progress.High) return;
    ShowNewProgress(progress, fileName, position, size);
}

}  // namespace zelmot
