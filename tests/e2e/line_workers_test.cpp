// The conversion with its lines formatted on worker threads against the
// conversion on the run's own thread: the same output file, console text and
// exit status, byte for byte, whatever the worker count, also for runs that
// end at EndRef, resynchronise, or fail part way.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "driver/tool_main.h"
#include "support/capture_builder.h"
#include "support/case_names.h"
#include "support/process_runner.h"

namespace zelmot {
namespace {

namespace fs = std::filesystem;

enum class Source : std::uint8_t {
    Example,        // the bundled demo capture and examples/<Name>.opt
    Generated,      // three generated minutes with receive errors and damage
    MiddleMissing,  // the same without its second minute
    FullDisk,       // the generated capture, the output a link to /dev/full
};

struct WorkersCase {
    std::string Name;
    Source From = Source::Generated;
    std::string Options;              // the option file's text (not for Example)
    std::vector<std::string> Words;   // command-line option words
    int Status = 0;
    std::string Shows;                // a text the output (or for a fault, the console) holds
};

std::string CaseText(const WorkersCase& c) { return c.Name; }
void PrintTo(const WorkersCase& c, std::ostream* os) { *os << c.Name; }

const std::string kFull =
    "ShowFileOfs\nTmeAbs hr:mn:sc.ms,us,ns\nTmeDelta hr:mn:sc.ms,us,ns\nTmeGap hr:mn:sc.ms,us,ns\n"
    "TmeGapAft hr:mn:sc.ms,us,ns\nGrphDelta 20 1ms\nGrphGap 20 100us\nGrphGapAft 20 100us\nDetailSts\n"
    "ShowFcbTyp\nShowFcs\n";
// Lines of over 400 characters: a batch's text outgrows its buffer.
const std::string kWide = "ShowFileOfs\nTmeAbs hr:mn:sc.ms,us,ns\nGrphDelta 100 1ms\nGrphGap 100 100us\n"
                          "GrphGapAft 100 100us\nDetailSts\nDataSgn\n";
const std::string kEnd = "\nEnd of Capture Data\n";

const std::vector<WorkersCase> kCases = {
    {"example full", Source::Example, "", {"NumMin=2", "EndRef=1600"}, 0, "\nLast Reference Reached\n"},
    {"example errors", Source::Example, "", {"NumMin=3"}, 0, kEnd},
    {"example station", Source::Example, "", {"NumMin=3", "Arg0=7"}, 0, kEnd},
    {"example token", Source::Example, "", {"NumMin=3"}, 0, kEnd},
    {"example compact", Source::Example, "", {"NumMin=3"}, 0, kEnd},
    {"decode", Source::Generated, "", {"NumMin=3"}, 0, "**** Synchronization Lost ****\n"},
    {"full", Source::Generated, kFull, {"NumMin=3"}, 0, kEnd},
    {"filter", Source::Generated, "ShowOnly\nSA == 5\n#\n", {"NumMin=3"}, 0, kEnd},
    {"wide lines", Source::Generated, kWide, {"NumMin=3"}, 0, kEnd},
    {"window across files", Source::Generated, kFull, {"NumMin=3", "StartRef=15000", "EndRef=45000"}, 0,
     "\nLast Reference Reached\n"},
    {"file missing mid run", Source::MiddleMissing, kFull, {"NumMin=3"}, 2, "Unable to Open Input File"},
#ifndef _WIN32
    {"write error", Source::FullDisk, "", {"NumMin=3"}, 2, "Unable to Write Output Text File"},
#endif
};

struct Conversion {
    int Status = -1;
    std::string Console;
    std::string Output;
};

std::string ReadStream(std::FILE* file) {
    std::string text;
    std::rewind(file);
    char block[4096];
    for (std::size_t n; (n = std::fread(block, 1, sizeof block, file)) > 0;) text.append(block, n);
    return text;
}

// The generated capture, made once for all cases.
class LineWorkersTest : public ::testing::TestWithParam<WorkersCase> {
protected:
    static void SetUpTestSuite() {
        captures_ = std::make_unique<test::TempDir>();
        std::vector<std::string> words = test::SplitWords(
            "--baud 8 --start 1200 --minutes 3 --frames 20000 --seed 5 --error-rate 0.01 --corrupt-rate 0.001");
        words.insert(words.begin(), captures_->Path("gen"));
        test::ProcessRun run = test::RunProcess(ZELMOT_GEN_EXE, words);
        ASSERT_TRUE(run.Started && run.ExitCode == 0);
    }
    static void TearDownTestSuite() { captures_.reset(); }

