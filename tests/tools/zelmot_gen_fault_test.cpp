// Tests of the generator's fault scenarios (--fault), its before/after
// pairs (--change) and its clean default run. Each run is read back with
// the project's capture reader; the fault lines of the record must name
// frames the capture holds, and what each says must be in the capture: the
// bytes and times of the scenario's frames, checked here from the frames
// alone, with the rule's figures recomputed where the frames allow.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "gen_capture.h"
#include "support/capture_builder.h"
#include "support/format_text.h"
#include "support/gen_record.h"
#include "support/process_runner.h"

namespace {

namespace fs = std::filesystem;
namespace test = zelmot::test;
using test::Fields;
using test::FieldsOf;
using test::GenRecordLine;
using test::NumberList;

constexpr double kBitNs = 1e9 / 12e6;  // the runs are at 12 Mbit/s
constexpr const char* kRun = " --minutes 2 --frames 20000 --record rec.csv";

struct Capture {
    std::vector<GenRecordLine> record;
    std::vector<GenRecordLine> faults;  // fault, near_miss and change lines
    std::vector<test::SeenFrame> frames;

    const test::SeenFrame& At(std::int64_t ref) const { return frames.at(static_cast<std::size_t>(ref - 1)); }
    Fields FieldsAt(std::int64_t ref) const { return FieldsOf(At(ref).bytes); }
    std::int64_t Ref(const GenRecordLine& r, const char* key) const { return std::stoll(r.Detail.at(key)); }

    // The lines of a rule (of any event when event is empty).
    std::vector<GenRecordLine> Lines(const std::string& rule, const std::string& event = "fault") const {
        std::vector<GenRecordLine> found;
        for (const GenRecordLine& r : faults)
            if (r.Detail.at("rule") == rule && (event.empty() || r.Event == event)) found.push_back(r);
        return found;
    }
    GenRecordLine One(const std::string& rule, const std::string& event = "fault") const {
        std::vector<GenRecordLine> found = Lines(rule, event);
        EXPECT_EQ(found.size(), 1u) << event << " " << rule;
        return found.empty() ? GenRecordLine{} : found.front();
    }
};

int Sa(const Fields& f) { return f.sa & 0x7F; }
int Da(const Fields& f) { return f.da & 0x7F; }

// Byte i of a hex text.
std::uint32_t HexByte(const std::string& hex, std::size_t i) {
    return static_cast<std::uint32_t>(std::stoul(hex.substr(2 * i, 2), nullptr, 16));
}

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    std::string hex;
    for (std::uint8_t b : bytes) hex += test::FormatText("%02x", b);
    return hex;
}

// Whether the request at ref got its answer in the next frame.
bool Answered(const Capture& run, std::int64_t ref) {
    if (static_cast<std::size_t>(ref) >= run.frames.size()) return false;
    const test::SeenFrame& next = run.At(ref + 1);
    if (next.status != 0) return false;
    if (next.bytes.size() == 1) return next.bytes[0] == 0xE5;
    Fields request = run.FieldsAt(ref);
    Fields answer = FieldsOf(next.bytes);
    return !test::IsRequest(answer) && Sa(answer) == Da(request) && Da(answer) == Sa(request);
}

// References of the clean requests to station (from master, or any) up to ref.
std::vector<std::int64_t> RequestsTo(const Capture& run, int station, std::int64_t upTo, int master = -1) {
    std::vector<std::int64_t> refs;
    for (std::int64_t ref = 1; ref <= upTo; ++ref) {
        Fields f = run.FieldsAt(ref);
        if (run.At(ref).status == 0 && test::IsRequest(f) && Da(f) == station && (master < 0 || Sa(f) == master))
            refs.push_back(ref);
    }
    return refs;
}

// The slave's Slave_Diag answers.
std::vector<Fields> DiagAnswers(const Capture& run, int station) {
    std::vector<Fields> found;
    for (const test::SeenFrame& s : run.frames) {
        Fields f = FieldsOf(s.bytes);
        if (s.status == 0 && !test::IsRequest(f) && Sa(f) == station && f.ssap == 60) found.push_back(f);
    }
    return found;
}

// The Set_Prm data a station was sent last before ref.
std::vector<std::uint8_t> SetPrmTo(const Capture& run, int station) {
    std::vector<std::uint8_t> data;
    for (const test::SeenFrame& s : run.frames) {
        Fields f = FieldsOf(s.bytes);
        if (test::IsRequest(f) && Da(f) == station && f.dsap == 61) data = f.data;
    }
    return data;
}

