// The single columns of a decoded frame: frame control names and flags, data
// formats, raw dump, and the checked byte view they all read through.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fdl/fdl_bytes.h"
#include "output/fdl_columns.h"
#include "support/collect_text.h"

namespace zelmot {
namespace {

using test::CollectText;

std::string Fc(std::uint8_t fc, bool showFcbTyp = false) {
    DisplayOptions options;
    options.ShowFcbTyp = showFcbTyp;
    return CollectText([&](TextOut& out) { WriteFcColumn(out, options, fc); });
}

std::string Data(const DisplayOptions& options, std::vector<std::uint8_t> bytes) {
    return CollectText([&](TextOut& out) { WriteDataColumn(out, options, fdl::Bytes(bytes.data(), bytes.size())); });
}

DisplayOptions DataFormat(bool sgn, bool uns, bool words) {
    DisplayOptions options;
    options.DataSgn = sgn;
    options.DataUns = uns;
    options.Data16 = words;
    return options;
}

TEST(FcColumn, RequestNamesIgnoreFcbAndFcv) {
    const char* names[] = {"MTM1 ", "MSRD ", "MSDN ", "SDAL ", "SDNL ", "SDAH ", "SDNH ", "RDD  ",
                           "GSRD ", "RFDL ", "MDLY ", "MKEP ", "SRDL ", "SRDH ", "RIR  ", "RLSR "};
    for (unsigned function = 0; function < 16; ++function) {
        for (unsigned fcbFcv : {0x00u, 0x10u, 0x20u, 0x30u}) {
            EXPECT_EQ(Fc(static_cast<std::uint8_t>(0x40 | fcbFcv | function)), names[function]);
        }
    }
}

TEST(FcColumn, Mtm2AndUnknownRequests) {
    EXPECT_EQ(Fc(0xc0), "MTM2 ");
    EXPECT_EQ(Fc(0xf0), "MTM2 ");
    EXPECT_EQ(Fc(0x40), "MTM1 ");
    EXPECT_EQ(Fc(0x60), "MTM1 ");
    EXPECT_EQ(Fc(0xc5), "Typ?(c5) ");
    EXPECT_EQ(Fc(0xff), "Typ?(ff) ");
    // The whole byte, FCB and FCV included, is shown.
    EXPECT_EQ(Fc(0xe1, true), "1  Typ?(e1) ");
}

TEST(FcColumn, FcbAndFcv) {
    EXPECT_EQ(Fc(0x4d, true), "0  SRDH ");
    EXPECT_EQ(Fc(0x5d, true), "0v SRDH ");
    EXPECT_EQ(Fc(0x6d, true), "1  SRDH ");
    EXPECT_EQ(Fc(0x7d, true), "1v SRDH ");
}

TEST(FcColumn, ResponseNamesAndUnknowns) {
    const char* names[] = {"OK   ", "UE   ", "RR   ", "RS   ", nullptr, nullptr, nullptr, nullptr,
                           "DL   ", "NR   ", "DH   ", nullptr, "RDL  ", "RDH  ", nullptr, nullptr};
    for (unsigned function = 0; function < 16; ++function) {
        for (unsigned high : {0x00u, 0x30u, 0x80u}) {
            auto fc = static_cast<std::uint8_t>(high | function);
            std::string expected = names[function] != nullptr
                                       ? names[function]
                                       : "Typ?(" + CollectText([&](TextOut& out) { PutHexByte(out, fc); }) + ") ";
            EXPECT_EQ(Fc(fc), expected) << int(fc);
        }
    }
    EXPECT_EQ(Fc(0x04), "Typ?(04) ");
    EXPECT_EQ(Fc(0xbf), "Typ?(bf) ");
}

TEST(FcColumn, StationTypes) {
    EXPECT_EQ(Fc(0x08, true), "ss DL   ");
    EXPECT_EQ(Fc(0x10, true), "mn OK   ");
    EXPECT_EQ(Fc(0x20, true), "mr OK   ");
    EXPECT_EQ(Fc(0xb0, true), "mi OK   ");
    EXPECT_EQ(Fc(0x3e, true), "mi Typ?(3e) ");
}

TEST(FcColumn, NoFcWritesNothing) {
    DisplayOptions options;
    options.NoFc = true;
    options.ShowFcbTyp = true;
    EXPECT_EQ(CollectText([&](TextOut& out) { WriteFcColumn(out, options, 0x7d); }), "");
}

TEST(DataColumn, ByteFormats) {
    std::vector<std::uint8_t> bytes = {0x00, 0x7f, 0x80, 0xff};
    EXPECT_EQ(Data(DataFormat(false, false, false), bytes), "00 7f 80 ff ");
    EXPECT_EQ(Data(DataFormat(true, false, false), bytes), "   0  127 -128   -1 ");
    EXPECT_EQ(Data(DataFormat(false, true, false), bytes), "  0 127 128 255 ");
    // DataSgn wins over DataUns.
    EXPECT_EQ(Data(DataFormat(true, true, false), bytes), "   0  127 -128   -1 ");
}

TEST(DataColumn, WordFormats) {
    std::vector<std::uint8_t> bytes = {0x01, 0x02, 0x80, 0x00, 0xff, 0xff, 0x7f, 0xff};
    EXPECT_EQ(Data(DataFormat(false, false, true), bytes), "0102 8000 ffff 7fff ");
    EXPECT_EQ(Data(DataFormat(true, false, true), bytes), "   258 -32768     -1  32767 ");
    EXPECT_EQ(Data(DataFormat(false, true, true), bytes), "  258 32768 65535 32767 ");
    EXPECT_EQ(Data(DataFormat(true, true, true), bytes), "   258 -32768     -1  32767 ");
}

TEST(DataColumn, OddCountFallsBackToBytes) {
    std::vector<std::uint8_t> bytes = {0x01, 0x02, 0xfe};
    EXPECT_EQ(Data(DataFormat(false, false, true), bytes), "01 02 fe ");
    EXPECT_EQ(Data(DataFormat(true, false, true), bytes), "   1    2   -2 ");
    EXPECT_EQ(Data(DataFormat(false, false, true), {}), "");
}

TEST(RawBytes, EveryByteInHex) {
    std::vector<std::uint8_t> bytes = {0x00, 0x0a, 0xf0};
    EXPECT_EQ(CollectText([&](TextOut& out) { WriteRawBytes(out, fdl::Bytes(bytes.data(), bytes.size())); }),
              "00 0a f0 ");
    EXPECT_EQ(CollectText([&](TextOut& out) { WriteRawBytes(out, fdl::Bytes()); }), "");
}

}  // namespace
}  // namespace zelmot
