// Reading a generated run back as a reader sees it, and the small parsers
// the generator's tests share.
#include "gen_capture.h"

#include <gtest/gtest.h>

#include <sstream>

#include "capture/frame_reader.h"
#include "capture/frame_timing.h"
#include "support/format_text.h"
#include "support/process_runner.h"

namespace zelmot::test {

std::vector<SeenFrame> ReadGenCapture(const std::filesystem::path& stem, unsigned minutes) {
    std::vector<SeenFrame> frames;
    CaptureReader reader;
    StartCaptureReader(reader, CaptureRunFiles{stem.string(), 12, 0, minutes, false});
    TimingState timing;
    bool resync = false;
    for (RecordKind kind; (kind = PullRecord(reader)) != RecordKind::EndOfCapture;) {
        EXPECT_NE(kind, RecordKind::Error) << reader.Event.Text;
        if (kind == RecordKind::Error) break;
        if (kind == RecordKind::HeaderRead) {
            EXPECT_TRUE(SelectBaudTiming(HeaderBaudIndex(reader.Event.Header), timing));
        }
        if (kind == RecordKind::SyncLost) resync = true;
        if (kind != RecordKind::Frame) continue;
        const CaptureFrame& f = reader.Frame;
        ComputeFrameTiming(timing, frames.empty(), f.TimeStamp, f.NextTimeStamp, f.Length);
        SeenFrame seen{timing.Current.AbsTime, timing.Current.GapTime, "",
                       std::vector<std::uint8_t>(f.Bytes.begin(), f.Bytes.begin() + f.Length), f.Status, resync};
        resync = false;
        for (std::uint8_t b : seen.bytes) seen.hex += FormatText("%02x", b);
        frames.push_back(std::move(seen));
    }
    CloseCaptureReader(reader);
    return frames;
}

Fields FieldsOf(const std::vector<std::uint8_t>& b) {
    Fields f;
    if (b.empty() || (b[0] != 0x10 && b[0] != 0x68 && b[0] != 0xA2)) return f;
    std::size_t at = b[0] == 0x68 ? 4 : 1;
    if (b.size() < at + 5) return f;
    f.da = b[at];
    f.sa = b[at + 1];
    f.fc = b[at + 2];
    std::size_t data = at + 3;
    std::size_t end = b.size() - 2;
    if ((f.da & 0x80) != 0 && data < end) f.dsap = b[data++];
    if ((f.sa & 0x80) != 0 && data < end) f.ssap = b[data++];
    f.data.assign(b.begin() + static_cast<std::ptrdiff_t>(data), b.begin() + static_cast<std::ptrdiff_t>(end));
    return f;
}

bool IsRequest(const Fields& f) { return f.fc >= 0 && (f.fc & 0x40) != 0; }

std::uint32_t Number(const std::string& text) { return static_cast<std::uint32_t>(std::stoul(text, nullptr, 0)); }

std::string RunGen(const std::filesystem::path& dir, const std::string& args) {
    ProcessRun run = RunProcess(ZELMOT_GEN_EXE, SplitWords(args), ProcessOptions{dir.string(), false});
    if (!run.Started) return "not started";
    return run.ExitCode == 0 ? "" : "exit " + std::to_string(run.ExitCode) + ": " + run.Errors;
}

std::vector<GenRecordLine> LinesOf(const std::vector<GenRecordLine>& record, const std::string& event) {
    std::vector<GenRecordLine> lines;
    for (const GenRecordLine& r : record)
        if (r.Event == event) lines.push_back(r);
    return lines;
}

std::vector<std::int64_t> NumberList(const std::string& text) {
    std::vector<std::int64_t> numbers;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, '/');) numbers.push_back(std::stoll(part));
    return numbers;
}

}  // namespace zelmot::test
