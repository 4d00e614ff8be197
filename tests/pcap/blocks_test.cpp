// The block writers, the status mapping and the Start= calendar, read back
// through an independent parser.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pcap/link_layer.h"
#include "pcap/packet_status.h"
#include "pcap/pcap_blocks.h"
#include "pcap/start_time.h"
#include "pcap_file_view.h"

namespace zelmot {
namespace {

using test::ReadPcap;

TEST(PcapBlocks, PcapngReadsBackWithEveryOptionAndPadding) {
    ByteString out;
    pcapfile::AppendSectionHeader(out, "zelmot2pcap 9.9");  // 15 bytes: padded
    pcapfile::InterfaceInfo interface{kLinkTypeUser0, "LINE-1", "192.168.1.10", 12000000};
    pcapfile::AppendInterfaceDescription(out, interface);
    // Packets of every length modulo 4, with and without options.
    const std::vector<std::string> comments{"File      : a1200.Zelmot", "Status 0x40 ......c."};
    for (std::uint8_t n = 0; n < 6; ++n) {
        std::vector<std::uint8_t> bytes(n, static_cast<std::uint8_t>(0xA0 + n));
        pcapfile::PacketInfo packet;
        packet.TimeNs = 0x123456789ABCull * (n + 1);
        packet.Bytes = bytes;
        packet.Flags = n % 2 ? kEpbCrcError : 0;
        if (n == 3) packet.Comments = comments;
        pcapfile::AppendEnhancedPacket(out, packet);
    }
    test::ReadFile file = ReadPcap(out);
    ASSERT_TRUE(file.Valid);
    EXPECT_EQ(file.UserAppl, "zelmot2pcap 9.9");
    EXPECT_EQ(file.LinkType, kLinkTypeUser0);
    auto text = [&](std::uint16_t code) {
        const auto& v = file.InterfaceOptions[code];
        return std::string(v.begin(), v.end());
    };
    EXPECT_EQ(text(pcapfile::kIfName), "LINE-1");
    EXPECT_EQ(text(pcapfile::kIfDescription), "192.168.1.10");
    EXPECT_EQ(test::Le64(file.InterfaceOptions[pcapfile::kIfSpeed], 0), 12000000u);
    EXPECT_EQ(file.InterfaceOptions[pcapfile::kIfTsResol], std::vector<std::uint8_t>{9});
    ASSERT_EQ(file.Packets.size(), 6u);
    for (std::uint8_t n = 0; n < 6; ++n) {
        const test::ReadPacket& p = file.Packets[n];
        EXPECT_EQ(p.TimeNs, 0x123456789ABCull * (n + 1));
        EXPECT_EQ(p.Bytes, std::vector<std::uint8_t>(n, static_cast<std::uint8_t>(0xA0 + n)));
        EXPECT_EQ(p.Flags, n % 2 ? kEpbCrcError : 0u);
        EXPECT_EQ(p.Comments, n == 3 ? comments : std::vector<std::string>{});
    }
}

TEST(PcapBlocks, ClassicHeaderAndRecordsUseNanoseconds) {
    ByteString out;
    pcapfile::AppendClassicFileHeader(out, kLinkTypeProfibusDl);
    const std::uint8_t frame[] = {0x10, 0x05, 0x02, 0x49, 0x50, 0x16};
    pcapfile::AppendClassicRecord(out, 43200040087791ull, frame);
    pcapfile::AppendClassicRecord(out, 5000000000ull * 1000000000ull, {});  // beyond 32-bit seconds
    EXPECT_EQ(std::vector<std::uint8_t>(out.begin(), out.begin() + 4), (std::vector<std::uint8_t>{0x4D, 0x3C, 0xB2, 0xA1}));
    test::ReadFile file = ReadPcap(out);
    ASSERT_TRUE(file.Valid);
    EXPECT_TRUE(file.Classic);
    EXPECT_EQ(file.LinkType, kLinkTypeProfibusDl);
    ASSERT_EQ(file.Packets.size(), 2u);
    EXPECT_EQ(file.Packets[0].TimeNs, 43200040087791ull);
    EXPECT_EQ(file.Packets[0].Bytes, std::vector<std::uint8_t>(std::begin(frame), std::end(frame)));
    EXPECT_EQ(file.Packets[1].TimeNs, 0xFFFFFFFFull * 1000000000ull);
}

TEST(PacketStatus, EachStatusBitMapsToItsFlagAndLetter) {
    const struct {
        std::uint8_t status;
        std::uint32_t flags;
        const char* comment;
    } cases[] = {
        {0x01, kEpbSymbolError, "Status 0x01 s......."},
        {0x02, kEpbSymbolError, "Status 0x02 .p......"},
        {0x04, kEpbStartDelimiterError, "Status 0x04 ..d....."},
        {0x08, kEpbStartDelimiterError, "Status 0x08 ...r...."},
        {0x10, kEpbPacketTooShort, "Status 0x10 ....u..."},
        {0x20, kEpbPacketTooLong, "Status 0x20 .....o.."},
        {0x40, kEpbCrcError, "Status 0x40 ......c."},
        {0x80, 0, "Status 0x80 .......e"},
        {0xff, kEpbSymbolError | kEpbStartDelimiterError | kEpbPacketTooShort | kEpbPacketTooLong | kEpbCrcError,
         "Status 0xff spdruoce"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EpbFlagsOfStatus(c.status), c.flags) << int(c.status);
        EXPECT_EQ(StatusComment(c.status), c.comment);
    }
    EXPECT_EQ(EpbFlagsOfStatus(0), 0u);
}

TEST(StartTime, CivilDatesAndTheirChecks) {
    EXPECT_EQ(DaysFromCivil(1970, 1, 1), 0);
    EXPECT_EQ(DaysFromCivil(2000, 3, 1), 11017);
    EXPECT_EQ(DaysFromCivil(1969, 12, 31), -1);
    // Every day from 1970 to 2199 follows the day before it.
    std::int64_t expected = 0;
    for (int year = 1970; year <= 2199; ++year)
        for (unsigned month = 1; month <= 12; ++month) {
            static const unsigned kLengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
            bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
            unsigned days = month == 2 && leap ? 29 : kLengths[month - 1];
            ASSERT_EQ(DaysFromCivil(year, month, 1), expected) << year << "-" << month;
            expected += days;
        }
    const struct {
        const char* text;
        bool ok;
        std::int64_t seconds;
    } cases[] = {
        {"1970-01-01T00:00:00", true, 0},
        {"2024-02-29T23:59:59", true, 1709251199},
        {"2026-12-08t12:00:00", true, 1796731200},
        {"2199-12-31T23:59:59", true, 7258118399},
        {"2023-02-29T00:00:00", false, 0},
        {"2100-02-29T00:00:00", false, 0},
        {"1969-12-31T23:59:59", false, 0},
        {"2200-01-01T00:00:00", false, 0},
        {"2024-13-01T00:00:00", false, 0},
        {"2024-01-01T24:00:00", false, 0},
        {"2024-01-01T00:60:00", false, 0},
        {"2024-01-01 00:00:00", false, 0},
        {"2024-01-01T00:00:0", false, 0},
        {"2024-01-01T00:00:000", false, 0},
        {"+024-01-01T00:00:00", false, 0},
        {"", false, 0},
    };
    for (const auto& c : cases) {
        std::int64_t ns = -7;
        EXPECT_EQ(ParseStartTime(c.text, ns), c.ok) << c.text;
        EXPECT_EQ(ns, c.ok ? c.seconds * 1000000000 : -7) << c.text;
    }
}

}  // namespace
}  // namespace zelmot
