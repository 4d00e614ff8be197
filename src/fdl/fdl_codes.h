// The FDL byte values that capture, output, filter, the analysis and the
// generator share: the start delimiters, the end delimiter, the address and
// frame-control masks, the SAP-extension bit and the function codes. One
// place, so no table repeats them.
#pragma once

#include <cstdint>

namespace zelmot::fdl {

constexpr std::uint8_t SD1 = 0x10;  // fixed length, no data
constexpr std::uint8_t SD2 = 0x68;  // variable length: SD LE LEr SD DA SA FC ...
constexpr std::uint8_t SD3 = 0xA2;  // fixed length, eight data units
constexpr std::uint8_t SD4 = 0xDC;  // the token: SD DA SA
constexpr std::uint8_t SC = 0xE5;   // short acknowledge, one byte
constexpr std::uint8_t ED = 0x16;   // end delimiter

constexpr std::uint8_t AddressMask = 0x7F;  // station address in DA and SA
constexpr std::uint8_t SapExtBit = 0x80;    // DA/SA bit: a SAP byte follows
constexpr std::uint8_t BroadcastAddress = 127;

constexpr std::uint8_t FcRequestBit = 0x40;  // set in requests, clear in responses
constexpr std::uint8_t FcFcbBit = 0x20;      // request: frame count bit
constexpr std::uint8_t FcFcvBit = 0x10;      // request: frame count bit valid
constexpr std::uint8_t FcFunctionMask = 0x0F;
constexpr std::uint8_t FcStationTypeMask = 0x30;  // response: station type

// The capture device's receive status byte: one bit per error kind, bit 0
// first; 0 for a clean frame. Their names, letters and meanings are the rows
// of kStatusBits (fdl/fdl_names.h).
constexpr std::uint8_t StsStopBit = 0x01;
constexpr std::uint8_t StsParity = 0x02;
constexpr std::uint8_t StsStartDelimiter = 0x04;
constexpr std::uint8_t StsRepeat = 0x08;
constexpr std::uint8_t StsUnderrun = 0x10;
constexpr std::uint8_t StsOverrun = 0x20;
constexpr std::uint8_t StsCheckSum = 0x40;
constexpr std::uint8_t StsEndDelimiter = 0x80;

// Request function codes (FC & FcFunctionMask with FcRequestBit set).
constexpr std::uint8_t FcSdaLow = 3;
constexpr std::uint8_t FcSdnLow = 4;
constexpr std::uint8_t FcSrdLow = 12;
constexpr std::uint8_t FcSdaHigh = 5;
constexpr std::uint8_t FcSdnHigh = 6;
constexpr std::uint8_t FcFdlStatus = 9;
constexpr std::uint8_t FcSrdHigh = 13;

// Response function codes (FC & FcFunctionMask with FcRequestBit clear), by
// the trade's abbreviations: the rows of the response name table.
constexpr std::uint8_t FcOk = 0;    // acknowledged, no data
constexpr std::uint8_t FcUe = 1;    // user error
constexpr std::uint8_t FcRr = 2;    // no resource
constexpr std::uint8_t FcRs = 3;    // the SAP is not enabled
constexpr std::uint8_t FcDl = 8;    // data, low priority
constexpr std::uint8_t FcNr = 9;    // no data ready
constexpr std::uint8_t FcDh = 10;   // data, high priority (a DP slave: a diagnosis waits)
constexpr std::uint8_t FcRdl = 12;  // data low, no resource for the data sent
constexpr std::uint8_t FcRdh = 13;  // data high, no resource for the data sent

}  // namespace zelmot::fdl
