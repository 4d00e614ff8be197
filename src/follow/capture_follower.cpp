// The follower's pull loop and its choice of files. The reader reports
// Waiting whenever what it needs is not written yet and undoes the step;
// the follower looks at the folder then, and tells the reader which file
// follows the one open (FollowOnTo) once that one is complete: when a
// newer file exists and the open one did not grow since.
#include "follow/capture_follower.h"

#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "capture/capture_format.h"

namespace zelmot {
namespace {

void Tell(CaptureFollower& follower, FollowNote::Kind what, std::string text) {
    if (!follower.Note) return;
    FollowNote note;
    note.What = what;
    note.Text = std::move(text);
    follower.Note(note);
}

// The file's identity: a file replaced under the same name has another.
std::uint64_t IdentityOf(const std::string& path) {
#ifdef _WIN32
    (void)path;
    return 0;
#else
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return 0;
    return (static_cast<std::uint64_t>(info.st_dev) << 32) ^ static_cast<std::uint64_t>(info.st_ino);
#endif
}

void StartReaderAt(CaptureFollower& follower, unsigned hour, unsigned minute) {
    CaptureRunFiles files;
    files.CaptureBaseName = follower.Settings.Stem;
    files.StartHour = hour;
    files.StartMinute = minute;
    files.Follow = true;
    StartCaptureReader(follower.Reader, std::move(files));
    follower.ReaderOn = true;
    follower.FileOpen = false;
    follower.NextGiven = false;
    follower.OpenHour = hour;
    follower.OpenMinute = minute;
}

// The first file to read, once there is one.
void ChooseFirstFile(CaptureFollower& follower) {
    const FollowSettings& settings = follower.Settings;
    if (settings.HasFrom) {
        if (StatMinuteFile(settings.Stem, settings.FromHour, settings.FromMinute))
            StartReaderAt(follower, settings.FromHour, settings.FromMinute);
        return;
    }
    if (std::optional<MinuteFile> newest = NewestMinuteFile(ListMinuteFiles(settings.Stem)))
        StartReaderAt(follower, newest->Hour, newest->Minute);
}

// A file was opened; the first one's header chooses the run's timing.
bool TakeFileOpened(CaptureFollower& follower) {
    CaptureReader& reader = follower.Reader;
    follower.FileOpen = true;
    follower.NextGiven = false;
    NextCaptureMinute(reader, follower.NextHour, follower.NextMinute);
    // The reader has moved on by one minute from the file it opened.
    unsigned hour = follower.NextHour, minute = follower.NextMinute;
    for (std::uint32_t step = 1; step < kMinutesPerDay; ++step) AdvanceCaptureMinute(hour, minute);
    follower.OpenHour = hour;
    follower.OpenMinute = minute;
    follower.OpenSize = reader.CaptureFileSize;
    follower.FileIdentity = IdentityOf(reader.CurrentCaptureName);
    std::error_code error;
    follower.OpenWritten = std::filesystem::last_write_time(reader.CurrentCaptureName, error);
    const RunSink& sink = follower.Sink;
    if (sink.FileOpened != nullptr) sink.FileOpened(sink.Context, reader.Event.Text);
    if (follower.Started) return true;
    const std::uint16_t baudIndex = HeaderBaudIndex(reader.Header);
    if (!StartFrameSteps(follower.Steps, follower.Run, baudIndex)) {
        follower.Fault = "Capture File Header Error: Invalid Baud Index " + std::to_string(baudIndex) + " (0-8) in " +
                         reader.CurrentCaptureName;
        return false;
    }
    follower.Started = true;
    Tell(follower, FollowNote::Kind::Following, "following " + reader.CurrentCaptureName);
    if (sink.Started != nullptr) sink.Started(sink.Context, reader.Header, follower.Steps.Timing.Baud);
    return true;
}

// One frame through the run's steps to the sink; false once reading ends.
bool TakeFrame(CaptureFollower& follower) {
    const RunFrame& taken = StepFrame(follower.Steps, follower.Reader.Frame);
    ++follower.FramesRead;
    const RunSink& sink = follower.Sink;
    if (!sink.Frame(sink.Context, taken)) return false;
    return taken.Place != WindowPlace::PastEnd;
}

enum class FileCheck : std::uint8_t { Wait, ReadOn };

// The open file was read to its end: what comes now.
FileCheck CheckFiles(CaptureFollower& follower) {
    const std::string& stem = follower.Settings.Stem;
    CaptureReader& reader = follower.Reader;
    const std::string name = CaptureFileName(stem, follower.OpenHour, follower.OpenMinute);
    const std::optional<MinuteFile> now = StatMinuteFile(stem, follower.OpenHour, follower.OpenMinute);
    const std::uint64_t identity = IdentityOf(name);
    if (!now || now->Size < follower.OpenSize || identity != follower.FileIdentity) {
        if (!now) return FileCheck::Wait;  // gone for now; a new one under the name is taken up
        Tell(follower, FollowNote::Kind::ReadAfresh,
             name + (now->Size < follower.OpenSize ? " shrank" : " was replaced") + ": read afresh");
        StartReaderAt(follower, follower.OpenHour, follower.OpenMinute);
        return FileCheck::ReadOn;
    }
    follower.OpenWritten = now->Written;
    if (RefreshCaptureReader(reader) > follower.OpenSize) {
        follower.OpenSize = reader.CaptureFileSize;
        return FileCheck::ReadOn;
    }
    // Told already: the reader waits for the next file's first bytes.
    if (follower.NextGiven) return FileCheck::Wait;
    // The next file is looked for before the open one's size is read again,
    // so that a file found complete was complete when its successor was
    // there. The folder is read only when the next minute's file is not.
    std::optional<MinuteFile> next = StatMinuteFile(stem, follower.NextHour, follower.NextMinute);
    if (!next || next->Written < now->Written)
        next = NextFreshFile(ListMinuteFiles(stem), follower.NextHour, follower.NextMinute, now->Written);
    if (RefreshCaptureReader(reader) > follower.OpenSize) {
        follower.OpenSize = reader.CaptureFileSize;
        return FileCheck::ReadOn;
    }
    if (!next || (next->Hour == follower.OpenHour && next->Minute == follower.OpenMinute)) return FileCheck::Wait;
    if (next->Hour != follower.NextHour || next->Minute != follower.NextMinute) {
        FollowNote gap;
        gap.What = FollowNote::Kind::RecordingGap;
        gap.FromHour = follower.NextHour;
        gap.FromMinute = follower.NextMinute;
        gap.ToHour = next->Hour;
        gap.ToMinute = next->Minute;
        gap.Text = "recording gap " + MinuteText(gap.FromHour, gap.FromMinute) + "-" + MinuteText(gap.ToHour, gap.ToMinute);
        if (follower.Note) follower.Note(gap);
        follower.NextHour = next->Hour;
        follower.NextMinute = next->Minute;
    }
    FollowOnTo(reader, follower.NextHour, follower.NextMinute);
    follower.NextGiven = true;
    return FileCheck::ReadOn;
}

// The reader failed on a file (no records to be found in it): the next file
// that comes is taken up.
FileCheck TakeReaderFault(CaptureFollower& follower) {
    const std::string text = follower.Reader.Event.Text;
    const MinuteFiles files = ListMinuteFiles(follower.Settings.Stem);
    unsigned hour = follower.OpenHour, minute = follower.OpenMinute;
    AdvanceCaptureMinute(hour, minute);
    const std::optional<MinuteFile> next = NextFreshFile(files, hour, minute, follower.OpenWritten);
    if (!next) return FileCheck::Wait;
    Tell(follower, FollowNote::Kind::ReaderFault,
         text + " in " + CaptureFileName(follower.Settings.Stem, follower.OpenHour, follower.OpenMinute) +
             ": going on at " + MinuteText(next->Hour, next->Minute));
    StartReaderAt(follower, next->Hour, next->Minute);
    return FileCheck::ReadOn;
}

}  // namespace

void StartFollower(CaptureFollower& follower, FollowSettings settings, const RunSink& sink,
                   std::function<void(const FollowNote&)> note) {
    StopFollower(follower);
    follower.Settings = std::move(settings);
    follower.Run = RunSpec{};
    follower.Run.StartRef = follower.Settings.StartRef;
    follower.Run.EndRef = follower.Settings.EndRef;
    follower.Sink = sink;
    follower.Note = std::move(note);
    follower.Steps = FrameSteps{};
    follower.Started = follower.ReaderOn = follower.FileOpen = false;
    follower.FramesRead = 0;
    follower.Fault.clear();
}

FollowState PumpFollower(CaptureFollower& follower) {
    if (!follower.ReaderOn) ChooseFirstFile(follower);
    if (!follower.ReaderOn) return FollowState::Waiting;
    CaptureReader& reader = follower.Reader;
    const RunSink& sink = follower.Sink;
    std::uint64_t frames = 0;
    for (;;) {
        switch (PullRecord(reader)) {
            case RecordKind::Frame:
                if (!TakeFrame(follower)) return FollowState::Ended;
                if (++frames == follower.Settings.MaxFrames) return FollowState::More;
                break;
            case RecordKind::HeaderRead:
                if (sink.HeaderRead != nullptr && !follower.Started) sink.HeaderRead(sink.Context, reader.Event.Header);
                break;
            case RecordKind::FileOpened:
                if (!TakeFileOpened(follower)) return FollowState::Failed;
                break;
            case RecordKind::SyncLost:
                if (sink.SyncLost != nullptr) sink.SyncLost(sink.Context, reader.Event.SyncLost);
                break;
            case RecordKind::Waiting:
                if (!follower.FileOpen || CheckFiles(follower) == FileCheck::Wait) return FollowState::Waiting;
                break;
            case RecordKind::EndOfCapture:
                return FollowState::Ended;
            case RecordKind::Error:
                if (TakeReaderFault(follower) == FileCheck::Wait) return FollowState::Waiting;
                break;
        }
    }
}

std::string FollowedFileName(const CaptureFollower& follower) {
    return follower.FileOpen ? follower.Reader.CurrentCaptureName : std::string();
}

void StopFollower(CaptureFollower& follower) {
    CloseCaptureReader(follower.Reader);
    follower.ReaderOn = follower.FileOpen = false;
}

}  // namespace zelmot
