// The command line: option words, the capture name's checks and the names
// derived from the two positional arguments.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

namespace zelmot {

struct CommandSettings {
    std::uint16_t NumMin = 1;
    std::uint32_t StartRef = 0;
    std::uint32_t EndRef = 0xFFFFFFFFu;
    std::array<std::int32_t, 4> Args{};
};

// Applies one option word; false (with its message on console) if rejected.
bool ParseCommandOption(const char* word, CommandSettings& settings, std::FILE* console);

// The value of an ArgN word: "0x..." in hex, else signed decimal; 0 if the
// text does not scan.
std::int32_t ParseArgValue(const char* text);

struct CaptureNames {
    std::string CaptureName;      // as typed
    std::string CaptureBaseName;  // without the HHMM
    unsigned StartHour = 0;
    unsigned StartMinute = 0;
    std::string OptionFileName;   // second argument + ".opt"
    std::string OptionBaseName;   // second argument after its last '\' or '/'
    std::string OutputName;       // CaptureName + "_" + OptionBaseName + ".txt"
};

// True if the capture name ends in four digits after a name part of at
// least two characters.
bool IsValidCaptureName(const std::string& captureName);

// Derives every name from the two arguments (the capture name already checked).
CaptureNames DeriveNames(const std::string& captureName, const std::string& optionArgument);

}  // namespace zelmot
