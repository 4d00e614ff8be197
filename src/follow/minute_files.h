// The minute files of a capture in its folder, as a follower sees them:
// which of the day's 1440 names exist, when each was last written and how
// long it is. The recorder writes one file a minute and the names repeat
// after a day, so a file counts as new only when it was written after the
// file read before it was last written (file times are coarse: the next
// minute's file may carry the same time, a later one may not).
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace zelmot {

inline constexpr std::uint32_t kMinutesPerDay = 1440;

using FileTime = std::filesystem::file_time_type;

struct MinuteFile {
    unsigned Hour = 0;
    unsigned Minute = 0;
    FileTime Written{};
    std::uint64_t Size = 0;
};

// The capture's files present now, by minute of the day (hour * 60 + minute).
struct MinuteFiles {
    std::array<std::optional<MinuteFile>, kMinutesPerDay> ByMinute;
};

// Reads the folder of stem ("<folder>/<name>") for "<name>HHMM.Zelmot";
// a folder that cannot be read gives none.
MinuteFiles ListMinuteFiles(const std::string& stem);

// The minute of name when it is the file name "<base>HHMM.Zelmot" of a
// capture called base (a file name, no folder); false for another name.
bool MinuteOfFileName(const std::string& base, const std::string& name, unsigned& hour, unsigned& minute);

// One file's state now; nullopt when it is not there.
std::optional<MinuteFile> StatMinuteFile(const std::string& stem, unsigned hour, unsigned minute);

// The file written last; nullopt with none.
std::optional<MinuteFile> NewestMinuteFile(const MinuteFiles& files);

// The first file at or after hour:minute (in the order of the day, round
// midnight) written after reference -- the one at hour:minute itself also
// when written at the same time; nullopt with none.
std::optional<MinuteFile> NextFreshFile(const MinuteFiles& files, unsigned hour, unsigned minute, FileTime reference);

// "03:12"
std::string MinuteText(unsigned hour, unsigned minute);

}  // namespace zelmot
