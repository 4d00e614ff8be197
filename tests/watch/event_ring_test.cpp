// The watcher's events: each event the live analysis records is told once,
// in the order recorded, however its frame's stamp steps (a copy put in
// time order would tell one twice and miss another); the ring keeps the
// latest kWatchEventsKept with their diagnosis bytes, counting the rest;
// /report.json lists the ring and says how many were recorded and left out.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "report/number_text.h"
#include "watch/live_analysis.h"
#include "watch/watch_view.h"

namespace zelmot {
namespace {

// Records an event as the DP tracker does; a Diag event's one data byte is
// its time's low byte, so that a kept event's bytes can be checked.
void Record(DpEvents& events, std::int64_t ns, bool diag) {
    DpEvent event{.Ns = ns, .Address = 7, .Kind = diag ? DpEventKind::Diag : DpEventKind::State};
    if (diag) {
        event.DiagOffset = static_cast<std::uint32_t>(events.Bytes.size());
        event.DiagSize = 1;
        events.Bytes.push_back(static_cast<std::uint8_t>(ns));
    }
    events.Kept.push_back(event);
}

std::vector<std::int64_t> Tell(ChangeTracker& tracker, DpEvents& events) {
    std::vector<std::int64_t> told;
    TellNewEvents(tracker, events, [&](const WatchChange& change) {
        EXPECT_EQ(change.What, WatchChange::Kind::Event);
        told.push_back(change.Ns);
    });
    return told;
}

TEST(EventRing, EachEventIsToldOnceInTheOrderRecordedEvenWhenItsStampStepsBack) {
    struct Case {
        const char* Name;
        std::vector<std::vector<std::int64_t>> Batches;  // recorded between two tellings
    };
    const Case cases[] = {
        {"in time order", {{10, 20}, {30}, {}, {40, 50}}},
        {"one earlier than those told", {{10, 20}, {15, 30}}},
        {"earlier than every one", {{10, 20, 30}, {5}, {40}}},
        {"equal stamps", {{10, 10}, {10, 9, 10}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        DpEvents events;
        ChangeTracker tracker;
        std::vector<std::int64_t> recorded;
        std::vector<std::int64_t> told;
        for (const auto& batch : c.Batches) {
            for (std::int64_t ns : batch) {
                Record(events, ns, false);
                recorded.push_back(ns);
            }
            const std::vector<std::int64_t> now = Tell(tracker, events);
            told.insert(told.end(), now.begin(), now.end());
            EXPECT_EQ(tracker.NextEvent, recorded.size());
        }
        EXPECT_EQ(told, recorded);
        // The page's last events: newest first.
        ASSERT_FALSE(tracker.LastEvents.empty());
        EXPECT_EQ(tracker.LastEvents.front().rfind(TimeOfDayText(recorded.back()) + " ", 0), 0u);
    }
}

TEST(EventRing, KeepsTheLatestWithTheirDiagnosisBytesAndCountsTheOldest) {
    DpEvents events;
    events.Limit = std::numeric_limits<std::size_t>::max();
    ChangeTracker tracker;
    std::size_t told = 0;
    std::int64_t ns = 0;
    // Bursts larger and smaller than the ring, every third event a Diag.
    for (std::size_t burst : {std::size_t{5}, kWatchEventsKept + 3, std::size_t{1}, 2 * kWatchEventsKept, std::size_t{7}}) {
        for (std::size_t i = 0; i < burst; ++i, ++ns) Record(events, ns, ns % 3 == 0);
        const std::vector<std::int64_t> now = Tell(tracker, events);
        ASSERT_EQ(now.size(), burst);
        EXPECT_EQ(now.front(), static_cast<std::int64_t>(told));  // none missed, none twice
        told += burst;
        ASSERT_LE(events.Kept.size(), kWatchEventsKept);
        EXPECT_EQ(events.Dropped + events.Kept.size(), told);
        EXPECT_EQ(events.Kept.back().Ns, ns - 1);
        for (const DpEvent& event : events.Kept) {
            if (event.Kind != DpEventKind::Diag) continue;
            const fdl::Bytes bytes = EventDiagBytes(events, event);
            ASSERT_EQ(bytes.size(), 1u);
            ASSERT_EQ(bytes[0], static_cast<std::uint8_t>(event.Ns)) << event.Ns;
        }
    }
    // The bytes of the dropped Diag events went with them.
    EXPECT_LE(events.Bytes.size(), kWatchEventsKept / 3 + 1);
}

TEST(EventRing, ReportJsonListsTheRingAndSaysHowManyWereRecordedAndLeftOut) {
    LiveAnalysis live;
    LiveAnalysisSink(live);
    ChangeTracker tracker;
    const std::size_t recorded = 3 * kWatchEventsKept + 11;
    for (std::size_t i = 0; i < recorded; ++i) {
        Record(live.Stats->Events, static_cast<std::int64_t>(i) * 1000, i % 5 == 0);
        if (i % 1000 == 999) Tell(tracker, live.Stats->Events);
    }
    Tell(tracker, live.Stats->Events);
    WatchView view;
    view.Snapshot = SnapshotAnalysis(live);
    const ReportDocument report = ReportDocument::parse(ViewReport(view));
    ASSERT_EQ(report["events"].size(), kWatchEventsKept);
    EXPECT_EQ(report["events"].back()["ns"], static_cast<std::int64_t>(recorded - 1) * 1000);
    EXPECT_EQ(report["events_dropped"], recorded - kWatchEventsKept);
    EXPECT_EQ(report["watch"]["events_recorded"], recorded);
    EXPECT_EQ(report["watch"]["events_left_out"], recorded - kWatchEventsKept);
}

}  // namespace
}  // namespace zelmot
