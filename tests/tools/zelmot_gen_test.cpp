// Tests of the capture generator, run as the real executable into a fresh
// temporary folder: the files it writes are read back with a parser of our
// own that knows nothing of the generator's code.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/capture_builder.h"
#include "support/process_runner.h"

namespace {

namespace fs = std::filesystem;
namespace test = zelmot::test;

constexpr std::size_t kHeaderSize = 40;
constexpr std::uint64_t kTicksPerSecond12m = 48000000;

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct GenRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// One record as found in the stream, with where it lies.
struct Record {
    std::uint64_t stamp = 0;
    std::vector<std::uint8_t> frame;
    std::uint8_t status = 0;
    std::size_t offset = 0;  // of its sync mark in the joined stream
};

struct ParsedStream {
    std::vector<Record> records;
    std::size_t losses = 0;     // record headers found without a sync mark
    std::size_t trailing = 0;   // bytes left over after the last whole record
};

// The files' record bytes joined, and where each file's bytes begin.
struct Joined {
    std::vector<std::uint8_t> stream;
    std::vector<std::size_t> fileStarts;
};

class GenTest : public ::testing::Test {
protected:
    // The generator run in target (default: the test's folder) with the
    // words of args (split as test::SplitWords does).
    GenRun Run(const std::string& args, const fs::path& where = {}) { return Run(test::SplitWords(args), where); }
    GenRun Run(const std::vector<std::string>& words, const fs::path& where = {}) {
        fs::path target = where.empty() ? dir_ : where;
        fs::create_directories(target);
        test::ProcessRun process =
            test::RunProcess(ZELMOT_GEN_EXE, words, test::ProcessOptions{target.string(), false});
        GenRun run;
        run.exitCode = process.Started ? process.ExitCode : -1;
        run.out = test::FromTextMode(process.Output);
        run.err = test::FromTextMode(process.Errors);
        return run;
    }

    Joined Join(const std::vector<std::string>& names, const fs::path& where = {}) {
        Joined joined;
        for (const std::string& name : names) {
            std::vector<std::uint8_t> bytes = ReadBytes((where.empty() ? dir_ : where) / name);
            EXPECT_GE(bytes.size(), kHeaderSize) << name;
            if (bytes.size() < kHeaderSize) continue;
            joined.fileStarts.push_back(joined.stream.size());
            joined.stream.insert(joined.stream.end(), bytes.begin() + kHeaderSize, bytes.end());
        }
        return joined;
    }

