// Listing a capture's minute files: names are matched against the names the
// reader opens (CaptureFileName), so that the two cannot differ.
#include "follow/minute_files.h"

#include <cstdio>
#include <system_error>

#include "capture/capture_format.h"

namespace zelmot {
namespace {

namespace fs = std::filesystem;

std::optional<MinuteFile> StatPath(const fs::path& path, unsigned hour, unsigned minute) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (error || !fs::is_regular_file(status)) return std::nullopt;
    MinuteFile file;
    file.Hour = hour;
    file.Minute = minute;
    file.Written = fs::last_write_time(path, error);
    if (error) return std::nullopt;
    file.Size = fs::file_size(path, error);
    if (error) return std::nullopt;
    return file;
}

int DigitAt(const std::string& text, std::size_t at) {
    const char c = text[at];
    return c >= '0' && c <= '9' ? c - '0' : -1;
}

}  // namespace

MinuteFiles ListMinuteFiles(const std::string& stem) {
    MinuteFiles files;
    const fs::path stemPath(stem);
    const std::string base = stemPath.filename().string();
    fs::path folder = stemPath.parent_path();
    if (folder.empty()) folder = ".";
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        unsigned hour = 0, minute = 0;
        if (MinuteOfFileName(base, it->path().filename().string(), hour, minute))
            files.ByMinute[hour * 60 + minute] = StatPath(it->path(), hour, minute);
    }
    return files;
}

bool MinuteOfFileName(const std::string& base, const std::string& name, unsigned& hour, unsigned& minute) {
    if (name.size() != CaptureFileName(base, 0, 0).size() || name.compare(0, base.size(), base) != 0) return false;
    const std::size_t at = base.size();
    const int d[4] = {DigitAt(name, at), DigitAt(name, at + 1), DigitAt(name, at + 2), DigitAt(name, at + 3)};
    if (d[0] < 0 || d[1] < 0 || d[2] < 0 || d[3] < 0) return false;
    const unsigned h = static_cast<unsigned>(d[0] * 10 + d[1]);
    const unsigned m = static_cast<unsigned>(d[2] * 10 + d[3]);
    if (h > 23 || m > 59 || CaptureFileName(base, h, m) != name) return false;
    hour = h;
    minute = m;
    return true;
}

std::optional<MinuteFile> StatMinuteFile(const std::string& stem, unsigned hour, unsigned minute) {
    return StatPath(fs::path(CaptureFileName(stem, hour, minute)), hour, minute);
}

std::optional<MinuteFile> NewestMinuteFile(const MinuteFiles& files) {
    std::optional<MinuteFile> newest;
    for (const std::optional<MinuteFile>& file : files.ByMinute)
        if (file && (!newest || file->Written > newest->Written)) newest = file;
    return newest;
}

std::optional<MinuteFile> NextFreshFile(const MinuteFiles& files, unsigned hour, unsigned minute, FileTime reference) {
    for (std::uint32_t step = 0; step < kMinutesPerDay; ++step) {
        const std::optional<MinuteFile>& file = files.ByMinute[(hour * 60 + minute + step) % kMinutesPerDay];
        if (file && (file->Written > reference || (step == 0 && file->Written == reference))) return file;
    }
    return std::nullopt;
}

std::string MinuteText(unsigned hour, unsigned minute) {
    char text[8];
    std::snprintf(text, sizeof text, "%02u:%02u", hour % 100, minute % 100);
    return text;
}

}  // namespace zelmot
