// The texts the HTML page inserts: escaping that leaves no markup and no
// invalid UTF-8.
#include <gtest/gtest.h>

#include <string>

#include "html/html_text.h"

namespace zelmot {
namespace {

TEST(HtmlText, EscapesMarkupControlsAndStrayBytes) {
    struct Case {
        std::string In;
        std::string Out;
    };
    const Case cases[] = {
        {"plain name 1200", "plain name 1200"},
        {"<script>a&b</script>", "&lt;script&gt;a&amp;b&lt;/script&gt;"},
        {"x=\"1\" y='2'", "x=&quot;1&quot; y=&#39;2&#39;"},
        {"tab\tline\n", "tab\tline\n"},
        {std::string("nul\0bell\a", 9), "nul&#x2400;bell&#x2407;"},
        {"del\x7f", "del&#x2421;"},
        {"\xC3\xA9t\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
        {"latin1 \xE9t\xE9", "latin1 &#xE9;t&#xE9;"},                 // not UTF-8: Latin-1
        {"cut \xE2\x82", "cut &#xE2;&#x82;"},                            // sequence cut at the end
        {"overlong \xC0\xAF surrogate \xED\xA0\x80", "overlong &#xC0;&#xAF; surrogate &#xED;&#xA0;&#x80;"},
    };
    for (const Case& c : cases) EXPECT_EQ(EscapedText(c.In), c.Out) << c.In;
}

}  // namespace
}  // namespace zelmot
