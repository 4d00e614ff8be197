// The frame reader's own state between pulls: the file sequence, the open
// capture file, the record header read ahead, where a resynchronisation
// search starts, the stage of the run, and the events waiting ahead of the
// frame they precede. A CaptureReader holds it by value; only the frame
// reader (frame_reader.h and .cpp) reads or writes its members.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "capture/capture_file.h"
#include "capture/reader_types.h"

namespace zelmot {

// The most events one step of a pull raises is six: the step that reads the
// first frame reads its record header, its bytes and the header after it,
// and each of the three reads may open the next file; the header after it
// may lose the boundary, and its re-read may open one more file; then the
// end or a fault. (The first header and the first file's line come from a
// step of their own.) Two places to spare: a caller that closed the reader
// between pulls makes the next read reopen first.
constexpr std::size_t kReaderEventQueueSize = 8;

// A ring of events, oldest at Head.
struct ReaderEventQueue {
    std::array<ReaderEvent, kReaderEventQueueSize> Events;
    std::size_t Head = 0;
    std::size_t Count = 0;
};

enum class ReaderStage : std::uint8_t { Opening, Syncing, Reading, Ended };

// Following: where a step started, so that a step which runs out of data
// is undone and tried again once more has been written. The file's own
// fields are kept only when the step opens the next file.
struct ReaderStepMark {
    ReaderStage Stage = ReaderStage::Opening;
    std::uint64_t Position = 0;
    std::uint64_t ResyncOrigin = 0;
    std::uint64_t PendingTimeStamp = 0;
    std::uint8_t PendingLength = 0;
    bool FileChanged = false;  // the step opened a file: what follows is the one before
    std::string CaptureName;
    CaptureHeader Header{};
    std::uint64_t CaptureFileSize = 0;
    std::uint32_t FilesOpened = 0;
    unsigned CaptureHour = 0;
    unsigned CaptureMinute = 0;
    bool NextReady = false;
};

struct ReaderState {
    CaptureRunFiles Files;
    unsigned CaptureHour = 0;  // name parts of the next file to open
    unsigned CaptureMinute = 0;
    std::uint32_t FilesLeft = 0;
    CaptureFile File;
    std::uint64_t PendingTimeStamp = 0;  // of the record header read ahead
    std::uint8_t PendingLength = 0;
    std::uint64_t ResyncOrigin = 0;  // where a resynchronisation search starts
    std::uint32_t FramesDelivered = 0;
    ReaderStage Stage = ReaderStage::Opening;
    bool FrameReady = false;  // the frame is filled and waits behind the queued events
    // Reading on, nothing queued and no frame waiting: the next pull may take
    // the next record from the buffer in place. Set by every pull that goes
    // the long way, from the stage, the queue and FrameReady.
    bool InStream = false;
    ReaderEventQueue Queue;
    // Following: the open file is complete and the next one (CaptureHour,
    // CaptureMinute) may be opened at its end; Starved: the step ran out of data.
    bool NextReady = false;
    bool Starved = false;
    ReaderStepMark Mark;
};

}  // namespace zelmot