std::int64_t Nanoseconds(const GenRecordLine& r, const char* key) { return std::stoll(r.Detail.at(key)); }

class GenFaultTest : public ::testing::Test {
protected:
    Capture Generate(const std::string& args, unsigned minutes = 2, const fs::path& where = {}) {
        fs::path dir = where.empty() ? dir_ : where;
        fs::create_directories(dir);
        EXPECT_EQ(test::RunGen(dir, args), "") << args;
        Capture run;
        run.record = test::ReadGenRecord((dir / "rec.csv").string());
        for (const GenRecordLine& r : run.record)
            if (r.Event == "fault" || r.Event == "near_miss" || r.Event == "change") run.faults.push_back(r);
        run.frames = test::ReadGenCapture(dir / test::SplitWords(args).front(), minutes);
        return run;
    }

    test::TempDir temp_;
    fs::path dir_ = temp_.path();
};

// Every fault line names a frame of the capture at its time, with its bytes
// (a record cut short by a wrong length byte reads shorter), and its
// references run in frame order from its own.
void ExpectLinesNameTheirFrames(const Capture& run) {
    std::int64_t previous = 0;
    for (const GenRecordLine& r : run.faults) {
        SCOPED_TRACE(r.Event + " " + r.DetailText);
        std::int64_t ref = run.Ref(r, "ref");
        ASSERT_GE(ref, 1);
        ASSERT_LE(ref, static_cast<std::int64_t>(run.frames.size()));
        EXPECT_EQ(run.At(ref).ns, r.Ns);
        if (!run.At(ref).afterResync) {
            EXPECT_EQ(run.At(ref).hex, r.Frame);
        }
        std::vector<std::int64_t> refs = NumberList(r.Detail.at("refs"));
        EXPECT_EQ(refs.front(), ref);
        EXPECT_TRUE(std::is_sorted(refs.begin(), refs.end()));
        EXPECT_GE(test::Number(r.Detail.at("count")), refs.size() > 1 ? refs.size() : 1u);
        if (r.Detail.count("last_ref") != 0) {
            EXPECT_EQ(run.At(run.Ref(r, "last_ref")).ns, Nanoseconds(r, "last_ns"));
        }
        EXPECT_GE(r.Ns, previous) << "fault lines by their first frame";
        previous = r.Ns;
    }
}

void CheckCaptureGap(const Capture& run) {
    for (const GenRecordLine& r : run.Lines("capture_gap")) {
        const std::string& artefact = r.Detail.at("artefact");
        SCOPED_TRACE(artefact);
        std::vector<std::int64_t> refs = NumberList(r.Detail.at("refs"));
        EXPECT_EQ(refs.size(), artefact == "short_gap" ? 5u : 2u);
        std::vector<std::int64_t> gaps;
        for (std::int64_t ref : refs) {
            const test::SeenFrame& f = run.At(ref);
            if (artefact == "resync") {
                EXPECT_TRUE(f.afterResync) << ref;
            }
            if (artefact == "negative_gap") {
                EXPECT_LT(f.gapNs, 0) << ref;
            }
            if (artefact == "short_gap") {
                EXPECT_TRUE(f.gapNs >= 0 && f.gapNs <= 10 * kBitNs) << ref;
            }
            gaps.push_back(f.gapNs);
        }
        if (artefact != "resync") {
            EXPECT_EQ(NumberList(r.Detail.at("gaps_ns")), gaps);
        }
    }
    EXPECT_EQ(run.Lines("capture_gap").size(), 3u);
}

void CheckCaptureGapNear(const Capture& run) {
    GenRecordLine near = run.One("capture_gap", "near_miss");
    EXPECT_EQ(near.Detail.at("short_gaps"), "0");
    for (std::int64_t ref : NumberList(near.Detail.at("refs"))) EXPECT_EQ(run.At(ref).gapNs, 916) << "11 bit times";
    for (std::size_t i = 1; i < run.frames.size(); ++i)
        EXPECT_FALSE(run.frames[i].gapNs >= 0 && run.frames[i].gapNs <= 10 * kBitNs) << "frame " << i + 1;
}

