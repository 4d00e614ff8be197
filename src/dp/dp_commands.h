// Decoding the commands a master sends a slave outside data exchange:
// Set_Prm, Global_Control and Set_Slave_Add. Each decoder takes the request's
// data unit (FrameData) and reads no byte past it; a command too short for
// its fixed bytes is Cut, its missing bytes read 0.
#pragma once

#include <cstddef>
#include <cstdint>

#include "fdl/fdl_bytes.h"

namespace zelmot::dp {

struct SetPrm {
    bool Cut = false;
    std::uint8_t StationStatus = 0;  // kPrmWdOn, kFreezeReq ...
    bool ReservedBitsSet = false;    // bits 0-2 of the station status
    std::uint8_t WdFact1 = 0;
    std::uint8_t WdFact2 = 0;
    std::uint32_t WatchdogMs = 0;  // WD_Fact_1 x WD_Fact_2 x 10 ms, or x 1 ms (kWdBase1ms)
    std::uint8_t MinTsdr = 0;      // bit times; 0 keeps the slave's own
    std::uint16_t IdentNumber = 0;
    std::uint8_t GroupIdent = 0;
    // Bytes 7-9, taken as DP-V1 status bytes when byte 7 has kDpv1Mode.
    bool Dpv1 = false;
    std::uint8_t Dpv1Status1 = 0;
    std::uint8_t Dpv1Status2 = 0;
    std::uint8_t Dpv1Status3 = 0;
    std::uint8_t AlarmCount = 0;  // alarms the slave may hold open, 1-32; 0 without DP-V1
    std::size_t UserPrmOffset = 0;  // where User_Prm_Data starts in the data unit
    fdl::Bytes UserPrm;
};

struct GlobalControl {
    bool Cut = false;
    std::uint8_t Control = 0;  // kClearData, kUnfreeze ...
    bool ReservedBitsSet = false;
    std::uint8_t GroupSelect = 0;  // 0: every slave
};

struct SetSlaveAdd {
    bool Cut = false;
    std::uint8_t NewAddress = 0;
    std::uint16_t IdentNumber = 0;
    std::uint8_t NoAddChg = 0;  // non-zero: the address may not be changed again
    fdl::Bytes Rest;                 // Rem_Slave_Data
};

SetPrm DecodeSetPrm(fdl::Bytes data);
GlobalControl DecodeGlobalControl(fdl::Bytes data);
SetSlaveAdd DecodeSetSlaveAdd(fdl::Bytes data);

}  // namespace zelmot::dp
