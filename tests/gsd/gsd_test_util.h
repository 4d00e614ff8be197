// Test helpers for the device file reader: texts read under the name
// "t.gsd", the test data files, and a slot list in words.
#pragma once

#include <string>

#include "gsd/gsd_config_match.h"
#include "gsd/gsd_device.h"
#include "gsd/gsd_reader.h"

namespace zelmot::test {

inline std::string GsdDataPath(const std::string& name) {
    return std::string(ZELMOT_SOURCE_DIR) + "/tests/gsd/data/" + name;
}

// Reads "#Profibus_DP\n" + body; the body's first line is line 2.
inline GsdDevice ReadGsdBody(const std::string& body) {
    GsdDevice device;
    Outcome result = ReadGsdText("#Profibus_DP\n" + body, "t.gsd", device);
    EXPECT_TRUE(result.IsOk()) << result.Text;
    return device;
}

inline GsdDevice ReadGsdData(const std::string& name) {
    GsdDevice device;
    Outcome result = ReadGsdFile(GsdDataPath(name), device);
    EXPECT_TRUE(result.IsOk()) << result.Text;
    return device;
}

}  // namespace zelmot::test
