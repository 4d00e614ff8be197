// The shared option words, the capture name's checks and the names derived
// from it.
#include "run/command_line.h"

#include <limits>

#include "common/ascii.h"
#include "common/number_scan.h"

namespace zelmot {
namespace {

using ascii::StartsWithNoCase;

// Blanks and one sign, as the C library's number conversions take them;
// true for '-'.
bool SkipBlanksAndSign(const char*& p) {
    while (ascii::IsSpace(*p)) ++p;
    if (*p != '+' && *p != '-') return false;
    return *p++ == '-';
}

// Reads an unsigned decimal as "%u" would, beyond the range saturating at
// max; leaves value unchanged if no number can be read. As there, a '-'
// negates modulo 2^64, so every negative value but 0 saturates.
template <typename T>
void ScanUnsigned(const char* text, T& value) {
    const char* p = text;
    bool negative = SkipBlanksAndSign(p);
    DigitRun run = ScanDigitRun(p, 10, std::numeric_limits<T>::max());
    if (run.Length == 0) return;
    value = negative && run.Value != 0 ? std::numeric_limits<T>::max() : static_cast<T>(run.Value);
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
        // As "%x" reads it: blanks, a sign, a second "0x" before a hex digit.
        const char* p = text + 2;
        bool negative = SkipBlanksAndSign(p);
        if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && ascii::IsHexDigit(p[2])) p += 2;
        DigitRun run = ScanDigitRun(p, 16, 0xFFFFFFFFu);
        if (run.Length == 0) return 0;
        // A negative value but 0 lies beyond 32 bits once negated modulo 2^64.
        std::uint32_t bits = negative && run.Value != 0 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(run.Value);
        return static_cast<std::int32_t>(bits);
    }
    const char* p = text;
    bool negative = SkipBlanksAndSign(p);
    DigitRun run = ScanDigitRun(p, 10);
    if (run.Length == 0) return 0;
    constexpr std::uint64_t kMinMagnitude = std::uint64_t{1} << 31;
    if (negative) return run.Value >= kMinMagnitude ? INT32_MIN : -static_cast<std::int32_t>(run.Value);
    return run.Value > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(run.Value);
}

int ShowUsage(const char* usage, std::FILE* console) {
    std::fputs(usage, console);
    return kExitUsage;
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
