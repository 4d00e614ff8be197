// WriteFrameColumns: the status column, then the start delimiter's word and
// the shape tests that decide whether the frame is decoded field by field or
// shown as a complaint followed by all its bytes in hexadecimal.
#include "output/frame_columns.h"

#include <array>
#include <string_view>

#include "output/fdl_columns.h"
#include "common/fdl_names.h"

namespace zelmot {
namespace {

constexpr std::size_t kSd1Count = 6;
constexpr std::size_t kSd2MinCount = 9;
constexpr std::size_t kSd2Overhead = 6;  // SD LE LEr SD and FCS ED around LE bytes
constexpr std::size_t kSd2DaIndex = 4;
constexpr std::size_t kSd3Count = 14;
constexpr std::size_t kSd4Count = 3;
constexpr std::size_t kShortAckCount = 1;

void WriteStatusColumn(TextOut& out, const DisplayOptions& options, std::uint8_t status) {
    if (!options.DetailSts) {
        PutChar(out, status != 0 ? '*' : ' ');
        return;
    }
    char* p = Reserve(out, 8);
    for (unsigned bit = 0; bit < 8; ++bit) p[bit] = (status >> bit) & 1u ? StatusLetter(bit) : '.';
    out.Used += 8;
}

// A complaint that carries the byte count ("Len(%u)? "), then the raw dump.
void ComplainCount(TextOut& out, ByteView frame, std::string_view before, std::string_view after) {
    PutText(out, before);
    PutUnsigned(out, frame.Size);
    PutText(out, after);
    WriteRawBytes(out, frame);
}

void Complain(TextOut& out, ByteView frame, std::string_view text) {
    PutText(out, text);
    WriteRawBytes(out, frame);
}

void DecodeSd1(TextOut& out, const DisplayOptions& options, ByteView frame) {
    if (frame.Size != kSd1Count) return ComplainCount(out, frame, "Len(", ")? ");
    WriteFrameBody(out, options, frame, 1);
}

void DecodeSd2(TextOut& out, const DisplayOptions& options, ByteView frame) {
    if (frame.Size < kSd2MinCount) return ComplainCount(out, frame, "SD2 Len(", ")? ");
    std::uint8_t le = ByteAt(frame, 1);
    if (le != frame.Size - kSd2Overhead) return ComplainCount(out, frame, "SD2 LE?(", ") ");
    if (ByteAt(frame, 2) != le) return Complain(out, frame, "SD2 LEr? ");
    if (ByteAt(frame, 3) != fdl::SD2) return Complain(out, frame, "SD2r? ");
    WriteFrameBody(out, options, frame, kSd2DaIndex);
}

void DecodeSd3(TextOut& out, const DisplayOptions& options, ByteView frame) {
    if (frame.Size != kSd3Count) return ComplainCount(out, frame, "SD3 Len(", ")? ");
    WriteFrameBody(out, options, frame, 1);
}

// The token frame: its addresses and nothing more.
void DecodeSd4(TextOut& out, const DisplayOptions& options, ByteView frame) {
    if (frame.Size != kSd4Count) return ComplainCount(out, frame, "Len(", ")? ");
    WriteAddressColumn(out, options, ByteAt(frame, 1), ByteAt(frame, 2));
}

// Blanks as wide as the address column stand in for it, "SHAK " for the FC name.
void DecodeShortAck(TextOut& out, const DisplayOptions& options, ByteView frame) {
    if (!options.NoDst) PutText(out, "   ");
    if (!(options.NoDst && options.NoSrc)) PutText(out, "  ");
    if (!options.NoSrc) PutText(out, "   ");
    if (!options.NoFc) {
        if (options.ShowFcbTyp) PutText(out, "   ");
        PutText(out, "SHAK ");
    }
    if (frame.Size != kShortAckCount) ComplainCount(out, frame, "Len(", ")? ");
}

struct DelimiterRow {
    std::uint8_t Sd;
    std::string_view Word;  // written unless NoDelim
    void (*decode)(TextOut&, const DisplayOptions&, ByteView frame);
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
                         ByteView frame) {
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
    ByteView record{bytes, std::size_t{count} + 1};
    ByteView frame = SubView(record, 0, count);
    WriteStatusColumn(out, options, ByteAt(record, count));
    if (count == 0) PutText(out, "FrmLen?(0)");
    WriteDelimitedFrame(out, options, ByteAt(record, 0), frame);
}

}  // namespace zelmot