// The drop: the third of the slave's requests in a row left unanswered, and
// (when it came back) its first data exchange answer again.
void CheckSlaveLost(const Capture& run, const GenRecordLine& r) {
    std::int64_t ref = run.Ref(r, "ref");
    std::vector<std::int64_t> before = RequestsTo(run, r.Station, ref, r.Master);
    ASSERT_GE(before.size(), 4u);
    for (std::size_t i = before.size() - 3; i < before.size(); ++i) EXPECT_FALSE(Answered(run, before[i]));
    EXPECT_TRUE(Answered(run, before[before.size() - 4])) << "in data exchange before";
    if (r.Detail.count("back_ref") == 0) {
        EXPECT_EQ(r.Detail.at("back"), "no");
        for (std::size_t i = static_cast<std::size_t>(ref); i < run.frames.size(); ++i)
            EXPECT_NE(Sa(FieldsOf(run.frames[i].bytes)), r.Station);
        return;
    }
    Fields back = run.FieldsAt(run.Ref(r, "back_ref"));
    EXPECT_EQ(Sa(back), r.Station);
    EXPECT_EQ(back.ssap, -1) << "a data exchange answer";
}

void CheckCommonCause(const Capture& run, std::size_t slaves, bool near) {
    if (!near) {
        GenRecordLine r = run.One("common_cause");
        std::vector<std::int64_t> stations = NumberList(r.Detail.at("stations"));
        std::vector<std::int64_t> drops = NumberList(r.Detail.at("drops_ns"));
        std::vector<std::int64_t> refs = NumberList(r.Detail.at("refs"));
        EXPECT_EQ(stations.size(), slaves);
        ASSERT_EQ(refs.size(), stations.size());
        for (std::size_t i = 0; i < refs.size(); ++i) {
            EXPECT_EQ(Da(run.FieldsAt(refs[i])), stations[i]);
            EXPECT_EQ(run.At(refs[i]).ns, drops[i]);
        }
        EXPECT_LE(drops.back() - drops.front(), 100'000'000);
        return;
    }
    GenRecordLine nearLine = run.One("common_cause", "near_miss");
    std::vector<std::int64_t> refs = NumberList(nearLine.Detail.at("refs"));
    ASSERT_EQ(refs.size(), 2u);
    EXPECT_EQ(run.At(refs[1]).ns - run.At(refs[0]).ns, 150'000'000);
    EXPECT_EQ(Nanoseconds(nearLine, "apart_ns"), 150'000'000);
    for (const GenRecordLine& lost : run.Lines("slave_lost")) CheckSlaveLost(run, lost);
}

// A drop by a negative answer or Prm_Req, with the request interval that
// ends at it: from interval_from_ref to the request before the answer.
void CheckRestart(const Capture& run, const GenRecordLine& r, bool byDiag, double ofWatchdog) {
    std::int64_t ref = run.Ref(r, "ref");
    Fields answer = run.FieldsAt(ref);
    Fields request = run.FieldsAt(ref - 1);
    EXPECT_EQ(Sa(answer), r.Station);
    if (byDiag) {
        EXPECT_EQ(answer.ssap, 60);
        ASSERT_GE(answer.data.size(), 2u);
        EXPECT_EQ(answer.data[1] & 0x01, 0x01) << "Prm_Req";
    } else {
        EXPECT_EQ(answer.fc & 0x0F, 3) << "RS";
        EXPECT_EQ(request.dsap, -1) << "to Data_Exchange";
    }
    std::int64_t interval = run.At(ref - 1).ns - run.At(run.Ref(r, "interval_from_ref")).ns;
    EXPECT_EQ(Nanoseconds(r, "interval_ns"), interval);
    std::int64_t watchdog = Nanoseconds(r, "watchdog_ms") * 1'000'000;
    if (ofWatchdog > 0) {
        EXPECT_EQ(interval, static_cast<std::int64_t>(watchdog * ofWatchdog));
    }
    EXPECT_EQ(RequestsTo(run, r.Station, ref - 1, r.Master).rbegin()[1], run.Ref(r, "interval_from_ref"))
        << "consecutive";
}

// The slave's watchdog from its Set_Prm: factors, and the 1 ms base in DPV1_Status_1.
void ExpectWatchdog(const Capture& run, int station, std::int64_t ms, bool base1ms) {
    std::vector<std::uint8_t> prm = SetPrmTo(run, station);
    ASSERT_GE(prm.size(), 8u);
    EXPECT_EQ(prm[0] & 0x08, 0x08) << "WD_On";
    EXPECT_EQ((prm[7] & 0x04) != 0, base1ms);
    EXPECT_EQ(prm[1] * prm[2] * (base1ms ? 1 : 10), ms);
}

