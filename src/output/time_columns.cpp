// The time and graph columns of one line. A time value is written in the
// unit layout of its time format (worked out when the option file was
// read): the first unit written is blank-filled, later ones zero-filled; a
// negative value as its magnitude with a '-' directly before the first
// digit of the first unit written. A bar graph never divides by zero.
#include <array>
#include <cassert>
#include <cstring>
#include <string_view>

#include "output/time_columns.h"

namespace zelmot {
namespace {

// Whole hours (not reduced), then minutes, seconds, ms, us and ns of a
// magnitude, in LayoutUnit's order: the whole seconds and the fraction are
// taken apart first, and each is then split on its own (floor division
// nests, so the hours are the seconds divided by 3,600).
void UnitValues(std::uint64_t magnitude, std::uint64_t (&values)[kTimeUnitCount]) {
    const std::uint64_t seconds = magnitude / 1'000'000'000;
    const auto fraction = static_cast<std::uint32_t>(magnitude % 1'000'000'000);
    values[5] = fraction % 1000;
    values[4] = fraction / 1000 % 1000;
    values[3] = fraction / 1'000'000;
    values[2] = seconds % 60;
    values[1] = seconds / 60 % 60;
    values[0] = seconds / 3600;
}

// A unit after the first, at p: zero-filled to its width of 2 or 3 (the
// last two of the three digits); its value is below 1000, and below 100
// where the width is 2 (hours, the only unreduced unit, can only come
// first), so the four bytes copied lie in the table. Writes up to two bytes
// past the unit, which the next pieces overwrite.
char* PutLaterUnit(char* p, std::uint64_t value, unsigned width) {
    assert(value < (width == 3 ? 1000u : 100u));
    std::memcpy(p, kThreeDigits.data() + 4 * value + 3 - width, 4);
    return p + width;
}

// The first unit, at p: blank-filled to width (at most 3), the sign taking
// a blank's place; at most 21 bytes (a sign and 20 digits; hours, the only
// unreduced unit, have at most 7 digits, the others at most 3).
char* PutFirstUnit(char* p, std::uint64_t value, unsigned width, bool negative) {
    char digits[24];
    char* const end = digits + sizeof digits;
    char* d = end;
    do {
        *--d = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    if (negative) *--d = '-';
    const auto length = static_cast<std::size_t>(end - d);
    if (width > length) {
        std::memset(p, ' ', width - length);
        p += width - length;
    }
    std::memcpy(p, d, length);
    return p + length;
}

// A unit's separator, if it has one. Writes the byte in any case (a '\0'
// that the next piece overwrites or that lies past the text).
[[gnu::always_inline]] inline char* PutSeparator(char* p, char separator) {
    *p = separator;
    return p + (separator != '\0');
}

// A unit after the first, if the layout shows it, with its separator.
[[gnu::always_inline]] inline char* PutLater(char* p, const TimeLayout& layout, LayoutUnit unit,
                                             std::uint64_t value) {
    const auto u = static_cast<std::size_t>(unit);
    if (!layout.Later[u]) return p;
    return PutSeparator(PutLaterUnit(p, value, kTimeUnitWidths[u]), layout.Separator[u]);
}

// The fraction's units after a prefix of at most 16 bytes: three
// characters and one separator each, and the spare byte of the last unit's
// copy.
constexpr std::size_t kFractionText = 16 + 3 * 4 + 1;
// A whole value: its first unit and separator, then the units after it
// with theirs, and the spare byte.
constexpr std::size_t kWholeTimeText = 21 + 1 + (kTimeUnitCount - 1) * 4 + 1;

// A whole value at p, its units in the layout's order.
char* PutWholeTime(char* p, std::int64_t valueNs, const TimeLayout& layout) {
    const bool negative = valueNs < 0;
    const std::uint64_t magnitude =
        negative ? 0u - static_cast<std::uint64_t>(valueNs) : static_cast<std::uint64_t>(valueNs);
    std::uint64_t values[kTimeUnitCount];
    UnitValues(magnitude, values);
    const auto first = static_cast<std::size_t>(layout.First);
    p = PutFirstUnit(p, values[first], kTimeUnitWidths[first], negative);
    p = PutSeparator(p, layout.Separator[first]);
    p = PutLater(p, layout, LayoutUnit::Minutes, values[1]);
    p = PutLater(p, layout, LayoutUnit::Seconds, values[2]);
    p = PutLater(p, layout, LayoutUnit::Milli, values[3]);
    p = PutLater(p, layout, LayoutUnit::Micro, values[4]);
    return PutLater(p, layout, LayoutUnit::Nano, values[5]);
}

// A value of fraction ns (under one second) in a layout with a zero text,
// after prefix, the text of its whole seconds (the zero text or one kept).
[[gnu::always_inline]] inline void WriteFraction(TextOut& out, std::uint32_t ns, const char (&prefix)[16],
                                                 std::uint8_t prefixLength, const TimeLayout& layout) {
    char* const start = Reserve(out, kFractionText);
    std::memcpy(start, prefix, sizeof prefix);
    char* p = start + prefixLength;
    p = PutLater(p, layout, LayoutUnit::Milli, ns / 1'000'000);
    p = PutLater(p, layout, LayoutUnit::Micro, ns / 1000 % 1000);
    p = PutLater(p, layout, LayoutUnit::Nano, ns % 1000);
    out.Used += static_cast<std::size_t>(p - start);
}

void WriteWholeTime(TextOut& out, std::int64_t valueNs, const TimeLayout& layout) {
    if (layout.Count == 0) return;
    char* const start = Reserve(out, kWholeTimeText);
    out.Used += static_cast<std::size_t>(PutWholeTime(start, valueNs, layout) - start);
}

// The same, keeping the text of its whole seconds: a value of at least one
// second in a layout with a zero text.
void WriteWholeTimeKeepingSeconds(TextOut& out, std::int64_t valueNs, const TimeLayout& layout,
                                  KeptSeconds& kept) {
    assert(layout.ZeroPrefixLength != 0 && valueNs >= 0);
    char* const start = Reserve(out, kWholeTimeText);
    char* const end = PutWholeTime(start, valueNs, layout);
    out.Used += static_cast<std::size_t>(end - start);
    // The text before the fraction's units is that of the whole seconds.
    const auto length = static_cast<std::size_t>(end - start) - layout.FractionLength;
    if (length > sizeof kept.Text) return;
    std::memcpy(kept.Text, start, length);
    kept.Length = static_cast<std::uint8_t>(length);
    kept.Seconds = valueNs / 1'000'000'000;
}

// Delays and gaps are mostly under a second, and an absolute time stays in
// one second for thousands of lines: those take the short way, without the
// larger units.
[[gnu::always_inline]] inline void PutTime(TextOut& out, std::int64_t valueNs, const TimeLayout& layout,
                                           KeptSeconds& kept) {
    constexpr std::int64_t kOneSecond = 1'000'000'000;
    if (layout.ZeroPrefixLength != 0 && valueNs >= 0) {
        if (valueNs < kOneSecond)
            return WriteFraction(out, static_cast<std::uint32_t>(valueNs), layout.ZeroPrefix,
                                 layout.ZeroPrefixLength, layout);
        const std::int64_t seconds = valueNs / kOneSecond;
        if (seconds == kept.Seconds)
            return WriteFraction(out, static_cast<std::uint32_t>(valueNs - seconds * kOneSecond), kept.Text,
                                 kept.Length, layout);
        return WriteWholeTimeKeepingSeconds(out, valueNs, layout, kept);
    }
    WriteWholeTime(out, valueNs, layout);
}

[[gnu::always_inline]] inline void WriteTimeColumn(TextOut& out, std::string_view label, const TimeFormat& format,
                                                   std::int64_t valueNs, KeptSeconds& kept) {
    if (!format.Present()) return;
    PutText(out, label);
    PutTime(out, valueNs, format.Layout, kept);
}

__extension__ typedef __int128 Wide;

void PutOverflowMark(TextOut& out, std::uint8_t width) {
    PutChar(out, '*');
    if (width < 2) return;
    PutRepeated(out, ' ', width - 2u);
    PutChar(out, '*');
}

// product / fullScale for a product below 2^63, by the reciprocal
// R = floor((2^64 - 1) / F): the high half of product x R falls short of
// the quotient by less than product / 2^64 + product / (F x 2^64) < 1, so
// it is the quotient or one less, which the remainder tells.
std::uint64_t DivideByReciprocal(std::uint64_t product, std::uint64_t fullScale, std::uint64_t reciprocal) {
    __extension__ typedef unsigned __int128 WideUnsigned;
    std::uint64_t quotient = static_cast<std::uint64_t>((WideUnsigned{product} * reciprocal) >> 64);
    if (product - quotient * fullScale >= fullScale) ++quotient;
    return quotient;
}

// 0 <= value <= fullScale here, so the count is at most width.
std::uint8_t DotCount(std::uint8_t width, std::int64_t valueNs, std::int64_t fullScaleNs, std::uint64_t reciprocal) {
    if (valueNs <= 0 || fullScaleNs <= 0) return 0;
    std::int64_t product;
    if (!__builtin_mul_overflow(valueNs, std::int64_t{width}, &product)) {  // the usual case
        if (reciprocal != 0)
            return static_cast<std::uint8_t>(DivideByReciprocal(static_cast<std::uint64_t>(product),
                                                                static_cast<std::uint64_t>(fullScaleNs), reciprocal));
        return static_cast<std::uint8_t>(product / fullScaleNs);
    }
    return static_cast<std::uint8_t>(Wide{valueNs} * width / fullScaleNs);
}

// Bars up to this width (the option allows 100) are written by fixed-size
// copies of these.
constexpr std::size_t kShortBar = 128;
constexpr auto kDots = [] {
    std::array<char, kShortBar> dots{};
    dots.fill('.');
    return dots;
}();
constexpr auto kBlanks = [] {
    std::array<char, kShortBar> blanks{};
    blanks.fill(' ');
    return blanks;
}();

// A bar wider than kShortBar.
[[gnu::noinline]] void PutWideGraph(TextOut& out, std::uint8_t width, std::int64_t valueNs,
                                    std::int64_t fullScaleNs, std::uint64_t reciprocal) {
    if (valueNs > fullScaleNs) return PutOverflowMark(out, width);
    const std::uint8_t dots = DotCount(width, valueNs, fullScaleNs, reciprocal);
    PutRepeated(out, '.', dots);
    if (dots == width) return;
    PutRepeated(out, ' ', width - dots - 1u);
    PutChar(out, '|');
}

// Two fixed-size copies, the second starting at the first's end, of which
// the first width characters count: a quarter of each table where the bar
// fits it.
[[gnu::always_inline]] inline void PutRuns(char* p, const char* first, std::size_t firstLength, const char* second,
                                           std::uint8_t width) {
    if (width <= kShortBar / 4) {
        std::memcpy(p, first, kShortBar / 4);
        std::memcpy(p + firstLength, second, kShortBar / 4);
    } else {
        std::memcpy(p, first, kShortBar);
        std::memcpy(p + firstLength, second, kShortBar);
    }
}

// One bar of exactly width characters: dots for the share of the width,
// "|" marking the end, "*" at both ends for a value above full scale.
[[gnu::always_inline]] inline void PutGraph(TextOut& out, std::uint8_t width, std::int64_t valueNs,
                                            std::int64_t fullScaleNs, std::uint64_t reciprocal) {
    if (width == 0) return;
    assert(reciprocal == 0 || reciprocal == GraphReciprocalOf(fullScaleNs));
    if (width > kShortBar) [[unlikely]]
        return PutWideGraph(out, width, valueNs, fullScaleNs, reciprocal);
    // The usual bar: a run of dots and a run of blanks, then the mark; or
    // the overflow mark, blanks between two '*' (one for a width of 1).
    char* p = Reserve(out, 2 * kShortBar);
    if (valueNs > fullScaleNs) {
        PutRuns(p, kBlanks.data(), 0, kBlanks.data(), width);
        p[0] = '*';
        p[width - 1] = '*';
    } else {
        const std::uint8_t dots = DotCount(width, valueNs, fullScaleNs, reciprocal);
        PutRuns(p, kDots.data(), dots, kBlanks.data(), width);
        if (dots < width) p[width - 1] = '|';
    }
    out.Used += width;
}

[[gnu::always_inline]] inline void WriteGraphColumn(TextOut& out, std::string_view label, const GraphSpec& graph,
                                                    std::int64_t valueNs) {
    if (graph.Width == 0) return;
    PutText(out, label);
    PutGraph(out, graph.Width, valueNs, graph.FullScale, graph.Reciprocal);
}

}  // namespace

void WriteTime(TextOut& out, std::int64_t valueNs, const TimeLayout& layout, KeptSeconds& kept) {
    PutTime(out, valueNs, layout, kept);
}

void WriteGraph(TextOut& out, std::uint8_t width, std::int64_t valueNs, std::int64_t fullScaleNs,
                std::uint64_t reciprocal) {
    PutGraph(out, width, valueNs, fullScaleNs, reciprocal);
}

// Each column as its label and its value, in fixed order.
void WriteTimeColumns(TextOut& out, const DisplayOptions& options, const FrameTiming& now, KeptTimeTexts& kept) {
    WriteTimeColumn(out, "a", options.TmeAbs, now.AbsTime, kept.Abs);
    WriteTimeColumn(out, "d", options.TmeDelta, now.DeltaTime, kept.Delta);
    WriteGraphColumn(out, "d", options.GrphDelta, now.DeltaTime);
    WriteTimeColumn(out, "g", options.TmeGap, now.GapTime, kept.Gap);
    WriteGraphColumn(out, "g", options.GrphGap, now.GapTime);
    WriteTimeColumn(out, "ga", options.TmeGapAft, now.GapAfterTime, kept.GapAfter);
    WriteGraphColumn(out, "ga", options.GrphGapAft, now.GapAfterTime);
}

}  // namespace zelmot
