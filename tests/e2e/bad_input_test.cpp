// The real executable on bad input: empty, truncated, random and cut-off
// capture files, folders and unreadable files where files belong, outputs
// that cannot be created or written, option files with NUL bytes, very long
// lines and equations at the length limit. Every case ends with its message
// and exit status, and whatever was written before a fault stays in the
// output.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bad_input_support.h"

namespace zelmot::test {
namespace {

namespace fs = std::filesystem;

// ---- capture files ----

TEST(BadCapture, FilesWithoutRecordsEndWithTheSyncMessage) {
    const Bytes header = test::CaptureHeaderBytes();
    const struct {
        const char* what;
        Bytes file;
        std::string echo;  // the header echo as the file's bytes give it
    } cases[] = {
        {"empty file", {}, "ZK-9 Name : \nZK-9 IP   : 0.0.0.0\nBaud      : 9k6\n"},
        {"shorter than the header", Bytes(header.begin(), header.begin() + 20),
         "ZK-9 Name : TESTBENCH\nZK-9 IP   : 192.168.1.10\nBaud      : 12m\n"},
        {"header only", header, "ZK-9 Name : TESTBENCH\nZK-9 IP   : 192.168.1.10\nBaud      : 12m\n"},
        {"header and stray bytes without a mark", WithHeader(RandomBytes(7, 500, true)),
         "ZK-9 Name : TESTBENCH\nZK-9 IP   : 192.168.1.10\nBaud      : 12m\n"},
    };
    for (const auto& c : cases) {
        Folder f;
        test::WriteBytes(f.stem + "1200.Zelmot", c.file);
        // Later files do not help: only the first is searched.
        test::WriteCaptureRun(f.stem, 12, 1, {WithHeader(Traffic(3))});
        test::ToolResult r = f.Run(f.Opt(""), {"NumMin=2"});
        EXPECT_EQ(r.status, 2) << c.what;
        EXPECT_EQ(r.console, Failure(kSyncNotFound)) << c.what;
        EXPECT_EQ(f.Output(), c.echo + "Opt File  : " + f.dir.Path("o.opt") + "\n\n" + f.FileLine("1200")) << c.what;
    }
}

TEST(BadCapture, RandomHeaderWithoutABusSpeedIsRefused) {
    Folder f;
    Bytes file = RandomBytes(11, 4096);
    const unsigned baud = file[2] | file[3] << 8;
    ASSERT_GE(baud, 9u) << "the seed must give a baud index without a bus speed";
    file[8 + 31] = 0;  // a device name that ends inside its field
    test::WriteBytes(f.stem + "1200.Zelmot", file);
    test::ToolResult r = f.Run(f.Opt(""));
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.console, Failure("Capture File Header Error: Invalid Baud Index " + std::to_string(baud) +
                                 " (0-8) in " + f.stem + "1200.Zelmot"));
    const std::string name(reinterpret_cast<const char*>(file.data() + 8));
    const std::string address = test::FormatText("%u.%u.%u.%u", file[7], file[6], file[5], file[4]);
    EXPECT_EQ(f.Output(), "ZK-9 Name : " + name + "\nZK-9 IP   : " + address + "\nBaud      : ?(" +
                              std::to_string(baud) + ")\nOpt File  : " + f.dir.Path("o.opt") + "\n\n" +
                              f.FileLine("1200"));
}

// Damaged records behind a good header: random bytes written over a stream
// of records, or noise in front of it. Whatever the reader makes of them,
// the run ends with a closing text or one of the reader's messages, and the
// header echo stays in the output.
TEST(BadCapture, RandomDamageEndsWithAClosingTextOrAMessage) {
    const std::vector<std::string> messages = {kSyncNotFound, "Capture File Sync Error: Unable to Sync",
                                               "Capture File Read Error: Data Under Run"};
    int succeeded = 0;
    for (std::uint32_t seed = 1; seed <= 16; ++seed) {
        Folder f;
        std::mt19937 engine(seed);
        Bytes body = seed % 4 == 0 ? RandomBytes(seed, 100 + seed * 20) : Bytes{};
        test::Append(body, Traffic(150));
        for (std::uint32_t i = 0; i < seed * 3; ++i) body[engine() % body.size()] = static_cast<std::uint8_t>(engine());
        test::WriteCaptureRun(f.stem, 12, 0, test::SplitIntoFiles(body, {700 + seed * 37}));
        test::ToolResult r = f.Run(f.Opt("DetailSts\nShowFcs\n"), {"NumMin=2"});
        const std::string out = f.Output();
        ASSERT_EQ(out.compare(0, f.Head().size(), f.Head()), 0) << "seed " << seed;
        if (r.status == 0) {
            ++succeeded;
            EXPECT_EQ(WithoutProgress(r.console), f.Success()) << "seed " << seed;
            EXPECT_EQ(out.substr(out.size() - kEnd.size()), kEnd) << "seed " << seed;
            continue;
        }
        ASSERT_EQ(r.status, 2) << "seed " << seed;
        bool known = false;
        for (const std::string& message : messages)
            known = known || WithoutProgress(r.console) == Failure(message);
        EXPECT_TRUE(known) << "seed " << seed << ": " << r.console;
    }
    EXPECT_GT(succeeded, 0) << "some damage is read over";
}

TEST(BadCapture, RecordCutOffByTheEndOfTheLastFile) {
    // Four records; the fourth claims 200 frame bytes of which 10 are there.
    Bytes stream = Traffic(3);
    const Bytes cut{0xDD, 1, 2, 3, 4, 5, 6, 200, 0x10, 5, 2, 0x49, 0x50, 0x16, 0, 0, 0, 0};
    test::Append(stream, cut);
    {
        Folder f;  // nothing follows: the end of the capture
        test::WriteCaptureRun(f.stem, 12, 0, {WithHeader(stream)});
        test::ToolResult r = f.Run(f.Opt(""));
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(WithoutProgress(r.console), f.Success());
        EXPECT_EQ(f.Output(), f.Head() + LinesOf(1, 3) + kEnd);
    }
    {
        Folder f;  // a further file is named but missing
        test::WriteCaptureRun(f.stem, 12, 0, {WithHeader(stream)});
        test::ToolResult r = f.Run(f.Opt(""), {"NumMin=2"});
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(WithoutProgress(r.console), Failure("Unable to Open Input File " + f.stem + "1201.Zelmot"));
        EXPECT_EQ(f.Output(), f.Head() + LinesOf(1, 3));
    }
    {
        Folder f;  // the further file is too short to complete the record
        test::WriteCaptureRun(f.stem, 12, 0, {WithHeader(stream), WithHeader(Bytes(5, 0))});
        test::ToolResult r = f.Run(f.Opt(""), {"NumMin=2"});
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(WithoutProgress(r.console), Failure("Capture File Read Error: Data Under Run"));
        EXPECT_EQ(f.Output(), f.Head() + LinesOf(1, 3) + f.FileLine("1201"));
    }
    {
        Folder f;  // the capture ends inside a record header: frame 3 has no look-ahead
        Bytes shorter = Traffic(3);
        test::Append(shorter, Bytes{0xDD, 1, 2});
        test::WriteCaptureRun(f.stem, 12, 0, {WithHeader(shorter)});
        test::ToolResult r = f.Run(f.Opt(""));
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(f.Output(), f.Head() + LinesOf(1, 2) + kEnd);
    }
}

TEST(BadCapture, LostSyncThatCannotBeFoundAgainKeepsTheLines) {
    // 102 records (the first 100 confirm the sync); the last one, a short
    // acknowledgement, says 20 bytes instead of 1, and after it only bytes
    // without a mark follow.
    Bytes stream = Traffic(102);
    const std::size_t last = 51 * 15 + 50 * 10;
    stream[last + 7] = 20;
    test::Append(stream, Bytes(400, 0x42));
    Folder f;
    test::WriteCaptureRun(f.stem, 12, 0, {WithHeader(stream)});
    test::ToolResult r = f.Run(f.Opt(""));
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(WithoutProgress(r.console), Failure(kSyncNotFound));
    // The bad header lies past frame 102's 21 bytes: 40 + 1265 + 8 + 21 + 8 = 0x53e.
    EXPECT_EQ(f.Output(),
              f.Head() + LinesOf(1, 101) + "**** Synchronization Lost ****\n      101: FileOfs=53e Mark=42\n");
}

// ---- folders, permissions, outputs ----

TEST(BadFiles, FoldersWhereFilesBelong) {
    {
        Folder f;  // the option file
        fs::create_directory(f.dir.Path("o.opt"));
        test::WriteCaptureRun(f.stem, 12, 0, {WithHeader(Traffic(3))});
        test::ToolResult r = f.Run(f.dir.Path("o"));
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.console, Failure("Unable to Open Option File " + f.dir.Path("o.opt")));
        EXPECT_FALSE(test::FileExists(f.OutputPath()));
    }
    {
        Folder f;  // the first capture file: the output is created and stays empty
        fs::create_directory(f.stem + "1200.Zelmot");
        test::ToolResult r = f.Run(f.Opt(""));
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.console, Failure("Unable to Open Input File " + f.stem + "1200.Zelmot"));
        EXPECT_EQ(f.Output(), "");
    }
    {
        Folder f;  // the second capture file: the lines of the first stay
        test::WriteCaptureRun(f.stem, 12, 0, {WithHeader(Traffic(4))});
        fs::create_directory(f.stem + "1201.Zelmot");
        test::ToolResult r = f.Run(f.Opt(""), {"NumMin=2"});
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(WithoutProgress(r.console), Failure("Unable to Open Input File " + f.stem + "1201.Zelmot"));
        EXPECT_EQ(f.Output(), f.Head() + LinesOf(1, 3));
    }
    {
        Folder f;  // the output text file
        test::WriteCaptureRun(f.stem, 12, 0, {WithHeader(Traffic(3))});
        fs::create_directory(f.OutputPath());
        test::ToolResult r = f.Run(f.Opt(""));
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.console, Failure("Unable to Open Output Text File " + f.OutputPath()));
    }
}