    test::TempDir temp_;
    fs::path dir_ = temp_.path();
};

std::vector<std::string> FileNames(const std::string& stem, const std::vector<std::string>& times) {
    std::vector<std::string> names;
    for (const std::string& t : times) names.push_back(stem + t + ".Zelmot");
    return names;
}

// Whether whole records follow from at, up to count of them or the end.
bool RecordsFollow(const std::vector<std::uint8_t>& s, std::size_t at, int count) {
    for (int i = 0; i < count && at < s.size(); ++i) {
        if (s[at] != 0xDD) return false;
        if (at + 8 > s.size()) return true;
        at += 8 + s[at + 7] + 1;
    }
    return true;
}

// Reads records; a header without a sync mark counts as a loss, and reading
// resumes at the first sync mark after the last good header that a run of
// records confirms.
ParsedStream ParseRecords(const std::vector<std::uint8_t>& s) {
    ParsedStream parsed;
    std::size_t at = 0;
    std::size_t lastBody = 0;
    while (at < s.size()) {
        if (s[at] != 0xDD) {
            ++parsed.losses;
            if (!parsed.records.empty()) parsed.records.pop_back();  // its length lied
            std::size_t from = lastBody;
            while (from < s.size() && !(s[from] == 0xDD && RecordsFollow(s, from, 50))) ++from;
            at = from;
            continue;
        }
        if (at + 8 > s.size() || at + 9 + s[at + 7] > s.size()) {
            parsed.trailing = s.size() - at;
            break;
        }
        Record r;
        r.offset = at;
        for (int b = 0; b < 6; ++b) r.stamp |= static_cast<std::uint64_t>(s[at + 1 + b]) << (8 * b);
        std::uint8_t length = s[at + 7];
        r.frame.assign(s.begin() + static_cast<std::ptrdiff_t>(at + 8),
                       s.begin() + static_cast<std::ptrdiff_t>(at + 8 + length));
        r.status = s[at + 8 + length];
        parsed.records.push_back(std::move(r));
        lastBody = at + 8;
        at += 9 + length;
    }
    return parsed;
}

// Empty when the frame has the shape its start delimiter calls for, and its
// check sum and end delimiter are right unless the status says otherwise.
std::string FrameFault(const Record& r) {
    const std::vector<std::uint8_t>& f = r.frame;
    if (f.empty()) return "empty frame";
    std::size_t da = 1;
    switch (f[0]) {
        case 0xE5: return f.size() == 1 ? "" : "SC length";
        case 0xDC: return f.size() == 3 ? "" : "SD4 length";
        case 0x10:
            if (f.size() != 6) return "SD1 length";
            break;
        case 0xA2:
            if (f.size() != 14) return "SD3 length";
            break;
        case 0x68:
            if (f.size() < 9 || f[1] != f.size() - 6 || f[2] != f[1] || f[3] != 0x68) return "SD2 shape";
            da = 4;
            break;
        default: return "start delimiter";
    }
    unsigned sum = 0;
    for (std::size_t i = da; i + 2 < f.size(); ++i) sum += f[i];
    bool sumRight = static_cast<std::uint8_t>(sum) == f[f.size() - 2];
    if (sumRight == ((r.status & 0x40) != 0)) return "check sum against status";
    if ((f.back() == 0x16) == ((r.status & 0x80) != 0)) return "end delimiter against status";
    return "";
}

// Checks every record's shape and that each frame starts after the one
// before has ended on the bus and the line was idle for at least 11 bits.
void ExpectWellFormed(const std::vector<Record>& records, std::uint64_t ticksPerBit) {
    int faults = 0;
    for (std::size_t i = 0; i < records.size() && faults < 5; ++i) {
        std::string fault = FrameFault(records[i]);
        if (!fault.empty()) {
            ADD_FAILURE() << "record " << i << ": " << fault;
            ++faults;
        }
        if (i == 0) continue;
        std::uint64_t busTicks = (records[i - 1].frame.size() + 1) * 11 * ticksPerBit;
        if (records[i].stamp < records[i - 1].stamp + busTicks) {
            ADD_FAILURE() << "record " << i << " follows record " << i - 1 << " too closely";
            ++faults;
        }
    }
}

bool IsRequest(const Record& r) {
    const auto& f = r.frame;
    if (f.empty() || (f[0] != 0x10 && f[0] != 0x68 && f[0] != 0xA2)) return false;
    std::size_t da = f[0] == 0x68 ? 4 : 1;
    return (f[da + 2] & 0x40) != 0;
}

std::uint8_t Da(const Record& r) { return r.frame[r.frame[0] == 0x68 ? 4 : 1] & 0x7F; }
std::uint8_t Sa(const Record& r) { return r.frame[r.frame[0] == 0x68 ? 5 : 2] & 0x7F; }
std::uint8_t Fc(const Record& r) { return r.frame[r.frame[0] == 0x68 ? 6 : 3]; }

// Whether answer is the reply of the station that request went to.
bool Answers(const Record& request, const Record& answer) {
    if (answer.frame.size() == 1 && answer.frame[0] == 0xE5) return true;
    if (answer.frame[0] == 0xDC || IsRequest(answer)) return false;
    return Da(answer) == Sa(request) && Sa(answer) == Da(request);
}

std::size_t CountAfter(const std::string& text, const std::string& word) {
    std::size_t total = 0;
    for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
        std::size_t start = text.rfind(' ', at - 2);
        total += std::stoul(text.substr(start + 1, at - start - 1));
    }
    return total;
}

