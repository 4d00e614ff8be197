// WriteFrameColumns: the status column, then the start delimiter's word and
// the frame's shape, which decides whether the frame is decoded field by
// field or shown as a complaint followed by all its bytes in hexadecimal.
#include "output/frame_columns.h"

#include <array>
#include <cstring>
#include <string_view>

#include "capture/capture_frame.h"
#include "fdl/fdl_names.h"
#include "fdl/frame_shape.h"
#include "output/fdl_columns.h"

namespace zelmot {
namespace {

constexpr std::size_t kSd2DaIndex = 4;

// Every status byte as the detailed status column shows it: bit 0 first,
// its letter where the bit is set, '.' where not.
constexpr auto kStatusTexts = [] {
    std::array<std::array<char, 8>, 256> texts{};
    for (unsigned status = 0; status < 256; ++status)
        for (unsigned bit = 0; bit < 8; ++bit) texts[status][bit] = (status >> bit) & 1u ? StatusLetter(bit) : '.';
    return texts;
}();

void WriteStatusColumn(TextOut& out, const DisplayOptions& options, std::uint8_t status) {
    if (!options.DetailSts) {
        PutChar(out, status != 0 ? '*' : ' ');
        return;
    }
    std::memcpy(Reserve(out, 8), kStatusTexts[status].data(), 8);
    out.Used += 8;
}

// A complaint that carries the byte count ("Len(%u)? "), then the raw dump.
void ComplainCount(TextOut& out, fdl::Bytes frame, std::string_view before, std::string_view after) {
    PutText(out, before);
    PutUnsigned(out, frame.size());
    PutText(out, after);
    WriteRawBytes(out, frame);
}

void Complain(TextOut& out, fdl::Bytes frame, std::string_view text) {
    PutText(out, text);
    WriteRawBytes(out, frame);
}

// The byte count is wrong for the delimiter (an empty frame included, whose
// status byte stands where the delimiter would be).
bool CountIsWrong(FrameShape shape) { return shape == FrameShape::NoBytes || shape == FrameShape::Length; }

// A wrong end delimiter is shown inside the decoded body.
void DecodeSd1(TextOut& out, const DisplayOptions& options, fdl::Bytes frame) {
    FrameShape shape = CheckShapeAs(fdl::SD1, frame.data(), frame.size());
    if (CountIsWrong(shape)) return ComplainCount(out, frame, "Len(", ")? ");
    WriteFrameBody(out, options, frame, 1);
}

void DecodeSd2(TextOut& out, const DisplayOptions& options, fdl::Bytes frame) {
    FrameShape shape = CheckShapeAs(fdl::SD2, frame.data(), frame.size());
    if (CountIsWrong(shape)) return ComplainCount(out, frame, "SD2 Len(", ")? ");
    if (shape == FrameShape::Sd2Length) return ComplainCount(out, frame, "SD2 LE?(", ") ");
    if (shape == FrameShape::Sd2LengthRepeat) return Complain(out, frame, "SD2 LEr? ");
    if (shape == FrameShape::Sd2DelimiterRepeat) return Complain(out, frame, "SD2r? ");
    WriteFrameBody(out, options, frame, kSd2DaIndex);
}

void DecodeSd3(TextOut& out, const DisplayOptions& options, fdl::Bytes frame) {
    FrameShape shape = CheckShapeAs(fdl::SD3, frame.data(), frame.size());
    if (CountIsWrong(shape)) return ComplainCount(out, frame, "SD3 Len(", ")? ");
    WriteFrameBody(out, options, frame, 1);
}

// The token frame: its addresses and nothing more.
void DecodeSd4(TextOut& out, const DisplayOptions& options, fdl::Bytes frame) {
    FrameShape shape = CheckShapeAs(fdl::SD4, frame.data(), frame.size());
    if (CountIsWrong(shape)) return ComplainCount(out, frame, "Len(", ")? ");
    WriteAddressColumn(out, options, fdl::ByteAt(frame, 1), fdl::ByteAt(frame, 2));
}

// Blanks as wide as the address column stand in for it, "SHAK " for the FC name.
void DecodeShortAck(TextOut& out, const DisplayOptions& options, fdl::Bytes frame) {
    if (!options.NoDst) PutText(out, "   ");
    if (!(options.NoDst && options.NoSrc)) PutText(out, "  ");
    if (!options.NoSrc) PutText(out, "   ");
    if (!options.NoFc) {
        if (options.ShowFcbTyp) PutText(out, "   ");
        PutText(out, "SHAK ");
    }
    if (CountIsWrong(CheckShapeAs(fdl::SC, frame.data(), frame.size()))) ComplainCount(out, frame, "Len(", ")? ");
}

struct DelimiterRow {
    std::uint8_t Sd;
    std::string_view Word;  // written unless NoDelim
    void (*decode)(TextOut&, const DisplayOptions&, fdl::Bytes frame);
};

constexpr std::array<DelimiterRow, 5> kDelimiters = {{
    {fdl::SD1, "SD1 ", DecodeSd1},
    {fdl::SD2, "SD2 ", DecodeSd2},
    {fdl::SD3, "SD3 ", DecodeSd3},
    {fdl::SD4, "SD4 ", DecodeSd4},
    {fdl::SC, "SC  ", DecodeShortAck},
}};

// sd is the byte at index 0: for a frame of no bytes, its status byte.
void WriteDelimitedFrame(TextOut& out, const DisplayOptions& options, std::uint8_t sd,
                         fdl::Bytes frame) {
    for (const DelimiterRow& row : kDelimiters) {
        if (row.Sd != sd) continue;
        if (!options.NoDelim) PutText(out, row.Word);
        row.decode(out, options, frame);
        return;
    }
    PutText(out, "SD?");
    PutHexByte(out, sd);
    PutChar(out, ' ');
    WriteRawBytes(out, frame);
}

}  // namespace

void WriteFrameColumns(TextOut& out, const DisplayOptions& options, const std::uint8_t* bytes,
                       std::uint8_t count) {
    // The frame bytes and the status byte after them: all that may be read.
    fdl::Bytes record{bytes, std::size_t{count} + 1};
    fdl::Bytes frame = fdl::Clip(record, 0, count);
    WriteStatusColumn(out, options, fdl::ByteAt(record, count));
    if (count == 0) PutText(out, "FrmLen?(0)");
    WriteDelimitedFrame(out, options, fdl::ByteAt(record, 0), frame);
}

}  // namespace zelmot
