// The frame reader, a record source: walks a run of per-minute capture files
// as one record stream, finds the record boundaries (again, after damage) by
// a sync search, and hands out one frame at a time with the time stamp of the
// record after it, or one event for the caller to render or count. It writes
// no text; the caller owns what it makes of frames and events.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "capture/capture_file.h"
#include "capture/capture_format.h"
#include "capture/capture_frame.h"
#include "common/outcome.h"

namespace zelmot {

// What one pull gives.
enum class RecordKind : std::uint8_t {
    Frame,         // reader.Frame holds the next frame
    HeaderRead,    // the first file's header: event.Header
    FileOpened,    // a capture file was opened: event.Text is its name
    SyncLost,      // a record boundary was lost: event.SyncLost; the search goes on
    EndOfCapture,  // the run's files are used up: the regular end
    Error,         // event.Text is the message; nothing follows
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
};

// Events a single pull can raise before its frame: a file opened while the
// frame's bytes are read, one while the header after it is read, a lost
// boundary, one more file during the re-read, the end or an error, and the
// first header.
constexpr std::size_t kReaderEventQueueSize = 8;

struct CaptureReader {
    CaptureRunFiles Files;
    unsigned CaptureHour = 0;  // name parts of the next file to open
    unsigned CaptureMinute = 0;
    std::uint32_t FilesLeft = 0;
    std::uint32_t FilesOpened = 0;
    CaptureFile File;
    std::string CurrentCaptureName;
    std::uint64_t CaptureFileSize = 0;
    CaptureHeader Header{};
    std::uint64_t PendingTimeStamp = 0;  // of the record header read ahead
    std::uint8_t PendingLength = 0;
    std::uint64_t ResyncOrigin = 0;  // where a resynchronisation search starts
    std::uint32_t FramesDelivered = 0;
    enum class Phase : std::uint8_t { Opening, Syncing, Reading, Ended } Stage = Phase::Opening;
    bool FrameReady = false;  // Frame is filled and waits behind the queued events
    std::array<ReaderEvent, kReaderEventQueueSize> Queue;
    std::size_t QueueHead = 0;
    std::size_t QueueCount = 0;
    CaptureFrame Frame;  // the frame of the last pull that gave RecordKind::Frame
    ReaderEvent Event;   // the event of the last pull that gave one
};

// Sets the reader up for a run; nothing is opened until the first pull.
void StartCaptureReader(CaptureReader& reader, CaptureRunFiles files);

// Pulls the next frame or event. After EndOfCapture or Error every pull
// gives the same again.
RecordKind PullRecord(CaptureReader& reader);

// Closes the capture file now open, if any.
void CloseCaptureReader(CaptureReader& reader);

// The steps a pull is made of, for tests of their edge cases.
Outcome OpenNextCaptureFile(CaptureReader& reader);
Outcome ReadCaptureBytes(CaptureReader& reader, std::uint8_t* destination, std::size_t n);
Outcome ReadRecordHeader(CaptureReader& reader, std::uint8_t* header);
Outcome SyncToRecords(CaptureReader& reader);
Outcome ReadFrame(CaptureReader& reader, bool firstFrame);

// Read position in the capture file now open.
inline std::uint64_t CapturePosition(const CaptureReader& reader) { return ReadPosition(reader.File); }

}  // namespace zelmot
