// Address, frame-control, SAP, data and raw-byte columns of a decoded frame.
#include "output/fdl_columns.h"

#include <array>
#include <cstring>
#include <string_view>

#include "fdl/fdl_names.h"

namespace zelmot {
namespace {


// A function name, or "Typ?(%02x) " with the whole FC when it has none.
void PutFunctionName(TextOut& out, std::string_view name, std::uint8_t fc) {
    if (!name.empty()) {
        PutText(out, name);
        return;
    }
    PutText(out, "Typ?(");
    PutHexByte(out, fc);
    PutText(out, ") ");
}

void PutRequest(TextOut& out, bool showFcbTyp, std::uint8_t fc) {
    if (showFcbTyp) {
        PutChar(out, (fc & fdl::FcFcbBit) != 0 ? '1' : '0');
        PutText(out, (fc & fdl::FcFcvBit) != 0 ? "v " : "  ");
    }
    PutFunctionName(out, RequestFunctionName(fc), fc);
}

void PutResponse(TextOut& out, bool showFcbTyp, std::uint8_t fc) {
    if (showFcbTyp) PutText(out, StationTypeName(fc));
    PutFunctionName(out, ResponseFunctionName(fc), fc);
}

// Every byte's "%02x " and one more blank, so that a byte's text is one
// four-byte store; the next byte's text overwrites the extra blank.
constexpr auto kHexTexts = [] {
    constexpr char digits[] = "0123456789abcdef";
    std::array<std::array<char, 4>, 256> texts{};
    for (unsigned value = 0; value < 256; ++value) texts[value] = {digits[value >> 4], digits[value & 15], ' ', ' '};
    return texts;
}();

// Each byte as "%02x ", written straight into the output buffer.
void PutHexBytes(TextOut& out, fdl::Bytes data) {
    char* p = Reserve(out, 3 * data.size() + 1);
    for (std::uint8_t value : data) {
        std::memcpy(p, kHexTexts[value].data(), 4);
        p += 3;
    }
    out.Used += 3 * data.size();
}

void PutBytes(TextOut& out, const DisplayOptions& options, fdl::Bytes data) {
    if (!options.DataSgn && !options.DataUns) return PutHexBytes(out, data);
    for (std::size_t i = 0; i < data.size(); ++i) {
        std::uint8_t value = fdl::ByteAt(data, i);
        if (options.DataSgn) {
            PutSigned(out, static_cast<std::int8_t>(value), 4);
        } else {
            PutUnsigned(out, value, 3);
        }
        PutChar(out, ' ');
    }
}

// Words with the first byte of each pair as the high byte; data.size() is even.
void PutWords(TextOut& out, const DisplayOptions& options, fdl::Bytes data) {
    for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
        auto value = static_cast<std::uint16_t>((fdl::ByteAt(data, i) << 8) | fdl::ByteAt(data, i + 1));
        if (options.DataSgn) {
            PutSigned(out, static_cast<std::int16_t>(value), 6);
        } else if (options.DataUns) {
            PutUnsigned(out, value, 5);
        } else {
            PutHex(out, value, 4);
        }
        PutChar(out, ' ');
    }
}

// Every address (0-127) as the address column writes it with both sides
// shown: DA right-justified in three characters with the '<' after it, and
// SA left-justified in three with the blank after it.
struct AddressTexts {
    std::array<char, 4> Destination;
    std::array<char, 4> Source;
};
constexpr auto kAddressTexts = [] {
    std::array<AddressTexts, fdl::AddressMask + 1> texts{};
    for (unsigned address = 0; address <= fdl::AddressMask; ++address) {
        const SmallNumberText& number = kSmallNumbers[address];  // its digits, then blanks
        texts[address].Destination = {' ', ' ', ' ', '<'};
        texts[address].Source = {' ', ' ', ' ', ' '};
        for (unsigned i = 0; i < number.Digits; ++i) {
            texts[address].Destination[3 - number.Digits + i] = number.Text[i];
            texts[address].Source[i] = number.Text[i];
        }
    }
    return texts;
}();

// Every SAP below 100 as two characters, right- and left-justified; "  "
// stands for an absent one (the last row).
constexpr std::size_t kAbsentSap = 100;
struct SapTexts {
    std::array<char, 2> Right;
    std::array<char, 2> Left;
};
constexpr auto kSapTexts = [] {
    std::array<SapTexts, kAbsentSap + 1> texts{};
    for (unsigned sap = 0; sap < kAbsentSap; ++sap) {
        const SmallNumberText& number = kSmallNumbers[sap];  // its digits, then blanks
        texts[sap].Left = {number.Text[0], number.Text[1]};
        texts[sap].Right = number.Digits == 2 ? texts[sap].Left : std::array<char, 2>{' ', number.Text[0]};
    }
    texts[kAbsentSap] = {{' ', ' '}, {' ', ' '}};
    return texts;
}();

}  // namespace

