// Test support: reads an exported pcapng or classic pcap file back into its
// packets, checking the framing of every block on the way (lengths at both
// ends, four-byte padding, option lists that end), so that the tests compare
// what a reader sees rather than byte positions.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zelmot::test {

struct ReadPacket {
    std::uint64_t TimeNs = 0;
    std::vector<std::uint8_t> Bytes;
    std::uint32_t Flags = 0;
    std::vector<std::string> Comments;
};

struct ReadFile {
    bool Valid = false;
    bool Classic = false;
    std::uint16_t LinkType = 0;
    std::string UserAppl;
    std::map<std::uint16_t, std::vector<std::uint8_t>> InterfaceOptions;
    std::vector<ReadPacket> Packets;
};

inline std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
inline std::uint16_t Le16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}
inline std::uint64_t Le64(const std::vector<std::uint8_t>& b, std::size_t at) {
    return Le32(b, at) | static_cast<std::uint64_t>(Le32(b, at + 4)) << 32;
}

// Options from at to end (the block's trailing length): code -> values.
inline bool ReadOptions(const std::vector<std::uint8_t>& b, std::size_t at, std::size_t end,
                        std::multimap<std::uint16_t, std::vector<std::uint8_t>>& out) {
    while (at + 4 <= end) {
        std::uint16_t code = Le16(b, at), length = Le16(b, at + 2);
        if (code == 0) return length == 0 && at + 4 == end;
        std::size_t padded = (length + 3u) & ~3u;
        if (at + 4 + padded > end) return false;
        out.emplace(code, std::vector<std::uint8_t>(b.begin() + at + 4, b.begin() + at + 4 + length));
        at += 4 + padded;
    }
    return at == end && out.empty();  // no options at all
}

inline ReadFile ReadPcap(const std::vector<std::uint8_t>& b) {
    ReadFile file;
    if (b.size() >= 24 && Le32(b, 0) == 0xA1B23C4D) {
        file.Classic = true;
        file.LinkType = static_cast<std::uint16_t>(Le32(b, 20));
        std::size_t at = 24;
        while (at + 16 <= b.size()) {
            ReadPacket p;
            p.TimeNs = Le32(b, at) * 1000000000ull + Le32(b, at + 4);
            std::uint32_t n = Le32(b, at + 8);
            if (Le32(b, at + 12) != n || at + 16 + n > b.size()) return file;
            p.Bytes.assign(b.begin() + at + 16, b.begin() + at + 16 + n);
            file.Packets.push_back(p);
            at += 16 + n;
        }
        file.Valid = at == b.size();
        return file;
    }
    std::size_t at = 0;
    while (at + 12 <= b.size()) {
        std::uint32_t type = Le32(b, at), total = Le32(b, at + 4);
        if (total % 4 != 0 || total < 12 || at + total > b.size() || Le32(b, at + total - 4) != total) return file;
        std::size_t end = at + total - 4;
        std::multimap<std::uint16_t, std::vector<std::uint8_t>> options;
        if (type == 0x0A0D0D0A) {
            if (Le32(b, at + 8) != 0x1A2B3C4D || !ReadOptions(b, at + 24, end, options)) return file;
            auto appl = options.find(4);
            if (appl != options.end()) file.UserAppl.assign(appl->second.begin(), appl->second.end());
        } else if (type == 1) {
            file.LinkType = Le16(b, at + 8);
            if (!ReadOptions(b, at + 16, end, options)) return file;
            for (auto& [code, value] : options) file.InterfaceOptions[code] = value;
        } else if (type == 6) {
            ReadPacket p;
            p.TimeNs = static_cast<std::uint64_t>(Le32(b, at + 12)) << 32 | Le32(b, at + 16);
            std::uint32_t n = Le32(b, at + 20);
            if (Le32(b, at + 24) != n || at + 28 + n > end) return file;
            p.Bytes.assign(b.begin() + at + 28, b.begin() + at + 28 + n);
            if (!ReadOptions(b, at + 28 + ((n + 3u) & ~3u), end, options)) return file;
            for (auto& [code, value] : options) {
                if (code == 1) p.Comments.emplace_back(value.begin(), value.end());
                if (code == 2 && value.size() == 4) p.Flags = Le32(value, 0);
            }
            file.Packets.push_back(p);
        } else {
            return file;
        }
        at += total;
    }
    file.Valid = at == b.size();
    return file;
}

}  // namespace zelmot::test
