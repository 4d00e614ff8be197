// Programs prepared into steps against the previous word-by-word evaluator
// (previous_evaluator.h): what preparing folds and resolves, and random
// well-formed programs on random frames.
#include <gtest/gtest.h>

#include <random>

#include "fdl/frame_fields.h"
#include "filter/filter_compiler.h"
#include "filter_test_support.h"
#include "previous_evaluator.h"

namespace zelmot {
namespace {

using test::Bind;

TEST(FilterSteps, ALiteralFoldsIntoTheOperatorAfterIt) {
    struct Case {
        const char* Equation;
        std::size_t Steps;  // the end included
        bool ReadsGaps;
    };
    const Case cases[] = {
        {"SA == 5", 3, false},             // SA, == 5, end
        {"5 == SA", 4, false},             // a literal on the left stays a push
        {"DA == 5 AND FC == SRDL", 6, false},
        {"1 + 2 * 3", 5, false},           // 1, 2, * 3, +, end: only the last literal folds
        {"GapTme > 100", 3, true},
        {"(GapAft) < 0", 3, true},
        {"", 1, false},
    };
    for (const Case& c : cases) {
        FilterState state;
        ASSERT_TRUE(test::ReadEquation(std::string(c.Equation) + "#", state).IsOk()) << c.Equation;
        EXPECT_EQ(state.Steps.size(), c.Steps) << c.Equation;
        EXPECT_EQ(state.ReadsGaps, c.ReadsGaps) << c.Equation;
    }
}

TEST(FilterSteps, AProgramChangedIsPreparedAgain) {
    FilterState state;
    ASSERT_TRUE(test::ReadEquation("SA == 2#", state).IsOk());
    test::TestFrame frame = test::Sd1Frame();  // 5 <- 2
    EXPECT_EQ(EvaluateFilter(state, Bind(frame)), 1);
    ASSERT_TRUE(test::ReadEquation("SA == 3#", state).IsOk());
    EXPECT_EQ(EvaluateFilter(state, Bind(frame)), 0);
    ASSERT_EQ(CompileFilter("O0", state.FilterProgram).ErrorCode, 0);  // SD
    PrepareFilter(state);
    EXPECT_EQ(EvaluateFilter(state, Bind(frame)), 0x10);
}

// A random well-formed postfix program of at most depth levels: operands
// with every inline word the evaluator treats apart, unary and binary
// operators, literals on either side.
void RandomExpression(std::mt19937& random, int depth, std::vector<std::int32_t>& program) {
    auto below = [&](unsigned n) { return static_cast<std::int32_t>(random() % n); };
    const int choice = depth <= 0 ? 0 : below(10);
    if (choice < 4) {
        const Opcode operand = static_cast<Opcode>(Word(Opcode::STS) + below(13));
        program.push_back(Word(operand));
        if (!HasInlineWord(operand)) return;
        const std::int32_t words[] = {0, 1, 2, 3, 4, -1, 7, 9, 65536, -2147483647 - 1, 2147483647, below(300) - 150};
        program.push_back(words[below(std::size(words))]);
        return;
    }
    if (choice < 5) {
        RandomExpression(random, depth - 1, program);
        program.push_back(Word(Opcode::NOT) + below(3));
        return;
    }
    RandomExpression(random, depth - 1, program);
    RandomExpression(random, depth - 1, program);
    program.push_back(Word(Opcode::MULT) + below(16));
}

// A random frame with its fields located as the reader locates them, or
// anywhere.
test::TestFrame RandomFrame(std::mt19937& random) {
    const std::uint8_t delimiters[] = {0x10, 0x68, 0xA2, 0xDC, 0xE5, 0x00};
    test::TestFrame frame;
    frame.bytes.resize(random() % 40);
    for (std::uint8_t& b : frame.bytes) b = static_cast<std::uint8_t>(random());
    if (!frame.bytes.empty()) frame.bytes[0] = delimiters[random() % std::size(delimiters)];
    std::vector<std::uint8_t> withStatus = frame.bytes;
    withStatus.push_back(static_cast<std::uint8_t>(random()));
    LocateFields(frame.in.Fields, withStatus.data(), static_cast<std::uint8_t>(frame.bytes.size()));
    if (random() % 4 == 0) {
        for (std::int16_t* location : {&frame.in.Fields.DA, &frame.in.Fields.FC, &frame.in.Fields.Data})
            *location = static_cast<std::int16_t>(static_cast<int>(random() % 50) - 5);
        frame.in.Fields.DataLen = static_cast<std::uint8_t>(random());
    }
    frame.in.GapUs = static_cast<std::int32_t>(random());
    frame.in.GapAftUs = static_cast<std::int32_t>(random() % 2000) - 1000;
    return frame;
}

TEST(FilterSteps, RandomProgramsGiveWhatThePreviousEvaluatorGave) {
    std::mt19937 random(33);
    for (int round = 0; round < 3000; ++round) {
        FilterState state;
        RandomExpression(random, static_cast<int>(random() % 6), state.FilterProgram);
        state.FilterProgram.push_back(Word(Opcode::START));
        for (std::int32_t& arg : state.FilterArgs) arg = static_cast<std::int32_t>(random());
        for (int f = 0; f < 8; ++f) {
            test::TestFrame frame = RandomFrame(random);
            const FilterInputs in = Bind(frame);
            ASSERT_EQ(EvaluateFilter(state, in), previous::EvaluateWords(state.FilterProgram, state.FilterArgs, in))
                << test::Disassemble(state.FilterProgram);
        }
    }
}

}  // namespace
}  // namespace zelmot
