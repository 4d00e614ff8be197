// The colours of the charts, named once: the Okabe-Ito colours that
// colour-blind readers can tell apart for the data, and the greys, ink and
// paper around them. Chart code and the charts' style sheet name a Colour;
// only ColourValue spells it out.
#pragma once

#include <array>
#include <cstdint>

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

// ORDER Colour
constexpr std::array<const char*, 17> kColourValues = {
    "none",    "#0072B2", "#D55E00", "#009E73", "#E69F00", "#56B4E9", "#CC79A7", "#F0E442", "#000000",
    "#ffffff", "#1a1a1a", "#333333", "#555555", "#8a8a8a", "#d0d0d0", "#e3e3e3", "#f4f4f4"};
static_assert(kColourValues.size() == static_cast<std::size_t>(Colour::PaleGrey) + 1);

// The CSS/SVG value of a colour: "#0072B2", or "none".
constexpr const char* ColourValue(Colour colour) { return kColourValues[static_cast<std::size_t>(colour)]; }

}  // namespace zelmot
