// UTF-8 without a locale: which byte strings are valid, what MakeValid makes
// of those that are not, and cutting without splitting a character.
#include <gtest/gtest.h>

#include <string>

#include "common/utf8_text.h"

namespace zelmot {
namespace {

TEST(Utf8Text, ValidOnlyInTheShortestFormUpToTheLastCharacter) {
    const struct {
        std::string bytes;
        bool valid;
        std::string made;  // MakeValid; "?" stands for U+FFFD
    } cases[] = {
        {"plain", true, "plain"},
        {"\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80", true, "\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80"},
        {"a\xE4z", false, "a?z"},                 // Latin-1 a-umlaut
        {"\xC0\xAF", false, "??"},                // overlong '/': C0 is never a first byte
        {"\xE0\x80\xAF", false, "?"},             // overlong in three bytes
        {"\xED\xA0\x80", false, "?"},             // a surrogate
        {"\xF4\x90\x80\x80", false, "?"},         // beyond U+10FFFF
        {"\x80x", false, "?x"},                   // a stray continuation byte
        {"\xE2\x82x", false, "?x"},               // cut short, the next byte read again
        {"\xE2\x82", false, "?"},                 // cut short by the end
    };
    for (const auto& c : cases) {
        EXPECT_EQ(utf8::IsValid(c.bytes), c.valid) << c.made;
        std::string made = utf8::MakeValid(c.bytes);
        for (std::size_t at; (at = made.find("\xEF\xBF\xBD")) != std::string::npos;) made.replace(at, 3, "?");
        EXPECT_EQ(made, c.made);
        EXPECT_TRUE(utf8::IsValid(utf8::MakeValid(c.bytes)));
    }
    for (int value = 0; value < 256; ++value)
        EXPECT_TRUE(utf8::IsValid(utf8::MakeValid(std::string(3, static_cast<char>(value))))) << value;
}

TEST(Utf8Text, AppendsAndCutsAtCharacterBoundaries) {
    std::string text;
    for (char32_t code : {U'a', U'\u00E4', U'\u20AC', U'\U0001F600'}) utf8::Append(text, code);
    EXPECT_EQ(text, "a\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80");
    const std::size_t fits[] = {0, 1, 1, 3, 3, 3, 6, 6, 6, 6, 10, 10};
    for (std::size_t max = 0; max < std::size(fits); ++max) EXPECT_EQ(utf8::FitLength(text, max), fits[max]) << max;
}

}  // namespace
}  // namespace zelmot
