// Locating the FDL fields of a frame for the filter.
#include <gtest/gtest.h>

#include <array>

#include "fdl/frame_fields.h"

namespace zelmot {
namespace {

FrameFieldView Locate(std::initializer_list<std::uint8_t> bytes, std::uint8_t status = 0) {
    std::array<std::uint8_t, 272> buffer;
    buffer.fill(0xEE);
    std::size_t i = 0;
    for (std::uint8_t b : bytes) buffer[i++] = b;
    auto length = static_cast<std::uint8_t>(bytes.size());
    buffer[length] = status;
    FrameFieldView view;
    LocateFields(view, buffer.data(), length);
    return view;
}

struct Expected {
    std::uint8_t sd, dataLen;
    std::int16_t da, fc, dsap, ssap, data;
};

void ExpectView(const FrameFieldView& v, const Expected& e) {
    EXPECT_EQ(v.SD, e.sd);
    EXPECT_EQ(v.DataLen, e.dataLen);
    EXPECT_EQ(v.DA, e.da);
    EXPECT_EQ(v.FC, e.fc);
    EXPECT_EQ(v.DSAP, e.dsap);
    EXPECT_EQ(v.SSAP, e.ssap);
    EXPECT_EQ(v.Data, e.data);
}

constexpr std::int16_t kNo = kAbsentField;

TEST(FrameFields, ByStartDelimiter) {
    ExpectView(Locate({0x10, 5, 2, 0x49, 0x50, 0x16}), {0x10, 0, 1, 3, kNo, kNo, kNo});
    ExpectView(Locate({0xDC, 2, 5}), {0xDC, 0, 1, kNo, kNo, kNo, kNo});
    ExpectView(Locate({0xE5}), {0xE5, 0, kNo, kNo, kNo, kNo, kNo});
    ExpectView(Locate({0x33, 1}), {0x33, 0, kNo, kNo, kNo, kNo, kNo});
    ExpectView(Locate({0xA2, 5, 2, 0x7D, 1, 2, 3, 4, 5, 6, 7, 8, 0, 0x16}), {0xA2, 8, 1, 3, kNo, kNo, 4});
}

TEST(FrameFields, SapBytesFollowFcInOrder) {
    // LE 5, DA 0x83, SA 0x02: DSAP at 7, data at 8, one data byte left.
    ExpectView(Locate({0x68, 5, 5, 0x68, 0x83, 0x02, 0x5D, 60, 9, 0, 0x16}), {0x68, 1, 4, 6, 7, kNo, 8});
    // Both extension bits: DSAP 7, SSAP 8, data 9, none left.
    ExpectView(Locate({0x68, 5, 5, 0x68, 0x83, 0x82, 0x5D, 60, 62, 0, 0x16}), {0x68, 0, 4, 6, 7, 8, 9});
    // Only SA's bit: SSAP is the byte after FC.
    ExpectView(Locate({0x68, 5, 5, 0x68, 0x03, 0x82, 0x5D, 62, 9, 0, 0x16}), {0x68, 1, 4, 6, kNo, 7, 8});
    ExpectView(Locate({0xA2, 0x85, 0x82, 0x7D, 1, 2, 3, 4, 5, 6, 7, 8, 0, 0x16}), {0xA2, 6, 1, 3, 4, 5, 6});
}

TEST(FrameFields, DataLenWrapsLikeAByte) {
    ExpectView(Locate({0x68, 2, 2, 0x68, 5, 2, 0x5D, 0, 0x16}), {0x68, 255, 4, 6, kNo, kNo, 7});
    ExpectView(Locate({0x68, 3, 3, 0x68, 0x85, 0x82, 0x5D, 0, 0x16}), {0x68, 254, 4, 6, 7, 8, 9});
}

TEST(FrameFields, BytesOutsideTheFrameCountAsZero) {
    // A two-byte SD2 frame: LE is present, DA is not (no SAPs however the buffer looks).
    ExpectView(Locate({0x68, 9}), {0x68, 6, 4, 6, kNo, kNo, 7});
    // A one-byte SD2 frame: no LE, so no data count.
    ExpectView(Locate({0x68}), {0x68, 0, 4, 6, kNo, kNo, 7});
    ExpectView(Locate({0xA2}), {0xA2, 8, 1, 3, kNo, kNo, 4});
}

TEST(FrameFields, ZeroLengthHasOnlyItsStatus) {
    FrameFieldView v = Locate({}, 0x10);
    ExpectView(v, {0, 0, kNo, kNo, kNo, kNo, kNo});
    EXPECT_EQ(v.Status, 0x10);
}

}  // namespace
}  // namespace zelmot
