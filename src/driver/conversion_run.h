// One conversion run: option file, output text, the capture files' frames
// numbered, timed, filtered and written line by line.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

#include "common/outcome.h"

namespace zelmot {

struct RunSettings {
    std::string CaptureBaseName;  // stem of the capture files, directory part kept
    std::string OutputName;
    std::string OptionFileName;   // with its ".opt"
    unsigned StartHour = 0;
    unsigned StartMinute = 0;
    std::uint16_t NumMin = 1;
    std::uint32_t StartRef = 0;
    std::uint32_t EndRef = 0xFFFFFFFFu;
    std::array<std::int32_t, 4> Args{};
};

// Runs the whole conversion; progress lines go to console. Success, or the
// message of the first fault. Both files are closed either way.
Outcome RunConversion(const RunSettings& settings, std::FILE* console);

}  // namespace zelmot
