// The shape check the text columns and the statistics share: one row per
// test it makes, in its order.
#include <gtest/gtest.h>

#include "fdl/frame_shape.h"
#include "support/capture_builder.h"

namespace zelmot {
namespace {

using test::Bytes;

TEST(FrameShape, NamesTheFirstTestAFrameFails) {
    Bytes sd2 = test::Sd2(3, 0x81, 0x6D, {0x3E, 0x3C});  // 68 05 05 68 03 81 6d 3e 3c fcs 16
    auto with = [](Bytes bytes, std::size_t at, std::uint8_t value) {
        bytes[at] = value;
        return bytes;
    };
    Bytes sd3(14, 0);
    sd3[0] = 0xA2;
    sd3[13] = 0x16;
    const struct {
        const char* What;
        Bytes Frame;
        FrameShape Shape;
    } cases[] = {
        {"SD1", test::Sd1(5, 2, 0x49), FrameShape::Good},
        {"SD1 with SAP bits (no room for SAPs: the body's business)", test::Sd1(0x85, 0x82, 0x49), FrameShape::Good},
        {"SD1 of 4 bytes", {0x10, 0x05, 0x02, 0x49}, FrameShape::Length},
        {"SD1 without ED", with(test::Sd1(5, 2, 0x49), 5, 0x17), FrameShape::EndDelimiter},
        {"SD2", sd2, FrameShape::Good},
        {"SD2 of 8 bytes", Bytes(sd2.begin(), sd2.begin() + 8), FrameShape::Length},
        {"SD2 LE not the count", with(sd2, 1, 6), FrameShape::Sd2Length},
        {"SD2 LEr not LE", with(sd2, 2, 6), FrameShape::Sd2LengthRepeat},
        {"SD2 second SD", with(sd2, 3, 0x10), FrameShape::Sd2DelimiterRepeat},
        {"SD2 without ED", with(sd2, 10, 0x00), FrameShape::EndDelimiter},
        {"SD3", sd3, FrameShape::Good},
        {"SD3 of 13 bytes", Bytes(sd3.begin(), sd3.begin() + 13), FrameShape::Length},
        {"SD4", test::Token(2, 1), FrameShape::Good},
        {"SD4 of 2 bytes", {0xDC, 0x02}, FrameShape::Length},
        {"SC", test::ShortAck(), FrameShape::Good},
        {"SC of 2 bytes", {0xE5, 0xE5}, FrameShape::Length},
        {"no delimiter", {0x42, 0x05}, FrameShape::NoDelimiter},
        {"no bytes", {}, FrameShape::NoBytes},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckFrameShape(c.Frame.data(), c.Frame.size()), c.Shape) << c.What;
}

}  // namespace
}  // namespace zelmot