TEST_F(GenTest, SameSeedSameBytesOtherSeedOtherBytes) {
    const std::string options = " --minutes 2 --frames 3000 --error-rate 0.01 --corrupt-rate 0.001";
    ASSERT_EQ(Run("a --seed 5" + options).exitCode, 0);
    ASSERT_EQ(Run("b --seed 5" + options).exitCode, 0);
    ASSERT_EQ(Run("c --seed 6" + options).exitCode, 0);
    for (const char* time : {"1200", "1201"}) {
        auto a = ReadBytes(dir_ / (std::string("a") + time + ".Zelmot"));
        ASSERT_GT(a.size(), kHeaderSize);
        EXPECT_EQ(a, ReadBytes(dir_ / (std::string("b") + time + ".Zelmot"))) << time;
        EXPECT_NE(a, ReadBytes(dir_ / (std::string("c") + time + ".Zelmot"))) << time;
    }
}

// The bundled example capture was written by the generator when its traffic
// had timeouts, random diagnoses and a watchdog of 1000 ms built in: with
// the options that ask for them, it must still write the same bytes, so
// that options added later leave the traffic of a run without them as it was.
TEST_F(GenTest, BundledExampleIsWrittenAgainByteForByte) {
    GenRun run = Run("demo --minutes 3 --frames 1200 --error-rate 0.01 --corrupt-rate 0.001 --seed 7"
                     " --timeout-rate 0.0005 --diag-rate 0.00025 --watchdog 1000");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    for (const std::string& name : FileNames("demo", {"1200", "1201", "1202"})) {
        auto bundled = ReadBytes(fs::path(ZELMOT_SOURCE_DIR) / "examples" / name);
        ASSERT_GT(bundled.size(), kHeaderSize) << name;
        EXPECT_TRUE(ReadBytes(dir_ / name) == bundled) << name;
    }
}

TEST_F(GenTest, HeadersCarryBaudAddressAndName) {
    struct Case {
        std::string args;
        std::uint16_t baud;
        std::vector<std::uint8_t> address;  // file offsets 4-7
        std::string name;
    };
    const Case cases[] = {
        {"", 8, {0x0A, 0x01, 0xA8, 0xC0}, "LINE-1 ANALYSER"},
        {"--baud 0", 0, {0x0A, 0x01, 0xA8, 0xC0}, "LINE-1 ANALYSER"},
        {"--baud=5 --address 10.20.30.250 --name 'CELL 7'", 5, {250, 30, 20, 10}, "CELL 7"},
        {"--name ABCDEFGHIJKLMNOPQRSTUVWXYZ012345", 8, {0x0A, 0x01, 0xA8, 0xC0},
         "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        ASSERT_EQ(Run("h --minutes 2 --frames 200 " + c.args).exitCode, 0);
        for (const char* name : {"h1200.Zelmot", "h1201.Zelmot"}) {
            auto bytes = ReadBytes(dir_ / name);
            ASSERT_GE(bytes.size(), kHeaderSize);
            EXPECT_EQ(bytes[0], 0);
            EXPECT_EQ(bytes[1], 0);
            EXPECT_EQ(bytes[2] | bytes[3] << 8, c.baud);
            EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 4, bytes.begin() + 8), c.address);
            std::string field(bytes.begin() + 8, bytes.begin() + 40);
            EXPECT_EQ(field.substr(0, c.name.size()), c.name);
            EXPECT_EQ(field.find_first_not_of('\0', c.name.size()), std::string::npos);
        }
    }
}

