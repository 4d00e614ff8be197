// The previous frame reader (see previous_reader.h), as it was: its buffered
// file, its field table and its pull, copied unchanged but for their
// namespace and the declarations the header now holds.
#include "support/previous_reader.h"

#include <algorithm>
#include <cassert>
#include <climits>
#include <cstring>

#include "common/outcome.h"
#include "fdl/fdl_codes.h"
#include "fdl/frame_fields.h"

namespace zelmot::previous {
namespace {

// ---- capture_file.h (inline part)
inline std::uint64_t ReadPosition(const CaptureFile& cf) { return cf.BufferStart + cf.BufferPos; }
std::size_t ReadBytesRefilling(CaptureFile& cf, std::uint8_t* destination, std::size_t n);
void CloseCaptureFile(CaptureFile& cf);
inline bool IsOpen(const CaptureFile& cf) { return cf.File != nullptr; }

// Reads up to n bytes; the count read (less than n only at the end).
inline std::size_t ReadBytes(CaptureFile& cf, std::uint8_t* destination, std::size_t n) {
    if (cf.BufferLength - cf.BufferPos >= n) {  // the usual case: all in the buffer
        std::memcpy(destination, cf.Buffer.data() + cf.BufferPos, n);
        cf.BufferPos += n;
        return n;
    }
    return ReadBytesRefilling(cf, destination, n);
}

// ---- capture_file.cpp

constexpr std::size_t kCaptureBufferSize = 256 * 1024;

// Refills the buffer from the current position; false at the end.
bool Refill(CaptureFile& cf) {
    cf.BufferStart += cf.BufferPos;
    cf.BufferPos = 0;
    cf.BufferLength = 0;
    if (!cf.Positioned) {
        if (cf.BufferStart > static_cast<std::uint64_t>(LONG_MAX) ||
            std::fseek(cf.File, static_cast<long>(cf.BufferStart), SEEK_SET) != 0)
            return false;
        cf.Positioned = true;
    }
    if (cf.BufferStart >= cf.Size) return false;
    cf.BufferLength = std::fread(cf.Buffer.data(), 1, cf.Buffer.size(), cf.File);
    return cf.BufferLength > 0;
}

bool OpenCaptureFile(CaptureFile& cf, const std::string& path) {
    CloseCaptureFile(cf);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    // A folder opens on some systems but cannot be read: refuse it here.
    int first = std::getc(file);
    long size = -1;
    if (!(first == EOF && std::ferror(file)) && std::fseek(file, 0, SEEK_END) == 0)
        size = std::ftell(file);
    if (size < 0 || std::fseek(file, 0, SEEK_SET) != 0) {
        std::fclose(file);
        return false;
    }
    cf.File = file;
    cf.Buffer.resize(kCaptureBufferSize);
    cf.BufferStart = 0;
    cf.BufferLength = 0;
    cf.BufferPos = 0;
    cf.Positioned = true;
    cf.Size = static_cast<std::uint64_t>(size);
    return true;
}

void CloseCaptureFile(CaptureFile& cf) {
    if (cf.File != nullptr) std::fclose(cf.File);
    cf.File = nullptr;
    cf.BufferStart = 0;
    cf.BufferLength = 0;
    cf.BufferPos = 0;
    cf.Size = 0;
}

std::size_t ReadBytesRefilling(CaptureFile& cf, std::uint8_t* destination, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
        if (cf.BufferPos == cf.BufferLength && !Refill(cf)) break;
        std::size_t take = std::min(n - done, cf.BufferLength - cf.BufferPos);
        std::memcpy(destination + done, cf.Buffer.data() + cf.BufferPos, take);
        cf.BufferPos += take;
        done += take;
    }
    return done;
}

int ReadByte(CaptureFile& cf) {
    if (cf.BufferPos == cf.BufferLength && !Refill(cf)) return -1;
    return cf.Buffer[cf.BufferPos++];
}

void SeekTo(CaptureFile& cf, std::uint64_t offset) {
    if (offset >= cf.BufferStart && offset <= cf.BufferStart + cf.BufferLength) {
        cf.BufferPos = static_cast<std::size_t>(offset - cf.BufferStart);
        return;
    }
    cf.BufferStart = offset;
    cf.BufferPos = 0;
    cf.BufferLength = 0;
    cf.Positioned = false;
}

// ---- fdl/frame_fields.cpp

struct DelimiterLayout {
    std::uint8_t Sd;
    std::int16_t Da, Fc, Data;
    bool Saps;  // may carry SAP bytes
};

constexpr DelimiterLayout kLayouts[] = {
    {fdl::SD1, 1, 3, kAbsentField, false},
    {fdl::SD2, 4, 6, 7, true},  // DataLen from LE
    {fdl::SD3, 1, 3, 4, true},  // 8 data units
    {fdl::SD4, 1, kAbsentField, kAbsentField, false},  // the token
};

// A frame byte, or 0 for an index outside the frame.
std::uint8_t ByteOrZero(const std::uint8_t* bytes, std::uint8_t length, int index) {
    return index >= 0 && index < length ? bytes[index] : 0;
}

void LocateFieldsByTable(FrameFieldView& view, const std::uint8_t* bytes, std::uint8_t length) {
    view = FrameFieldView{};
    view.Status = bytes[length];
    if (length == 0) return;
    view.SD = bytes[0];
    for (const DelimiterLayout& layout : kLayouts) {
        if (layout.Sd != view.SD) continue;
        view.DA = layout.Da;
        view.FC = layout.Fc;
        view.Data = layout.Data;
        if (view.SD == fdl::SD2 && length > 1)
            view.DataLen = static_cast<std::uint8_t>(bytes[1] - 3);  // wraps below 3
        if (view.SD == fdl::SD3) view.DataLen = 8;
        if (!layout.Saps) return;
        if (ByteOrZero(bytes, length, view.DA) & fdl::SapExtBit) {
            view.DSAP = view.Data++;
            --view.DataLen;
        }
        if (ByteOrZero(bytes, length, view.DA + 1) & fdl::SapExtBit) {
            view.SSAP = view.Data++;
            --view.DataLen;
        }
        return;
    }
}

// ---- frame_reader.cpp

constexpr int kSyncSearchLimit = 280;  // stray bytes per search, and candidates tried
constexpr int kSyncCheckRecords = 100;

// The frame bytes and the status byte after them fit whatever the length byte says.
static_assert(kFrameBufferSize >= 255 + 1);

void QueueEvent(ReaderState& state, ReaderEvent event) {
    ReaderEventQueue& queue = state.Queue;
    assert(queue.Count < kReaderEventQueueSize && "one step raised more events than the queue holds");
    queue.Events[(queue.Head + queue.Count) % kReaderEventQueueSize] = std::move(event);
    ++queue.Count;
}

void QueueOutcome(ReaderState& state, const Outcome& outcome) {
    assert(!outcome.IsOk());
    ReaderEvent event;
    event.Kind = outcome.IsEnd() ? RecordKind::EndOfCapture : RecordKind::Error;
    event.Text = outcome.Text;
    QueueEvent(state, std::move(event));
}

Outcome OpenNextCaptureFile(CaptureReader& reader) {
    ReaderState& state = reader.State;
    CloseCaptureFile(state.File);
    if (state.FilesLeft == 0) return EndOfCapture();
    --state.FilesLeft;
    reader.CurrentCaptureName = CaptureFileName(state.Files.CaptureBaseName, state.CaptureHour, state.CaptureMinute);
    if (!OpenCaptureFile(state.File, reader.CurrentCaptureName)) {
        if (state.Files.MissingFileEnds && reader.FilesOpened > 0) return EndOfCapture();
        return ErrorText("Unable to Open Input File %s", reader.CurrentCaptureName.c_str());
    }
    reader.CaptureFileSize = state.File.Size;
    reader.Header.fill(0);
    ReadBytes(state.File, reader.Header.data(), reader.Header.size());
    if (reader.FilesOpened++ == 0) {
        ReaderEvent header;
        header.Kind = RecordKind::HeaderRead;
        header.Header = reader.Header;
        QueueEvent(state, std::move(header));
    }
    ReaderEvent opened;
    opened.Kind = RecordKind::FileOpened;
    opened.Text = reader.CurrentCaptureName;
    QueueEvent(state, std::move(opened));
    AdvanceCaptureMinute(state.CaptureHour, state.CaptureMinute);
    return Success();
}

// Reads n bytes of the record stream, running on into the next file (right
// after its header) when the current one ends; a read spans at most two files.
Outcome ReadCaptureBytes(CaptureReader& reader, std::uint8_t* destination, std::size_t n) {
    assert(destination != nullptr && n > 0 && n <= kFrameBufferSize);
    CaptureFile& file = reader.State.File;
    if (!IsOpen(file)) {
        Outcome opened = OpenNextCaptureFile(reader);
        if (!opened.IsOk()) return opened;
    }
    std::size_t got = ReadBytes(file, destination, n);
    if (got == n) return Success();
    Outcome opened = OpenNextCaptureFile(reader);
    if (!opened.IsOk()) return opened;
    if (ReadBytes(file, destination + got, n - got) == n - got) return Success();
    return ErrorText("Capture File Read Error: Data Under Run");
}

// How a sync candidate fares: its first kSyncCheckRecords records well
// marked (or the file's end first), and its own time stamp not later than
// the stamp of the record right after it.
enum class CandidateCheck { Confirmed, LaterThanNext, Rejected };

// Checks the records from the candidate at mark on, reading their headers
// as far as the file goes and seeking over their bodies. A header cut short
// by the file's end is judged by the bytes present and ends the check; the
// time test needs the candidate's full header and the full one after it.
CandidateCheck CheckCandidate(CaptureFile& file, std::uint64_t mark) {
    SeekTo(file, mark);
    std::uint64_t candidateStamp = 0;
    bool laterThanNext = false;
    for (int record = 0; record < kSyncCheckRecords; ++record) {
        std::uint8_t header[kRecordHeaderSize];
        std::size_t got = ReadBytes(file, header, sizeof header);
        if (got == 0) break;
        if (header[0] != kSyncMark) return CandidateCheck::Rejected;
        if (got < sizeof header) break;
        // A garbage 0xDD inside a damaged frame can lead onto a real record;
        // its random stamp then nearly always lies after that record's.
        if (record == 0) candidateStamp = RecordTimeStamp(header);
        if (record == 1) laterThanNext = candidateStamp > RecordTimeStamp(header);
        SeekTo(file, ReadPosition(file) + header[7] + 1u);
    }
    return laterThanNext ? CandidateCheck::LaterThanNext : CandidateCheck::Confirmed;
}

// Positions the capture file now open on a record boundary confirmed by the
// records that follow, searching from the read position on and never
// leaving the file. A candidate whose marks hold but whose stamp is later
// than the next record's is passed over; the first such one is taken only
// when the search would otherwise fail, so a search that succeeded before
// still succeeds.
Outcome SyncToRecords(CaptureFile& file) {
    assert(IsOpen(file));
    std::uint64_t start = ReadPosition(file);
    bool haveFallback = false;
    std::uint64_t fallback = 0;
    auto fail = [&](const char* message) {
        if (!haveFallback) return ErrorText("%s", message);
        SeekTo(file, fallback);
        return Success();
    };
    for (int candidate = 0; candidate < kSyncSearchLimit; ++candidate) {
        SeekTo(file, start);
        int strays = 0;
        int c = ReadByte(file);
        while (c != kSyncMark) {
            if (c < 0 || ++strays == kSyncSearchLimit)
                return fail("Capture File Sync Error: SYNC_MARK not found");
            c = ReadByte(file);
        }
        std::uint64_t mark = ReadPosition(file) - 1;
        CandidateCheck check = CheckCandidate(file, mark);
        if (check == CandidateCheck::Confirmed) {
            SeekTo(file, mark);
            return Success();
        }
        if (check == CandidateCheck::LaterThanNext && !haveFallback) {
            haveFallback = true;
            fallback = mark;
        }
        start = mark + 1;
    }
    return fail("Capture File Sync Error: Unable to Sync");
}

// Reads one record header; when it lacks the sync mark, notes the loss,
// searches again from the resynchronisation origin and reads the header
// found there, which is not tested again.
Outcome ReadRecordHeader(CaptureReader& reader, std::uint8_t* header) {
    ReaderState& state = reader.State;
    Outcome read = ReadCaptureBytes(reader, header, kRecordHeaderSize);
    if (!read.IsOk()) return read;
    std::uint64_t position = ReadPosition(state.File);
    // A header read from a newly opened file lies before the origin.
    if (position < state.ResyncOrigin) state.ResyncOrigin = position;
    if (header[0] != kSyncMark) {
        ReaderEvent lost;
        lost.Kind = RecordKind::SyncLost;
        lost.SyncLost = SyncLostNote{state.FramesDelivered, position, header[0]};
        QueueEvent(state, std::move(lost));
        SeekTo(state.File, state.ResyncOrigin);
        Outcome synced = SyncToRecords(state.File);
        if (!synced.IsOk()) return synced;
        read = ReadCaptureBytes(reader, header, kRecordHeaderSize);
        if (!read.IsOk()) return read;
    }
    state.ResyncOrigin = position;
    return Success();
}

// Fills reader.Frame with the record whose header was read ahead (the first
// frame reads its own header first) and reads the header after it.
Outcome ReadFrame(CaptureReader& reader, bool firstFrame) {
    ReaderState& state = reader.State;
    assert(!state.FrameReady && state.Queue.Count == 0);
    assert(firstFrame == (state.Stage == ReaderStage::Syncing));
    CaptureFrame& frame = reader.Frame;
    std::uint8_t header[kRecordHeaderSize];
    if (firstFrame) {
        Outcome read = ReadRecordHeader(reader, header);
        if (!read.IsOk()) return read;
        state.PendingTimeStamp = RecordTimeStamp(header);
        state.PendingLength = header[7];
    }
    frame.TimeStamp = state.PendingTimeStamp;
    frame.Length = state.PendingLength;
    Outcome read = ReadCaptureBytes(reader, frame.Bytes.data(), frame.Length + 1u);
    if (!read.IsOk()) return read;
    frame.Status = frame.Bytes[frame.Length];
    LocateFieldsByTable(frame.Fields, frame.Bytes.data(), frame.Length);
    read = ReadRecordHeader(reader, header);
    if (!read.IsOk()) return read;
    state.PendingTimeStamp = RecordTimeStamp(header);
    state.PendingLength = header[7];
    frame.NextTimeStamp = state.PendingTimeStamp;
    frame.FileOffset = ReadPosition(state.File);
    state.FrameReady = true;
    return Success();
}

// Ends the run with the fault or the end of the capture: the file is
// closed and the outcome waits at the head of the queue.
[[gnu::noinline]] void EndReading(ReaderState& state, const Outcome& outcome) {
    CloseCaptureFile(state.File);
    state.Stage = ReaderStage::Ended;
    QueueOutcome(state, outcome);
}

// One step of a pull; what it raises is queued.
void Advance(CaptureReader& reader) {
    ReaderState& state = reader.State;
    Outcome step;
    switch (state.Stage) {
        case ReaderStage::Opening:
            step = OpenNextCaptureFile(reader);
            if (step.IsOk()) state.Stage = ReaderStage::Syncing;
            break;
        case ReaderStage::Syncing:
            step = SyncToRecords(state.File);
            if (step.IsOk()) step = ReadFrame(reader, true);
            if (step.IsOk()) state.Stage = ReaderStage::Reading;
            break;
        case ReaderStage::Reading:
            step = ReadFrame(reader, false);
            break;
        case ReaderStage::Ended:
            return;
    }
    if (!step.IsOk()) EndReading(state, step);
}

RecordKind DeliverFrame(ReaderState& state) {
    assert(state.FrameReady);
    state.FrameReady = false;
    ++state.FramesDelivered;
    return RecordKind::Frame;
}

// Events first, then the frame they precede, then the next step. Out of
// line, so that the usual pull stays small.
[[gnu::noinline]] RecordKind PullQueued(CaptureReader& reader) {
    ReaderState& state = reader.State;
    ReaderEventQueue& queue = state.Queue;
    for (;;) {
        if (queue.Count > 0) {
            const ReaderEvent& next = queue.Events[queue.Head];
            reader.Event = next;
            // End and error stay at the head: every later pull repeats them.
            if (next.Kind == RecordKind::EndOfCapture || next.Kind == RecordKind::Error)
                return reader.Event.Kind;
            queue.Head = (queue.Head + 1) % kReaderEventQueueSize;
            --queue.Count;
            return reader.Event.Kind;
        }
        if (state.FrameReady) return DeliverFrame(state);
        Advance(reader);
    }
}

}  // namespace

void StartCaptureReader(CaptureReader& reader, CaptureRunFiles files) {
    CloseCaptureReader(reader);
    reader = CaptureReader{};
    ReaderState& state = reader.State;
    state.CaptureHour = files.StartHour;
    state.CaptureMinute = files.StartMinute;
    state.FilesLeft = files.NumMin;
    state.Files = std::move(files);
}

RecordKind PullRecord(CaptureReader& reader) {
    ReaderState& state = reader.State;
    // The usual case: reading on, nothing queued, a frame and no event.
    if (state.Stage == ReaderStage::Reading && state.Queue.Count == 0 && !state.FrameReady) {
        Outcome read = ReadFrame(reader, false);
        if (read.IsOk() && state.Queue.Count == 0) return DeliverFrame(state);
        if (!read.IsOk()) EndReading(state, read);
    }
    return PullQueued(reader);
}

void CloseCaptureReader(CaptureReader& reader) { CloseCaptureFile(reader.State.File); }

}  // namespace zelmot::previous