void CheckTight(const Capture& run, const GenRecordLine& r, double ofWatchdog) {
    std::int64_t interval = r.Ns - run.At(run.Ref(r, "interval_from_ref")).ns;
    EXPECT_EQ(Nanoseconds(r, "interval_ns"), interval);
    EXPECT_EQ(interval, static_cast<std::int64_t>(Nanoseconds(r, "watchdog_ms") * 1'000'000 * ofWatchdog));
    EXPECT_EQ(RequestsTo(run, r.Station, run.Ref(r, "ref"), r.Master).rbegin()[1], run.Ref(r, "interval_from_ref"));
}

void CheckNotReady(const Capture& run) {
    GenRecordLine r = run.One("not_ready");
    const std::string& chk = r.Detail.at("chk_cfg");
    const std::string& got = r.Detail.at("get_cfg");
    bool sent = false, own = false, exchanged = false;
    for (std::int64_t ref = 2; ref <= static_cast<std::int64_t>(run.frames.size()); ++ref) {
        Fields f = run.FieldsAt(ref);
        Fields request = run.FieldsAt(ref - 1);
        sent = sent || (test::IsRequest(f) && Da(f) == r.Station && f.dsap == 62 && Hex(f.data) == chk);
        own = own || (!test::IsRequest(f) && Sa(f) == r.Station && f.ssap == 59 && Hex(f.data) == got);
        bool dataExchange = Da(request) == r.Station && request.dsap == -1 && (request.fc & 0x0F) == 0x0D;
        exchanged = exchanged || (dataExchange && Answered(run, ref - 1));
    }
    EXPECT_TRUE(sent) << "Chk_Cfg " << chk;
    EXPECT_TRUE(own) << "Get_Cfg answered " << got;
    EXPECT_FALSE(exchanged) << "no data exchange";
    EXPECT_EQ(chk.substr(0, got.size()), got) << "one module more was sent";
    EXPECT_EQ(test::Number(r.Detail.at("first_differing_module")), got.size() / 2);
    EXPECT_EQ(HexByte(r.Detail.at("diag"), 0) & 0x04, 0x04u) << "Cfg_Fault";
}

void CheckDiagnosis(const Capture& run) {
    std::vector<GenRecordLine> lines = run.Lines("diagnosis");
    ASSERT_EQ(lines.size(), 2u);
    for (const GenRecordLine& r : lines) {
        for (std::int64_t ref : NumberList(r.Detail.at("refs"))) {
            Fields f = run.FieldsAt(ref);
            EXPECT_EQ(f.ssap, 60);
            EXPECT_EQ(Hex(f.data), r.Detail.at("diag"));
        }
    }
    EXPECT_EQ(lines[0].Detail.at("count"), "3");
    EXPECT_EQ(HexByte(lines[0].Detail.at("diag"), 0) & 0x08, 0x08u) << "Ext_Diag";
    EXPECT_EQ(lines[1].Detail.at("count"), "2");
    EXPECT_EQ(HexByte(lines[1].Detail.at("diag"), 1) & 0x02, 0x02u) << "Stat_Diag";
}

// Damaged frames of the station, by the frames alone: damaged and all of its own.
void CheckErrorsLocal(const Capture& run, const GenRecordLine& r, std::uint32_t damaged) {
    std::uint32_t own = 0, ownDamaged = 0, otherDamaged = 0;
    for (const test::SeenFrame& s : run.frames) {
        bool mine = s.bytes.size() >= 3 && s.bytes[0] != 0xE5 && (s.bytes[s.bytes[0] == 0x68 ? 5 : 2] & 0x7F) == r.Station;
        own += mine;
        ownDamaged += mine && s.status != 0;
        otherDamaged += !mine && s.status != 0;
    }
    EXPECT_EQ(test::Number(r.Detail.at("count")), damaged);
    EXPECT_EQ(ownDamaged, damaged);
    EXPECT_EQ(test::Number(r.Detail.at("frames")), own);
    EXPECT_EQ(test::Number(r.Detail.at("other_damaged")), otherDamaged);
    EXPECT_EQ(test::Number(r.Detail.at("other_frames")), run.frames.size() - own);
}

void CheckErrorsSpread(const Capture& run, const GenRecordLine& r, bool reaches) {
    std::set<int> stations;
    std::uint32_t damaged = 0;
    for (const test::SeenFrame& s : run.frames) {
        if (s.status == 0) continue;
        ++damaged;
        if (s.bytes.size() >= 3 && s.bytes[0] != 0xE5) stations.insert(s.bytes[s.bytes[0] == 0x68 ? 5 : 2] & 0x7F);
    }
    EXPECT_EQ(test::Number(r.Detail.at("damaged")), damaged);
    EXPECT_EQ(test::Number(r.Detail.at("frames")), run.frames.size());
    EXPECT_EQ(damaged * 1000 >= run.frames.size(), reaches);
    EXPECT_GE(stations.size(), 4u) << "spread over the stations";
}

