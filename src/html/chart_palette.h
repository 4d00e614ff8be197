// The colours of the charts, named once: the Okabe-Ito colours that
// colour-blind readers can tell apart for the data, and the greys, ink and
// paper around them. Chart code and the charts' style sheet name a Colour;
// only ColourValue spells it out.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/keyed_rows.h"

namespace zelmot {

enum class Colour : std::uint8_t {
    None,  // no paint
    Blue,
    Vermillion,
    Green,
    Orange,
    Sky,
    Purple,
    Yellow,
    Black,
    White,
    Ink,        // text
    DarkGrey,   // axes, secondary text
    SlateGrey,  // the dashed border of silent addresses
    MidGrey,    // the number of an address not seen
    SilverGrey, // the border of an address not seen
    LineGrey,   // grid lines
    PaleGrey,   // the fill of an address not seen
};

struct ColourRow {
    Colour Key;
    const char* Value;
};
constexpr ColourRow kColourRows[] = {
    {Colour::None, "none"},          {Colour::Blue, "#0072B2"},      {Colour::Vermillion, "#D55E00"},
    {Colour::Green, "#009E73"},      {Colour::Orange, "#E69F00"},    {Colour::Sky, "#56B4E9"},
    {Colour::Purple, "#CC79A7"},     {Colour::Yellow, "#F0E442"},    {Colour::Black, "#000000"},
    {Colour::White, "#ffffff"},      {Colour::Ink, "#1a1a1a"},       {Colour::DarkGrey, "#333333"},
    {Colour::SlateGrey, "#555555"},  {Colour::MidGrey, "#8a8a8a"},   {Colour::SilverGrey, "#d0d0d0"},
    {Colour::LineGrey, "#e3e3e3"},   {Colour::PaleGrey, "#f4f4f4"},
};
static_assert(RowsInKeyOrder(kColourRows, static_cast<std::size_t>(Colour::PaleGrey) + 1));

// The CSS/SVG value of a colour: "#0072B2", or "none".
constexpr const char* ColourValue(Colour colour) { return kColourRows[static_cast<std::size_t>(colour)].Value; }

}  // namespace zelmot
