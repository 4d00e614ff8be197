// DisplayOptions: what the option file chose for every line of the output
// text. ReadOptionFile resets and fills it; every other part only reads it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "options/time_layout.h"

namespace zelmot {

// A time column's unit layout, such as "hr:mn:sc.ms,us,ns": 0 to 19
// characters; empty means the column is absent. Set by SetTimeFormat, which
// works out the Layout the column is written by.
struct TimeFormat {
    char Text[20] = {};
    TimeLayout Layout;
    bool Present() const { return Text[0] != '\0'; }
};

// A text of more than 19 characters is cut (the option reader refuses one).
inline void SetTimeFormat(TimeFormat& format, std::string_view text) {
    format = TimeFormat{};
    const std::size_t length = text.size() < sizeof format.Text ? text.size() : sizeof format.Text - 1;
    std::memcpy(format.Text, text.data(), length);
    format.Layout = TimeLayoutOf(format.Text);
}

// A gap bar graph: Width 0 means absent, else 5-100 characters; FullScale in
// nanoseconds fills the whole width.
struct GraphSpec {
    std::uint8_t Width = 0;
    std::int64_t FullScale = 0;
    // floor((2^64 - 1) / FullScale) for a positive FullScale, set with it by
    // the option reader, so that a bar's length takes a multiplication
    // rather than a division; 0 (not worked out) means divide.
    std::uint64_t Reciprocal = 0;
};

// The reciprocal that goes with a full scale.
inline std::uint64_t GraphReciprocalOf(std::int64_t fullScale) {
    return fullScale > 0 ? ~std::uint64_t{0} / static_cast<std::uint64_t>(fullScale) : 0;
}

struct DisplayOptions {
    bool NoRef = false;
    bool ShowFileOfs = false;
    bool NoDelim = false;
    bool NoDst = false;
    bool NoSrc = false;
    bool NoFc = false;
    bool NoDstSap = false;
    bool NoSrcSap = false;
    bool NoData = false;
    bool NoBad = false;
    bool DataSgn = false;
    bool DataUns = false;
    bool Data16 = false;
    bool DetailSts = false;
    bool ShowFcbTyp = false;
    bool ShowFcs = false;
    bool ShowOnlyActive = false;
    TimeFormat TmeAbs;
    TimeFormat TmeGap;
    TimeFormat TmeGapAft;
    TimeFormat TmeDelta;
    GraphSpec GrphGap;
    GraphSpec GrphGapAft;
    GraphSpec GrphDelta;
};

// Whether any time or graph column reads a frame's times (the filter may
// too: FilterState::ReadsGaps).
inline bool TimeColumnsShown(const DisplayOptions& o) {
    return o.TmeAbs.Present() || o.TmeGap.Present() || o.TmeGapAft.Present() || o.TmeDelta.Present() ||
           o.GrphGap.Width != 0 || o.GrphGapAft.Width != 0 || o.GrphDelta.Width != 0;
}

}  // namespace zelmot
