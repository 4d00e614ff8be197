// The SVG element writer: elements closed in order ("/>" when empty), one
// line per element directly inside the root, texts and attribute values
// escaped, numbers rounded as printf rounds them and never cut.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "html/svg_writer.h"
#include "report/number_text.h"

namespace zelmot {
namespace {

std::string Written(const std::function<void(SvgWriter&)>& write) {
    std::string text;
    TextOut out;
    OpenTextOutMemory(out, &text);
    SvgWriter svg{&out};
    write(svg);
    EXPECT_TRUE(svg.Open.empty());
    CloseTextOut(out);
    return text;
}

TEST(SvgWriter, WritesNestedElementsEscapedTextsAndNumbers) {
    struct Case {
        const char* Name;
        std::function<void(SvgWriter&)> Write;
        std::string Expected;
    };
    const Case cases[] = {
        {"an empty root closes itself",
         [](SvgWriter& svg) {
             OpenSvgElement(svg, "svg");
             CloseSvgElement(svg);
         },
         "<svg/>\n"},
        {"children of the root on lines of their own, deeper ones inline",
         [](SvgWriter& svg) {
             OpenSvgElement(svg, "svg");
             PutSvgAttribute(svg, "role", "img");
             OpenSvgElement(svg, "title");
             PutSvgText(svg, "t");
             CloseSvgElement(svg);
             OpenSvgElement(svg, "g");
             OpenSvgElement(svg, "line");
             CloseSvgElement(svg);
             OpenSvgElement(svg, "text");
             PutSvgText(svg, "");
             CloseSvgElement(svg);
             CloseSvgElement(svg);
             CloseSvgElement(svg);
         },
         "<svg role=\"img\">\n<title>t</title>\n<g><line/><text></text></g>\n</svg>\n"},
        {"texts and attribute values escaped",
         [](SvgWriter& svg) {
             OpenSvgElement(svg, "text");
             PutSvgAttribute(svg, "class", "a\"b'c");
             PutSvgAttribute(svg, "d", {"M<", Px(1), "&"});
             PutSvgText(svg, "x < y & \"z\"");
             CloseSvgElement(svg);
         },
         "<text class=\"a&quot;b&#39;c\" d=\"M&lt;1.0&amp;\">\nx &lt; y &amp; &quot;z&quot;</text>\n"},
        {"coordinates to a tenth, rounded as printf, negative zero kept",
         [](SvgWriter& svg) {
             OpenSvgElement(svg, "path");
             PutSvgAttribute(svg, "d", {"M", Px(2.25), " ", Px(2.35), "H", Px(-0.04), "V", Px(123456789.96), "Z"});
             PutSvgAttribute(svg, "width", SvgNumber{960, 0});
             PutSvgAttribute(svg, "height", SvgNumber{0.5, 0});
             CloseSvgElement(svg);
         },
         "<path d=\"M2.2 2.4H-0.0V123456790.0Z\" width=\"960\" height=\"0\"/>\n"},
        {"style numbers in their shortest form",
         [](SvgWriter& svg) {
             OpenSvgElement(svg, "line");
             PutSvgAttribute(svg, "stroke-width", 1.5);
             PutSvgAttribute(svg, "r", 16.0);
             PutSvgAttribute(svg, "fill-opacity", 0.18);
             PutSvgAttribute(svg, "y", -6.0);
             CloseSvgElement(svg);
         },
         "<line stroke-width=\"1.5\" r=\"16\" fill-opacity=\"0.18\" y=\"-6\"/>\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(Written(c.Write), c.Expected) << c.Name;
}

// Long path data is built piece by piece; its numbers are printf's, in
// full up to the largest double.
TEST(SvgWriter, PiecesAppendedToALongValueMatchPrintf) {
    std::string value;
    std::string reference;
    for (double v : {0.05, 0.15, 0.25, -1e-9, 1.7976931348623157e308, 9007199254740993.0}) {
        for (int decimals : {0, 1, 3, 9}) {
            AppendSvgPieces(value, {"L", SvgNumber{v, decimals}});
            std::vector<char> text(kMaxFixedChars + 2);  // the "L" and the NUL
            std::snprintf(text.data(), text.size(), "L%.*f", decimals, v);
            reference += text.data();
        }
    }
    EXPECT_EQ(value, reference);
}

}  // namespace
}  // namespace zelmot
