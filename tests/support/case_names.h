// Names for the cases of parameterised tests, so that a listing and a
// failure say which case ran ("Decimal/NumberReads.ValueAndCursor/3_12abc_def"
// and GetParam() = "12abc def") instead of an index and a byte dump. A case
// type gives its text with CaseText(const Case&), found by argument-dependent
// lookup; CaseNamer turns it into a test name and PrintTo into the printout.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>

namespace zelmot::test {

// The case's index (which keeps names unique), then its text with every run
// of characters other than letters and digits made one '_', at most 40 long.
inline std::string CaseNameOf(std::size_t index, const std::string& text) {
    std::string name = std::to_string(index);
    bool gap = true;
    for (unsigned char c : text) {
        if (name.size() >= 40) break;
        if (std::isalnum(c) != 0) {
            if (gap) name.push_back('_');
            name.push_back(static_cast<char>(c));
            gap = false;
        } else {
            gap = true;
        }
    }
    return name;
}

struct CaseNamer {
    template <typename Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
        return CaseNameOf(info.index, CaseText(info.param));
    }
};

// The printout of a case: its text, quoted, with control bytes escaped.
inline void PrintCaseText(const std::string& text, std::ostream* os) {
    *os << '"';
    for (unsigned char c : text) {
        if (c < 0x20 || c >= 0x7F) {
            static constexpr char kHex[] = "0123456789abcdef";
            *os << "\\x" << kHex[c >> 4] << kHex[c & 15];
        } else {
            *os << static_cast<char>(c);
        }
    }
    *os << '"';
}

}  // namespace zelmot::test
