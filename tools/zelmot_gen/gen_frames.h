// FDL telegrams as the generator builds them: the frame bytes with their
// check sum, the receive status, and the idle gap that precedes the frame on
// the bus. The start delimiter follows from the data units: none gives SD1,
// exactly eight give SD3, any other count SD2.
#pragma once

#include <array>
#include <cstdint>

#include "fdl/fdl_codes.h"

namespace zelmot {

constexpr std::size_t kMaxGenFrame = 80;
constexpr std::size_t kMaxDataUnits = kMaxGenFrame - 9;  // SD2 overhead


struct GenFrame {
    std::array<std::uint8_t, kMaxGenFrame> Bytes{};
    std::uint8_t Length = 0;
    std::uint8_t Status = 0;        // receive error bits, 0 when clean
    std::uint32_t GapTicks = 0;     // bus idle before the frame, at least
    std::uint16_t IdleWeight = 0;   // share of spare minute time this gap takes
    std::uint32_t StepBackTicks = 0;  // a recorder's clock stepping back: the frame starts this long
                                      // before the one before it ends
};

// Sum of the bytes modulo 256.
std::uint8_t CheckSum(const std::uint8_t* bytes, std::size_t count);

// SD1, SD2 or SD3 frame; units are the SAP bytes followed by the data,
// unitCount at most kMaxDataUnits.
void BuildDataFrame(GenFrame& frame, std::uint8_t da, std::uint8_t sa, std::uint8_t fc,
                    const std::uint8_t* units, std::size_t unitCount);
// Token frame SD4 DA SA.
void BuildToken(GenFrame& frame, std::uint8_t da, std::uint8_t sa);
// Short acknowledgement SC.
void BuildShortAck(GenFrame& frame);

// The fields of an SD1, SD2 or SD3 frame of the given bytes: addresses
// (with their SAP bits), FC and the data units after the SAP bytes a
// frame's address bits announce. Valid is false for SD4, SC and frames too
// short for their shape.
struct FrameView {
    bool Valid = false;
    std::uint8_t Da = 0;
    std::uint8_t Sa = 0;
    std::uint8_t Fc = 0;
    int Dsap = -1;  // -1: no SAP byte
    int Ssap = -1;
    const std::uint8_t* Data = nullptr;
    std::size_t Count = 0;
};
FrameView ViewFrame(const std::uint8_t* bytes, std::size_t length);

// Where the FCS of a frame lies: 0 for frames without one (SD4, SC).
std::size_t CheckSumIndex(const GenFrame& frame);
// Index of the first byte the check sum covers (DA).
std::size_t FirstSummedIndex(const GenFrame& frame);

}  // namespace zelmot