// Each retry repeats its master's last request, which went unanswered.
void CheckRetries(const Capture& run, const GenRecordLine& r, std::uint32_t count) {
    EXPECT_EQ(test::Number(r.Detail.at("retries")), count);
    for (std::int64_t ref : NumberList(r.Detail.at("refs"))) {
        Fields retry = run.FieldsAt(ref);
        std::int64_t before = ref - 1;
        while (before > 0 && !(test::IsRequest(run.FieldsAt(before)) && Sa(run.FieldsAt(before)) == Sa(retry) &&
                               run.At(before).status == 0))
            --before;
        ASSERT_GT(before, 0);
        EXPECT_EQ(run.At(before).hex, run.At(ref).hex) << ref;
        EXPECT_FALSE(Answered(run, before)) << ref;
    }
    EXPECT_EQ(test::Number(r.Detail.at("requests")),
              RequestsTo(run, r.Station, static_cast<std::int64_t>(run.frames.size())).size());
}

void CheckSlowAnswers(const Capture& run) {
    GenRecordLine r = run.One("slow_answers");
    std::int64_t slowest = Nanoseconds(r, "slowest_ns");
    EXPECT_GT(slowest * 10, Nanoseconds(r, "slot_seen_ns") * 8);
    EXPECT_EQ(run.At(run.Ref(r, "ref")).gapNs, slowest);
    EXPECT_GE(test::Number(r.Detail.at("slot_retries")), 2u);
    EXPECT_EQ(run.Lines("retries").size(), 0u) << "two retries show the slot time, no more";
}

void CheckNegativeAnswers(const Capture& run) {
    GenRecordLine r = run.One("negative_answers");
    EXPECT_EQ(r.Detail.at("answers"), "Rd_Inp:RS/Get_Cfg:RS/DPV1_Read_Write:0xb0");
    std::vector<std::int64_t> refs = NumberList(r.Detail.at("refs"));
    ASSERT_EQ(refs.size(), 3u);
    EXPECT_EQ(run.FieldsAt(refs[0]).fc & 0x0F, 3);
    EXPECT_EQ(run.FieldsAt(refs[1]).fc & 0x0F, 3);
    EXPECT_EQ(run.FieldsAt(refs[2]).data.at(0), 0xDE);
}

void CheckIdents(const Capture& run, const char* rule) {
    GenRecordLine r = run.One(rule);
    std::uint32_t own = test::Number(r.Detail.at("ident"));
    std::uint32_t other = test::Number(r.Detail.at("other_ident"));
    std::vector<std::uint32_t> seen;
    for (const Fields& f : DiagAnswers(run, r.Station)) {
        std::uint32_t ident = static_cast<std::uint32_t>(f.data.at(4) << 8 | f.data.at(5));
        if (seen.empty() || seen.back() != ident) seen.push_back(ident);
    }
    if (std::string(rule) == "device_replaced") {
        EXPECT_EQ(seen, (std::vector<std::uint32_t>{own, other}));
        EXPECT_EQ(run.Lines("slave_lost").size(), 1u) << "the old device was taken off";
    } else {
        EXPECT_EQ(seen, (std::vector<std::uint32_t>{own, other, own, other, own}));
    }
    EXPECT_EQ(test::Number(r.Detail.at("count")), seen.size() - 1);
}

void CheckMasterClear(const Capture& run, bool toEnd) {
    GenRecordLine r = run.One("master_clear");
    Fields on = run.FieldsAt(run.Ref(r, "ref"));
    EXPECT_EQ(on.dsap, 58);
    EXPECT_EQ(on.data.at(0), 0x02) << "Clear_Data";
    EXPECT_EQ(Sa(on), r.Station);
    if (toEnd) {
        EXPECT_EQ(r.Detail.at("until"), "end");
    } else {
        Fields off = run.FieldsAt(run.Ref(r, "until_ref"));
        EXPECT_EQ(off.dsap, 58);
        EXPECT_EQ(off.data.at(0), 0x00);
    }
    EXPECT_FALSE(r.Detail.at("slaves").empty());
}

struct FaultCase {
    const char* fault;
    std::vector<std::string> lines;    // EVENT:RULE of every line the run must have, once each
    std::vector<std::string> allowed;  // rules of further fault lines it may have (consequences)
    std::function<void(const Capture&)> check;
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.fault; }

