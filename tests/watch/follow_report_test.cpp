// The follower and the live analysis against a recorder stand-in that
// writes the generator's minute files in pieces (records cut at the end of
// a write), with the follower pumped after every piece as the folder watch
// would: the report at the end holds zelmot-stats' report of the same files
// key for key across a midnight roll-over; a missing minute (and a stale
// file of the day before under its name) is a recording gap whose frames
// are all counted; a file replaced or cut short is read afresh; a damaged
// record at the very end of a file is settled as soon as the next minute's
// file begins.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "analysis/analysis_run.h"
#include "capture/capture_format.h"
#include "follow/capture_follower.h"
#include "gsd/gsd_library.h"
#include "support/capture_builder.h"
#include "support/process_runner.h"
#include "watch/live_analysis.h"
#include "watch/watch_test_support.h"

namespace zelmot {
namespace {

namespace fs = std::filesystem;

// The generator's files of each run the tests use, made once.
// A folder of this process's own: the tests run as processes side by side.
struct FollowedRuns {
    test::TempDir Scratch;
    fs::path Dir = Scratch.path();
    bool Made = false;
};

FollowedRuns& Files() {
    static FollowedRuns generated;
    if (generated.Made) return generated;
    // Three minutes over midnight with damaged frames, damaged records and
    // a drop-out; two minutes of a run that stops and one minute of another
    // run after a gap (no record runs on over the gap). The seed puts
    // the last damaged record more than 100 records before the end: a
    // boundary found again in a file still being written is confirmed by
    // the 100 records after it, which at the very end come only with the
    // next file.
    const std::vector<std::vector<std::string>> runs = {
        {"a", "--start", "2358", "--minutes", "3", "--frames", "1500", "--error-rate", "0.01", "--corrupt-rate",
         "0.002", "--dp-scenario", "dropout", "--seed", "7"},
        {"stop", "--start", "2358", "--minutes", "2", "--frames", "1500", "--seed", "5"},
        {"b", "--start", "0001", "--minutes", "1", "--frames", "1500", "--seed", "4"},
    };
    for (std::vector<std::string> args : runs) {
        fs::create_directories(generated.Dir / args[0]);
        args[0] = (generated.Dir / args[0] / "line").string();
        const test::ProcessRun gen = test::RunProcess(ZELMOT_GEN_EXE, args);
        EXPECT_EQ(gen.ExitCode, 0) << gen.Output;
    }
    generated.Made = true;
    return generated;
}

fs::path Source(const std::string& run, const std::string& hhmm) { return Files().Dir / run / ("line" + hhmm + ".Zelmot"); }

// zelmot-stats' report of numMin files from the first one.
ReportDocument StatsReport(const fs::path& first, std::uint16_t numMin, std::uint64_t* framesRead = nullptr) {
    RunSettings settings;
    const std::string name = (first.parent_path() / first.stem()).string();
    DeriveCaptureNames(name, settings);
    settings.NumMin = numMin;
    auto stats = std::make_unique<BusStats>();
    const Outcome read = AnalyseCapture(settings, *stats, nullptr);
    EXPECT_TRUE(read.IsOk()) << read.Text;
    if (framesRead != nullptr) *framesRead = stats->FramesRead;
    return BuildReportDocument(*stats, MatchGsdDevices(GsdLibrary{}, false, *stats), first.stem().string());
}

// The watcher's reading side in one process: the follower into the live
// analysis, pumped by the test after each write.
struct Watch {
    fs::path Dir;
    LiveAnalysis Live;
    CaptureFollower Follower;
    std::vector<std::string> Notes;

    explicit Watch(const std::string& name) : Dir(Files().Dir / ("watched-" + name)) {
        fs::remove_all(Dir);
        fs::create_directories(Dir);
        FollowSettings settings;
        settings.Stem = (Dir / "line").string();
        StartFollower(Follower, settings, LiveAnalysisSink(Live), [this](const FollowNote& note) { Notes.push_back(note.Text); });
    }
    ~Watch() {
        StopFollower(Follower);
        std::error_code ignored;
        fs::remove_all(Dir, ignored);
    }
    void Pump() { ASSERT_EQ(PumpFollower(Follower), FollowState::Waiting); }
    fs::path Target(const std::string& hhmm) const { return Dir / ("line" + hhmm + ".Zelmot"); }

