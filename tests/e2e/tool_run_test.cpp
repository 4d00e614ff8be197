// The real executable on captures built byte by byte: console text, exit
// status and the output text file, compared exactly.
#include <gtest/gtest.h>

#include <cstdio>

#include "driver/conversion_run.h"
#include "options/option_help.h"
#include "console_texts.h"
#include "support/capture_builder.h"
#include "support/format_text.h"

namespace zelmot {
namespace {

using test::Bytes;

using test::kBanner;
using test::kUsage;

TEST(ToolCommandLine, UsageAndHelp) {
    test::ToolResult r = test::RunTool({});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.console, kBanner + kUsage);

    r = test::RunTool({"OptHelp"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.console, kBanner + std::string(kOptionHelpText));
    EXPECT_NE(r.console.find(";   %    MOD\n"), std::string::npos);

    for (const char* word : {"opthelp", "OptHelpX", "line1200"}) {
        r = test::RunTool({word});
        EXPECT_EQ(r.status, 3) << word;
        EXPECT_EQ(r.console, kBanner + kUsage) << word;
    }
}

TEST(ToolCommandLine, RejectedWordsAndNamesShowTheUsage) {
    struct Case {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"line1200", "o", "Foo=1"}, "Invalid Arg Foo=1"},
        {{"line1200", "o", "NumMin=2", "Arg7=1"}, "Invalid Arg Num - 7 (0-3)\n"},
        {{"bad", "o", "Foo=1"}, "Invalid Arg Foo=1"},  // options come before the name check
        {{"line1200", "o", "NumMin=0"}, "Invalid NumMin - 0 (1-65535)\n"},
        {{"line1260", "o"}, "Invalid Capture File Name Minute - 60 (00-59)\n"},
        {{"x1230", "o"},
         "Invalid Capture File Name x1230\nIt must be in the following form:\n<name>HHMM.Zelmot\nNote:\n"
         "<name> is the user defined portion of the name\nHH is the hour   offset\nMM is the minute offset\n"},
        {{"line12ab", "o"},
         "Invalid Capture File Name line12ab\nIt must be in the following form:\n<name>HHMM.Zelmot\nNote:\n"
         "<name> is the user defined portion of the name\nHH is the hour   offset\nMM is the minute offset\n"},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        test::ToolResult r = test::RunTool(c.args, dir.path().string());
        EXPECT_EQ(r.status, 3);
        EXPECT_EQ(r.console, kBanner + c.message + kUsage);
        EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "nothing is created";
    }
}

// A capture folder with the tool's files in it.
struct CaptureFolder {
    test::TempDir dir;
    std::string stem = dir.Path("cap");
    std::string Opt(const std::string& name, const std::string& text) {
        test::WriteText(dir.Path(name + ".opt"), text);
        return dir.Path(name);
    }
    std::string Output(const std::string& capture, const std::string& opt) {
        return test::ReadTextFile(dir.Path(capture + "_" + opt + ".txt"));
    }
    std::string Head(const std::string& optName, const std::string& fileList) {
        return "ZK-9 Name : TESTBENCH\nZK-9 IP   : 192.168.1.10\nBaud      : 12m\nOpt File  : " +
               dir.Path(optName + ".opt") + "\n\n" + fileList;
    }
    std::string FileLine(const std::string& name) { return "File      : " + dir.Path(name) + "\n"; }
};

// Frames 1..n: SD1 requests from 2 to 5 and SC answers, stamps 1000 ticks apart.
Bytes Traffic(int n) {
    Bytes stream;
    for (int i = 0; i < n; ++i)
        test::Append(stream, test::RecordBytes(1000u * (i + 1),
                                               i % 2 == 0 ? test::Sd1(5, 2, 0x49) : test::ShortAck()));
    return stream;
}

std::string LineOf(unsigned reference, bool request) {
    return test::FormatText("%9u: ", reference) + (request ? " SD1   5<2   RFDL       ED \n" : " SC          SHAK \n");
}

