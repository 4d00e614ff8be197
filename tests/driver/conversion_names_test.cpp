// The names zelmot2txt derives from its two arguments: the capture stem and
// start time, the option file and the output next to the captures.
#include <gtest/gtest.h>

#include "driver/conversion_run.h"

namespace zelmot {
namespace {

TEST(CaptureName, DerivedNames) {
    ConversionSettings n;
    DeriveConversionNames("D:\\logs\\line1230", "C:\\opts\\brief", n);
    EXPECT_EQ(n.OptionFileName, "C:\\opts\\brief.opt");
    EXPECT_EQ(n.OptionBaseName, "brief");
    EXPECT_EQ(n.OutputName, "D:\\logs\\line1230_brief.txt");
    EXPECT_EQ(n.Run.CaptureBaseName, "D:\\logs\\line");
    EXPECT_EQ(n.Run.StartHour, 12u);
    EXPECT_EQ(n.Run.StartMinute, 30u);

    DeriveConversionNames("/var/cap/line9960", "opts/a/brief", n);
    EXPECT_EQ(n.OptionBaseName, "brief");
    EXPECT_EQ(n.OptionFileName, "opts/a/brief.opt");
    EXPECT_EQ(n.OutputName, "/var/cap/line9960_brief.txt");
    EXPECT_EQ(n.Run.CaptureBaseName, "/var/cap/line");
    EXPECT_EQ(n.Run.StartHour, 99u);
    EXPECT_EQ(n.Run.StartMinute, 60u);

    DeriveConversionNames("line0001", "brief", n);
    EXPECT_EQ(n.OptionBaseName, "brief");
    EXPECT_EQ(n.OutputName, "line0001_brief.txt");
}

}  // namespace
}  // namespace zelmot
