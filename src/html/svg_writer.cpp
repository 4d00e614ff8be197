// The SVG element writer: keeps the stack of open elements, so that every
// element is closed once and in order, and writes numbers with to_chars.
#include "html/svg_writer.h"

#include <cassert>
#include <charconv>
#include <cmath>
#include <system_error>

#include "html/html_text.h"
#include "report/number_text.h"

namespace zelmot {

namespace {

// The shortest form of a double is far shorter than its fixed form.
constexpr std::size_t kMaxShortestChars = kMaxFixedChars;

char* WriteShortest(char* at, double value) {
    assert(std::isfinite(value));
    const std::to_chars_result result = std::to_chars(at, at + kMaxShortestChars, value);
    assert(result.ec == std::errc{});
    return result.ptr;
}

void PutNumber(TextOut& out, SvgNumber number) {
    assert(std::isfinite(number.Value));
    PutFixed(out, number.Value, number.Decimals);
}

void PutPieces(TextOut& out, std::initializer_list<SvgPiece> pieces) {
    for (const SvgPiece& piece : pieces) {
        if (piece.IsNumber) PutNumber(out, piece.Number);
        else PutEscaped(out, piece.Text);
    }
}

void EndStartTag(SvgWriter& svg) {
    if (!svg.StartTagOpen) return;
    PutChar(*svg.Out, '>');
    if (svg.Open.size() == 1) PutChar(*svg.Out, '\n');
    svg.StartTagOpen = false;
}

void OpenAttribute(SvgWriter& svg, std::string_view name) {
    assert(svg.StartTagOpen);  // attributes belong to the start tag just opened
    PutChar(*svg.Out, ' ');
    PutText(*svg.Out, name);
    PutText(*svg.Out, "=\"");
}

void CloseAttribute(SvgWriter& svg) { PutChar(*svg.Out, '"'); }

}  // namespace

void OpenSvgElement(SvgWriter& svg, std::string_view name) {
    assert(svg.Out != nullptr);
    EndStartTag(svg);
    PutChar(*svg.Out, '<');
    PutText(*svg.Out, name);
    svg.Open.push_back(name);
    svg.StartTagOpen = true;
}

void PutSvgAttribute(SvgWriter& svg, std::string_view name, std::string_view text) {
    OpenAttribute(svg, name);
    PutEscaped(*svg.Out, text);
    CloseAttribute(svg);
}

void PutSvgAttribute(SvgWriter& svg, std::string_view name, const char* text) {
    PutSvgAttribute(svg, name, std::string_view(text));
}

void PutSvgAttribute(SvgWriter& svg, std::string_view name, SvgNumber number) {
    OpenAttribute(svg, name);
    PutNumber(*svg.Out, number);
    CloseAttribute(svg);
}

void PutSvgAttribute(SvgWriter& svg, std::string_view name, double value) {
    OpenAttribute(svg, name);
    char* at = Reserve(*svg.Out, kMaxShortestChars);
    svg.Out->Used += static_cast<std::size_t>(WriteShortest(at, value) - at);
    CloseAttribute(svg);
}

void PutSvgAttribute(SvgWriter& svg, std::string_view name, std::initializer_list<SvgPiece> pieces) {
    OpenAttribute(svg, name);
    PutPieces(*svg.Out, pieces);
    CloseAttribute(svg);
}

void PutSvgText(SvgWriter& svg, std::string_view text) {
    assert(!svg.Open.empty());
    EndStartTag(svg);
    PutEscaped(*svg.Out, text);
}

void CloseSvgElement(SvgWriter& svg) {
    assert(!svg.Open.empty());
    if (svg.StartTagOpen) {
        PutText(*svg.Out, "/>");
        svg.StartTagOpen = false;
    } else {
        PutText(*svg.Out, "</");
        PutText(*svg.Out, svg.Open.back());
        PutChar(*svg.Out, '>');
    }
    svg.Open.pop_back();
    if (svg.Open.size() <= 1) PutChar(*svg.Out, '\n');
}

void AppendSvgPieces(std::string& value, std::initializer_list<SvgPiece> pieces) {
    for (const SvgPiece& piece : pieces) {
        if (!piece.IsNumber) {
            value += piece.Text;  // escaped when the value is written
            continue;
        }
        assert(std::isfinite(piece.Number.Value));
        AppendFixed(value, piece.Number.Value, piece.Number.Decimals);
    }
}

}  // namespace zelmot
