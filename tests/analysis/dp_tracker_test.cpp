// The DP state rules and events on hand-built runs: master 1 and slave 5
// (slave 6 where a second one is needed), one frame every 1000 ticks, the
// events compared in words with the frame they belong to, and a few
// figures of the report document. Then DP frames cut at every length and
// blocks whose lengths lie: a clear decode, never a read past the frame.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "analysis_support.h"
#include "dp_traffic.h"
#include "report/dp_words.h"
#include "report/key_path.h"
#include "report/report_document.h"
#include "support/case_names.h"

namespace zelmot {
namespace {

using test::Bytes;
using Json = nlohmann::json;

constexpr std::uint8_t kMaster = 1;
constexpr std::uint8_t kSlave = 5;

Bytes Request(std::uint8_t sap, const Bytes& data, std::uint8_t slave = kSlave) {
    return test::SapRequest(kMaster, slave, sap, data);
}
Bytes Answer(std::uint8_t sap, const Bytes& data, std::uint8_t slave = kSlave) {
    return test::SapAnswer(kMaster, slave, sap, data);
}
Bytes Exchange() { return test::ExchangeRequest(kMaster, kSlave); }
Bytes Inputs(std::uint8_t fc) { return test::Sd2(kMaster, kSlave, fc, {0x42}); }
// Sent with no acknowledge (SDN), to 127 unless to is given.
Bytes GlobalControl(std::uint8_t command, std::uint8_t master = kMaster, std::uint8_t to = 127) {
    return to == 127 ? test::GlobalControlFrame(master, command)
                     : test::Sd2(to | test::kExt, master | test::kExt, 0x46, {58, test::kMasterSap, command, 0x00});
}
Bytes Token() { return test::Token(kMaster, kMaster); }

const Bytes kStartDiag = {0x02, 0x05, 0x00, 0xFF, 0x82, 0xC1};
const Bytes kRunningDiag = {0x00, 0x0C, 0x00, kMaster, 0x82, 0xC1};
const Bytes kPrm = {0x88, 0x0A, 0x0A, 0x0B, 0x82, 0xC1, 0x00};
const Bytes kPrmDpv1 = {0x88, 0x0A, 0x0A, 0x0B, 0x82, 0xC1, 0x00, 0x80, 0x20, 0x00};
const Bytes kCfg = {0x10, 0x21};

// The start-up of slave 5 up to data exchange: frames 0 to 9.
std::vector<Bytes> StartUp(const Bytes& prm = kPrm) {
    return {Request(60, {}),  Answer(60, kStartDiag), Request(61, prm), test::ShortAck(), Request(62, kCfg),
            test::ShortAck(), Request(60, {}),        Answer(60, kRunningDiag), Exchange(), Inputs(0x08)};
}
std::vector<Bytes> Then(std::vector<Bytes> frames, const std::vector<Bytes>& more) {
    frames.insert(frames.end(), more.begin(), more.end());
    return frames;
}

const std::vector<std::pair<std::size_t, std::string>> kStartUpEvents = {
    {1, "slave 5: (new) -> diagnosis"},
    {1, "slave 5: Station_Not_Ready, Prm_Req"},
    {3, "slave 5: diagnosis -> parameterised"},
    {5, "slave 5: parameterised -> configured"},
    {7, "slave 5: WD_On"},
    {9, "slave 5: configured -> data exchange"},
};
std::vector<std::pair<std::size_t, std::string>> AfterStartUp(
    const std::vector<std::pair<std::size_t, std::string>>& more) {
    auto events = kStartUpEvents;
    events.insert(events.end(), more.begin(), more.end());
    return events;
}

std::int64_t NsOfFrame(std::size_t index) { return static_cast<std::int64_t>(index) * 1000 * 1000 / 48; }

struct TrackerCase {
    const char* Name;
    std::vector<Bytes> Frames;
    std::vector<std::pair<std::size_t, std::string>> Events;  // frame index, words
    std::vector<std::pair<const char*, Json>> Figures;        // key path, value
};

const TrackerCase kTrackerCases[] = {
    {"start-up to data exchange",
     StartUp(),
     kStartUpEvents,
     {{"stations{address=5}.dp.state", "data_exchange"}, {"stations{address=5}.dp.entries", 1}, {"stations{address=5}.dp.ident", 0x82C1}, {"stations{address=5}.dp.master", kMaster},
      {"stations{address=5}.dp.prm.watchdog_ms", 1000}, {"stations{address=5}.dp.cfg.in_bytes", 1}, {"stations{address=5}.dp.cfg.out_bytes", 2}, {"stations{address=5}.dp.diag.responses", 2}}},
    {"the third unanswered DP request; a request expecting no answer leaves the count alone",
     Then(StartUp(), {Exchange(), Token(), Exchange(), Token(), GlobalControl(0x00, kMaster, kSlave), Exchange(), Token()}),
     AfterStartUp({{14, "master 1: Global_Control without command (0x00), group select 0x00"},
                   {15, "slave 5: data exchange -> offline"}}),
     {{"stations{address=5}.dp.state", "offline"}, {"stations{address=5}.dp.drop_outs", 1}, {"stations{address=5}.dp.data_exchange.requests", 4},
      {"stations{address=5}.dp.data_exchange.answered", 1}}},
    {"an answered request, DP or not, resets the count; a diagnosis brings the slave back",
     Then(StartUp(), {Exchange(), Token(), Exchange(), Token(), test::Sd1(kSlave, kMaster, 0x49),
                      test::Sd1(kMaster, kSlave, 0x00), Exchange(), Token(), Exchange(), Token(), Exchange(),
                      Token(), Request(60, {}), Answer(60, kStartDiag)}),
     AfterStartUp({{20, "slave 5: data exchange -> offline"},
                   {23, "slave 5: offline -> diagnosis"},
                   {23, "slave 5: Station_Not_Ready, Prm_Req"}}),
     {{"stations{address=5}.dp.state", "diagnosis"}, {"stations{address=5}.dp.master", nullptr}}},
    {"a diagnosis during data exchange changes no state",
     Then(StartUp(), {Exchange(), Inputs(0x0A), Request(60, {}),
                      Answer(60, {0x08, 0x0C, 0x00, kMaster, 0x82, 0xC1, 0x42, 0x02, 0x88, 0x41, 0x21})}),
     AfterStartUp({{13, "slave 5: Ext_Diag, WD_On; identifier: modules 1; module 8 channel 1 input: short circuit"}}),
     {{"stations{address=5}.dp.state", "data_exchange"}, {"stations{address=5}.dp.data_exchange.diag_waiting", 1},
      {"stations{address=5}.dp.diag.last.ext", Json::parse(R"([{"type": "identifier", "modules": [1]},
          {"type": "channel", "module": 8, "channel": 1, "direction": "input", "width": 1, "width_text": "bit",
           "error": 1, "error_text": "short circuit"}])")}}},
    {"the first and a changed Global_Control of each master",
     {GlobalControl(0x00), GlobalControl(0x00), GlobalControl(0x02), GlobalControl(0x02), GlobalControl(0x02, 2),
      Token()},
     {{0, "master 1: Global_Control without command (0x00), group select 0x00"},
      {2, "master 1: Global_Control Clear_Data (0x02), group select 0x00"},
      {4, "master 2: Global_Control Clear_Data (0x02), group select 0x00"}},
     {{"stations{address=1}.dp", nullptr}, {"events[2].commands_text", "Clear_Data"}}},
    {"a Set_Prm with another ident than the diagnosis",
     {Request(60, {}), Answer(60, kStartDiag), Request(61, {0x88, 0x0A, 0x0A, 0x0B, 0x12, 0x34, 0x00}),
      test::ShortAck(), Token()},
     {{1, "slave 5: (new) -> diagnosis"},
      {1, "slave 5: Station_Not_Ready, Prm_Req"},
      {2, "slave 5: Set_Prm ident 0x1234 differs from the Slave_Diag ident 0x82C1"},
      {3, "slave 5: diagnosis -> parameterised"}},
     {{"stations{address=5}.dp.prm.ident", 0x1234}, {"stations{address=5}.dp.ident", 0x82C1}}},
    {"UE, RR and RS answers",
     {Request(59, {}), test::Sd1(kMaster, kSlave, 0x03), Request(56, {}), test::Sd1(kMaster, kSlave, 0x01),
      Exchange(), test::Sd1(kMaster, kSlave, 0x02), Token()},
     {{1, "slave 5: Get_Cfg answered RS (SAP not enabled)"},
      {3, "slave 5: Rd_Inp answered UE (user error)"},
      {5, "slave 5: Data_Exchange answered RR (no resource)"}},
     {{"stations{address=5}.dp.state", nullptr}, {"stations{address=5}.dp.negative", Json{{"UE", 1}, {"RR", 1}, {"RS", 1}}}}},
    {"a DP-V1 read polled until refused counts once",
     Then(StartUp(kPrmDpv1), {Request(51, {0x5E, 1, 2, 4}), test::ShortAck(), Request(51, {0x5E, 1, 2, 4}),
                              test::ShortAck(), Request(51, {0x5E, 1, 2, 4}), Answer(51, {0xDE, 0x80, 0xB0, 0x00}),
                              Request(51, {0x5E, 1, 2, 4}), Answer(51, {0x5E, 1, 2, 4, 9, 9, 9, 9})}),
     AfterStartUp({{15, "slave 5: DP-V1 read refused: invalid index (Error_Decode 0x80, Error_Code_1 0xB0, "
                        "Error_Code_2 0x00)"}}),
     {{"stations{address=5}.dp.dpv1", Json{{"reads", 2}, {"writes", 0}, {"errors", 1}}}, {"stations{address=5}.dp.prm.dpv1.status_1_bits", Json::array({"DPV1_Mode"})}}},
};

class DpRules : public testing::TestWithParam<TrackerCase> {};

TEST_P(DpRules, EventsAndFigures) {
    const TrackerCase& c = GetParam();
    std::vector<test::Placed> placed;
    for (std::size_t i = 0; i < c.Frames.size(); ++i) placed.push_back({1000u * i, c.Frames[i]});
    placed.push_back({1000u * c.Frames.size(), Token()});  // the look-ahead record: no frame
    auto stats = test::AnalyseFrames(placed);
    std::vector<std::pair<std::int64_t, std::string>> events, expected;
    for (const DpEvent& event : stats->Events.Kept) events.emplace_back(event.Ns, DpEventWords(stats->Events, event));
    for (const auto& [frame, words] : c.Events) expected.emplace_back(NsOfFrame(frame), words);
    EXPECT_EQ(events, expected);
    const ReportDocument document = BuildReportDocument(*stats);
    for (const auto& [path, value] : c.Figures) {
        const ReportDocument* found = FindReportValue(document, path);
        ASSERT_NE(found, nullptr) << path;
        EXPECT_EQ(Json::parse(found->dump()), value) << path;
    }
}

std::string CaseText(const TrackerCase& c) { return c.Name; }

INSTANTIATE_TEST_SUITE_P(Stats, DpRules, testing::ValuesIn(kTrackerCases), test::CaseNamer{});

// The last diagnosis of slave 5 after a start diagnosis and the given one.
Json LastExt(const Bytes& diag) {
    const std::vector<test::Placed> placed = {{0, Request(60, {})}, {1000, Answer(60, diag)}, {2000, Token()}};
    const ReportDocument document = BuildReportDocument(*test::AnalyseFrames(placed));
    return Json::parse(FindReportValue(document, "stations{address=5}.dp.diag.last.ext")->dump());
}

TEST(DpBadInput, DiagnosisCutAtEveryLength) {
    // Six standard bytes, an identifier block (2), a channel block (3), an alarm-sized device block (4).
    const Bytes diag = {0x08, 0x0C, 0x00, 1, 0x82, 0xC1, 0x42, 0x01, 0x83, 0x46, 0x26, 0x04, 0x01, 0x02, 0x09};
    const std::size_t ends[] = {6, 8, 11, 15};  // where blocks end
    for (std::size_t n = 0; n <= diag.size(); ++n) {
        SCOPED_TRACE(n);
        const Json ext = LastExt(Bytes(diag.begin(), diag.begin() + static_cast<std::ptrdiff_t>(n)));
        std::size_t whole = 0;
        while (whole + 1 < std::size(ends) && ends[whole + 1] <= n) ++whole;
        const std::size_t cutFrom = n < 6 ? 0 : ends[whole];
        const bool cut = cutFrom < n || n < 6;
        ASSERT_EQ(ext.size(), (n < 6 ? 0 : whole) + (cut ? 1 : 0)) << ext;
        if (!cut) continue;
        const Json& last = ext.back();
        EXPECT_EQ(last["type"], "undecoded");
        EXPECT_EQ(last["cut"], true);
        EXPECT_EQ(last["hex"], HexText(fdl::Bytes(diag.data() + cutFrom, n - cutFrom)));
    }
}

TEST(DpBadInput, BlocksWhoseLengthsLie) {
    const Bytes standard = {0x08, 0x0C, 0x00, 1, 0x82, 0xC1};
    struct Lie {
        Bytes Ext;
        bool Cut;
    };
    const Lie lies[] = {
        {{0x7F, 0x01}, true},         // an identifier block of 63 bytes in 2
        {{0x41, 0x01}, false},        // a block of 1 byte cannot hold its header and content
        {{0x00}, false},              // a device block of length 0
        {{0xC0, 0x01, 0x02}, false},  // the reserved type
        {{0x82, 0x40}, true},         // a channel block short of its third byte
    };
    for (const Lie& lie : lies) {
        Bytes diag = standard;
        diag.insert(diag.end(), lie.Ext.begin(), lie.Ext.end());
        const Json ext = LastExt(diag);
        SCOPED_TRACE(ext.dump());
        ASSERT_EQ(ext.size(), 1u);
        EXPECT_EQ(ext[0]["type"], "undecoded");
        EXPECT_EQ(ext[0]["cut"], lie.Cut);
        EXPECT_EQ(ext[0]["hex"], HexText(lie.Ext));
    }
}

}  // namespace
}  // namespace zelmot
