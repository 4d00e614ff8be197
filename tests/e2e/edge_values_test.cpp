// Edge values through the real executable, one suite per feature: option
// words without a value, names of any
// length, headers without a bus speed, frames too short for their start
// delimiter, option values beyond their range, equations beyond the old
// buffer sizes, huge time stamps, negative times and full scales, and SAP
// bytes that do not fit their frame.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "bad_input_support.h"

namespace zelmot::test {
namespace {

namespace fs = std::filesystem;
using test::kUsage;

// Runs the option file text on Traffic(4) (frames 1-3 delivered).
struct TrafficRun {
    Folder f;
    test::ToolResult r;
    explicit TrafficRun(const std::string& optionText, std::vector<std::string> words = {}) {
        test::WriteCaptureRun(f.stem, 12, 0, {WithHeader(Traffic(4))});
        r = f.Run(f.Opt(optionText), std::move(words));
    }
};

// ---- command line ----

TEST(CommandLineEdges, ArgWordsWithoutAValue) {
    {
        Folder f;  // "Arg" without its digit is no option word
        test::ToolResult r = f.Run(f.dir.Path("o"), {"Arg"});
        EXPECT_EQ(r.status, 3);
        EXPECT_EQ(r.console, kBanner + "Invalid Arg Arg" + kUsage);
        EXPECT_TRUE(fs::is_empty(f.dir.path()));
    }
    // "Arg1" and "Arg3=" set their argument to 0, also after an earlier value.
    const std::string equation = "CmdArg[1] == 0 AND CmdArg[3] == 0 AND CmdArg[2] == 0x7fff";
    TrafficRun run("ShowOnly\n" + equation + "#\n", {"Arg1=9", "Arg3=4", "Arg1", "Arg3=", "Arg2=0x7fff"});
    EXPECT_EQ(run.r.status, 0);
    EXPECT_EQ(run.f.Output(), run.f.Head(equation) + LinesOf(1, 3) + kEnd);
}

TEST(FileNameEdges, NamesOfAnyLength) {
    test::TempDir dir;
    // Capture and option names of over 300 characters, an output name longer still.
    std::string folder = dir.Path(std::string(100, 'a') + "/" + std::string(100, 'b') + "/" + std::string(100, 'c'));
    fs::create_directories(folder);
    const std::string stem = folder + "/" + std::string(60, 'n');
    const std::string opt = folder + "/" + std::string(80, 'o');
    test::WriteText(opt + ".opt", "NoRef\n");
    test::WriteCaptureRun(stem, 23, 59, {WithHeader(Traffic(3)), WithHeader(Traffic(2, 5000))});
    test::ToolResult r = test::RunTool({stem + "2359", opt, "NumMin=2"});
    const std::string output = stem + "2359_" + std::string(80, 'o') + ".txt";
    ASSERT_GT(output.size(), 400u);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(WithoutProgress(r.console), kBanner + "\nSuccess - Created: " + output + "\n");
    EXPECT_EQ(test::ReadTextFile(output),
              "ZK-9 Name : TESTBENCH\nZK-9 IP   : 192.168.1.10\nBaud      : 12m\nOpt File  : " + opt +
                  ".opt\n\nFile      : " + stem + "2359.Zelmot\n SD1   5<2   RFDL       ED \n"
                  " SC          SHAK \nFile      : " + stem + "0000.Zelmot\n SD1   5<2   RFDL       ED \n"
                  " SD1   5<2   RFDL       ED \n" + kEnd);
}

// ---- capture header ----

TEST(CaptureHeaderEdges, HeaderFieldsWithoutAMeaning) {
    {
        Folder f;  // no bus speed for the baud index: the run refuses the file
        test::WriteCaptureRun(f.stem, 12, 0, {WithHeader(Traffic(3), test::CaptureHeaderBytes(0xFFFF))});
        test::ToolResult r = f.Run(f.Opt(""));
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.console, Failure("Capture File Header Error: Invalid Baud Index 65535 (0-8) in " + f.stem +
                                     "1200.Zelmot"));
        EXPECT_EQ(f.Output(), "ZK-9 Name : TESTBENCH\nZK-9 IP   : 192.168.1.10\nBaud      : ?(65535)\nOpt File  : " +
                                  f.dir.Path("o.opt") + "\n\n" + f.FileLine("1200"));
    }
    {
        Folder f;  // header bytes 0-1 change nothing
        Bytes header = test::CaptureHeaderBytes();
        header[0] = 0xFF;
        header[1] = 0xDD;
        test::WriteCaptureRun(f.stem, 12, 0, {WithHeader(Traffic(4), header)});
        test::ToolResult r = f.Run(f.Opt(""));
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(f.Output(), f.Head() + LinesOf(1, 3) + kEnd);
    }
}

// ---- frames too short for their start delimiter ----

TEST(FilterFieldEdges, FieldsOutsideAShortFrameAreAbsent) {
    Bytes stream;
    const std::vector<Bytes> frames = {
        test::Sd1(5, 2, 0x49),  // 1: whole
        {0x68, 0x83},           // 2: SD2 without addresses; its LE announces data
        {0x10},                 // 3: SD1 without addresses
        {0xA2, 0x85},           // 4: SD3 with DA (and a DSAP bit), without SA
        test::ShortAck(),       // 5
        {0xDC, 0x02},           // 6: token with DA, without SA
        test::Sd1(5, 2, 0x49),  // the last record: no line
    };
    for (std::size_t i = 0; i < frames.size(); ++i) test::Append(stream, test::RecordBytes(1000 * (i + 1), frames[i]));
    const struct {
        std::string equation;
        std::string lines;
    } cases[] = {
        {"SA == 65536 AND DA <> 65536",
         "        4:  SD3 SD3 Len(2)? a2 85 \n        6:  SD4 Len(2)? dc 02 \n"},
        {"DataByte[0] == 65536 AND LEN > 0 AND DSAP == 65536 AND SSAP == 65536",
         "        2:  SD2 SD2 Len(2)? 68 83 \n        4:  SD3 SD3 Len(2)? a2 85 \n"},
        {"DA == 65536 AND SD == SD1", "        3:  SD1 Len(1)? 10 \n"},
    };
    for (const auto& c : cases) {
        Folder f;
        test::WriteCaptureRun(f.stem, 12, 0, {WithHeader(stream)});
        test::ToolResult r = f.Run(f.Opt("ShowOnly\n" + c.equation + "#\n"));
        EXPECT_EQ(r.status, 0) << c.equation;
        EXPECT_EQ(f.Output(), f.Head(c.equation) + c.lines + kEnd) << c.equation;
    }
}

// ---- option values ----

TEST(OptionValueEdges, NumbersBeyondTheirRange) {
    const struct {
        const char* line;
        const char* message;
    } refused[] = {
        {"GrphGap 99999999999 100us", "Invalid GrphGap Width value '2147483647' (5-100)"},
        {"GrphDelta -99999999999 100us", "Invalid GrphDelta Width value '-2147483648' (5-100)"},
        {"GrphGapAft 0x1FFFFFFFF 100us", "Invalid GrphGapAft Width value '-1' (5-100)"},
    };
    for (const auto& c : refused) {
        TrafficRun run(std::string(c.line) + "\n");
        EXPECT_EQ(run.r.status, 2) << c.line;
        EXPECT_EQ(run.r.console, Failure(c.message)) << c.line;
        EXPECT_FALSE(test::FileExists(run.f.OutputPath())) << c.line;
    }
    // Gaps: 0 for the first frame, 15,333 ns for the next two.
    const struct {
        const char* line;
        const char* bars[3];
    } accepted[] = {
        {"GrphGap 10 99999999999hr", {"         |", "         |", "         |"}},  // full scale held at its top
        {"GrphGap 10 0us", {"         |", "*        *", "*        *"}},             // zero full scale
        {"GrphGap 10 -5us", {"*        *", "*        *", "*        *"}},            // negative full scale
    };
    for (const auto& c : accepted) {
        TrafficRun run(std::string(c.line) + "\n");
        EXPECT_EQ(run.r.status, 0) << c.line;
        std::string lines;
        for (unsigned i = 1; i <= 3; ++i) {
            std::string line = LineOf(i);
            lines += line.substr(0, 11) + "g" + c.bars[i - 1] + line.substr(11);
        }
        EXPECT_EQ(run.f.Output(), run.f.Head() + lines + kEnd) << c.line;
    }
}

// ---- equations ----

TEST(EquationEdges, EquationsBeyondTheOldBufferSizes) {
    std::string manyTerms = "DA == 5";
    for (int i = 0; i < 40; ++i) manyTerms += " OR DA == 5";  // substitutes to over 259 characters
    std::string longSum = "1";
    for (int i = 0; i < 1500; ++i) longSum += "+1";  // compiles to over 1023 words
    const std::string longNumbers = "SD == " + std::string(40, '0') + "16 AND GapTme < " + std::string(40, '9');
    const std::string arguments = "CmdArg[7] == 0 AND CmdArg[0] / -1 == CmdArg[0] AND CmdArg[0] % -1 == 0";
    const struct {
        std::string equation;
        std::vector<std::string> words;
        std::string lines;
    } cases[] = {
        {manyTerms, {}, LineOf(1) + LineOf(3)},
        {longSum, {}, LinesOf(1, 3)},
        {longNumbers, {}, LineOf(1) + LineOf(3)},
        {arguments, {"Arg0=0x80000000"}, LinesOf(1, 3)},
    };
    for (const auto& c : cases) {
        TrafficRun run("ShowOnly\n" + c.equation + "#\n", c.words);
        EXPECT_EQ(run.r.status, 0) << c.equation.substr(0, 80);
        EXPECT_EQ(run.f.Output(), run.f.Head(c.equation) + c.lines + kEnd) << c.equation.substr(0, 80);
    }

    const std::string longName(40, 'Q');
    const std::string open(1000, '7');  // no '#': the message quotes it, cut to 499 characters
    const std::string endMarker =
        ("Invalid Option ShowOnly Equation: End Marker '#' not found '" + open + "'").substr(0, 499);
    const struct {
        std::string text;
        std::string message;
    } refused[] = {
        {"ShowOnly\n" + longName + " == 1#\n",
         "Invalid Option ShowOnly Equation: Undefined Identifier '" + longName + "'"},
        {"ShowOnly\n" + open, endMarker},
        {"ShowOnly\n== 5#\n", "Option ShowOnly Expression Error: Missing Parameter '== 5"},
    };
    for (const auto& c : refused) {
        TrafficRun run(c.text);
        EXPECT_EQ(run.r.status, 2) << c.message;
        EXPECT_EQ(run.r.console, Failure(c.message));
        EXPECT_FALSE(test::FileExists(run.f.OutputPath()));
    }
}

// ---- times and graphs ----

TEST(TimeColumnEdges, TimeStampsBeyondTheSixtyFourBitProduct) {
    // At 9.6 kbit/s ticks times 10,000,000 leave the signed 64-bit range for
    // stamps above 922,337,203,685; 1,536 ticks are exactly 10 ms.
    const std::uint64_t top = 0xFFFF'FFFF'FFFFull;
    Bytes stream;
    test::Append(stream, test::RecordBytes(top - 3072, test::Sd1(5, 2, 0x49)));
    test::Append(stream, test::RecordBytes(top - 1536, test::ShortAck()));
    test::Append(stream, test::RecordBytes(top, test::Sd1(5, 2, 0x49)));
    Folder f;
    test::WriteCaptureRun(f.stem, 12, 0, {WithHeader(stream, test::CaptureHeaderBytes(0))});
    test::ToolResult r = f.Run(f.Opt("TmeAbs hr:mn:sc.ms,us,ns\n"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(f.Output(), "ZK-9 Name : TESTBENCH\nZK-9 IP   : 192.168.1.10\nBaud      : 9k6\nOpt File  : " +
                              f.dir.Path("o.opt") + "\n\n" + f.FileLine("1200") +
                              "        1: a509033:09:39.606,660,156  SD1   5<2   RFDL       ED \n"
                              "        2: a509033:09:39.616,660,156  SC          SHAK \n" + kEnd);
}

TEST(TimeColumnEdges, NegativeTimesAndFullScales) {
    // Stamps that stand still and run backwards: negative gaps and deltas.
    Bytes stream;
    test::Append(stream, test::RecordBytes(10000, test::Sd1(5, 2, 0x49)));
    test::Append(stream, test::RecordBytes(10000, test::ShortAck()));
    test::Append(stream, test::RecordBytes(9000, test::Sd1(5, 2, 0x49)));
    test::Append(stream, test::RecordBytes(12000, test::ShortAck()));
    Folder f;
    test::WriteCaptureRun(f.stem, 12, 0, {WithHeader(stream)});
    test::ToolResult r =
        f.Run(f.Opt("TmeDelta ms,us\nTmeGap us.ns\nGrphGap 10 10us\nTmeGapAft us.ns\nGrphGapAft 10 -1us\n"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(f.Output(), f.Head() +
                              "        1: d  0,000 g  0.000 g         |ga -5.500 ga         | SD1   5<2   RFDL       ED \n"
                              "        2: d  0,000 g -5.500 g         |ga-21.750 ga         | SC          SHAK \n"
                              "        3: d -0,020 g-21.750 g         |ga 57.000 ga*        * SD1   5<2   RFDL       ED \n" +
                              kEnd);
}

// ---- frame decoding ----

TEST(FrameColumnEdges, SapBytesThatDoNotFitTheirFrame) {
    Bytes stream;
    test::Append(stream, test::RecordBytes(1000, {0x10, 0x85, 0x02, 0x49, 0x50, 0x16}));
    test::Append(stream, test::RecordBytes(2000, {0x68, 0x03, 0x03, 0x68, 0x85, 0x02, 0x7d, 0x33, 0x16}));
    test::Append(stream, test::RecordBytes(3000, {0x68, 0x04, 0x04, 0x68, 0x85, 0x82, 0x7d, 0x01, 0x33, 0x16}));
    test::Append(stream, test::RecordBytes(4000, test::ShortAck()));
    Folder f;
    test::WriteCaptureRun(f.stem, 12, 0, {WithHeader(stream)});
    test::ToolResult r = f.Run(f.Opt(""));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(f.Output(), f.Head() +
                              "        1:  SD1   5<2   RFDL SAP? 10 85 02 49 50 16 \n"
                              "        2:  SD2   5<2   SRDH SAP? 68 03 03 68 85 02 7d 33 16 \n"
                              "        3:  SD2   5<2   SRDH SAP? 68 04 04 68 85 82 7d 01 33 16 \n" +
                              kEnd);
}

}  // namespace
}  // namespace zelmot::test
