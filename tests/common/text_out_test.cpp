// The formatting layer against printf, and its buffering.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <string>

#include "common/outcome.h"
#include "common/text_out.h"
#include "common/text_source.h"
#include "support/collect_text.h"
#include "support/format_text.h"

namespace zelmot {
namespace {

using test::CollectText;

std::string Printf(const char* format, auto value) {
    return test::FormatText(format, value);
}

TEST(TextOut, NumbersMatchPrintf) {
    const std::uint64_t unsignedValues[] = {0, 1, 9, 10, 42, 99, 100, 255, 999, 1000, 9999, 10000, 65535,
                                            123456789, 4294967295u, 18446744073709551615ull};
    for (std::uint64_t v : unsignedValues) {
        for (unsigned width : {0u, 1u, 2u, 3u, 4u, 8u, 9u, 15u, 16u, 17u, 25u}) {
            std::string w = std::to_string(width);
            EXPECT_EQ(CollectText([&](TextOut& o) { PutUnsigned(o, v, width); }), Printf(("%" + w + PRIu64).c_str(), v));
            EXPECT_EQ(CollectText([&](TextOut& o) { PutUnsigned(o, v, width, Pad::Zero); }),
                      Printf(("%0" + w + PRIu64).c_str(), v));
            EXPECT_EQ(CollectText([&](TextOut& o) { PutUnsigned(o, v, width, Pad::Left); }),
                      Printf(("%-" + w + PRIu64).c_str(), v));
            EXPECT_EQ(CollectText([&](TextOut& o) { PutHex(o, v, width); }), Printf(("%0" + w + PRIx64).c_str(), v));
        }
    }
    const std::int64_t signedValues[] = {0, -1, 5, -5, -128, 127, -32768, 258, INT64_MIN, INT64_MAX};
    for (std::int64_t v : signedValues) {
        for (unsigned width : {0u, 4u, 6u, 20u}) {
            std::string w = std::to_string(width);
            EXPECT_EQ(CollectText([&](TextOut& o) { PutSigned(o, v, width); }), Printf(("%" + w + PRId64).c_str(), v));
            EXPECT_EQ(CollectText([&](TextOut& o) { PutSigned(o, v, width, Pad::Zero); }),
                      Printf(("%0" + w + PRId64).c_str(), v));
        }
    }
}

TEST(TextOut, TextsOfEveryShortLengthAndHexBytes) {
    std::string source = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (std::size_t n = 0; n <= source.size(); ++n)
        EXPECT_EQ(CollectText([&](TextOut& o) { PutText(o, std::string_view(source).substr(0, n)); }), source.substr(0, n));
    EXPECT_EQ(CollectText([](TextOut& o) {
                  PutHexByte(o, 0x0a);
                  PutHexByte(o, 0xff);
                  PutRepeated(o, '.', 3);
                  PutFormat(o, "[%s %d]", "x", 7);
              }),
              "0aff...[x 7]");
}

TEST(TextOut, PiecesLargerThanTheBufferArriveWhole) {
    std::string big(3 * kWriterBufferSize + 17, 'q');
    std::string text = CollectText([&](TextOut& o) {
        for (int i = 0; i < 50000; ++i) PutUnsigned(o, static_cast<unsigned>(i), 9);
        PutText(o, big);
        PutChar(o, '!');
    });
    EXPECT_EQ(text.size(), 50000u * 9u + big.size() + 1u);
    EXPECT_EQ(text.substr(9 * 49999, 9), "    49999");
    EXPECT_EQ(text.back(), '!');
}

TEST(TextOut, AFileThatCannotBeCreatedIsReported) {
    TextOut out;
    EXPECT_FALSE(OpenTextOutFile(out, "/nonexistent-folder/x.txt"));
    EXPECT_TRUE(CloseTextOut(out));
}

TEST(ErrorText, IsCutTo499Characters) {
    std::string longText(800, 'x');
    Outcome formatted = ErrorText("'%s'", longText.c_str());
    EXPECT_TRUE(formatted.IsError());
    EXPECT_EQ(formatted.Text.size(), 499u);
    EXPECT_EQ(ErrorTextOf(longText).Text.size(), 499u);
    EXPECT_EQ(ErrorTextOf("short").Text, "short");
}

TEST(TextSource, CarriageReturnBeforeLineFeedIsLeftOut) {
    TextSource source;
    source.Text = std::string_view("a\r\nb\rc\r\r\n\r", 10);
    std::string read;
    for (int c = NextTextChar(source); c != kEndOfText; c = NextTextChar(source)) read.push_back(static_cast<char>(c));
    EXPECT_EQ(read, "a\nb\rc\r\n\r");
}

}  // namespace
}  // namespace zelmot
