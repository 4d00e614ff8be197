// Generated captures of realistic traffic through the whole tool.
#include <gtest/gtest.h>

#include <sstream>

#include "support/capture_builder.h"
#include "support/process_runner.h"

namespace zelmot {
namespace {

// The generator writes dir/gen<HHMM>.Zelmot; its exit status.
int Generate(const test::TempDir& dir, const std::string& arguments) {
    std::vector<std::string> words = test::SplitWords(arguments);
    words.insert(words.begin(), dir.Path("gen"));
    test::ProcessRun run = test::RunProcess(ZELMOT_GEN_EXE, words);
    return run.Started ? run.ExitCode : -1;
}

std::vector<std::string> FrameLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (line.size() > 11 && line[9] == ':' && line[10] == ' ') lines.push_back(line);
    return lines;
}

TEST(GeneratedCapture, CleanTrafficDecodesEveryFrameAtEveryBaudIndex) {
    for (int baud : {0, 5, 8}) {
        test::TempDir dir;
        ASSERT_EQ(Generate(dir, "--baud " + std::to_string(baud) + " --start 2359 --minutes 3 --frames 400 --seed " +
                                    std::to_string(11 + baud)),
                  0);
        test::WriteText(dir.Path("o.opt"), "TmeAbs hr:mn:sc.ms,us,ns\nTmeGap us.ns\nShowFcbTyp\nShowFcs\n");
        test::ToolResult r = test::RunTool({dir.Path("gen2359"), dir.Path("o"), "NumMin=3"});
        ASSERT_EQ(r.status, 0) << r.console;
        std::string text = test::ReadTextFile(dir.Path("gen2359_o.txt"));
        std::vector<std::string> lines = FrameLines(text);
        EXPECT_EQ(lines.size(), 3u * 400u - 1u) << "every frame but the last";
        for (const std::string& line : lines) {
            EXPECT_EQ(line.find('?'), std::string::npos) << line;
            EXPECT_EQ(line.find('*'), std::string::npos) << line;
        }
        EXPECT_EQ(text.find("Synchronization Lost"), std::string::npos);
        for (const char* kind : {"SD1 ", "SD2 ", "SD3 ", "SD4 ", "SC  "})
            EXPECT_NE(text.find(kind), std::string::npos) << kind;
        EXPECT_NE(text.find("File      : " + dir.Path("gen0001.Zelmot")), std::string::npos);
        EXPECT_EQ(text.substr(text.size() - 21), "\nEnd of Capture Data\n");
    }
}

TEST(GeneratedCapture, DamagedTrafficLosesOnlyTheCorruptedRecords) {
    test::TempDir dir;
    ASSERT_EQ(Generate(dir, "--minutes 2 --frames 3000 --seed 3 --error-rate 0.02 --corrupt-rate 0.002"), 0);
    test::WriteText(dir.Path("o.opt"), "DetailSts\n");
    test::ToolResult r = test::RunTool({dir.Path("gen1200"), dir.Path("o"), "NumMin=2"});
    ASSERT_EQ(r.status, 0) << r.console;
    std::string text = test::ReadTextFile(dir.Path("gen1200_o.txt"));
    std::size_t losses = 0;
    for (std::size_t at = text.find("**** Synchronization Lost ****\n"); at != std::string::npos;
         at = text.find("**** Synchronization Lost ****\n", at + 1))
        ++losses;
    EXPECT_GT(losses, 0u);
    std::vector<std::string> lines = FrameLines(text);
    // Each lost sync costs the bytes between the corrupted frame's start and the next record.
    EXPECT_GE(lines.size(), 2u * 3000u - 1u - 2u * losses);
    EXPECT_EQ(text.substr(text.size() - 21), "\nEnd of Capture Data\n");
}

TEST(GeneratedCapture, NoResynchronisationDeliversAGarbageFrame) {
    // In this traffic a 0xDD inside a damaged frame, at reference 139950,
    // leads onto a real record; taken, it would give a frame hours off with
    // a negative gap after it. The first 140000 frames hold it.
    test::TempDir dir;
    ASSERT_EQ(Generate(dir, "--start 2358 --minutes 1 --frames 600000 --error-rate 0.002 "
                            "--corrupt-rate 0.0005 --slaves 20 --timeout-rate 0.0005 --diag-rate 0.00025"),
              0);
    test::WriteText(dir.Path("neg.opt"), "ShowOnly\n  GapTme < 0 OR GapAft < 0\n#\n");
    test::ToolResult r = test::RunTool({dir.Path("gen2358"), dir.Path("neg"), "EndRef=140000"});
    ASSERT_EQ(r.status, 0) << r.console;
    std::string text = test::ReadTextFile(dir.Path("gen2358_neg.txt"));
    std::vector<std::string> lines;
    for (const std::string& line : FrameLines(text))
        if (line.find("FileOfs=") == std::string::npos) lines.push_back(line);
    EXPECT_TRUE(lines.empty()) << lines.front();
    EXPECT_GT(FrameLines(text).size(), 50u) << "the run resynchronises often";
    EXPECT_EQ(text.substr(text.size() - 24), "\nLast Reference Reached\n");
}

}  // namespace
}  // namespace zelmot