TEST_F(GenTest, RecordStreamIsWellFormedAtEveryBusSpeed) {
    struct Case {
        int baud;
        std::uint64_t ticksPerBit;
        const char* extra;
    };
    const Case cases[] = {{0, 16, ""},
                          {2, 16, " --masters 1 --slaves 3"},
                          {5, 16, " --masters 3 --slaves 40"},
                          {7, 8, ""},
                          {8, 4, " --slaves 120"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.baud);
        fs::path where = dir_ / std::to_string(c.baud);
        std::string args =
            "w --minutes 3 --frames 800 --error-rate 0.05 --baud " + std::to_string(c.baud) + c.extra;
        GenRun run = Run(args, where);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        Joined joined = Join(FileNames("w", {"1200", "1201", "1202"}), where);
        ParsedStream parsed = ParseRecords(joined.stream);
        EXPECT_EQ(parsed.losses, 0u);
        EXPECT_EQ(parsed.trailing, 0u);
        EXPECT_EQ(parsed.records.size(), 2400u);
        ExpectWellFormed(parsed.records, c.ticksPerBit);
        std::size_t damaged = 0;
        for (const Record& r : parsed.records) damaged += r.status != 0;
        EXPECT_GT(damaged, 60u);
        EXPECT_LT(damaged, 190u);
        EXPECT_EQ(CountAfter(run.out, "receive errors"), damaged);
    }
}

TEST_F(GenTest, MinutesSpanTheirSixtySeconds) {
    ASSERT_EQ(Run("s --minutes 2 --frames 20000 --start 0130").exitCode, 0);
    const std::uint64_t minute = 60 * kTicksPerSecond12m;
    const std::uint64_t start = 90 * minute;
    for (int m = 0; m < 2; ++m) {
        SCOPED_TRACE(m);
        // Each file on its own: its first whole record follows the straddle.
        std::vector<std::uint8_t> bytes = ReadBytes(dir_ / (m == 0 ? "s0130.Zelmot" : "s0131.Zelmot"));
        std::vector<std::uint8_t> stream(bytes.begin() + kHeaderSize, bytes.end());
        std::size_t first = 0;
        while (first < stream.size() && !(stream[first] == 0xDD && RecordsFollow(stream, first, 50))) ++first;
        stream.erase(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(first));
        ParsedStream parsed = ParseRecords(stream);
        ASSERT_GT(parsed.records.size(), 19990u);
        std::uint64_t begin = start + m * minute;
        EXPECT_GE(parsed.records.front().stamp, begin);
        EXPECT_LT(parsed.records.front().stamp, begin + 2 * kTicksPerSecond12m);
        EXPECT_GE(parsed.records.back().stamp, begin + 58 * kTicksPerSecond12m);
        EXPECT_LT(parsed.records.back().stamp, begin + minute);
    }
}

TEST_F(GenTest, TooManyFramesArePackedDenselyAndSaidSo) {
    GenRun run = Run("d --baud 0 --minutes 2 --frames 5000");
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_NE(run.err.find("packed densely"), std::string::npos) << run.err;
    ParsedStream parsed = ParseRecords(Join(FileNames("d", {"1200", "1201"})).stream);
    ASSERT_EQ(parsed.records.size(), 10000u);
    ExpectWellFormed(parsed.records, 16);
    const std::uint64_t ticksPerSecond = 153600;
    EXPECT_GT(parsed.records[4999].stamp, (12 * 3600 + 60) * ticksPerSecond);
}

TEST_F(GenTest, FileCutsSplitRecordsEvenInsideTheirHeaders) {
    ASSERT_EQ(Run("x --minutes 7 --frames 300 --seed 11").exitCode, 0);
    Joined joined = Join(FileNames("x", {"1200", "1201", "1202", "1203", "1204", "1205", "1206"}));
    ParsedStream parsed = ParseRecords(joined.stream);
    ASSERT_EQ(parsed.records.size(), 2100u);
    ExpectWellFormed(parsed.records, 4);
    int inHeader = 0, inBody = 0, onBoundary = 0;
    std::size_t r = 0;
    for (std::size_t f = 1; f < joined.fileStarts.size(); ++f) {
        std::size_t cut = joined.fileStarts[f];
        while (r + 1 < parsed.records.size() && parsed.records[r + 1].offset <= cut) ++r;
        std::size_t into = cut - parsed.records[r].offset;
        if (into == 0) {
            ++onBoundary;
        } else if (into < 8) {
            ++inHeader;
        } else {
            ++inBody;
        }
    }
    EXPECT_GE(inHeader, 1);
    EXPECT_GE(inBody, 1);
    EXPECT_GE(onBoundary, 1);
}

