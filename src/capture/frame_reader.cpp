// Frame reader: file sequence, record stream, look-ahead and resynchronisation.
#include "capture/frame_reader.h"

namespace zelmot {
namespace {

constexpr int kSyncSearchLimit = 280;  // stray bytes per search, and candidates tried
constexpr int kSyncCheckRecords = 100;

void EchoHeader(CaptureReader& reader) {
    TextOut& out = *reader.out;
    PutText(out, "ZK-9 Name : ");
    PutText(out, HeaderDeviceName(reader.Header));
    std::uint32_t address = HeaderDeviceAddress(reader.Header);
    PutText(out, "\nZK-9 IP   : ");
    for (int shift = 24; shift >= 0; shift -= 8) {
        PutUnsigned(out, (address >> shift) & 0xFF);
        if (shift != 0) PutChar(out, '.');
    }
    PutText(out, "\nBaud      : ");
    std::uint16_t baudIndex = HeaderBaudIndex(reader.Header);
    if (baudIndex < kBaudIndexCount) {
        PutText(out, BaudName(baudIndex));
    } else {
        PutText(out, "?(");
        PutUnsigned(out, baudIndex);
        PutChar(out, ')');
    }
    PutText(out, "\nOpt File  : ");
    PutText(out, reader.OptionFileName);
    PutChar(out, '\n');
    if (!reader.EquationText.empty()) {
        PutText(out, "Show Only : ");
        PutText(out, reader.EquationText);
        PutChar(out, '\n');
    }
    PutChar(out, '\n');
}

// Reads the 8 bytes of a candidate's record header as far as the file goes;
// judges the candidate by the bytes present.
enum class CheckStep { Good, Bad, FileEnded };

CheckStep CheckRecord(CaptureFile& file) {
    std::uint8_t header[kRecordHeaderSize];
    std::size_t got = ReadBytes(file, header, sizeof header);
    if (got == 0) return CheckStep::FileEnded;
    if (header[0] != SYNC_MARK) return CheckStep::Bad;
    if (got < sizeof header) return CheckStep::FileEnded;
    SeekTo(file, ReadPosition(file) + header[7] + 1u);
    return CheckStep::Good;
}

}  // namespace

void StartCaptureReader(CaptureReader& reader, TextOut& out, std::string captureBaseName,
                        unsigned startHour, unsigned startMinute, unsigned numMin,
                        std::string optionFileName, std::string equationText) {
    CloseCaptureFile(reader.file);
    reader = CaptureReader{};
    reader.out = &out;
    reader.CaptureBaseName = std::move(captureBaseName);
    reader.CaptureHour = startHour;
    reader.CaptureMinute = startMinute;
    reader.FilesLeft = numMin;
    reader.OptionFileName = std::move(optionFileName);
    reader.EquationText = std::move(equationText);
}

Outcome OpenNextCaptureFile(CaptureReader& reader) {
    CloseCaptureFile(reader.file);
    if (reader.FilesLeft == 0) return EndOfCapture();
    --reader.FilesLeft;
    reader.CurrentCaptureName =
        CaptureFileName(reader.CaptureBaseName, reader.CaptureHour, reader.CaptureMinute);
    if (!OpenCaptureFile(reader.file, reader.CurrentCaptureName)) {
        CloseRunFiles(reader);
        return ErrorText("Unable to Open Input File %s", reader.CurrentCaptureName.c_str());
    }
    reader.CaptureFileSize = reader.file.size;
    reader.LastProgressPercent = 100;
    reader.Header.fill(0);
    ReadBytes(reader.file, reader.Header.data(), reader.Header.size());
    if (!reader.HeaderEchoed) {
        reader.HeaderEchoed = true;
        EchoHeader(reader);
    }
    PutText(*reader.out, "File      : ");
    PutText(*reader.out, reader.CurrentCaptureName);
    PutChar(*reader.out, '\n');
    AdvanceCaptureMinute(reader.CaptureHour, reader.CaptureMinute);
    return Success();
}

Outcome ReadCaptureBytes(CaptureReader& reader, std::uint8_t* destination, std::size_t n) {
    if (!IsOpen(reader.file)) {
        Outcome opened = OpenNextCaptureFile(reader);
        if (!opened.IsOk()) return opened;
    }
    std::size_t got = ReadBytes(reader.file, destination, n);
    if (got == n) return Success();
    // The stream runs on into the next file, right after its header.
    Outcome opened = OpenNextCaptureFile(reader);
    if (!opened.IsOk()) return opened;
    if (ReadBytes(reader.file, destination + got, n - got) == n - got) return Success();
    return ErrorText("Capture File Read Error: Data Under Run");
}

Outcome ReadRecordHeader(CaptureReader& reader, std::uint8_t* header, std::uint32_t referenceNumber) {
    Outcome read = ReadCaptureBytes(reader, header, kRecordHeaderSize);
    if (!read.IsOk()) return read;
    std::uint64_t position = CapturePosition(reader);
    if (position < reader.ResyncOrigin) reader.ResyncOrigin = position;
    if (header[0] != SYNC_MARK) {
        TextOut& out = *reader.out;
        PutText(out, "**** Synchronization Lost ****\n");
        PutUnsigned(out, referenceNumber, 9);
        PutText(out, ": FileOfs=");
        PutHex(out, position, 0);
        PutText(out, " Mark=");
        PutHexByte(out, header[0]);
        PutChar(out, '\n');
        SeekTo(reader.file, reader.ResyncOrigin);
        Outcome synced = SyncToRecords(reader);
        if (!synced.IsOk()) {
            CloseRunFiles(reader);
            return synced;
        }
        read = ReadCaptureBytes(reader, header, kRecordHeaderSize);
        if (!read.IsOk()) return read;
    }
    reader.ResyncOrigin = position;
    return Success();
}

Outcome SyncToRecords(CaptureReader& reader) {
    CaptureFile& file = reader.file;
    std::uint64_t start = ReadPosition(file);
    for (int candidate = 0; candidate < kSyncSearchLimit; ++candidate) {
        SeekTo(file, start);
        int strays = 0;
        int c = ReadByte(file);
        while (c != SYNC_MARK) {
            if (c < 0 || ++strays == kSyncSearchLimit)
                return ErrorText("Capture File Sync Error: SYNC_MARK not found");
            c = ReadByte(file);
        }
        std::uint64_t mark = ReadPosition(file) - 1;
        SeekTo(file, mark);
        CheckStep step = CheckStep::Good;
        for (int record = 0; record < kSyncCheckRecords && step == CheckStep::Good; ++record)
            step = CheckRecord(file);
        if (step != CheckStep::Bad) {
            SeekTo(file, mark);
            return Success();
        }
        start = mark + 1;
    }
    return ErrorText("Capture File Sync Error: Unable to Sync");
}

Outcome ReadFrame(CaptureReader& reader, CaptureFrame& frame, FrameFieldView& view, bool firstFrame,
                  std::uint32_t referenceNumber) {
    std::uint8_t header[kRecordHeaderSize];
    if (firstFrame) {
        Outcome read = ReadRecordHeader(reader, header, referenceNumber);
        if (!read.IsOk()) return read;
        reader.PendingTimeStamp = RecordTimeStamp(header);
        reader.PendingLength = header[7];
    }
    frame.TimeStamp = reader.PendingTimeStamp;
    frame.Length = reader.PendingLength;
    Outcome read = ReadCaptureBytes(reader, frame.bytes.data(), frame.Length + 1u);
    if (!read.IsOk()) return read;
    frame.Status = frame.bytes[frame.Length];
    LocateFrameFields(frame, view);
    read = ReadRecordHeader(reader, header, referenceNumber);
    if (!read.IsOk()) return read;
    reader.PendingTimeStamp = RecordTimeStamp(header);
    reader.PendingLength = header[7];
    frame.NextTimeStamp = reader.PendingTimeStamp;
    return Success();
}

bool CloseRunFiles(CaptureReader& reader) {
    bool written = reader.out == nullptr || CloseTextOut(*reader.out);
    CloseCaptureFile(reader.file);
    return written;
}

}  // namespace zelmot