TEST(BadFiles, UnreadableFiles) {
    if (test::kWindows) GTEST_SKIP() << "Windows permissions are a read-only flag, which denies no reading";
    if (RunningAsRoot()) GTEST_SKIP() << "root reads and writes files whatever their permissions";
    {
        Folder f;
        std::string opt = f.Opt("NoRef\n");
        fs::permissions(opt + ".opt", fs::perms::none);
        test::WriteCaptureRun(f.stem, 12, 0, {WithHeader(Traffic(3))});
        test::ToolResult r = f.Run(opt);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.console, Failure("Unable to Open Option File " + opt + ".opt"));
        EXPECT_FALSE(test::FileExists(f.OutputPath()));
    }
    {
        Folder f;
        test::WriteCaptureRun(f.stem, 12, 0, {WithHeader(Traffic(3))});
        fs::permissions(f.stem + "1200.Zelmot", fs::perms::none);
        test::ToolResult r = f.Run(f.Opt(""));
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.console, Failure("Unable to Open Input File " + f.stem + "1200.Zelmot"));
        EXPECT_EQ(f.Output(), "");
    }
    {
        Folder f;  // captures in a folder that cannot be written: no output
        std::string opt = f.Opt("");
        fs::create_directory(f.dir.Path("ro"));
        test::WriteCaptureRun(f.dir.Path("ro/cap"), 12, 0, {WithHeader(Traffic(3))});
        fs::permissions(f.dir.Path("ro"), fs::perms::owner_read | fs::perms::owner_exec);
        test::ToolResult r = test::RunTool({f.dir.Path("ro/cap1200"), opt});
        fs::permissions(f.dir.Path("ro"), fs::perms::owner_all);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.console, Failure("Unable to Open Output Text File " + f.dir.Path("ro/cap1200_o.txt")));
    }
}

