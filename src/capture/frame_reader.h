// The frame reader, a record source: walks a run of per-minute capture files
// as one record stream, finds the record boundaries (again, after damage) by
// a sync search, and hands out one frame at a time with the time stamp of the
// record after it, or one event for the caller to render or count. It writes
// no text; the caller owns what it makes of frames and events.
//
// A pull takes the usual record straight from the input buffer (inline,
// below); everything else (the first file and the sync search, a record that
// crosses the end of the buffer or of a file, a lost boundary, the end, a
// fault, the events ahead of a frame) goes the long way in frame_reader.cpp.
#pragma once

#include <cstdint>
#include <cstring>
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

// Every pull but the usual one: the stages before the first frame, records
// that the buffer does not hold whole, lost boundaries, events, the end.
RecordKind PullRecordTheLongWay(CaptureReader& reader);

// The record whose header was read ahead, taken from the input buffer in
// place. It relies on state.InStream: reading on, no event queued, no frame
// waiting, and the file's read position right after the header read ahead,
// so that the frame bytes and the status byte begin at BufferPos. When they
// and the next record's header lie wholly in the buffer and that header
// begins with the sync mark, this does exactly what the long way does for
// such a record (the bytes, the fields, the header after it, the position,
// the resynchronisation origin); otherwise it changes nothing and says no.
inline bool TakeRecordInBuffer(CaptureReader& reader) {
    ReaderState& state = reader.State;
    CaptureFile& file = state.File;
    const std::size_t count = std::size_t{state.PendingLength} + 1;  // the frame bytes and the status byte
    if (!state.InStream || file.BufferLength - file.BufferPos < count + kRecordHeaderSize) return false;
    const std::uint8_t* record = file.Buffer.data() + file.BufferPos;
    const std::uint8_t* next = record + count;
    if (next[0] != kSyncMark) return false;
    CaptureFrame& frame = reader.Frame;
    // The buffer's slack makes a short record one fixed-size copy; the
    // bytes copied past it are no part of the frame.
    static_assert(kCaptureBufferSlack <= kFrameBufferSize);
    std::memcpy(frame.Bytes.data(), record, kCaptureBufferSlack);
    if (count > kCaptureBufferSlack) std::memcpy(frame.Bytes.data(), record, count);
    frame.Length = state.PendingLength;
    frame.Status = record[count - 1];
    frame.TimeStamp = state.PendingTimeStamp;
    if (state.Files.LocateFields) LocateFrameFields(frame);
    state.PendingTimeStamp = RecordTimeStamp(next);
    state.PendingLength = next[7];
    frame.NextTimeStamp = state.PendingTimeStamp;
    file.BufferPos += count + kRecordHeaderSize;
    frame.FileOffset = ReadPosition(file);
    state.ResyncOrigin = frame.FileOffset;
    ++state.FramesDelivered;
    return true;
}

// Pulls the next frame or event. Events come before the frame they precede.
// After EndOfCapture or Error every pull gives the same again.
inline RecordKind PullRecord(CaptureReader& reader) {
    if (TakeRecordInBuffer(reader)) return RecordKind::Frame;
    return PullRecordTheLongWay(reader);
}

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
