// Tests of the generator's DP fault scenarios and its record file: each
// scenario's run is read back with the project's capture reader and frame
// timing, and every event line of the record must name a frame the capture
// holds at that time with those bytes, showing what the line says. The fault
// lines that follow the events are the fault tests' (zelmot_gen_fault_test).
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "gen_capture.h"
#include "support/capture_builder.h"
#include "support/gen_record.h"
#include "support/process_runner.h"

namespace {

namespace fs = std::filesystem;
namespace test = zelmot::test;
using namespace zelmot;

using RecordLine = test::GenRecordLine;
using test::Fields;
using test::FieldsOf;
using test::IsRequest;
using test::Number;
using Seen = test::SeenFrame;

// What the frame an event names must hold: a request or an answer, its
// SAPs (-1 any), and data bytes: a fixed value, or the detail word's value.
struct DataByte {
    std::size_t index;
    int value;         // -1: the detail word
    const char* word;  // masked by mask
    std::uint8_t mask;
};

struct EventShape {
    const char* event;
    bool request;
    int dsap;
    int ssap;
    std::vector<DataByte> bytes;
};

const EventShape kShapes[] = {
    {"dropout_start", true, -2, -2, {}},
    {"lost", true, -2, -2, {}},
    {"dropout_end", false, -2, -2, {}},
    {"data_exchange", false, -1, -1, {}},
    {"ext_diag", false, 62, 60, {{0, 0x08, "", 0x08}}},
    {"diag_clear", false, 62, 60, {{0, 0x00, "", 0x08}}},
    {"cfg_fault", false, 62, 60, {{0, 0x04, "", 0x04}}},
    {"prm_fault", false, 62, 60, {{0, 0x40, "", 0x40}, {4, -1, "ident", 0xFF}}},
    {"wrong_ident", true, 61, 62, {{4, -1, "sent", 0xFF}}},
    {"alarm_ack", false, 51, 50, {{0, 0x5C, "", 0xFF}, {1, -1, "slot", 0xFF}, {3, -1, "specifier", 0xFF}}},
    {"clear_on", true, 58, 62, {{0, 0x02, "", 0xFF}, {0, -1, "command", 0xFF}, {1, -1, "group", 0xFF}}},
    {"clear_off", true, 58, 62, {{0, 0x00, "", 0xFF}, {0, -1, "command", 0xFF}}},
    {"dpv1_read", false, 51, 51, {{0, 0x5E, "", 0xFF}, {1, -1, "slot", 0xFF}, {2, -1, "index", 0xFF}, {3, -1, "length", 0xFF}}},
    {"dpv1_error",
     false,
     51,
     51,
     {{0, 0xDE, "", 0xFF},
      {1, 0x80, "", 0xFF},
      {2, 0xB0, "", 0xFF},  // invalid index
      {3, 0x00, "", 0xFF},
      {1, -1, "error_decode", 0xFF},
      {2, -1, "error_code_1", 0xFF},
      {3, -1, "error_code_2", 0xFF}}},
    {"rs_answer", false, -1, -1, {}},
};

// Empty when the frame fits the line's event.
std::string ShapeFault(const RecordLine& r, const std::vector<std::uint8_t>& bytes) {
    const EventShape* shape = nullptr;
    for (const EventShape& s : kShapes)
        if (r.Event == s.event) shape = &s;
    if (shape == nullptr) return "unknown event";
    if (bytes.size() == 1) return shape->request || shape->dsap >= 0 ? "a short acknowledgement" : "";
    Fields f = FieldsOf(bytes);
    if (IsRequest(f) != shape->request) return "request or answer";
    int slave = shape->request ? f.da & 0x7F : f.sa & 0x7F;
    if (slave != r.Station || (shape->request ? f.sa : f.da) % 128 != r.Master) return "addresses";
    if (shape->dsap >= -1 && (f.dsap != shape->dsap || f.ssap != shape->ssap)) return "SAPs";
    for (const DataByte& d : shape->bytes) {
        if (d.index >= f.data.size()) return "too short";
        std::uint32_t want = d.value >= 0 ? static_cast<std::uint32_t>(d.value) : Number(r.Detail.at(d.word));
        if (d.index == 4 && d.value < 0) {  // an ident: two bytes, big-endian
            if (d.index + 1 >= f.data.size() || (f.data[4] << 8 | f.data[5]) != static_cast<int>(want))
                return d.word;
        } else if ((f.data[d.index] & d.mask) != (want & d.mask)) {
            return d.word[0] != '\0' ? d.word : "data byte";
        }
    }
    return "";
}

struct ScenarioCase {
    const char* name;
    std::string args;
    std::vector<std::string> events;  // that must be recorded
    // An event only the scenario's slave shows, and whether that slave
    // reaches data exchange.
    std::vector<std::pair<std::string, bool>> slaves;
};

void PrintTo(const ScenarioCase& c, std::ostream* os) { *os << c.name; }

class GenScenarioTest : public ::testing::TestWithParam<ScenarioCase> {
protected:
    test::TempDir temp_;
    fs::path dir_ = temp_.path();
};

const ScenarioCase kCases[] = {
    {"dropout", "--dp-scenario dropout", {"dropout_start", "lost", "dropout_end"}, {{"dropout_start", true}}},
    {"ext_diag", "--dp-scenario ext-diag", {"ext_diag", "alarm_ack", "diag_clear"}, {{"diag_clear", true}}},
    {"cfg_fault", "--dp-scenario cfg-fault --seed 4", {"cfg_fault"}, {{"cfg_fault", false}}},
    {"wrong_ident", "--dp-scenario wrong-ident --masters 1", {"wrong_ident", "prm_fault"}, {{"prm_fault", false}}},
    {"clear", "--dp-scenario clear --masters 3", {"clear_on", "clear_off"}, {}},
    {"dpv1_read", "--dp-scenario dpv1-read --seed 8", {"dpv1_read", "dpv1_error"}, {{"dpv1_error", true}}},
    {"rs_answer", "--dp-scenario rs-answer", {"rs_answer"}, {{"rs_answer", true}}},
    {"all_with_errors",
     "--dp-scenario dropout,ext-diag --dp-scenario all --slaves 9 --error-rate 0.01",
     {"dropout_end", "diag_clear", "cfg_fault", "prm_fault", "clear_off", "dpv1_error", "rs_answer"},
     {{"cfg_fault", false}, {"prm_fault", false}, {"diag_clear", true}, {"dropout_end", true}}},
};

// Between the start and the end of a dropout the slave answers nothing:
// requests only, at least three polls with a retry each; afterwards the
// master parameterises it anew.
void ExpectDropout(const std::vector<Seen>& frames, int station, std::int64_t start, std::int64_t end) {
    ASSERT_GT(end, start);
    int requests = 0;
    bool parameterised = false;
    for (const Seen& s : frames) {
        if (s.ns < start || s.bytes.size() < 3 || s.status != 0) continue;
        Fields f = FieldsOf(s.bytes);
        bool toIt = IsRequest(f) && (f.da & 0x7F) == station;
        if (s.ns < end) {
            requests += toIt;
            EXPECT_FALSE(!IsRequest(f) && (f.sa & 0x7F) == station) << "an answer at " << s.ns;
        } else if (toIt && f.dsap == 61) {
            parameterised = true;
        }
    }
    EXPECT_GE(requests, 6);
    EXPECT_TRUE(parameterised);
}

TEST_P(GenScenarioTest, RecordNamesFramesThatShowItsEvents) {
    const ScenarioCase& c = GetParam();
    std::vector<std::string> words = test::SplitWords("sc --frames 20000 --record rec.csv " + c.args);
    test::ProcessRun run = test::RunProcess(ZELMOT_GEN_EXE, words, test::ProcessOptions{dir_.string(), false});
    ASSERT_TRUE(run.Started);
    ASSERT_EQ(run.ExitCode, 0) << run.Errors;
    std::vector<RecordLine> record = test::ReadGenRecord((dir_ / "rec.csv").string());
    std::vector<Seen> frames = test::ReadGenCapture(dir_ / "sc");
    ASSERT_GT(frames.size(), 19000u);

    std::map<std::int64_t, std::size_t> byTime;
    for (std::size_t i = 0; i < frames.size(); ++i) byTime[frames[i].ns] = i;
    std::map<std::string, int> counts;
    std::map<std::string, int> stationOf;      // of each event, the last one
    std::map<int, bool> exchanges;              // stations with a data exchange
    std::map<int, std::int64_t> dropoutStart;
    std::int64_t previous = 0;
    bool faultPart = false;
    for (const RecordLine& r : record) {
        SCOPED_TRACE(r.Event + " at " + std::to_string(r.Ns));
        bool faultLine = r.Event == "fault" || r.Event == "near_miss" || r.Event == "change";
        EXPECT_TRUE(faultLine || !faultPart) << "an event after the fault lines";
        faultPart = faultPart || faultLine;
        if (faultLine) continue;
        ++counts[r.Event];
        stationOf[r.Event] = r.Station;
        EXPECT_GE(r.Ns, previous) << "lines in frame order";
        previous = r.Ns;
        auto at = byTime.find(r.Ns);
        ASSERT_NE(at, byTime.end()) << "no frame at that time";
        const Seen& seen = frames[at->second];
        EXPECT_EQ(seen.hex, r.Frame);
        // Only a request the master gave up on may be damaged.
        if (seen.status != 0) {
            EXPECT_TRUE(r.Event == "lost" || r.Event == "dropout_start");
        } else {
            EXPECT_EQ(ShapeFault(r, seen.bytes), "");
        }
        if (r.Event == "data_exchange") exchanges[r.Station] = true;
        if (r.Event == "rs_answer") {  // answers a request for the service named
            ASSERT_GT(at->second, 0u);
            EXPECT_EQ(FieldsOf(frames[at->second - 1].bytes).dsap, static_cast<int>(Number(r.Detail.at("dsap"))));
        }
        if (r.Event == "dropout_start") dropoutStart[r.Station] = r.Ns;
        if (r.Event == "dropout_end") ExpectDropout(frames, r.Station, dropoutStart[r.Station], r.Ns);
    }
    for (const std::string& event : c.events) EXPECT_GT(counts[event], 0) << event;
    for (const auto& [event, reaches] : c.slaves)
        EXPECT_EQ(exchanges[stationOf[event]], reaches) << event << " station " << stationOf[event];
}

INSTANTIATE_TEST_SUITE_P(Scenarios, GenScenarioTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<ScenarioCase>& param) { return std::string(param.param.name); });

}  // namespace