const FaultCase kFaultCases[] = {
    {"capture_gap", {}, {"capture_gap"}, CheckCaptureGap},
    {"capture_gap_near", {"near_miss:capture_gap"}, {}, CheckCaptureGapNear},
    {"slave_lost", {"fault:slave_lost"}, {}, [](const Capture& r) { CheckSlaveLost(r, r.One("slave_lost")); }},
    {"slave_lost_for_good", {"fault:slave_lost", "fault:retries"}, {},
     [](const Capture& r) { CheckSlaveLost(r, r.One("slave_lost")); }},
    {"common_cause", {"fault:common_cause"}, {}, [](const Capture& r) { CheckCommonCause(r, 3, false); }},
    {"common_cause_near", {"near_miss:common_cause"}, {"slave_lost"},
     [](const Capture& r) { CheckCommonCause(r, 2, true); }},
    {"slave_restart", {"fault:slave_restart"}, {},
     [](const Capture& r) { CheckRestart(r, r.One("slave_restart"), false, 0); }},
    {"slave_restart_diag", {"fault:slave_restart"}, {},
     [](const Capture& r) { CheckRestart(r, r.One("slave_restart"), true, 0); }},
    {"watchdog_expired", {"fault:watchdog_expired"}, {},
     [](const Capture& r) {
         GenRecordLine line = r.One("watchdog_expired");
         CheckRestart(r, line, false, 1.2);
         ExpectWatchdog(r, line.Station, 250, true);
     }},
    {"watchdog_expired_near", {"near_miss:watchdog_expired", "fault:slave_restart", "fault:watchdog_tight"}, {},
     [](const Capture& r) {
         CheckRestart(r, r.One("slave_restart"), false, 0.95);
         EXPECT_EQ(r.One("watchdog_expired", "near_miss").Detail.at("interval_ns"), "237500000");
     }},
    {"watchdog_tight", {"fault:watchdog_tight"}, {},
     [](const Capture& r) {
         GenRecordLine line = r.One("watchdog_tight");
         CheckTight(r, line, 0.6);
         ExpectWatchdog(r, line.Station, 250, false);
     }},
    {"watchdog_tight_near", {"near_miss:watchdog_tight"}, {},
     [](const Capture& r) { CheckTight(r, r.One("watchdog_tight", "near_miss"), 0.49); }},
    {"not_ready", {"fault:not_ready"}, {}, CheckNotReady},
    {"diagnosis", {}, {"diagnosis"}, CheckDiagnosis},
    {"errors_local", {"fault:errors_local", "fault:retries"}, {},
     [](const Capture& r) {
         CheckErrorsLocal(r, r.One("errors_local"), 8);
         CheckRetries(r, r.One("retries"), 8);
     }},
    {"errors_local_near", {"near_miss:errors_local", "fault:retries"}, {},
     [](const Capture& r) { CheckErrorsLocal(r, r.One("errors_local", "near_miss"), 4); }},
    {"errors_spread", {"fault:errors_spread"}, {"retries"},
     [](const Capture& r) { CheckErrorsSpread(r, r.One("errors_spread"), true); }},
    {"errors_spread_near", {"near_miss:errors_spread"}, {"retries"},
     [](const Capture& r) { CheckErrorsSpread(r, r.One("errors_spread", "near_miss"), false); }},
    {"retries", {"fault:retries"}, {}, [](const Capture& r) { CheckRetries(r, r.One("retries"), 6); }},
    {"retries_near", {"near_miss:retries"}, {},
     [](const Capture& r) { CheckRetries(r, r.One("retries", "near_miss"), 2); }},
    {"slow_answers", {"fault:slow_answers"}, {}, CheckSlowAnswers},
    {"negative_answers", {"fault:negative_answers"}, {}, CheckNegativeAnswers},
    {"double_address", {"fault:double_address"}, {}, [](const Capture& r) { CheckIdents(r, "double_address"); }},
    {"device_replaced", {"fault:device_replaced", "fault:slave_lost"}, {},
     [](const Capture& r) { CheckIdents(r, "device_replaced"); }},
    {"master_clear", {"fault:master_clear"}, {}, [](const Capture& r) { CheckMasterClear(r, false); }},
    {"master_clear_to_end", {"fault:master_clear"}, {}, [](const Capture& r) { CheckMasterClear(r, true); }},
};