    // Writes bytes [from, to) of the source to the file named hhmm, in
    // pieces of piece bytes, pumping after each.
    void Write(const std::string& bytes, const std::string& hhmm, std::size_t piece, std::size_t from = 0,
               std::size_t to = std::string::npos) {
        to = std::min(to, bytes.size());
        for (std::size_t at = from; at < to; at += piece) {
            std::ofstream out(Target(hhmm), std::ios::binary | std::ios::app);
            out.write(bytes.data() + at, static_cast<std::streamsize>(std::min(piece, to - at)));
            out.close();
            Pump();
        }
    }
    ReportDocument Report() { return SnapshotDocument(*SnapshotAnalysis(Live)); }
    std::string NotesText() const {
        std::string all;
        for (const std::string& note : Notes) all += note + "\n";
        return all;
    }
};

TEST(FollowReport, WrittenInPiecesOverMidnightTheReportIsZelmotStatsReport) {
    const ReportDocument want = StatsReport(Source("a", "2358"), 3);
    // Pieces that cut records and record headers anywhere, and whole files.
    for (std::size_t piece : {997u, 4093u, 1u << 20}) {
        SCOPED_TRACE("pieces of " + std::to_string(piece) + " bytes");
        Watch watch("pieces");
        watch.Pump();  // no file yet: it waits
        for (const char* minute : {"2358", "2359", "0000"}) watch.Write(test::FileText(Source("a", minute)), minute, piece);
        EXPECT_EQ(test::ReportDifferences(want, watch.Report()), "");
        EXPECT_EQ(watch.NotesText(), "following " + watch.Target("2358").string() + "\n");
    }
}

TEST(FollowReport, AMissingMinuteIsARecordingGapAndEveryFrameIsCounted) {
    std::uint64_t before = 0, after = 0;
    StatsReport(Source("stop", "2358"), 2, &before);
    StatsReport(Source("b", "0001"), 1, &after);
    Watch watch("gap");
    watch.Write(test::FileText(Source("stop", "2358")), "2358", 4093);
    // Yesterday's file under the missing minute's name is not taken up.
    std::ofstream(watch.Target("0000"), std::ios::binary) << test::FileText(Source("a", "0000"));
    fs::last_write_time(watch.Target("0000"), fs::last_write_time(watch.Target("2358")) - std::chrono::hours(24));
    watch.Write(test::FileText(Source("stop", "2359")), "2359", 4093);
    watch.Write(test::FileText(Source("b", "0001")), "0001", 4093);
    // The recorder writes the file after a gap minutes later: where file
    // times are coarse (Windows), the test's quick writes need saying so.
    fs::last_write_time(watch.Target("0001"), fs::last_write_time(watch.Target("2359")) + std::chrono::minutes(2));
    watch.Pump();
    EXPECT_EQ(watch.NotesText(), "following " + watch.Target("2358").string() + "\nrecording gap 00:00-00:01\n");
    // The last record before the gap is read with the first one after it.
    const ReportDocument report = watch.Report();
    EXPECT_EQ(report["capture"]["frames_read"].get<std::uint64_t>(), before + after + 1);
    EXPECT_EQ(report["capture"]["files"].get<std::uint64_t>(), 3u);
}

TEST(FollowReport, AFileReplacedOrCutShortIsReadAfresh) {
    // Windows renames over or cuts no file another program holds open.
    if (test::kWindows) GTEST_SKIP() << "a file held open is not replaced on Windows";
    std::uint64_t rest = 0;
    StatsReport(Source("a", "2359"), 2, &rest);
    const std::string second = test::FileText(Source("a", "2359"));
    struct Case {
        const char* Name;
        bool Replace;  // a new file renamed over it; else cut to nothing and written again
        const char* Note;
    };
    for (const Case& c : {Case{"replaced", true, " was replaced: read afresh"}, Case{"cut", false, " shrank: read afresh"}}) {
        SCOPED_TRACE(c.Name);
        Watch watch(c.Name);
        watch.Write(test::FileText(Source("a", "2358")), "2358", 1u << 20);
        watch.Write(second, "2359", 997, 0, second.size() / 2);
        const std::uint64_t read = watch.Follower.FramesRead;
        if (c.Replace) {
            std::ofstream(watch.Dir / "new.tmp", std::ios::binary) << second;
            fs::rename(watch.Dir / "new.tmp", watch.Target("2359"));
        } else {
            fs::resize_file(watch.Target("2359"), 0);
            watch.Pump();
            std::ofstream(watch.Target("2359"), std::ios::binary | std::ios::app) << second;
        }
        watch.Pump();
        watch.Write(test::FileText(Source("a", "0000")), "0000", 4093);
        EXPECT_NE(watch.NotesText().find(watch.Target("2359").string() + c.Note), std::string::npos)
            << watch.NotesText();
        // What was read before, and the file with the next one as a run of its own.
        EXPECT_EQ(watch.Report()["capture"]["frames_read"].get<std::uint64_t>(), read + rest);
    }
}

// The offset of the last record of a capture file's bytes.
std::size_t LastRecordAt(const std::string& bytes) {
    std::size_t at = kCaptureHeaderSize, last = at;
    while (at + kRecordHeaderSize <= bytes.size()) {
        last = at;
        at += kRecordHeaderSize + static_cast<std::uint8_t>(bytes[at + 7]) + 1;
    }
    return last;
}

TEST(FollowReport, ADamagedRecordAtAFilesEndIsSettledOnceTheNextMinutesFileBegins) {
    // The last record of the first minute has lost its sync mark: the
    // boundary after it is found again only where 100 records confirm it,
    // which in a file still being written come only with the next file.
    std::string damaged = test::FileText(Source("stop", "2358"));
    damaged[LastRecordAt(damaged)] = 0x00;
    const std::string next = test::FileText(Source("stop", "2359"));
    const fs::path source = Files().Dir / "damaged-tail";
    fs::create_directories(source);
    std::ofstream(source / "line2358.Zelmot", std::ios::binary) << damaged;
    std::ofstream(source / "line2359.Zelmot", std::ios::binary) << next;
    std::uint64_t framesBoth = 0, framesNext = 0;
    const ReportDocument want = StatsReport(source / "line2358.Zelmot", 2, &framesBoth);
    StatsReport(Source("stop", "2359"), 1, &framesNext);

    Watch watch("damaged-tail");
    watch.Write(damaged, "2358", 1u << 20);
    EXPECT_EQ(watch.Live.Stats->Resyncs, 0u);  // waiting for the records after it
    // The next minute's first piece: the damaged tail is settled at once,
    // every frame of the first minute read.
    watch.Write(next, "2359", 997, 0, 997);
    EXPECT_EQ(watch.Live.Stats->Resyncs, 1u);
    EXPECT_GE(watch.Live.Stats->FramesRead, framesBoth - framesNext);
    watch.Write(next, "2359", 4093, 997);
    EXPECT_EQ(test::ReportDifferences(want, watch.Report()), "");
}

}  // namespace
}  // namespace zelmot