TEST(ToolRun, WholeCaptureEveryFrameButTheLast) {
    CaptureFolder run;
    test::WriteCaptureRun(run.stem, 12, 0, test::SplitIntoFiles(Traffic(5), {}));
    std::string opt = run.Opt("plain", "");
    test::ToolResult r = test::RunTool({run.stem + "1200", opt});
    EXPECT_EQ(r.status, 0);
    std::string out = run.Output("cap1200", "plain");
    std::string expected = run.Head("plain", run.FileLine("cap1200.Zelmot"));
    for (unsigned i = 1; i <= 4; ++i) expected += LineOf(i, i % 2 == 1);
    expected += "\nEnd of Capture Data\n";
    EXPECT_EQ(out, expected);
    // Progress: 40-byte header, records of 15 and 10 bytes; each frame read
    // leaves the position just past the next record header.
    std::string name = run.dir.Path("cap1200.Zelmot");
    std::string progress;
    unsigned size = 40 + 3 * 15 + 2 * 10;
    unsigned position = 40;
    unsigned last = 100;
    for (unsigned i = 0; i < 4; ++i) {
        position += (i % 2 == 0 ? 15 : 10);
        unsigned percent = (position + 8) * 100 / size;
        if (percent != last) {
            progress += test::FormatText("%s %2u%%\r", name.c_str(), percent);
            last = percent;
        }
    }
    EXPECT_EQ(r.console, kBanner + progress + "\nSuccess - Created: " + run.dir.Path("cap1200_plain.txt") + "\n");
}

TEST(ToolRun, ReferenceWindow) {
    struct Case {
        const char* start;
        const char* end;
        std::vector<unsigned> lines;
        const char* closing;
    } cases[] = {
        {"StartRef=5", "EndRef=7", {5, 6, 7}, "\nLast Reference Reached\n"},
        {"StartRef=8", "EndRef=7", {}, "\nLast Reference Reached\n"},
        {"StartRef=0", "EndRef=4294967295", {1, 2, 3, 4, 5, 6, 7, 8, 9}, "\nEnd of Capture Data\n"},
        {"StartRef=8", "EndRef=20", {8, 9}, "\nEnd of Capture Data\n"},
        {"StartRef=5", "EndRef=9", {5, 6, 7, 8, 9}, "\nEnd of Capture Data\n"},
    };
    for (const Case& c : cases) {
        CaptureFolder run;
        test::WriteCaptureRun(run.stem, 12, 0, test::SplitIntoFiles(Traffic(10), {}));
        std::string opt = run.Opt("o", "");
        test::ToolResult r = test::RunTool({run.stem + "1200", opt, c.start, c.end});
        EXPECT_EQ(r.status, 0) << c.start << " " << c.end;
        std::string expected = run.Head("o", run.FileLine("cap1200.Zelmot"));
        for (unsigned i : c.lines) expected += LineOf(i, i % 2 == 1);
        expected += c.closing;
        EXPECT_EQ(run.Output("cap1200", "o"), expected) << c.start << " " << c.end;
    }
}

TEST(ToolRun, FileLinesStandBeforeTheLineOfTheFrameReadBefore) {
    CaptureFolder run;
    // Cut inside the third record's header: its File line precedes line 2.
    test::WriteCaptureRun(run.stem, 23, 59, test::SplitIntoFiles(Traffic(5), {15 + 10 + 3}));
    std::string opt = run.Opt("o", "ShowFileOfs\nNoRef\n");
    test::ToolResult r = test::RunTool({run.stem + "2359", opt, "NumMin=2"});
    EXPECT_EQ(r.status, 0) << r.console;
    std::string expected = run.Head("o", run.FileLine("cap2359.Zelmot")) +
                           "0000003f:  SD1   5<2   RFDL       ED \n" + run.FileLine("cap0000.Zelmot") +
                           "0000002d:  SC          SHAK \n"
                           "0000003c:  SD1   5<2   RFDL       ED \n"
                           "00000046:  SC          SHAK \n"
                           "\nEnd of Capture Data\n";
    EXPECT_EQ(run.Output("cap2359", "o"), expected);
}