class GenFaultScenarioTest : public GenFaultTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(GenFaultScenarioTest, RecordSaysWhatTheCaptureHolds) {
    const FaultCase& c = GetParam();
    Capture run = Generate(std::string("f") + kRun + " --fault " + c.fault);
    ASSERT_GT(run.frames.size(), 39000u);
    ExpectLinesNameTheirFrames(run);
    std::multiset<std::string> required(c.lines.begin(), c.lines.end());
    for (const GenRecordLine& r : run.faults) {
        std::string key = r.Event + ":" + r.Detail.at("rule");
        auto it = required.find(key);
        if (it != required.end()) {
            required.erase(it);
        } else {
            bool allowed = r.Event == "fault" && std::find(c.allowed.begin(), c.allowed.end(), r.Detail.at("rule")) !=
                                                     c.allowed.end();
            EXPECT_TRUE(allowed) << "a line the scenario does not make: " << key << " " << r.DetailText;
        }
        EXPECT_EQ(r.Detail.at("scenario"), c.fault) << key;
    }
    EXPECT_TRUE(required.empty()) << "missing: " << *required.begin();
    c.check(run);
}

INSTANTIATE_TEST_SUITE_P(Faults, GenFaultScenarioTest, ::testing::ValuesIn(kFaultCases),
                         [](const ::testing::TestParamInfo<FaultCase>& p) { return std::string(p.param.fault); });

