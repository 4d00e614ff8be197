// Decoding a Slave_Diag response: the six standard bytes, then the blocks of
// the extended diagnosis one at a time, so that a diagnosis of any number of
// blocks decodes in constant memory:
//
//   SlaveDiag diag = DecodeSlaveDiag(FrameData(frame, fields));
//   for (std::size_t at = kDiagHeaderSize; at < diag.Data.size();) {
//       DiagBlock block = DecodeDiagBlock(diag.Data, at, dpv1);
//       ...
//       at = block.Next;
//   }
//
// Every span points into the frame the caller handed in.
#pragma once

#include <cstddef>
#include <cstdint>

#include "fdl/fdl_bytes.h"
#include "dp/dp_codes.h"

namespace zelmot::dp {

struct SlaveDiag {
    bool Cut = false;  // fewer than the six standard bytes; missing ones read 0
    std::uint8_t Status1 = 0;  // Station_status_1 (kStationNotReady ...)
    std::uint8_t Status2 = 0;  // Station_status_2 (kPrmReq ...)
    std::uint8_t Status3 = 0;  // Station_status_3 (kExtDiagOverflow)
    std::uint8_t MasterAdd = kNoMaster;  // kNoMaster: none
    std::uint16_t IdentNumber = 0;
    // Bits a slave must not send as they are: Station_status_2 without its
    // always-set bit, reserved bits of Station_status_2 and _3 set.
    bool FixedBitClear = false;
    bool ReservedBitsSet = false;
    fdl::Bytes Data;  // the whole diagnosis; its extended part starts at kDiagHeaderSize
};

// The numbers are the keys of the diag_blocks name table; keep them.
enum class DiagBlockKind : std::uint8_t {
    None = 0,       // no block: the offset lies at or past the end
    Identifier = 1, // identifier-related: one bit per module
    Channel = 2,    // channel-related
    Device = 3,     // device-related, manufacturer bytes (DP-V0, or too short for DP-V1)
    Status = 4,     // DP-V1 status block
    Alarm = 5,      // DP-V1 alarm block
    Undecoded = 6,  // reserved type, cut short, or a lying length: decoding stops
};

enum class Direction : std::uint8_t { None = 0, Input = 1, Output = 2, InputOutput = 3 };

struct DiagBlock {
    DiagBlockKind Kind = DiagBlockKind::None;
    std::size_t Offset = 0;  // of the header byte in the diagnosis
    std::size_t Next = 0;    // offset of the block after it; the end after an undecoded block
    bool Cut = false;        // undecoded because the frame ends inside the block
    fdl::Bytes Block;             // header to the end of the block (of the diagnosis when undecoded)
    fdl::Bytes Content;           // after the header (identifier, device: after the DP-V1 bytes 1-3 too)

    // Channel: Module from the header; Channel, Dir, Width, Error from bytes 1-2.
    std::uint8_t Module = 0;
    std::uint8_t Channel = 0;
    Direction Dir = Direction::None;
    std::uint8_t Width = 0;  // channel_widths key
    std::uint8_t Error = 0;  // channel_errors key

    // Status and alarm: the type (bits 6-0 of byte 1), slot and specifier byte.
    // Dpv0Layout: a DP-V0 slave's device-related block laid out as a DP-V1
    // module status block (real heads send it in either mode), read as one.
    bool Dpv0Layout = false;
    std::uint8_t Type = 0;
    std::uint8_t Slot = 0;
    std::uint8_t Specifier = 0;  // bits 1-0 of byte 3
    bool AddAck = false;          // alarm: byte 3 bit 2
    std::uint8_t Sequence = 0;    // alarm: byte 3 bits 7-3
};

// The standard bytes of a diagnosis (the Slave_Diag response's data unit).
SlaveDiag DecodeSlaveDiag(fdl::Bytes data);

// The block whose header lies at offset of diagnosis `diag`; Kind None when
// offset is at or past its end. dpv1: the slave runs in DP-V1 mode (its last
// Set_Prm had kDpv1Mode), so device-related blocks carry status and alarms.
// Without it a device-related block is a Status block all the same (marked
// Dpv0Layout) when it is laid out as a module status block: byte 1 0x82
// (status, Module_Status), a specifier byte with only bits 1-0 used, and at
// least one byte of module states.
DiagBlock DecodeDiagBlock(fdl::Bytes diag, std::size_t offset, bool dpv1);

// Whether a device-related block (header byte first) is laid out as a
// module status block, as DecodeDiagBlock reads it without DP-V1 mode.
bool HasModuleStatusLayout(fdl::Bytes block);

// The first module at or after `from` whose bit is set in an identifier
// block's Content (module 0 = bit 0 of the first byte); kNoModule when none.
constexpr std::size_t kNoModule = static_cast<std::size_t>(-1);
std::size_t NextFlaggedModule(fdl::Bytes bits, std::size_t from);

// The 2-bit state of `module` in a module-status block's Content
// (module_status key); modules past the content read 0.
std::uint8_t ModuleStatusAt(fdl::Bytes states, std::size_t module);
constexpr std::size_t kModulesPerStatusByte = 4;

// The specifier byte of an alarm block and of an alarm acknowledgement.
struct AlarmSpecifier {
    std::uint8_t Specifier = 0;  // alarm_specifiers key
    bool AddAck = false;
    std::uint8_t Sequence = 0;
};
AlarmSpecifier DecodeAlarmSpecifier(std::uint8_t byte);

}  // namespace zelmot::dp