TEST(ToolRun, FaultsEndTheRunWithStatus2) {
    {
        CaptureFolder run;  // no option file: nothing is created
        test::WriteCaptureRun(run.stem, 12, 0, test::SplitIntoFiles(Traffic(3), {}));
        test::ToolResult r = test::RunTool({run.stem + "1200", run.dir.Path("none")});
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.console, kBanner + "\nUnable to Open Option File " + run.dir.Path("none.opt") + "\n");
        EXPECT_FALSE(test::FileExists(run.dir.Path("cap1200_none.txt")));
    }
    {
        CaptureFolder run;  // the output folder does not exist
        std::string opt = run.Opt("o", "");
        std::string stem = run.dir.Path("missing/cap");
        test::ToolResult r = test::RunTool({stem + "1200", opt});
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.console, kBanner + "\nUnable to Open Output Text File " + stem + "1200_o.txt\n");
    }
    {
        CaptureFolder run;  // no capture file: the output is created and left empty
        std::string opt = run.Opt("o", "");
        test::ToolResult r = test::RunTool({run.stem + "1200", opt});
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.console, kBanner + "\nUnable to Open Input File " + run.dir.Path("cap1200.Zelmot") + "\n");
        EXPECT_EQ(run.Output("cap1200", "o"), "");
    }
    {
        CaptureFolder run;  // a baud index without a bus speed
        test::WriteCaptureRun(run.stem, 12, 0,
                              test::SplitIntoFiles(Traffic(3), {}, test::CaptureHeaderBytes(9)));
        std::string opt = run.Opt("o", "");
        test::ToolResult r = test::RunTool({run.stem + "1200", opt});
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.console, kBanner + "\nCapture File Header Error: Invalid Baud Index 9 (0-8) in " +
                                 run.dir.Path("cap1200.Zelmot") + "\n");
        EXPECT_NE(run.Output("cap1200", "o").find("Baud      : ?(9)\n"), std::string::npos);
    }
    {
        CaptureFolder run;  // a capture of nothing but stray bytes
        test::WriteCaptureRun(run.stem, 12, 0, test::SplitIntoFiles(Bytes(300, 0x42), {}));
        std::string opt = run.Opt("o", "");
        test::ToolResult r = test::RunTool({run.stem + "1200", opt});
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.console, kBanner + "\nCapture File Sync Error: SYNC_MARK not found\n");
        EXPECT_EQ(run.Output("cap1200", "o"), run.Head("o", run.FileLine("cap1200.Zelmot")));
    }
}

TEST(ToolRun, DataUnderRunKeepsTheLinesWrittenSoFar) {
    CaptureFolder run;
    Bytes stream = Traffic(4);
    test::Append(stream, test::RecordBytes(9000, Bytes(100, 0x10)));
    // The long record starts 10 bytes before the end of the first file and the
    // second holds only 39 more of its bytes: one read spans two files at most,
    // so the third file is never opened.
    std::vector<Bytes> files = test::SplitIntoFiles(Bytes(stream.begin(), stream.end() - 60), {2 * 15 + 2 * 10 + 10});
    test::WriteCaptureRun(run.stem, 12, 0, files);
    test::WriteCaptureRun(run.stem, 12, 2, {test::SplitIntoFiles(Traffic(2), {})[0]});
    std::string opt = run.Opt("o", "");
    test::ToolResult r = test::RunTool({run.stem + "1200", opt, "NumMin=3"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.console.find("\nCapture File Read Error: Data Under Run\n"), std::string::npos);
    std::string expected = run.Head("o", run.FileLine("cap1200.Zelmot")) + LineOf(1, true) + LineOf(2, false) +
                           LineOf(3, true) + LineOf(4, false) + run.FileLine("cap1201.Zelmot");
    EXPECT_EQ(run.Output("cap1200", "o"), expected);
}

TEST(ToolRun, SeveralConversionsInOneProcessMatchTheTool) {
    CaptureFolder run;
    test::WriteCaptureRun(run.stem, 12, 0, test::SplitIntoFiles(Traffic(12), {40, 90}));
    std::string full = run.Opt("full", "TmeAbs sc.ms,us\nTmeGap us\nGrphGap 10 100us\nDetailSts\nShowFcbTyp\n");
    std::string plain = run.Opt("plain", "NoRef\n");
    for (const std::string& opt : {full, plain, full}) {
        std::string base = opt.substr(opt.find_last_of("/\\") + 1);
        test::ToolResult r = test::RunTool({run.stem + "1200", opt, "NumMin=3", "StartRef=2"});
        ASSERT_EQ(r.status, 0) << r.console;
        std::string fromTool = run.Output("cap1200", base);
        ConversionSettings settings;
        settings.Run.CaptureBaseName = run.stem;
        settings.OutputName = run.dir.Path("inprocess.txt");
        settings.OptionFileName = opt + ".opt";
        settings.Run.StartHour = 12;
        settings.Run.NumMin = 3;
        settings.Run.StartRef = 2;
        Outcome result = RunConversion(settings, nullptr);
        ASSERT_TRUE(result.IsOk()) << result.Text;
        EXPECT_EQ(test::ReadTextFile(settings.OutputName), fromTool) << base;
    }
}

}  // namespace
}  // namespace zelmot