TEST(BadFiles, OutputThatCannotBeWritten) {
    if (test::kWindows || !fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    Folder f;
    test::WriteCaptureRun(f.stem, 12, 0, {WithHeader(Traffic(3))});
    fs::create_symlink("/dev/full", f.OutputPath());
    test::ToolResult r = f.Run(f.Opt(""));
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(WithoutProgress(r.console), Failure("Unable to Write Output Text File " + f.OutputPath()));
}

// ---- option files ----

TEST(BadOptions, NulBytesEndTheTextOfTheirLine) {
    Folder f;
    test::WriteCaptureRun(f.stem, 12, 0, {WithHeader(Traffic(3))});
    // "NoRef" counts, the rest of its line does not; a line that starts
    // with a NUL byte is empty.
    const char text[] = "NoRef\0Bogus words\n\0Foo\nNoDelim\n";
    std::string opt = f.Opt(std::string(text, sizeof text - 1));
    test::ToolResult r = f.Run(opt);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(f.Output(), f.Head() + "   5<2   RFDL       \n         SHAK \n" + kEnd);

    // In an equation a NUL byte is no operator.
    const char equation[] = "ShowOnly\nSTS \0== 0#\n";
    test::ToolResult bad = f.Run(f.Opt(std::string(equation, sizeof equation - 1), "eq"));
    EXPECT_EQ(bad.status, 2);
    const std::string start = kBanner + "\nOption ShowOnly Expression Error: Invalid Operator '";
    EXPECT_EQ(bad.console.compare(0, start.size(), start), 0) << bad.console;
    EXPECT_FALSE(test::FileExists(f.OutputPath("eq")));
}

TEST(BadOptions, VeryLongLinesArriveInPieces) {
    const struct {
        const char* what;
        std::string text;
        int status;
        std::string message;  // for status 2
    } cases[] = {
        {"one line of a million characters", std::string(1'000'000, 'x') + "\n", 2,
         "Invalid Option Argument '" + std::string(199, 'x') + "'"},
        {"a comment of 250 characters", "; " + std::string(248, 'c') + "\n", 2,
         "Invalid Option Argument '" + std::string(51, 'c') + "'"},
        {"300 blanks before a keyword", std::string(300, ' ') + "NoRef\n", 0, ""},
        {"a ShowOnly line of 100000 characters", "ShowOnly" + std::string(100'000, 'z') + "\nSD == SD1#\n", 0, ""},
        {"an equation line of 5000 blanks", "ShowOnly\n" + std::string(5000, ' ') + "SD == SD1#\n", 2,
         "Invalid Option ShowOnly Equation: Equation Too Long"},
    };
    for (const auto& c : cases) {
        Folder f;
        test::WriteCaptureRun(f.stem, 12, 0, {WithHeader(Traffic(3))});
        test::ToolResult r = f.Run(f.Opt(c.text));
        EXPECT_EQ(r.status, c.status) << c.what;
        if (c.status == 2) {
            EXPECT_EQ(r.console, Failure(c.message)) << c.what;
            EXPECT_FALSE(test::FileExists(f.OutputPath())) << c.what;
        } else {
            EXPECT_EQ(WithoutProgress(r.console), f.Success()) << c.what;
        }
    }
    Folder f;
    test::WriteCaptureRun(f.stem, 12, 0, {WithHeader(Traffic(3))});
    ASSERT_EQ(f.Run(f.Opt(std::string(300, ' ') + "NoRef\n")).status, 0);
    EXPECT_EQ(f.Output(), f.Head() + " SD1   5<2   RFDL       ED \n SC          SHAK \n" + kEnd);
    ASSERT_EQ(f.Run(f.Opt("ShowOnly" + std::string(100'000, 'z') + "\nSD == SD1#\n")).status, 0);
    EXPECT_EQ(f.Output(), f.Head("SD == SD1") + LineOf(1) + kEnd);
}

TEST(BadOptions, EquationsAtTheLengthLimit) {
    const std::string nested = std::string(2047, '(') + "1" + std::string(2047, ')');
    ASSERT_EQ(nested.size(), 4095u);
    {
        Folder f;  // 4095 characters of nested parentheses compile; every frame passes
        test::WriteCaptureRun(f.stem, 12, 0, {WithHeader(Traffic(4))});
        test::ToolResult r = f.Run(f.Opt("ShowOnly\n" + nested + "#\n"));
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(WithoutProgress(r.console), f.Success());
        EXPECT_EQ(f.Output(), f.Head(nested) + LinesOf(1, 3) + kEnd);
    }
    const struct {
        const char* what;
        std::string equation;
        std::string message;
    } cases[] = {
        {"one character more", "(" + nested, "Invalid Option ShowOnly Equation: Equation Too Long"},
        {"4095 opening parentheses", std::string(4095, '('),
         "Option ShowOnly Expression Error: Missing Parameter '("},
        {"one closing parenthesis short", std::string(2047, '(') + "1" + std::string(2046, ')'),
         "Option ShowOnly Expression Error: Missing Parenthesis ')"},
        {"one closing parenthesis too many", std::string(2046, '(') + "1" + std::string(2047, ')'),
         "Option ShowOnly Expression Error: Ambiguous Operator ')"},
    };
    for (const auto& c : cases) {
        Folder f;
        test::WriteCaptureRun(f.stem, 12, 0, {WithHeader(Traffic(4))});
        test::ToolResult r = f.Run(f.Opt("ShowOnly\n" + c.equation + "#\n"));
        EXPECT_EQ(r.status, 2) << c.what;
        EXPECT_EQ(r.console, Failure(c.message)) << c.what;
        EXPECT_FALSE(test::FileExists(f.OutputPath())) << c.what;
    }
}

}  // namespace
}  // namespace zelmot::test
