// Following a recording as the recorder writes it: the frame reader in its
// following mode (no second reading of the record format), the run's frame
// steps (numbering, timing, the StartRef/EndRef window) and the choice of
// files around it. It starts at the newest "<name>HHMM.Zelmot" (or the one
// From= names; with none yet, at the first that comes), reads what has been
// written, and at the end of the data decides: the file grew (read on), the
// next minute's file came (roll over), a later one came but not the next
// (a recording gap: a note, and that file taken up), the file shrank or
// was replaced (a note, and the file read afresh), or nothing (wait).
// Frames and reader events go to a RunSink as in a run; notes to Note.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "capture/frame_reader.h"
#include "follow/minute_files.h"
#include "run/capture_run.h"

namespace zelmot {

// What happened besides frames, for the console and the events list.
struct FollowNote {
    enum class Kind : std::uint8_t { Following, RecordingGap, ReadAfresh, ReaderFault };
    Kind What = Kind::Following;
    std::string Text;  // "recording gap 03:12-03:47", ...
    // RecordingGap: the first minute missing and the minute taken up.
    unsigned FromHour = 0, FromMinute = 0, ToHour = 0, ToMinute = 0;
};

struct FollowSettings {
    std::string Stem;          // "<folder>/<name>"
    bool HasFrom = false;      // From=HHMM
    unsigned FromHour = 0;
    unsigned FromMinute = 0;
    std::uint32_t StartRef = 0;
    std::uint32_t EndRef = 0xFFFFFFFFu;
    std::uint64_t MaxFrames = UINT64_MAX;  // a pump returns More after this many frames
};

enum class FollowState : std::uint8_t {
    Waiting,  // everything written so far is read
    More,     // MaxFrames were read: there may be more
    Ended,    // the frame past EndRef was read, or the sink stopped
    Failed,   // the first file's header is unusable: Fault says why
};

struct CaptureFollower {
    FollowSettings Settings;
    RunSpec Run;     // the reference window and what the sink reads
    RunSink Sink;
    std::function<void(const FollowNote&)> Note;
    CaptureReader Reader;
    FrameSteps Steps;
    bool Started = false;      // the first header chose the timing
    bool ReaderOn = false;     // the reader was started at a file
    bool FileOpen = false;     // and has opened it
    unsigned OpenHour = 0, OpenMinute = 0;  // the file open (or being opened)
    unsigned NextHour = 0, NextMinute = 0;  // the file the reader opens next
    bool NextGiven = false;    // the reader was told the open file is complete
    FileTime OpenWritten{};    // the open file's time when last looked at
    std::uint64_t OpenSize = 0;
    std::uint64_t FileIdentity = 0;  // of the open file (0 where the system has none)
    std::uint64_t FramesRead = 0;
    std::string Fault;
};

void StartFollower(CaptureFollower& follower, FollowSettings settings, const RunSink& sink,
                   std::function<void(const FollowNote&)> note);

// Reads everything there is now, and takes the next file where one is due.
FollowState PumpFollower(CaptureFollower& follower);

// The file the follower reads now ("" before the first).
std::string FollowedFileName(const CaptureFollower& follower);

void StopFollower(CaptureFollower& follower);

}  // namespace zelmot
