// What the frame reader is given and what it hands out besides frames: the
// files that make up a run, the kinds of pull result, and the events a
// caller renders or counts (a header, a file opened, a lost boundary, the
// end or a fault).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "capture/capture_format.h"

namespace zelmot {

// What one pull gives.
enum class RecordKind : std::uint8_t {
    Frame,         // reader.Frame holds the next frame
    HeaderRead,    // the first file's header: event.Header
    FileOpened,    // a capture file was opened: event.Text is its name
    SyncLost,      // a record boundary was lost: event.SyncLost; the search goes on
    EndOfCapture,  // the run's files are used up: the regular end
    Error,         // event.Text is the message; nothing follows
    Waiting,       // following: the next record has not been written yet; pull again later
};

struct SyncLostNote {
    std::uint32_t ReferenceNumber = 0;  // frames delivered before the lost boundary
    std::uint64_t FileOffset = 0;       // read position after the bad record header
    std::uint8_t Mark = 0;              // the byte found where kSyncMark belonged
};

struct ReaderEvent {
    RecordKind Kind = RecordKind::EndOfCapture;
    std::string Text;       // FileOpened: the file name; Error: the message
    CaptureHeader Header{};  // HeaderRead
    SyncLostNote SyncLost;  // SyncLost
};

// Which files make up a run.
struct CaptureRunFiles {
    std::string CaptureBaseName;  // stem of the capture files, directory part kept
    unsigned StartHour = 0;
    unsigned StartMinute = 0;
    std::uint32_t NumMin = 1;
    // A missing file after the first ends the run regularly instead of
    // failing it (for reading "all" minutes until the sequence stops).
    bool MissingFileEnds = false;
    // Bytes read from a capture file at a time; 0 for kCaptureBufferSize.
    // Tests choose small buffers, so that records cross the buffer's end.
    std::size_t ReadBufferSize = 0;
    // Following a recording as it is written: data not there yet is a wait
    // (RecordKind::Waiting), never damage or the end; NumMin does not count,
    // and the reader goes on to the next file only when told that the one
    // open is complete (FollowOnTo in frame_reader.h).
    bool Follow = false;
    // Each frame's fields (CaptureFrame::Fields) are located as it is read;
    // a caller that reads only the bytes turns this off, and Fields then
    // stay as a default view names them: absent.
    bool LocateFields = true;
};

}  // namespace zelmot
