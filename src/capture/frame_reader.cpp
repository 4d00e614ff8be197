// Frame reader, the long way: file sequence, record stream, look-ahead,
// resynchronisation, and the queue that hands their events out ahead of the
// frame they precede. A pull runs in steps (open the first file; sync and
// read the first frame; read a frame); each step starts with an empty queue
// and a frame not ready. The usual record never comes here: PullRecord takes
// it from the buffer in place (frame_reader.h). A record that crosses the end
// of the buffer or of a file is read here, by ReadCaptureBytes, which is the
// one place that runs on into the next file.
#include "capture/frame_reader.h"

#include <cassert>

#include "common/outcome.h"

namespace zelmot {
namespace {

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

// Following: the step ran out of data; it is undone (UndoStep) and tried
// again at the next pull.
Outcome Starve(ReaderState& state) {
    state.Starved = true;
    return ErrorText("waiting for data");
}

// Following: the file fields a step changes when it opens the next file.
void MarkFileChange(CaptureReader& reader) {
    ReaderStepMark& mark = reader.State.Mark;
    if (mark.FileChanged) return;
    mark.FileChanged = true;
    mark.CaptureName = reader.CurrentCaptureName;
    mark.Header = reader.Header;
    mark.CaptureFileSize = reader.CaptureFileSize;
    mark.FilesOpened = reader.FilesOpened;
    mark.CaptureHour = reader.State.CaptureHour;
    mark.CaptureMinute = reader.State.CaptureMinute;
    mark.NextReady = reader.State.NextReady;
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
    const bool follow = state.Files.Follow;
    if (follow) {
        // The first file is opened when it is there, a later one when the
        // one before it is complete.
        if (reader.FilesOpened > 0 && !state.NextReady) return Starve(state);
        MarkFileChange(reader);
    }
    CloseCaptureFile(state.File);
    if (state.FilesLeft == 0) return EndOfCapture();
    if (!follow) --state.FilesLeft;
    reader.CurrentCaptureName = CaptureFileName(state.Files.CaptureBaseName, state.CaptureHour, state.CaptureMinute);
    if (!OpenCaptureFile(state.File, reader.CurrentCaptureName, state.Files.ReadBufferSize)) {
        if (follow) return Starve(state);
        if (state.Files.MissingFileEnds && reader.FilesOpened > 0) return EndOfCapture();
        return ErrorText("Unable to Open Input File %s", reader.CurrentCaptureName.c_str());
    }
    reader.CaptureFileSize = state.File.Size;
    reader.Header.fill(0);
    const std::size_t headerRead = ReadBytes(state.File, reader.Header.data(), reader.Header.size());
    if (follow) {
        if (headerRead < reader.Header.size()) return Starve(state);
        state.NextReady = false;
    }
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
// Every record cut by the end of a file meets it here (a record cut by the
// end of the buffer only refills it, in ReadBytes): this is where the end of
// a file is taken as the place to go on from, or as damage.
Outcome ReadCaptureBytes(CaptureReader& reader, std::uint8_t* destination, std::size_t n) {
    assert(destination != nullptr && n > 0 && n <= kFrameBufferSize);
    CaptureFile& file = reader.State.File;
    if (!IsOpen(file)) {
        Outcome opened = OpenNextCaptureFile(reader);
        if (!opened.IsOk()) return opened;
    }
    std::size_t got = ReadBytes(file, destination, n);
    if (got == n) return Success();
    if (reader.State.Files.Follow && !reader.State.NextReady) return Starve(reader.State);
    Outcome opened = OpenNextCaptureFile(reader);
    if (!opened.IsOk()) return opened;
    if (ReadBytes(file, destination + got, n - got) == n - got) return Success();
    if (reader.State.Files.Follow) return Starve(reader.State);
    return ErrorText("Capture File Read Error: Data Under Run");
}

// How a sync candidate fares: its first kSyncCheckRecords records well
// marked (or the file's end first), and its own time stamp not later than
// the stamp of the record right after it.
enum class CandidateCheck { Confirmed, LaterThanNext, Rejected, CutShort };

// Checks the records from the candidate at mark on, reading their headers
// as far as the file goes and seeking over their bodies. A header cut short
// by the file's end is judged by the bytes present and ends the check; the
// time test needs the candidate's full header and the full one after it.
// When the file may still grow (live), a check that reaches its end is
// CutShort: it is made again once more has been written.
CandidateCheck CheckCandidate(CaptureFile& file, std::uint64_t mark, bool live) {
    SeekTo(file, mark);
    std::uint64_t candidateStamp = 0;
    bool laterThanNext = false;
    for (int record = 0; record < kSyncCheckRecords; ++record) {
        std::uint8_t header[kRecordHeaderSize];
        std::size_t got = ReadBytes(file, header, sizeof header);
        if (got == 0) {
            if (live) return CandidateCheck::CutShort;
            break;
        }
        if (header[0] != kSyncMark) return CandidateCheck::Rejected;
        if (got < sizeof header) {
            if (live) return CandidateCheck::CutShort;
            break;
        }
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
Outcome SyncToRecords(ReaderState& state) {
    CaptureFile& file = state.File;
    assert(IsOpen(file));
    const bool live = state.Files.Follow && !state.NextReady;
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
            if (c < 0 && live) return Starve(state);
            if (c < 0 || ++strays == kSyncSearchLimit)
                return fail("Capture File Sync Error: SYNC_MARK not found");
            c = ReadByte(file);
        }
        std::uint64_t mark = ReadPosition(file) - 1;
        CandidateCheck check = CheckCandidate(file, mark, live);
        if (check == CandidateCheck::CutShort) return Starve(state);
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
        Outcome synced = SyncToRecords(state);
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
    if (state.Files.LocateFields) LocateFrameFields(frame);
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
void EndReading(ReaderState& state, const Outcome& outcome) {
    CloseCaptureFile(state.File);
    state.Stage = ReaderStage::Ended;
    QueueOutcome(state, outcome);
}

// Following: notes where a step starts.
void MarkStep(ReaderState& state) {
    ReaderStepMark& mark = state.Mark;
    mark.Stage = state.Stage;
    mark.Position = IsOpen(state.File) ? ReadPosition(state.File) : 0;
    mark.ResyncOrigin = state.ResyncOrigin;
    mark.PendingTimeStamp = state.PendingTimeStamp;
    mark.PendingLength = state.PendingLength;
    mark.FileChanged = false;
    state.Starved = false;
}

// Following: the step ran out of data; back to where it started, its
// events dropped (the step raises them again when it is tried again).
void UndoStep(CaptureReader& reader) {
    ReaderState& state = reader.State;
    const ReaderStepMark& mark = state.Mark;
    state.Starved = false;
    state.Queue = ReaderEventQueue{};
    state.FrameReady = false;
    state.Stage = mark.Stage;
    state.ResyncOrigin = mark.ResyncOrigin;
    state.PendingTimeStamp = mark.PendingTimeStamp;
    state.PendingLength = mark.PendingLength;
    if (mark.FileChanged) {
        CloseCaptureFile(state.File);
        reader.CurrentCaptureName = mark.CaptureName;
        reader.Header = mark.Header;
        reader.CaptureFileSize = mark.CaptureFileSize;
        reader.FilesOpened = mark.FilesOpened;
        state.CaptureHour = mark.CaptureHour;
        state.CaptureMinute = mark.CaptureMinute;
        state.NextReady = mark.NextReady;
        if (mark.Stage == ReaderStage::Opening) return;
        if (!OpenCaptureFile(state.File, mark.CaptureName)) {
            EndReading(state, ErrorText("Unable to Open Input File %s", mark.CaptureName.c_str()));
            return;
        }
        reader.CaptureFileSize = state.File.Size;
    }
    if (IsOpen(state.File)) SeekTo(state.File, mark.Position);
}

// The step's end: a fault or the end of the capture ends the run; a step
// that ran out of data while following is undone and waits.
void EndStep(CaptureReader& reader, const Outcome& step) {
    if (reader.State.Starved) {
        UndoStep(reader);
        if (reader.State.Stage != ReaderStage::Ended) {
            ReaderEvent waiting;
            waiting.Kind = RecordKind::Waiting;
            QueueEvent(reader.State, std::move(waiting));
        }
        return;
    }
    EndReading(reader.State, step);
}

// One step of a pull; what it raises is queued.
void Advance(CaptureReader& reader) {
    ReaderState& state = reader.State;
    if (state.Files.Follow) MarkStep(state);
    Outcome step;
    switch (state.Stage) {
        case ReaderStage::Opening:
            step = OpenNextCaptureFile(reader);
            if (step.IsOk()) state.Stage = ReaderStage::Syncing;
            break;
        case ReaderStage::Syncing:
            step = SyncToRecords(state);
            if (step.IsOk()) step = ReadFrame(reader, true);
            if (step.IsOk()) state.Stage = ReaderStage::Reading;
            break;
        case ReaderStage::Reading:
            step = ReadFrame(reader, false);
            break;
        case ReaderStage::Ended:
            return;
    }
    if (!step.IsOk()) EndStep(reader, step);
}

RecordKind DeliverFrame(ReaderState& state) {
    assert(state.FrameReady);
    state.FrameReady = false;
    ++state.FramesDelivered;
    return RecordKind::Frame;
}

// Events first, then the frame they precede, then the next step.
RecordKind PullQueued(CaptureReader& reader) {
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
    state.FilesLeft = files.Follow ? UINT32_MAX : files.NumMin;
    state.Files = std::move(files);
}

void FollowOnTo(CaptureReader& reader, unsigned hour, unsigned minute) {
    ReaderState& state = reader.State;
    state.CaptureHour = hour;
    state.CaptureMinute = minute;
    state.NextReady = true;
}

void NextCaptureMinute(const CaptureReader& reader, unsigned& hour, unsigned& minute) {
    hour = reader.State.CaptureHour;
    minute = reader.State.CaptureMinute;
}

std::uint64_t RefreshCaptureReader(CaptureReader& reader) {
    CaptureFile& file = reader.State.File;
    if (!IsOpen(file)) return 0;
    UpdateCaptureFileSize(file);
    reader.CaptureFileSize = file.Size;
    return file.Size;
}

RecordKind PullRecordTheLongWay(CaptureReader& reader) {
    ReaderState& state = reader.State;
    RecordKind kind = RecordKind::Frame;
    if (state.Stage == ReaderStage::Reading && state.Queue.Count == 0 && !state.FrameReady) {
        // A record the buffer does not hold whole, or one after a lost boundary.
        if (state.Files.Follow) MarkStep(state);
        Outcome read = ReadFrame(reader, false);
        if (read.IsOk() && state.Queue.Count == 0) {
            kind = DeliverFrame(state);
        } else {
            if (!read.IsOk()) EndStep(reader, read);
            kind = PullQueued(reader);
        }
    } else {
        kind = PullQueued(reader);
    }
    state.InStream = state.Stage == ReaderStage::Reading && state.Queue.Count == 0 && !state.FrameReady;
    return kind;
}

void CloseCaptureReader(CaptureReader& reader) { CloseCaptureFile(reader.State.File); }

}  // namespace zelmot
