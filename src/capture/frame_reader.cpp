// Frame reader: file sequence, record stream, look-ahead, resynchronisation,
// and the queue that hands their events out ahead of the frame they precede.
#include "capture/frame_reader.h"

namespace zelmot {
namespace {

constexpr int kSyncSearchLimit = 280;  // stray bytes per search, and candidates tried
constexpr int kSyncCheckRecords = 100;

void QueueEvent(CaptureReader& reader, ReaderEvent event) {
    // The queue is sized for the most one pull can raise; a further event
    // would be a fault of the reader, and it replaces the last one.
    std::size_t count = reader.QueueCount < kReaderEventQueueSize ? reader.QueueCount++
                                                                  : kReaderEventQueueSize - 1;
    reader.Queue[(reader.QueueHead + count) % kReaderEventQueueSize] = std::move(event);
}

void QueueOutcome(CaptureReader& reader, const Outcome& outcome) {
    ReaderEvent event;
    event.Kind = outcome.IsEnd() ? RecordKind::EndOfCapture : RecordKind::Error;
    event.Text = outcome.Text;
    QueueEvent(reader, std::move(event));
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

// Ends the run with the fault or the end of the capture: the file is
// closed and the outcome waits at the head of the queue.
void EndReading(CaptureReader& reader, const Outcome& outcome) {
    CloseCaptureFile(reader.File);
    reader.Stage = CaptureReader::Phase::Ended;
    QueueOutcome(reader, outcome);
}

// One step of a pull; what it raises is queued.
void Advance(CaptureReader& reader) {
    Outcome step;
    switch (reader.Stage) {
        case CaptureReader::Phase::Opening:
            step = OpenNextCaptureFile(reader);
            if (step.IsOk()) reader.Stage = CaptureReader::Phase::Syncing;
            break;
        case CaptureReader::Phase::Syncing:
            step = SyncToRecords(reader);
            if (step.IsOk()) step = ReadFrame(reader, true);
            if (step.IsOk()) reader.Stage = CaptureReader::Phase::Reading;
            break;
        case CaptureReader::Phase::Reading:
            step = ReadFrame(reader, false);
            break;
        case CaptureReader::Phase::Ended:
            return;
    }
    if (!step.IsOk()) EndReading(reader, step);
}

RecordKind DeliverFrame(CaptureReader& reader) {
    reader.FrameReady = false;
    ++reader.FramesDelivered;
    return RecordKind::Frame;
}

// Events first, then the frame they precede, then the next step.
RecordKind PullQueued(CaptureReader& reader) {
    for (;;) {
        if (reader.QueueCount > 0) {
            ReaderEvent& next = reader.Queue[reader.QueueHead];
            reader.Event = next;
            // End and error stay at the head: every later pull repeats them.
            if (next.Kind == RecordKind::EndOfCapture || next.Kind == RecordKind::Error)
                return reader.Event.Kind;
            reader.QueueHead = (reader.QueueHead + 1) % kReaderEventQueueSize;
            --reader.QueueCount;
            return reader.Event.Kind;
        }
        if (reader.FrameReady) return DeliverFrame(reader);
        Advance(reader);
    }
}

}  // namespace

void StartCaptureReader(CaptureReader& reader, CaptureRunFiles files) {
    CloseCaptureReader(reader);
    reader = CaptureReader{};
    reader.CaptureHour = files.StartHour;
    reader.CaptureMinute = files.StartMinute;
    reader.FilesLeft = files.NumMin;
    reader.Files = std::move(files);
}

RecordKind PullRecord(CaptureReader& reader) {
    // The usual case: reading on, nothing queued, a frame and no event.
    if (reader.Stage == CaptureReader::Phase::Reading && reader.QueueCount == 0 && !reader.FrameReady) {
        Outcome read = ReadFrame(reader, false);
        if (!read.IsOk()) EndReading(reader, read);
        if (reader.QueueCount == 0) return DeliverFrame(reader);
    }
    return PullQueued(reader);
}

void CloseCaptureReader(CaptureReader& reader) { CloseCaptureFile(reader.File); }

Outcome OpenNextCaptureFile(CaptureReader& reader) {
    CloseCaptureFile(reader.File);
    if (reader.FilesLeft == 0) return EndOfCapture();
    --reader.FilesLeft;
    reader.CurrentCaptureName =
        CaptureFileName(reader.Files.CaptureBaseName, reader.CaptureHour, reader.CaptureMinute);
    if (!OpenCaptureFile(reader.File, reader.CurrentCaptureName)) {
        if (reader.Files.MissingFileEnds && reader.FilesOpened > 0) return EndOfCapture();
        return ErrorText("Unable to Open Input File %s", reader.CurrentCaptureName.c_str());
    }
    reader.CaptureFileSize = reader.File.Size;
    reader.Header.fill(0);
    ReadBytes(reader.File, reader.Header.data(), reader.Header.size());
    if (reader.FilesOpened++ == 0) {
        ReaderEvent header;
        header.Kind = RecordKind::HeaderRead;
        header.Header = reader.Header;
        QueueEvent(reader, std::move(header));
    }
    ReaderEvent opened;
    opened.Kind = RecordKind::FileOpened;
    opened.Text = reader.CurrentCaptureName;
    QueueEvent(reader, std::move(opened));
    AdvanceCaptureMinute(reader.CaptureHour, reader.CaptureMinute);
    return Success();
}

Outcome ReadCaptureBytes(CaptureReader& reader, std::uint8_t* destination, std::size_t n) {
    if (!IsOpen(reader.File)) {
        Outcome opened = OpenNextCaptureFile(reader);
        if (!opened.IsOk()) return opened;
    }
    std::size_t got = ReadBytes(reader.File, destination, n);
    if (got == n) return Success();
    // The stream runs on into the next file, right after its header.
    Outcome opened = OpenNextCaptureFile(reader);
    if (!opened.IsOk()) return opened;
    if (ReadBytes(reader.File, destination + got, n - got) == n - got) return Success();
    return ErrorText("Capture File Read Error: Data Under Run");
}

Outcome ReadRecordHeader(CaptureReader& reader, std::uint8_t* header) {
    Outcome read = ReadCaptureBytes(reader, header, kRecordHeaderSize);
    if (!read.IsOk()) return read;
    std::uint64_t position = CapturePosition(reader);
    // A header read from a newly opened file lies before the origin.
    if (position < reader.ResyncOrigin) reader.ResyncOrigin = position;
    if (header[0] != kSyncMark) {
        ReaderEvent lost;
        lost.Kind = RecordKind::SyncLost;
        lost.SyncLost = SyncLostNote{reader.FramesDelivered, position, header[0]};
        QueueEvent(reader, std::move(lost));
        SeekTo(reader.File, reader.ResyncOrigin);
        Outcome synced = SyncToRecords(reader);
        if (!synced.IsOk()) return synced;
        read = ReadCaptureBytes(reader, header, kRecordHeaderSize);
        if (!read.IsOk()) return read;
    }
    reader.ResyncOrigin = position;
    return Success();
}

// A candidate whose marks hold but whose stamp is later than the next
// record's is passed over; the first such one is taken only when the search
// would otherwise fail, so a search that succeeded before still succeeds.
Outcome SyncToRecords(CaptureReader& reader) {
    CaptureFile& file = reader.File;
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

Outcome ReadFrame(CaptureReader& reader, bool firstFrame) {
    CaptureFrame& frame = reader.Frame;
    std::uint8_t header[kRecordHeaderSize];
    if (firstFrame) {
        Outcome read = ReadRecordHeader(reader, header);
        if (!read.IsOk()) return read;
        reader.PendingTimeStamp = RecordTimeStamp(header);
        reader.PendingLength = header[7];
    }
    frame.TimeStamp = reader.PendingTimeStamp;
    frame.Length = reader.PendingLength;
    Outcome read = ReadCaptureBytes(reader, frame.Bytes.data(), frame.Length + 1u);
    if (!read.IsOk()) return read;
    frame.Status = frame.Bytes[frame.Length];
    LocateFrameFields(frame);
    read = ReadRecordHeader(reader, header);
    if (!read.IsOk()) return read;
    reader.PendingTimeStamp = RecordTimeStamp(header);
    reader.PendingLength = header[7];
    frame.NextTimeStamp = reader.PendingTimeStamp;
    frame.FileOffset = CapturePosition(reader);
    reader.FrameReady = true;
    return Success();
}

}  // namespace zelmot
