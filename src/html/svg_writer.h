// Markup of the inline SVG charts, written element by element: open an
// element, give it attributes (a text, a number, or a value put together
// from texts and numbers), then content (child elements or escaped text),
// then close it, as "/>" when it got no content. Numbers are written with
// std::to_chars straight into the output, so nothing is ever cut. The
// layout is fixed: the root's start tag and every element directly inside
// the root end a line; deeper elements stay on their parent's line.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "common/text_out.h"

namespace zelmot {

struct SvgWriter {
    TextOut* Out = nullptr;
    std::vector<std::string_view> Open = {};  // names of the open elements, the root first
    bool StartTagOpen = false;           // the innermost start tag still takes attributes
};

// A number with a fixed count of decimals (0-9), rounded as printf's "%.*f".
struct SvgNumber {
    double Value = 0;
    int Decimals = 0;
};
// A coordinate in CSS pixels: one decimal.
constexpr SvgNumber Px(double value) { return SvgNumber{value, 1}; }

// A piece of an attribute value: a text (written escaped) or a number.
struct SvgPiece {
    SvgPiece(std::string_view text) : Text(text) {}
    SvgPiece(const char* text) : Text(text) {}
    SvgPiece(const std::string& text) : Text(text) {}
    SvgPiece(SvgNumber number) : Number(number), IsNumber(true) {}
    std::string_view Text;
    SvgNumber Number;
    bool IsNumber = false;
};

// Starts <name; the parent's start tag is ended first.
void OpenSvgElement(SvgWriter& svg, std::string_view name);
// name="value" in the start tag just opened.
void PutSvgAttribute(SvgWriter& svg, std::string_view name, std::string_view text);
void PutSvgAttribute(SvgWriter& svg, std::string_view name, const char* text);
void PutSvgAttribute(SvgWriter& svg, std::string_view name, SvgNumber number);
// The shortest form that reads back as value: 1.5, 16, 0.18.
void PutSvgAttribute(SvgWriter& svg, std::string_view name, double value);
void PutSvgAttribute(SvgWriter& svg, std::string_view name, std::initializer_list<SvgPiece> pieces);
// Text content of the open element, escaped.
void PutSvgText(SvgWriter& svg, std::string_view text);
// Ends the innermost open element.
void CloseSvgElement(SvgWriter& svg);

// Appends pieces to a value built up over many steps (a long path).
void AppendSvgPieces(std::string& value, std::initializer_list<SvgPiece> pieces);

}  // namespace zelmot