TEST_F(GenTest, FileNamesRollOverTheHourAndMidnight) {
    ASSERT_EQ(Run("n --start 2359 --minutes 3 --frames 100").exitCode, 0);
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(dir_)) found.push_back(entry.path().filename().string());
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{"n0000.Zelmot", "n0001.Zelmot", "n2359.Zelmot"}));
    ParsedStream parsed = ParseRecords(Join(FileNames("n", {"2359", "0000", "0001"})).stream);
    ASSERT_EQ(parsed.records.size(), 300u);
    EXPECT_EQ(parsed.records.front().stamp / kTicksPerSecond12m / 60, 23u * 60 + 59);

    ASSERT_EQ(Run("h --start 1059 --minutes 2 --frames 100").exitCode, 0);
    EXPECT_TRUE(fs::exists(dir_ / "h1059.Zelmot"));
    EXPECT_TRUE(fs::exists(dir_ / "h1100.Zelmot"));
}

TEST_F(GenTest, CorruptedRecordsLoseSyncAndTheStreamRecovers) {
    GenRun run = Run("k --minutes 3 --frames 3000 --corrupt-rate 0.01 --seed 3");
    ASSERT_EQ(run.exitCode, 0);
    std::size_t reported = CountAfter(run.out, "corrupted records");
    EXPECT_GE(reported, 10u);
    Joined joined = Join(FileNames("k", {"1200", "1201", "1202"}));
    ParsedStream parsed = ParseRecords(joined.stream);
    EXPECT_EQ(parsed.losses, reported);
    EXPECT_EQ(parsed.trailing, 0u);
    // Only the corrupted records themselves are lost.
    EXPECT_EQ(parsed.records.size(), 9000u - reported);
    for (const Record& r : parsed.records) ASSERT_EQ(FrameFault(r), "");
}

TEST_F(GenTest, MastersPollSlavesLikeABus) {
    ASSERT_EQ(Run("p --frames 40000 --masters 3 --slaves 12 --seed 9 --timeout-rate 0.0005").exitCode, 0);
    ParsedStream parsed = ParseRecords(Join(FileNames("p", {"1200"})).stream);
    const auto& rs = parsed.records;
    ASSERT_EQ(rs.size(), 40000u);
    const std::uint64_t slotTicks = 1000 * 4;

    std::map<std::uint8_t, std::uint8_t> lastFc;     // per slave: FC of the last SRD to it
    std::map<std::uint8_t, bool> lastAnswered;
    std::map<std::string, int> seen;
    for (std::size_t i = 0; i + 1 < rs.size(); ++i) {
        const Record& r = rs[i];
        seen[std::to_string(r.frame[0])]++;
        if (r.frame[0] == 0xDC) {
            EXPECT_NE(r.frame[1], 0);
            EXPECT_LE(r.frame[1], 3);
            continue;
        }
        if (!IsRequest(r)) continue;
        bool answered = Answers(r, rs[i + 1]);
        if (!answered && Fc(r) != 0x46) {
            std::uint64_t idle = rs[i + 1].stamp - r.stamp - r.frame.size() * 11 * 4;
            EXPECT_GE(idle, slotTicks) << "record " << i << ": no answer, and no slot time waited";
        }
        std::uint8_t fc = Fc(r);
        if (fc == 0x49) seen[answered ? "status answered" : "status unanswered"]++;
        if (fc == 0x46) seen["global control"]++;
        if ((fc & 0x0F) != 0x0D) continue;
        // Send and request data to a slave: FCB toggles after an answer.
        std::uint8_t da = Da(r);
        if (r.frame.size() > 6 && r.frame[4] & 0x80 && r.frame[7] == 0x3C) seen["diagnosis"]++;
        if (lastFc.count(da) != 0) {
            std::uint8_t before = lastFc[da];
            if (lastAnswered[da]) {
                EXPECT_EQ(fc & 0x30, ((before & 0x20) ^ 0x20) | 0x10) << "record " << i;
            } else {
                EXPECT_TRUE(fc == before || fc == 0x6D) << "record " << i << ": retry changed FC";
            }
        } else {
            EXPECT_EQ(fc, 0x6D) << "first request to a slave";
        }
        lastFc[da] = fc;
        lastAnswered[da] = answered;
        seen[fc & 0x20 ? "fcb set" : "fcb clear"]++;
    }
    for (const char* kind : {"16", "104", "162", "220", "229", "status answered", "status unanswered",
                             "global control", "diagnosis", "fcb set", "fcb clear"})
        EXPECT_GT(seen[kind], 0) << kind;
}

