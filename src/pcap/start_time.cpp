// Start= parsing and the days-from-date count it rests on.
#include "pcap/start_time.h"

#include "common/number_scan.h"

namespace zelmot {
namespace {

bool IsLeapYear(std::int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

unsigned DaysInMonth(std::int64_t year, unsigned month) {
    constexpr unsigned kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// The number of width digits at text[at]; false if any is not a digit.
bool Digits(std::string_view text, std::size_t at, std::size_t width, unsigned& value) {
    DigitRun run = ScanDigitRun(text.substr(at, width), 10);
    value = static_cast<unsigned>(run.Value);
    return run.Length == width;
}

}  // namespace

std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
    // Years counted from March, so the leap day ends the year; eras of 400 years.
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

bool ParseStartTime(std::string_view text, std::int64_t& ns) {
    // YYYY-MM-DDTHH:MM:SS
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || (text[10] != 'T' && text[10] != 't') ||
        text[13] != ':' || text[16] != ':')
        return false;
    unsigned year, month, day, hour, minute, second;
    if (!Digits(text, 0, 4, year) || !Digits(text, 5, 2, month) || !Digits(text, 8, 2, day) ||
        !Digits(text, 11, 2, hour) || !Digits(text, 14, 2, minute) || !Digits(text, 17, 2, second))
        return false;
    if (year < 1970 || year > kLastStartYear || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour > 23 ||
        minute > 59 || second > 59)
        return false;
    const std::int64_t seconds = DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
    ns = seconds * 1000000000;
    return true;
}

}  // namespace zelmot