namespace zelmot {
namespace {

// Token frames from 1 to 2, SD1 requests from 2 to CmdArg-selected stations,
// and an answer with a checksum error.
Bytes MixedTraffic() {
    Bytes stream;
    std::uint64_t t = 1000;
    for (std::uint8_t station : {5, 6, 5, 7}) {
        test::Append(stream, test::RecordBytes(t, test::Token(1, 2)));
        test::Append(stream, test::RecordBytes(t += 100, test::Sd1(station, 2, 0x49)));
        test::Append(stream, test::RecordBytes(t += 300, test::Sd1(2, station, 0x00), station == 7 ? 0x40 : 0));
        t += 500;
    }
    test::Append(stream, test::RecordBytes(t, test::Token(1, 2)));
    return stream;
}

TEST(ToolFilter, EquationSelectsFramesAndIsEchoed) {
    CaptureFolder run;
    test::WriteCaptureRun(run.stem, 12, 0, test::SplitIntoFiles(MixedTraffic(), {}));
    std::string opt = run.Opt("f", "; requests to one station\nShowOnly\n  DA == CmdArg[0] ; the station\n  AND FC == RFDL\n#\nNoRef\n");
    test::ToolResult r = test::RunTool({run.stem + "1200", opt, "Arg0=5"});
    ASSERT_EQ(r.status, 0) << r.console;
    std::string expected = "ZK-9 Name : TESTBENCH\nZK-9 IP   : 192.168.1.10\nBaud      : 12m\nOpt File  : " +
                           run.dir.Path("f.opt") + "\nShow Only :   DA == CmdArg[0]   AND FC == RFDL \n\n" +
                           run.FileLine("cap1200.Zelmot") + " SD1   5<2   RFDL       ED \n" +
                           " SD1   5<2   RFDL       ED \n\nEnd of Capture Data\n";
    EXPECT_EQ(run.Output("cap1200", "f"), expected);
}

TEST(ToolFilter, StatusBitsGapsAndNoBad) {
    CaptureFolder run;
    test::WriteCaptureRun(run.stem, 12, 0, test::SplitIntoFiles(MixedTraffic(), {}));
    std::string errors = run.Opt("errors", "ShowOnly\n(STS & STSCHK) <> 0 #\n");
    test::ToolResult r = test::RunTool({run.stem + "1200", errors});
    ASSERT_EQ(r.status, 0) << r.console;
    std::string out = run.Output("cap1200", "errors");
    EXPECT_NE(out.find("       12: *SD1   2<7   OK         ED \n"), std::string::npos) << out;
    EXPECT_EQ(out.find("SD4"), std::string::npos);

    std::string good = run.Opt("good", "NoBad\nNoRef\n");
    r = test::RunTool({run.stem + "1200", good});
    ASSERT_EQ(r.status, 0) << r.console;
    out = run.Output("cap1200", "good");
    EXPECT_EQ(out.find('*'), std::string::npos) << out;
    EXPECT_NE(out.find(" SD1   7<2   RFDL"), std::string::npos) << out;

    // GapTme in microseconds: at 12 Mbit/s a 6-byte frame lasts 264 ticks
    // (5.5 us); the answers follow their request by 300 ticks, a gap of 36
    // ticks (0.75 us, 0 us truncated); the tokens come 500 ticks after an
    // answer, a gap of 236 ticks (4.9 us, 4 us).
    std::string gaps = run.Opt("gaps", "ShowOnly\nGapTme == 4 #\nNoRef\n");
    r = test::RunTool({run.stem + "1200", gaps});
    ASSERT_EQ(r.status, 0) << r.console;
    out = run.Output("cap1200", "gaps");
    std::size_t tokens = 0;
    for (std::size_t at = out.find(" SD4   1<2   \n"); at != std::string::npos; at = out.find(" SD4   1<2   \n", at + 1))
        ++tokens;
    EXPECT_EQ(tokens, 3u) << out;
}

TEST(ToolFilter, BadEquationEndsTheRunBeforeAnyOutput) {
    CaptureFolder run;
    test::WriteCaptureRun(run.stem, 12, 0, test::SplitIntoFiles(MixedTraffic(), {}));
    struct Case {
        const char* text;
        const char* message;
    } cases[] = {
        {"ShowOnly\nSTS == == 2\n#\n", "Option ShowOnly Expression Error: Missing Parameter ' == 2 "},
        {"ShowOnly\nDA == 5\n", "Invalid Option ShowOnly Equation: End Marker '#' not found 'DA == 5 '"},
        {"ShowOnly\nRDL == 5 #\n", "Invalid Option ShowOnly Equation: Undefined Identifier 'RDL'"},
        {"NoRef\nBogus ; remark\n", "Invalid Option Argument 'Bogus ; remark'"},
        {"GrphGap 101 100us\n", "Invalid GrphGap Width value '101' (5-100)"},
    };
    for (const Case& c : cases) {
        std::string opt = run.Opt("bad", c.text);
        test::ToolResult r = test::RunTool({run.stem + "1200", opt});
        EXPECT_EQ(r.status, 2) << c.text;
        EXPECT_EQ(r.console, kBanner + "\n" + c.message + "\n") << c.text;
        EXPECT_FALSE(test::FileExists(run.dir.Path("cap1200_bad.txt"))) << c.text;
    }
}

}  // namespace
}  // namespace zelmot

