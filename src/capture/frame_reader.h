// The frame reader, a record source: walks a run of per-minute capture files
// as one record stream, finds the record boundaries (again, after damage) by
// a sync search, and hands out one frame at a time with the time stamp of the
// record after it, or one event for the caller to render or count. It writes
// no text; the caller owns what it makes of frames and events.
#pragma once

#include <cstdint>
#include <string>

#include "capture/capture_format.h"
#include "capture/capture_frame.h"
#include "capture/reader_state.h"
#include "capture/reader_types.h"

namespace zelmot {

// One run's reader; it lives on the caller's stack and stays in place
// between pulls (it holds the open capture file: copy it never).
struct CaptureReader {
    CaptureFrame Frame;  // the frame of the last pull that gave RecordKind::Frame
    ReaderEvent Event;   // the event of the last pull that gave one
    CaptureHeader Header{};          // of the file opened last
    std::uint32_t FilesOpened = 0;   // capture files opened so far in the run
    std::string CurrentCaptureName;  // of the file opened last
    std::uint64_t CaptureFileSize = 0;
    ReaderState State;  // the reader's own: no caller names its members
};

// Sets the reader up for a run; nothing is opened until the first pull.
void StartCaptureReader(CaptureReader& reader, CaptureRunFiles files);

// Pulls the next frame or event. Events come before the frame they precede.
// After EndOfCapture or Error every pull gives the same again.
RecordKind PullRecord(CaptureReader& reader);

// Following (CaptureRunFiles.Follow): the file open now is complete, and
// the next one is hour:minute (the next minute's, or the one after a gap in
// the recording); the reader opens it when it reaches the end of this one.
void FollowOnTo(CaptureReader& reader, unsigned hour, unsigned minute);

// The minute whose file the reader opens next.
void NextCaptureMinute(const CaptureReader& reader, unsigned& hour, unsigned& minute);

// Following: takes in what has been written to the open file since; its
// size now (0 with no file open).
std::uint64_t RefreshCaptureReader(CaptureReader& reader);

// Closes the capture file now open, if any.
void CloseCaptureReader(CaptureReader& reader);

}  // namespace zelmot
