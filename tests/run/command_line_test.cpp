// Command-line option words and the names derived from the arguments.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "run/command_line.h"

namespace zelmot {
namespace {

struct Console {
    std::FILE* file = std::tmpfile();
    ~Console() { std::fclose(file); }
    std::string Text() {
        std::fflush(file);
        std::rewind(file);
        std::string text;
        char chunk[512];
        std::size_t got;
        while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, got);
        return text;
    }
};

TEST(CommandOption, NumericWordsIgnoreCaseAndKeepValueWhenItDoesNotScan) {
    Console console;
    RunSettings s;
    EXPECT_TRUE(ParseCommandOption("numMIN=3", s, console.file));
    EXPECT_EQ(s.NumMin, 3);
    EXPECT_TRUE(ParseCommandOption("NumMin=abc", s, console.file));
    EXPECT_EQ(s.NumMin, 3);
    EXPECT_TRUE(ParseCommandOption("STARTREF=5", s, console.file));
    EXPECT_TRUE(ParseCommandOption("endref=7", s, console.file));
    EXPECT_EQ(s.StartRef, 5u);
    EXPECT_EQ(s.EndRef, 7u);
    EXPECT_TRUE(ParseCommandOption("EndRef=9", s, console.file));  // the later value wins
    EXPECT_EQ(s.EndRef, 9u);
    EXPECT_EQ(console.Text(), "");
}

TEST(CommandOption, ValuesBeyondTheirRangeSaturate) {
    Console console;
    RunSettings s;
    EXPECT_TRUE(ParseCommandOption("NumMin=70000", s, console.file));
    EXPECT_EQ(s.NumMin, 65535);
    EXPECT_TRUE(ParseCommandOption("EndRef=99999999999999999999999", s, console.file));
    EXPECT_EQ(s.EndRef, 0xFFFFFFFFu);
    EXPECT_TRUE(ParseCommandOption("StartRef=4294967295", s, console.file));
    EXPECT_EQ(s.StartRef, 0xFFFFFFFFu);
}

TEST(CommandOption, ArgWords) {
    struct Case {
        const char* word;
        int index;
        std::int32_t value;
    } cases[] = {
        {"Arg2=0x1F", 2, 31}, {"Arg2=0X1f", 2, 31}, {"Arg2=-5", 2, -5},  {"Arg2:7", 2, 7},
        {"arg0=12", 0, 12},   {"Arg3=0xFFFFFFFF", 3, -1}, {"Arg1=", 1, 0}, {"Arg1", 1, 0},
        {"Arg1=zz", 1, 0},    {"Arg1=0xzz", 1, 0}, {"Arg0=99999999999", 0, INT32_MAX},
        {"Arg0=-99999999999", 0, INT32_MIN}, {"Arg0=0x123456789", 0, -1},
    };
    for (const Case& c : cases) {
        Console console;
        RunSettings s;
        s.Args = {11, 11, 11, 11};
        EXPECT_TRUE(ParseCommandOption(c.word, s, console.file)) << c.word;
        EXPECT_EQ(s.Args[static_cast<std::size_t>(c.index)], c.value) << c.word;
        EXPECT_EQ(console.Text(), "") << c.word;
    }
}

TEST(CommandOption, RejectedWordsPrintTheirMessage) {
    struct Case {
        const char* word;
        const char* message;
    } cases[] = {
        {"Arg7=1", "Invalid Arg Num - 7 (0-3)\n"},
        {"ArgX=1", "Invalid Arg Num - 40 (0-3)\n"},
        {"Arg!=1", "Invalid Arg Num - 241 (0-3)\n"},
        {"Foo=1", "Invalid Arg Foo=1"},
        {"Arg", "Invalid Arg Arg"},
        {"NumMin", "Invalid Arg NumMin"},
    };
    for (const Case& c : cases) {
        Console console;
        RunSettings s;
        EXPECT_FALSE(ParseCommandOption(c.word, s, console.file)) << c.word;
        EXPECT_EQ(console.Text(), c.message);
    }
}

TEST(CaptureName, NeedsANamePartAndFourDigits) {
    EXPECT_TRUE(IsValidCaptureName("line1230"));
    EXPECT_TRUE(IsValidCaptureName("ab0000"));
    EXPECT_TRUE(IsValidCaptureName("line9930"));
    EXPECT_FALSE(IsValidCaptureName("x1230"));
    EXPECT_FALSE(IsValidCaptureName("line12ab"));
    EXPECT_FALSE(IsValidCaptureName("line123"));
    EXPECT_FALSE(IsValidCaptureName(""));
}

}  // namespace
}  // namespace zelmot