namespace zelmot {
namespace {

TEST(ToolTimeColumns, TheRoadOfOneFrame) {
    // At 12 Mbit/s a tick is 1000/48 ns: frame 12 starts at 144,192,000 ticks
    // (3.004 s); frame 11, a one-byte short acknowledgement (44 ticks on the
    // bus), ends 1,200 ticks (25 us) before it.
    CaptureFolder run;
    const std::uint64_t t12 = 144192000;
    Bytes stream;
    for (int i = 1; i <= 10; ++i) test::Append(stream, test::RecordBytes(t12 - 100000 + 1000u * i, test::Token(1, 2)));
    test::Append(stream, test::RecordBytes(t12 - 1244, test::ShortAck()));
    test::Append(stream, test::RecordBytes(t12, test::Bytes{0x10, 0x05, 0x02, 0x49, 0x50, 0x16}));
    test::Append(stream, test::RecordBytes(t12 + 5000, test::ShortAck()));
    test::WriteCaptureRun(run.stem, 12, 0, test::SplitIntoFiles(stream, {}));
    std::string opt = run.Opt("t", "TmeAbs sc.ms\nGrphGap 10 100us\n");
    test::ToolResult r = test::RunTool({run.stem + "1200", opt, "StartRef=12"});
    ASSERT_EQ(r.status, 0) << r.console;
    EXPECT_EQ(run.Output("cap1200", "t"), run.Head("t", run.FileLine("cap1200.Zelmot")) +
                                              "       12: a 3.004 g..       | SD1   5<2   RFDL       ED \n"
                                              "\nEnd of Capture Data\n");
}

}  // namespace
}  // namespace zelmot
