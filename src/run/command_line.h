// The command-line words every program of the family shares: the capture
// name and its checks, NumMin= (and NumMin=all for the companions),
// StartRef=, EndRef=, Arg0= .. Arg3=, their messages and the exit statuses,
// gathered in the one record that a run is started with. Each program adds
// its own names and words on top (zelmot2txt its option file and output).
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

#include "capture/frame_reader.h"

namespace zelmot {

constexpr int kExitSuccess = 0;
constexpr int kExitHelp = 1;
constexpr int kExitFailure = 2;
constexpr int kExitUsage = 3;

struct RunSettings {
    std::string CaptureName;      // as typed
    std::string CaptureBaseName;  // stem of the capture files, directory part kept
    unsigned StartHour = 0;
    unsigned StartMinute = 0;
    std::uint16_t NumMin = 1;
    bool NumMinAll = false;       // companion programs: read minute files until one is missing
    std::uint32_t StartRef = 0;
    std::uint32_t EndRef = 0xFFFFFFFFu;
    std::array<std::int32_t, 4> Args{};
    // The last file's minute, where the one who read the files knows it
    // (the watcher's period reports, whose files may have a recording gap
    // between them); otherwise the report that names the files counts on
    // from the first.
    bool LastFileKnown = false;
    unsigned LastHour = 0;
    unsigned LastMinute = 0;
};

// Prints a program's usage text; the exit status that follows it.
int ShowUsage(const char* usage, std::FILE* console);

// Applies one option word; false (with its message on console) if rejected.
bool ParseCommandOption(const char* word, RunSettings& settings, std::FILE* console);

// The companion programs' form of it: "NumMin=all" as well.
bool ParseSharedOption(const char* word, RunSettings& settings, std::FILE* console);

// The value of an ArgN word: "0x..." in hex, else signed decimal; 0 if the
// text does not scan.
std::int32_t ParseArgValue(const char* text);

// False, with "Invalid NumMin - 0 (1-65535)", when the settings name no file.
bool CheckNumMin(const RunSettings& settings, std::FILE* console);

// True if the capture name ends in four digits after a name part of at
// least two characters.
bool IsValidCaptureName(const std::string& captureName);

// IsValidCaptureName and a minute of 00-59; false with the message on console.
bool CheckCaptureName(const std::string& captureName, std::FILE* console);

// Takes the stem, start hour and start minute from a checked capture name.
void DeriveCaptureNames(const std::string& captureName, RunSettings& settings);

// Which capture files a run with these settings reads: NumMin files, or for
// "NumMin=all" up to a day of them until one is missing.
CaptureRunFiles RunFilesOf(const RunSettings& settings);

constexpr std::uint32_t kMaxMinuteFiles = 1440;  // the names repeat after a day

}  // namespace zelmot