TEST_F(GenTest, BadArgumentsExitWithTwoAndWriteNothing) {
    const char* cases[] = {"",
                           "--baud 9",
                           "s --baud 9",
                           "s --baud x",
                           "s --baud",
                           "s --start 2400",
                           "s --start 1260",
                           "s --minutes 0",
                           "s --frames 0",
                           "s --error-rate 1.5",
                           "s --error-rate -0.1",
                           "s --corrupt-rate abc",
                           "s --seed -1",
                           "s --masters 0",
                           "s --masters 4",
                           "s --slaves 0",
                           "s --slaves 121",
                           "s --address 1.2.3",
                           "s --address 1.2.3.256",
                           "s --name ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456",
                           "s --bogus 1",
                           "s --dp-scenario bogus",
                           "s --dp-scenario dropout,",
                           "s --dp-scenario all --slaves 5",
                           "s --record",
                           "s --record missing/r.csv",
                           "s --fault bogus",
                           "s --fault slave_lost,",
                           "s --fault all",
                           "s --fault common_cause --slaves 2",
                           "s --fault master_clear,master_clear_to_end --dp-scenario clear",
                           "s --fault watchdog_tight --watchdog 100",
                           "s --change ident",
                           "s --change ident=4",
                           "s --change ident=13",
                           "s --change bogus=5",
                           "s --change ident=5,ident=5",
                           "s --change gone=5,slow=5",
                           "s --change ident=5 --fault retries",
                           "s --watchdog 15",
                           "s --watchdog 2570",
                           "s --watchdog 650260",
                           "s --timeout-rate 2",
                           "s --diag-rate x",
                           "s t"};
    for (const char* args : cases) {
        GenRun run = Run(args);
        EXPECT_EQ(run.exitCode, 2) << args;
        EXPECT_FALSE(run.err.empty()) << args;
    }
    EXPECT_TRUE(fs::is_empty(dir_));

    GenRun unwritable = Run(std::vector<std::string>{(dir_ / "missing" / "sub" / "w").string()});
    EXPECT_EQ(unwritable.exitCode, 2);
    EXPECT_NE(unwritable.err.find("cannot create"), std::string::npos) << unwritable.err;
}

TEST_F(GenTest, HelpListsTheOptions) {
    GenRun run = Run("--help");
    EXPECT_EQ(run.exitCode, 0);
    for (const char* option : {"--baud", "--start", "--minutes", "--frames", "--seed", "--error-rate",
                               "--corrupt-rate", "--masters", "--slaves", "--dp-scenario", "--record", "--fault",
                               "--change", "--timeout-rate", "--diag-rate", "--watchdog"})
        EXPECT_NE(run.out.find(option), std::string::npos) << option;
}

}  // namespace
