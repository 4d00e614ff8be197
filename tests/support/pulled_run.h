// Test help for the reader's tests: pulls a whole run through the public
// pull and logs what each pull gave in a short word ("header",
// "file cap1200.Zelmot", "lost 120 71c 67", "frame 1000", "end",
// "error <message>"), keeping the frames and first headers it handed out.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "capture/frame_reader.h"
#include "support/capture_builder.h"
#include "support/format_text.h"

namespace zelmot::test {

struct PulledRun {
    std::vector<std::string> Log;  // one entry per pull, the repeated end not included
    std::vector<CaptureFrame> Frames;
    std::vector<CaptureHeader> Headers;  // of the HeaderRead events
    RecordKind Last = RecordKind::Frame;
    std::string Message;  // of the last event
    std::uint32_t FilesOpened = 0;
    CaptureHeader LastHeader{};  // reader.Header at the end
};

inline std::string Describe(const CaptureReader& reader, RecordKind kind) {
    const ReaderEvent& event = reader.Event;
    if (kind == RecordKind::Frame) return "frame " + std::to_string(reader.Frame.TimeStamp);
    if (kind == RecordKind::HeaderRead) return "header";
    if (kind == RecordKind::FileOpened) return "file " + std::filesystem::path(event.Text).filename().string();
    if (kind == RecordKind::SyncLost)
        return FormatText("lost %u %llx %02x", event.SyncLost.ReferenceNumber,
                          static_cast<unsigned long long>(event.SyncLost.FileOffset), event.SyncLost.Mark);
    if (kind == RecordKind::EndOfCapture) return "end";
    return "error " + event.Text;
}

// Files this process holds open, where the system lets us count them (-1 where not).
inline int OpenFileCount() {
#ifdef _WIN32
    return -1;
#else
    std::error_code failed;
    std::filesystem::directory_iterator fds("/proc/self/fd", failed);
    if (failed) return -1;
    int count = 0;
    for (auto it = fds; it != std::filesystem::directory_iterator(); it.increment(failed)) ++count;
    return count;
#endif
}

// Pulls until the end or an error; then checks that the end repeats and
// that the reader holds no capture file any more.
inline PulledRun PullRun(CaptureRunFiles files) {
    const int openBefore = OpenFileCount();
    CaptureReader reader;
    StartCaptureReader(reader, std::move(files));
    PulledRun run;
    do {
        run.Last = PullRecord(reader);
        run.Log.push_back(Describe(reader, run.Last));
        if (run.Last == RecordKind::Frame) run.Frames.push_back(reader.Frame);
        if (run.Last == RecordKind::HeaderRead) run.Headers.push_back(reader.Event.Header);
    } while (run.Last != RecordKind::EndOfCapture && run.Last != RecordKind::Error);
    run.Message = reader.Event.Text;
    run.FilesOpened = reader.FilesOpened;
    run.LastHeader = reader.Header;
    EXPECT_EQ(PullRecord(reader), run.Last) << "the end repeats";
    if (openBefore >= 0) {
        EXPECT_EQ(OpenFileCount(), openBefore) << "the capture file is closed at the end";
    }
    CloseCaptureReader(reader);
    return run;
}

// The log without its frames.
inline std::vector<std::string> EventsOf(const PulledRun& run) {
    std::vector<std::string> events;
    for (const std::string& entry : run.Log)
        if (entry.rfind("frame ", 0) != 0) events.push_back(entry);
    return events;
}

// n SD1 frames with stamps firstStamp, firstStamp + 1000, ...; 15 bytes each.
inline Bytes Sd1Records(int n, std::uint64_t firstStamp = 1000) {
    Bytes stream;
    for (int i = 0; i < n; ++i) Append(stream, RecordBytes(firstStamp + 1000u * i, Sd1(5, 2, 0x49)));
    return stream;
}

}  // namespace zelmot::test