// The default run shows no fault: no damaged frame, no retry, no
// diagnosis, every slave in data exchange, the longest request interval of
// each slave far below its watchdog -- and the record says none.
TEST_F(GenFaultTest, DefaultRunIsClean) {
    Capture run = Generate(std::string("plant") + kRun);
    EXPECT_TRUE(run.faults.empty()) << run.faults.front().DetailText;
    std::set<int> exchanging;
    for (const GenRecordLine& r : test::LinesOf(run.record, "data_exchange")) exchanging.insert(r.Station);
    EXPECT_EQ(exchanging, (std::set<int>{5, 6, 7, 8, 9, 10, 11, 12}));
    std::map<int, std::int64_t> lastRequest, longest;
    for (std::size_t i = 0; i < run.frames.size(); ++i) {
        const test::SeenFrame& s = run.frames[i];
        EXPECT_EQ(s.status, 0) << i + 1;
        Fields f = FieldsOf(s.bytes);
        if (!test::IsRequest(f) || Da(f) < 5 || Da(f) > 12) continue;
        if (f.dsap == 60 && f.data.empty() && i + 1 < run.frames.size()) {
            Fields diag = FieldsOf(run.frames[i + 1].bytes);
            if (diag.data.size() >= 2) {
                EXPECT_EQ(diag.data[0] & 0x08, 0) << "Ext_Diag at " << i + 2;
            }
        }
        if (lastRequest.count(Da(f)) != 0)
            longest[Da(f)] = std::max(longest[Da(f)], s.ns - lastRequest[Da(f)]);
        EXPECT_TRUE(i == 0 || run.frames[i - 1].hex != s.hex) << "a retry at " << i + 1;
        lastRequest[Da(f)] = s.ns;
    }
    for (const auto& [slave, interval] : longest) {
        std::vector<std::uint8_t> prm = SetPrmTo(run, slave);
        ASSERT_GE(prm.size(), 3u);
        EXPECT_EQ(prm[1] * prm[2] * 10, 1000);
        EXPECT_LT(interval * 5, 1'000'000'000) << "slave " << slave << ": longest interval under a fifth";
    }
}

// A plant change leaves the other stations' frames as they were: with the
// frames of the changed slave taken out (its requests, and their SC
// answers), both runs hold the same frames; the change line says what
// changed, and the changed slave's frames show it.
TEST_F(GenFaultTest, PairsDifferOnlyAtTheChangedSlave) {
    const std::string plant = " --seed 5 --minutes 2 --frames 20000 --record rec.csv";
    Capture before = Generate("before" + plant, 2, dir_ / "before");
    struct Change {
        const char* change;
        std::function<void(const Capture& before, const Capture& after, const GenRecordLine& line)> check;
    };
    const Change changes[] = {
        {"ident=9",
         [&](const Capture&, const Capture& after, const GenRecordLine& line) {
             std::vector<Fields> diags = DiagAnswers(after, 9);
             ASSERT_FALSE(diags.empty());
             EXPECT_EQ(test::FormatText("0x%02x%02x", diags[0].data.at(4), diags[0].data.at(5)),
                       line.Detail.at("after"));
             EXPECT_NE(line.Detail.at("before"), line.Detail.at("after"));
         }},
        {"module=9",
         [&](const Capture& b, const Capture& after, const GenRecordLine& line) {
             auto cfg = [&](const Capture& run) {
                 for (std::int64_t ref : RequestsTo(run, 9, static_cast<std::int64_t>(run.frames.size())))
                     if (run.FieldsAt(ref).dsap == 62) return Hex(run.FieldsAt(ref).data);
                 return std::string();
             };
             EXPECT_EQ(cfg(b), line.Detail.at("before"));
             EXPECT_EQ(cfg(after), line.Detail.at("after"));
         }},
        {"parameter=9",
         [&](const Capture& b, const Capture& after, const GenRecordLine& line) {
             EXPECT_EQ(SetPrmTo(b, 9).at(9), test::Number(line.Detail.at("before")));
             EXPECT_EQ(SetPrmTo(after, 9).at(9), test::Number(line.Detail.at("after")));
         }},
        {"watchdog=9",
         [&](const Capture&, const Capture& after, const GenRecordLine& line) {
             std::vector<std::uint8_t> prm = SetPrmTo(after, 9);
             EXPECT_EQ(prm.at(1) * prm.at(2) * 10u, test::Number(line.Detail.at("after")));
             EXPECT_EQ(line.Detail.at("after"), "500");
         }},
        {"gone=9",
         [&](const Capture&, const Capture& after, const GenRecordLine&) {
             for (const test::SeenFrame& s : after.frames) EXPECT_NE(Sa(FieldsOf(s.bytes)), 9);
         }},
        {"errors=9", [&](const Capture&, const Capture& after, const GenRecordLine& line) {
             CheckErrorsLocal(after, line, test::Number(line.Detail.at("count")));
             EXPECT_GE(test::Number(line.Detail.at("count")), 15u);
         }},
        {"slow=9", [&](const Capture&, const Capture& after, const GenRecordLine& line) {
             const test::SeenFrame& answer = after.At(std::stoll(line.Detail.at("ref")));
             EXPECT_EQ(Sa(FieldsOf(answer.bytes)), 9);
             EXPECT_GE(answer.gapNs, test::Number(line.Detail.at("after")) * kBitNs - 1);
         }},
    };
    // The frames of the run without those of station 9.
    auto others = [](const Capture& run) {
        std::vector<std::string> kept;
        bool dropAnswer = false;
        for (const test::SeenFrame& s : run.frames) {
            bool shortAck = s.bytes.size() == 1;
            if (shortAck && dropAnswer) {
                dropAnswer = false;
                continue;
            }
            Fields f = FieldsOf(s.bytes);
            bool token = s.bytes.size() == 3;
            int da = token ? s.bytes[1] & 0x7F : Da(f);
            int sa = token ? s.bytes[2] & 0x7F : Sa(f);
            dropAnswer = da == 9 && !token;
            if (da == 9 || sa == 9) continue;
            kept.push_back(s.hex + test::FormatText("/%02x", s.status));
        }
        return kept;
    };
    std::vector<std::string> plain = others(before);
    for (const Change& c : changes) {
        SCOPED_TRACE(c.change);
        fs::path where = dir_ / c.change;
        Capture after = Generate(std::string("after") + plant + " --change " + c.change, 2, where);
        ExpectLinesNameTheirFrames(after);
        std::vector<GenRecordLine> lines = test::LinesOf(after.record, "change");
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].Station, 9);
        std::vector<std::string> changed = others(after);
        std::size_t common = std::min(plain.size(), changed.size());
        ASSERT_GT(common, 30000u);
        EXPECT_TRUE(std::equal(plain.begin(), plain.begin() + static_cast<std::ptrdiff_t>(common), changed.begin()));
        c.check(before, after, lines[0]);
    }
}

std::vector<std::uint8_t> FileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(GenFaultTest, SameSeedSameBytesAndRecord) {
    const std::string args = std::string(kRun) + " --seed 3 --fault common_cause_near,capture_gap,negative_answers";
    for (const char* where : {"a", "b"}) {
        fs::create_directories(dir_ / where);
        EXPECT_EQ(test::RunGen(dir_ / where, std::string("s") + args), "") << where;
    }
    for (const char* name : {"s1200.Zelmot", "s1201.Zelmot", "rec.csv"}) {
        std::vector<std::uint8_t> a = FileBytes(dir_ / "a" / name);
        EXPECT_GT(a.size(), 100u) << name;
        EXPECT_EQ(a, FileBytes(dir_ / "b" / name)) << name;
    }
}

}  // namespace
