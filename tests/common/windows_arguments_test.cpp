// The quoting of a Windows command line: each argument comes back from the
// C runtime's splitting as it was (backslashes count only before a quote).
#include <gtest/gtest.h>

#include "common/windows_arguments.h"

namespace zelmot {
namespace {

TEST(WindowsArguments, EachArgumentIsQuotedSoThatItSplitsBackUnchanged) {
    struct Case {
        std::string Arg;
        std::string Quoted;
    } cases[] = {
        {"notify", "notify"},
        {"C:\\tools\\notify.exe", "C:\\tools\\notify.exe"},
        {"", "\"\""},
        {"PLC team", "\"PLC team\""},
        {"tab\there", "\"tab\there\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"C:\\dir with space\\", "\"C:\\dir with space\\\\\""},
        {"a\\\\\"b", "\"a\\\\\\\\\\\"b\""},  // two backslashes before a quote: four, then \"
        {"a\\b c", "\"a\\b c\""},           // a backslash not before a quote stays one
    };
    for (const Case& c : cases) EXPECT_EQ(QuoteWindowsArgument(c.Arg), c.Quoted) << c.Arg;
    EXPECT_EQ(WindowsCommandLine({"ticket", "--queue", "PLC team", ""}), "ticket --queue \"PLC team\" \"\"");
    EXPECT_EQ(WindowsCommandLine({}), "");
}

}  // namespace
}  // namespace zelmot