    // The case's capture in dir; the capture name for the command line.
    static std::string PlaceCapture(const WorkersCase& c, const test::TempDir& dir) {
        if (c.From == Source::Example) {
            const fs::path examples = fs::path(ZELMOT_SOURCE_DIR) / "examples";
            for (const char* file : {"demo1200.Zelmot", "demo1201.Zelmot", "demo1202.Zelmot"})
                fs::copy_file(examples / file, dir.path() / file);
            fs::copy_file(examples / (c.Name.substr(8) + ".opt"), dir.path() / "o.opt");
            return dir.Path("demo1200");
        }
        for (const char* file : {"gen1200.Zelmot", "gen1201.Zelmot", "gen1202.Zelmot"})
            if (c.From != Source::MiddleMissing || std::string(file) != "gen1201.Zelmot")
                fs::copy_file(captures_->path() / file, dir.path() / file);
        test::WriteText(dir.Path("o.opt"), c.Options);
        if (c.From == Source::FullDisk) fs::create_symlink("/dev/full", dir.path() / "gen1200_o.txt");
        return dir.Path("gen1200");
    }

    static Conversion Convert(const WorkersCase& c, const std::string& capture, unsigned workers) {
        std::vector<std::string> args = {"zelmot2txt", capture, (fs::path(capture).parent_path() / "o").string()};
        args.insert(args.end(), c.Words.begin(), c.Words.end());
        std::vector<const char*> argv;
        for (const std::string& arg : args) argv.push_back(arg.c_str());
        std::FILE* console = std::tmpfile();
        EXPECT_NE(console, nullptr);
        if (console == nullptr) return {};
        Conversion result;
        result.Status = ToolMain(static_cast<int>(argv.size()), argv.data(), console, workers);
        result.Console = ReadStream(console);
        std::fclose(console);
        std::string output = capture + "_o.txt";
        if (c.From != Source::FullDisk && test::FileExists(output)) {
            result.Output = test::ReadTextFile(output);  // CR LF line ends on Windows
            fs::remove(output);
        }
        return result;
    }

    static inline std::unique_ptr<test::TempDir> captures_;
};

TEST_P(LineWorkersTest, WriteWhatTheRunsOwnThreadWrites) {
    const WorkersCase& c = GetParam();
    test::TempDir dir;
    std::string capture = PlaceCapture(c, dir);
    Conversion alone = Convert(c, capture, 1);
    ASSERT_EQ(alone.Status, c.Status) << alone.Console;
    const std::string& holder = c.Status == 0 ? alone.Output : alone.Console;
    ASSERT_NE(holder.find(c.Shows), std::string::npos) << c.Shows;
    for (unsigned workers : {2u, 5u}) {
        Conversion staged = Convert(c, capture, workers);
        EXPECT_EQ(staged.Status, alone.Status) << workers << " workers";
        EXPECT_EQ(staged.Console, alone.Console) << workers << " workers";
        EXPECT_EQ(staged.Output.size(), alone.Output.size()) << workers << " workers";
        EXPECT_TRUE(staged.Output == alone.Output) << workers << " workers";
    }
}

INSTANTIATE_TEST_SUITE_P(Conversions, LineWorkersTest, ::testing::ValuesIn(kCases), test::CaseNamer{});

}  // namespace
}  // namespace zelmot
