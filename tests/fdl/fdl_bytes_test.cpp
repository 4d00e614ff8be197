// The checked byte view: no access leaves the bytes it was handed, and a
// field location the reader could not give (absent, or past a cut frame)
// reads as missing.
#include <gtest/gtest.h>

#include "fdl/fdl_bytes.h"

namespace zelmot {
namespace {

TEST(FdlBytes, AccessStaysInside) {
    const std::uint8_t bytes[] = {1, 2, 3, 4};
    fdl::Bytes view{bytes, 4};
    EXPECT_EQ(fdl::ByteAt(view, 3), 4);
    EXPECT_EQ(fdl::ByteAt(view, 4), 0);
    EXPECT_EQ(fdl::BigEndianAt(view, 2), 0x0304);
    EXPECT_EQ(fdl::BigEndianAt(view, 3), 0x0400);
    fdl::Bytes middle = fdl::Clip(view, 1, 2);
    EXPECT_EQ(middle.size(), 2u);
    EXPECT_EQ(fdl::ByteAt(middle, 0), 2);
    EXPECT_EQ(fdl::ByteAt(middle, 2), 0);
    EXPECT_EQ(fdl::Clip(view, 2, 10).size(), 2u);
    EXPECT_EQ(fdl::Clip(view, 4, 1).size(), 0u);
    EXPECT_EQ(fdl::Clip(view, 9, 1).size(), 0u);
    EXPECT_EQ(fdl::RestFrom(view, 1).size(), 3u);
    EXPECT_EQ(fdl::RestFrom(view, 5).size(), 0u);
}

TEST(FdlBytes, FieldProbesReadOnlyHeldFields) {
    const std::uint8_t bytes[] = {0x10, 0x85, 0x02};
    fdl::Bytes frame{bytes, 3};
    EXPECT_TRUE(fdl::HoldsField(frame, 1));
    EXPECT_EQ(fdl::FieldByte(frame, 1), 0x85);
    EXPECT_FALSE(fdl::HoldsField(frame, 3));
    EXPECT_EQ(fdl::FieldByte(frame, 3), 0);
    EXPECT_FALSE(fdl::HoldsField(frame, kAbsentField));
    EXPECT_EQ(fdl::FieldByte(frame, kAbsentField), 0);
}

}  // namespace
}  // namespace zelmot
