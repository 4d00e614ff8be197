// Which DP service a frame belongs to, judged from its FDL fields alone, and
// where its DP data unit lies. A master's request names the service by its
// DSAP (or by carrying no SAPs at all: Data_Exchange); the slave answers from
// the same SAP, so a response names it by its SSAP. A response without SAPs
// belongs to the request it answers, which only the caller knows.
#pragma once

#include <cstdint>

#include "fdl/frame_fields.h"
#include "fdl/fdl_bytes.h"

namespace zelmot::dp {

// The numbers are the keys of the service name table (dp_names.h); keep them.
enum class Service : std::uint8_t {
    None = 0,  // no DP service
    DataExchange = 1,
    SetSlaveAdd = 2,
    RdInp = 3,
    RdOutp = 4,
    GlobalControl = 5,
    GetCfg = 6,
    SlaveDiag = 7,
    SetPrm = 8,
    ChkCfg = 9,
    Dpv1ReadWrite = 10,  // class 1 read/write, SAP 51
    Dpv1AlarmAck = 11,   // class 1 alarm acknowledge, SAP 50
    Dpv1Initiate = 12,   // class 2 initiate, SAP 49
    Dpv1Class2 = 13,     // class 2 connections, SAPs 0-48
};
constexpr unsigned kServiceCount = 14;

// The negative FDL responses, by the response FC function.
enum class Negative : std::uint8_t {
    None = 0,
    UserError = 1,      // UE
    NoResource = 2,     // RR
    SapNotEnabled = 3,  // RS: the slave does not offer the service
};

// The service a SAP selects; None for a SAP no DP service uses.
Service ServiceOfSap(std::uint8_t sap);

// The service of a request (FC request bit set). Data_Exchange is an SRD
// request whose DA and SA both lack the SAP-extension bit; any other request
// is judged by its DSAP. None for a frame that is no request, has no DSAP, or
// is too short for its FC.
Service RequestService(fdl::Bytes frame, const FrameFieldView& fields);

// The service of a response (FC request bit clear, or a short
// acknowledge): by its SSAP when it has one, else `answered`, the service of
// the request it answers (None when the caller does not know it). None for a
// frame that is no response.
Service ResponseService(fdl::Bytes frame, const FrameFieldView& fields, Service answered);

// The negative kind of a response (FC function 1, 2 or 3); None for any other
// frame.
Negative NegativeResponse(fdl::Bytes frame, const FrameFieldView& fields);

// The frame's data unit after its SAP bytes, clipped to the frame: empty for
// a frame without data, and for a length byte too small to cover the header
// it counts (its data count wrapped).
fdl::Bytes FrameData(fdl::Bytes frame, const FrameFieldView& fields);

}  // namespace zelmot::dp
