// The shared option words, the capture name's checks and the names derived
// from it.
#include "run/command_line.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "common/ascii.h"

namespace zelmot {
namespace {

using ascii::StartsWithNoCase;

// Past leading white space and one sign: whether a number follows.
bool NumberFollows(const char* p, bool (*isDigit)(char)) {
    while (ascii::IsSpace(*p)) ++p;
    if (*p == '+' || *p == '-') ++p;
    return isDigit(*p);
}

bool IsDecimal(char c) { return ascii::IsDigit(c); }
bool IsHex(char c) { return ascii::IsHexDigit(c); }

// Reads an unsigned decimal as "%u" would, beyond the range saturating at
// max; leaves value unchanged if no number can be read.
template <typename T>
void ScanUnsigned(const char* text, T& value) {
    if (!NumberFollows(text, IsDecimal)) return;
    errno = 0;
    unsigned long long scanned = std::strtoull(text, nullptr, 10);
    if (errno == ERANGE || scanned > std::numeric_limits<T>::max())
        scanned = std::numeric_limits<T>::max();
    value = static_cast<T>(scanned);
}

bool ParseArgWord(const char* word, RunSettings& settings, std::FILE* console) {
    std::uint8_t index = static_cast<std::uint8_t>(static_cast<unsigned char>(word[3]) - '0');
    if (index > 3) {
        std::fprintf(console, "Invalid Arg Num - %u (0-3)\n", static_cast<unsigned>(index));
        return false;
    }
    // The fifth character (normally '=') is passed over whatever it is.
    const char* value = word[4] != '\0' ? word + 5 : word + 4;
    settings.Args[index] = ParseArgValue(value);
    return true;
}

}  // namespace

std::int32_t ParseArgValue(const char* text) {
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        const char* hex = text + 2;
        if (!NumberFollows(hex, IsHex)) return 0;
        errno = 0;
        unsigned long long scanned = std::strtoull(hex, nullptr, 16);
        if (errno == ERANGE || scanned > 0xFFFFFFFFull) scanned = 0xFFFFFFFFull;
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(scanned));
    }
    if (!NumberFollows(text, IsDecimal)) return 0;
    errno = 0;
    long long scanned = std::strtoll(text, nullptr, 10);
    if (scanned > INT32_MAX) return INT32_MAX;
    if (scanned < INT32_MIN) return INT32_MIN;
    return static_cast<std::int32_t>(scanned);
}

bool ParseCommandOption(const char* word, RunSettings& settings, std::FILE* console) {
    if (StartsWithNoCase(word, "NumMin=")) {
        ScanUnsigned(word + 7, settings.NumMin);
        return true;
    }
    if (StartsWithNoCase(word, "StartRef=")) {
        ScanUnsigned(word + 9, settings.StartRef);
        return true;
    }
    if (StartsWithNoCase(word, "EndRef=")) {
        ScanUnsigned(word + 7, settings.EndRef);
        return true;
    }
    if (StartsWithNoCase(word, "Arg") && word[3] != '\0') return ParseArgWord(word, settings, console);
    std::fprintf(console, "Invalid Arg %s", word);
    return false;
}

bool IsValidCaptureName(const std::string& captureName) {
    if (captureName.size() < 6) return false;
    for (std::size_t i = captureName.size() - 4; i < captureName.size(); ++i)
        if (!ascii::IsDigit(captureName[i])) return false;
    return true;
}

bool ParseSharedOption(const char* word, RunSettings& settings, std::FILE* console) {
    if (ascii::EqualsNoCase(word, "NumMin=all")) {
        settings.NumMinAll = true;
        return true;
    }
    if (StartsWithNoCase(word, "NumMin=")) settings.NumMinAll = false;  // the later word wins
    return ParseCommandOption(word, settings, console);
}

bool CheckNumMin(const RunSettings& settings, std::FILE* console) {
    if (settings.NumMinAll || settings.NumMin != 0) return true;
    std::fputs("Invalid NumMin - 0 (1-65535)\n", console);
    return false;
}

bool CheckCaptureName(const std::string& captureName, std::FILE* console) {
    if (!IsValidCaptureName(captureName)) {
        std::fprintf(console,
                     "Invalid Capture File Name %s\n"
                     "It must be in the following form:\n"
                     "<name>HHMM.Zelmot\n"
                     "Note:\n"
                     "<name> is the user defined portion of the name\n"
                     "HH is the hour   offset\n"
                     "MM is the minute offset\n",
                     captureName.c_str());
        return false;
    }
    const char* digits = captureName.c_str() + captureName.size() - 2;
    unsigned minute = static_cast<unsigned>((digits[0] - '0') * 10 + (digits[1] - '0'));
    if (minute > 59) {
        std::fprintf(console, "Invalid Capture File Name Minute - %02u (00-59)\n", minute);
        return false;
    }
    return true;
}

void DeriveCaptureNames(const std::string& captureName, RunSettings& settings) {
    settings.CaptureName = captureName;
    const char* digits = captureName.c_str() + captureName.size() - 4;
    settings.StartHour = static_cast<unsigned>((digits[0] - '0') * 10 + (digits[1] - '0'));
    settings.StartMinute = static_cast<unsigned>((digits[2] - '0') * 10 + (digits[3] - '0'));
    settings.CaptureBaseName = captureName.substr(0, captureName.size() - 4);
}

CaptureRunFiles RunFilesOf(const RunSettings& settings) {
    CaptureRunFiles files;
    files.CaptureBaseName = settings.CaptureBaseName;
    files.StartHour = settings.StartHour;
    files.StartMinute = settings.StartMinute;
    files.NumMin = settings.NumMinAll ? kMaxMinuteFiles : settings.NumMin;
    files.MissingFileEnds = settings.NumMinAll;
    return files;
}

}  // namespace zelmot