void WriteAddressColumn(TextOut& out, const DisplayOptions& options, std::uint8_t da,
                        std::uint8_t sa) {
    if (!options.NoDst && !options.NoSrc) {  // the usual column: two table copies
        char* p = Reserve(out, 8);
        std::memcpy(p, kAddressTexts[da & fdl::AddressMask].Destination.data(), 4);
        std::memcpy(p + 4, kAddressTexts[sa & fdl::AddressMask].Source.data(), 4);
        out.Used += 8;
        return;
    }
    if (options.NoDst && options.NoSrc) return;
    if (!options.NoDst) PutUnsigned(out, da & fdl::AddressMask, 3);
    PutChar(out, '<');
    if (!options.NoSrc) PutUnsigned(out, sa & fdl::AddressMask, 3, Pad::Left);
    PutChar(out, ' ');
}

void WriteFcColumn(TextOut& out, const DisplayOptions& options, std::uint8_t fc) {
    if (options.NoFc) return;
    if ((fc & fdl::FcRequestBit) != 0) {
        PutRequest(out, options.ShowFcbTyp, fc);
    } else {
        PutResponse(out, options.ShowFcbTyp, fc);
    }
}

void WriteSapColumn(TextOut& out, const DisplayOptions& options, std::uint8_t da, std::uint8_t sa,
                    std::uint8_t dsap, std::uint8_t ssap) {
    if (options.NoDstSap && options.NoSrcSap) return;
    bool showDsap = !options.NoDstSap && HasExtension(da);
    bool showSsap = !options.NoSrcSap && HasExtension(sa);
    if (!options.NoDstSap && !options.NoSrcSap && dsap < kAbsentSap && ssap < kAbsentSap) {
        // The usual column, six characters from the table.
        char* p = Reserve(out, 6);
        std::memcpy(p, kSapTexts[showDsap ? dsap : kAbsentSap].Right.data(), 2);
        p[2] = showDsap || showSsap ? '{' : ' ';
        std::memcpy(p + 3, kSapTexts[showSsap ? ssap : kAbsentSap].Left.data(), 2);
        p[5] = ' ';
        out.Used += 6;
        return;
    }
    if (!options.NoDstSap) {
        if (showDsap) {
            PutUnsigned(out, dsap, 2);
        } else {
            PutText(out, "  ");
        }
    }
    PutChar(out, showDsap || showSsap ? '{' : ' ');
    if (!options.NoSrcSap) {
        if (showSsap) {
            PutUnsigned(out, ssap, 2, Pad::Left);
        } else {
            PutText(out, "  ");
        }
    }
    PutChar(out, ' ');
}

void WriteDataColumn(TextOut& out, const DisplayOptions& options, fdl::Bytes data) {
    if (options.Data16 && data.size() % 2 == 0) {
        PutWords(out, options, data);
    } else {
        PutBytes(out, options, data);
    }
}

void WriteRawBytes(TextOut& out, fdl::Bytes bytes) { PutHexBytes(out, bytes); }

}  // namespace zelmot
