// Decoding a DP-V1 PDU (class 1 on SAP 51 and 50, class 2 on SAPs 0-49):
// the function, for read, write and data transport the slot, index, length
// and data, for an alarm acknowledgement the alarm it acknowledges, and for a
// negative response (function with kDpv1Negative) the three error bytes.
#pragma once

#include <cstdint>

#include "fdl/fdl_bytes.h"
#include "dp/dp_diag.h"

namespace zelmot::dp {

enum class PduSide : std::uint8_t { Request, Response };

struct Dpv1Pdu {
    bool Cut = false;            // too short for its fixed bytes, or data short of Length
    std::uint8_t Function = 0;   // dpv1_functions key (kDpv1Read ...), without kDpv1Negative
    bool Negative = false;
    std::uint8_t Slot = 0;       // read, write, data transport, alarm acknowledge
    std::uint8_t Index = 0;      // read, write, data transport
    std::uint8_t Length = 0;     // read, write, data transport
    std::uint8_t AlarmType = 0;  // alarm acknowledge: alarm_types key
    AlarmSpecifier Alarm;        // alarm acknowledge
    std::uint8_t ErrorDecode = 0;  // negative: dpv1_error_decodes key
    std::uint8_t ErrorCode1 = 0;   // negative: dpv1_error_codes key; class in bits 7-4
    std::uint8_t ErrorCode2 = 0;
    // Read, write, data transport: the data after the length byte, at most
    // Length bytes. Any other function: the bytes after the function byte.
    fdl::Bytes Data;
};

// side: whether the PDU is the master's request or the slave's response; a
// read carries its data in the response, a write in the request.
Dpv1Pdu DecodeDpv1Pdu(fdl::Bytes data, PduSide side);

}  // namespace zelmot::dp
