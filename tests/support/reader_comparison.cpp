// CompareWithPreviousReader: both readers pulled in step, each pull's
// outcome described in the same words and compared.
#include "support/reader_comparison.h"

#include <cstdio>

#include "capture/frame_reader.h"
#include "support/previous_reader.h"

namespace zelmot::test {
namespace {

std::string Hex(const std::uint8_t* bytes, std::size_t n) {
    std::string text;
    char piece[4];
    for (std::size_t i = 0; i < n; ++i) {
        std::snprintf(piece, sizeof piece, "%02x ", bytes[i]);
        text += piece;
    }
    return text;
}

// Fields: whether the frame's fields are compared (a reader asked not to
// locate them leaves them as they were).
std::string Describe(const CaptureFrame& f, bool fields) {
    char text[256];
    const FrameFieldView v = fields ? f.Fields : FrameFieldView{};
    std::snprintf(text, sizeof text,
                  "frame stamp %llu next %llu length %u status %02x at %llu fields %u %u %02x %d %d %d %d %d bytes ",
                  static_cast<unsigned long long>(f.TimeStamp), static_cast<unsigned long long>(f.NextTimeStamp),
                  f.Length, f.Status, static_cast<unsigned long long>(f.FileOffset), v.Status, v.DataLen, v.SD,
                  v.DA, v.FC, v.DSAP, v.SSAP, v.Data);
    // The frame's bytes and its status byte: nothing past them belongs to it.
    return text + Hex(f.Bytes.data(), std::size_t{f.Length} + 1);
}

std::string Describe(const ReaderEvent& e) {
    char text[128];
    std::snprintf(text, sizeof text, "event %d lost %u %llx %02x text ", static_cast<int>(e.Kind),
                  e.SyncLost.ReferenceNumber, static_cast<unsigned long long>(e.SyncLost.FileOffset), e.SyncLost.Mark);
    std::string described = text + e.Text;
    if (e.Kind == RecordKind::HeaderRead) described += " header " + Hex(e.Header.data(), e.Header.size());
    return described;
}

// One pull's outcome, and the reader's own state that callers read.
template <typename Reader>
std::string DescribePull(const Reader& reader, RecordKind kind, bool fields) {
    std::string text = kind == RecordKind::Frame ? Describe(reader.Frame, fields) : Describe(reader.Event);
    char state[96];
    std::snprintf(state, sizeof state, " | files %u size %llu header ", reader.FilesOpened,
                  static_cast<unsigned long long>(reader.CaptureFileSize));
    return text + state + Hex(reader.Header.data(), reader.Header.size()) + reader.CurrentCaptureName;
}

}  // namespace

ReaderComparison CompareWithPreviousReader(const CaptureRunFiles& files) {
    ReaderComparison result;
    CaptureReader reader;
    previous::CaptureReader before;
    StartCaptureReader(reader, files);
    previous::StartCaptureReader(before, files);
    for (;;) {
        const RecordKind kind = PullRecord(reader);
        const RecordKind expected = previous::PullRecord(before);
        ++result.Pulls;
        const std::string now = DescribePull(reader, kind, files.LocateFields);
        const std::string then = DescribePull(before, expected, files.LocateFields);
        const FrameFieldView& fields = reader.Frame.Fields;
        if (!files.LocateFields && (fields.SD != 0 || fields.DA != kAbsentField || fields.Data != kAbsentField)) {
            result.Difference = "pull " + std::to_string(result.Pulls) + ": fields located though not asked for";
            break;
        }
        if (kind != expected || now != then) {
            result.Difference = "pull " + std::to_string(result.Pulls) + ": reader gave\n  " + now +
                                "\nprevious reader gave\n  " + then;
            break;
        }
        result.Last = kind;
        if (kind == RecordKind::Frame) ++result.Frames;
        if (kind == RecordKind::EndOfCapture || kind == RecordKind::Error) {
            if (PullRecord(reader) != kind || previous::PullRecord(before) != kind)
                result.Difference = "the end does not repeat";
            break;
        }
    }
    CloseCaptureReader(reader);
    previous::CloseCaptureReader(before);
    return result;
}

}  // namespace zelmot::test
