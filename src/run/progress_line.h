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
    // The first position of the file now open past those that show the
    // percentage last computed (which has been shown); 0 after an opening.
    // The positions of the frames read grow between openings (a sync search
    // starts where the frame before it ended, and the run empties the range
    // after a search all the same): so a position below Next shows the
    // percentage last computed.
    std::uint64_t Next = 0;
    std::uint32_t LastShown = 100;  // the percentage last printed; 100 after each opening
    bool Shown = false;             // anything was printed
};

// The read position may have moved: the next position computes anew (and
// shows the percentage if it differs from the one shown last).
inline void RestartProgressRange(ProgressLine& progress) { progress.Next = 0; }

// A capture file was opened: the next position computes and shows anew.
inline void RestartProgress(ProgressLine& progress) {
    RestartProgressRange(progress);
    progress.LastShown = 100;
}

// The percentage moved, or the file changed: recompute, and print when it
// differs from the one shown last.
void ShowNewProgress(ProgressLine& progress, const std::string& fileName, std::uint64_t position,
                     std::uint64_t size);

// The read position in the file now open, of the given size. Inline: it runs
// once per frame, and one comparison tells that the percentage stays.
inline void UpdateProgress(ProgressLine& progress, const std::string& fileName, std::uint64_t position,
                           std::uint64_t size) {
    if (position < progress.Next) [[likely]]
        return;
    ShowNewProgress(progress, fileName, position, size);
}

}  // namespace zelmot
