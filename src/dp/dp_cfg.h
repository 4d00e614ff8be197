// Decoding the configuration identifiers of a Chk_Cfg request or a Get_Cfg
// response, one module at a time, in slot order:
//
//   Bytes cfg = FrameData(frame, fields);
//   for (std::size_t at = 0; at < cfg.size();) {
//       CfgModule module = DecodeCfgModule(cfg, at);
//       ...
//       at = module.Next;
//   }
#pragma once

#include <cstddef>
#include <cstdint>

#include "fdl/fdl_bytes.h"

namespace zelmot::dp {

// The numbers are the keys of the cfg_formats name table; keep them.
enum class CfgFormat : std::uint8_t {
    None = 0,     // no identifier: the offset lies at or past the end
    Empty = 1,    // 0x00, an empty slot
    General = 2,  // one byte: direction, length, words, consistency
    Special = 3,  // length bytes and manufacturer bytes follow
};

enum class CfgFault : std::uint8_t {
    None = 0,
    Cut = 1,             // the identifier's bytes run past the end
    ReservedCount = 2,   // special format with manufacturer count 15
};

// The data of one direction of a module. A module of 2 words has 4 bytes.
struct CfgSize {
    std::uint16_t Bytes = 0;
    bool Words = false;
    bool Consistent = false;
};

struct CfgModule {
    CfgFormat Format = CfgFormat::None;
    CfgFault Fault = CfgFault::None;  // decoding stops at a fault: Next is the end
    std::size_t Offset = 0;  // of the identifier's first byte
    std::size_t Next = 0;    // of the identifier after it
    CfgSize In, Out;
    fdl::Bytes Identifier;    // the identifier's bytes (to the end when faulty)
    fdl::Bytes Manufacturer;  // special format: the manufacturer bytes
};

// The identifier at offset of a configuration; Format None when offset is at
// or past its end.
CfgModule DecodeCfgModule(fdl::Bytes cfg, std::size_t offset);

// The identifiers of a configuration, each a slot; a faulty one (the rest
// undecoded) counts as one.
std::size_t CountCfgIdentifiers(fdl::Bytes cfg);

}  // namespace zelmot::dp
