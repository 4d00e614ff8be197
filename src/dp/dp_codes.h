// The DP byte values above FDL that the decoders, the name tables, the
// statistics and the generators share: the service access points, the bits
// of the diagnosis, parameter and control bytes, the DP-V1 function codes and
// the fixed offsets inside the data units. One place, so no table repeats them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zelmot::dp {

// Service access points of a slave (the request's DSAP, the response's SSAP).
constexpr std::uint8_t kSapClass2Last = 48;  // 0-48: DP-V1 class 2 connections
constexpr std::uint8_t kSapDpv1Initiate = 49;
constexpr std::uint8_t kSapDpv1AlarmAck = 50;
constexpr std::uint8_t kSapDpv1ReadWrite = 51;
constexpr std::uint8_t kSapSetSlaveAdd = 55;
constexpr std::uint8_t kSapRdInp = 56;
constexpr std::uint8_t kSapRdOutp = 57;
constexpr std::uint8_t kSapGlobalControl = 58;
constexpr std::uint8_t kSapGetCfg = 59;
constexpr std::uint8_t kSapSlaveDiag = 60;
constexpr std::uint8_t kSapSetPrm = 61;
constexpr std::uint8_t kSapChkCfg = 62;

// Slave_Diag byte 0, Station_status_1.
constexpr std::uint8_t kStationNonExistent = 0x01;
constexpr std::uint8_t kStationNotReady = 0x02;
constexpr std::uint8_t kCfgFault = 0x04;
constexpr std::uint8_t kExtDiag = 0x08;
constexpr std::uint8_t kNotSupported = 0x10;
constexpr std::uint8_t kInvalidSlaveResponse = 0x20;
constexpr std::uint8_t kPrmFault = 0x40;
constexpr std::uint8_t kMasterLock = 0x80;

// Slave_Diag byte 1, Station_status_2. A slave always sends kStatus2Fixed set
// and kStatus2Reserved clear.
constexpr std::uint8_t kPrmReq = 0x01;
constexpr std::uint8_t kStatDiag = 0x02;
constexpr std::uint8_t kStatus2Fixed = 0x04;
constexpr std::uint8_t kWdOn = 0x08;
constexpr std::uint8_t kFreezeMode = 0x10;
constexpr std::uint8_t kSyncMode = 0x20;
constexpr std::uint8_t kStatus2Reserved = 0x40;
constexpr std::uint8_t kDeactivated = 0x80;

// Slave_Diag byte 2, Station_status_3: bits 0-6 are reserved.
constexpr std::uint8_t kExtDiagOverflow = 0x80;
constexpr std::uint8_t kStatus3Reserved = 0x7F;

constexpr std::uint8_t kNoMaster = 0xFF;  // Master_Add of a slave nobody parameterised
constexpr std::size_t kDiagHeaderSize = 6;  // the extended diagnosis starts here

// Extended diagnosis: block header bits 7-6 give the type, bits 5-0 the
// block length (identifier and device blocks) or the module (channel blocks).
constexpr std::uint8_t kBlockTypeMask = 0xC0;
constexpr std::uint8_t kBlockDevice = 0x00;
constexpr std::uint8_t kBlockIdentifier = 0x40;
constexpr std::uint8_t kBlockChannel = 0x80;
constexpr std::uint8_t kBlockReserved = 0xC0;
constexpr std::uint8_t kBlockSizeMask = 0x3F;
constexpr std::size_t kChannelBlockSize = 3;
constexpr std::uint8_t kChannelOutput = 0x80;  // channel byte: bit 7 output, bit 6 input
constexpr std::uint8_t kChannelInput = 0x40;
constexpr std::uint8_t kChannelNumberMask = 0x3F;
constexpr std::uint8_t kChannelErrorMask = 0x1F;  // type byte: bits 7-5 width, bits 4-0 error
constexpr unsigned kChannelWidthShift = 5;
constexpr std::uint8_t kDpv1StatusBlock = 0x80;  // DP-V1 device block byte 1: status, else alarm
constexpr std::uint8_t kDpv1TypeMask = 0x7F;
constexpr std::uint8_t kStatusTypeModuleStatus = 2;  // a status block of 2 bits per module
constexpr std::size_t kDpv1BlockHeaderSize = 4;  // header, type, slot, specifier
constexpr std::uint8_t kSpecifierMask = 0x03;
constexpr std::uint8_t kAddAck = 0x04;
constexpr unsigned kSequenceShift = 3;

// Set_Prm byte 0, Station_status: bits 0-2 are reserved.
constexpr std::uint8_t kPrmWdOn = 0x08;
constexpr std::uint8_t kFreezeReq = 0x10;
constexpr std::uint8_t kSyncReq = 0x20;
constexpr std::uint8_t kUnlockReq = 0x40;
constexpr std::uint8_t kLockReq = 0x80;
constexpr std::uint8_t kPrmStationReserved = 0x07;

constexpr std::size_t kSetPrmSize = 7;        // standard bytes
constexpr std::size_t kSetPrmDpv1Size = 10;   // with DPV1_Status_1..3

// DPV1_Status_1 (Set_Prm byte 7).
constexpr std::uint8_t kDpv1Mode = 0x80;
constexpr std::uint8_t kFailSafe = 0x40;
constexpr std::uint8_t kPublisher = 0x20;
constexpr std::uint8_t kWdBase1ms = 0x04;

// DPV1_Status_2 (Set_Prm byte 8).
constexpr std::uint8_t kChkCfgMode = 0x01;
constexpr std::uint8_t kUpdateAlarm = 0x04;
constexpr std::uint8_t kStatusAlarm = 0x08;
constexpr std::uint8_t kManufacturerAlarm = 0x10;
constexpr std::uint8_t kDiagnosisAlarm = 0x20;
constexpr std::uint8_t kProcessAlarm = 0x40;
constexpr std::uint8_t kPullPlugAlarm = 0x80;

// DPV1_Status_3 (Set_Prm byte 9): bits 2-0 the alarm count code.
constexpr std::uint8_t kAlarmCountMask = 0x07;
constexpr std::uint8_t kPrmStructure = 0x08;
constexpr std::uint8_t kIsochronMode = 0x10;
constexpr std::uint8_t kPrmCmd = 0x80;

// Chk_Cfg / Get_Cfg identifiers.
constexpr std::uint8_t kCfgDirectionMask = 0x30;  // 0x10 input, 0x20 output; 0 = special format
constexpr std::uint8_t kCfgInput = 0x10;
constexpr std::uint8_t kCfgOutput = 0x20;
constexpr std::uint8_t kCfgWords = 0x40;
constexpr std::uint8_t kCfgConsistent = 0x80;
constexpr std::uint8_t kCfgGeneralLengthMask = 0x0F;
constexpr std::uint8_t kCfgSpecialLengthBytes = 0xC0;  // 0x40 an input length, 0x80 an output length
constexpr std::uint8_t kCfgSpecialInput = 0x40;
constexpr std::uint8_t kCfgSpecialOutput = 0x80;
constexpr std::uint8_t kCfgManufacturerMask = 0x0F;
constexpr std::uint8_t kCfgManufacturerReserved = 15;
constexpr std::uint8_t kCfgLengthByteMask = 0x3F;  // in a special length byte

// Global_Control byte 0; bits 0, 6 and 7 are reserved.
constexpr std::uint8_t kClearData = 0x02;
constexpr std::uint8_t kUnfreeze = 0x04;
constexpr std::uint8_t kFreeze = 0x08;
constexpr std::uint8_t kUnsync = 0x10;
constexpr std::uint8_t kSync = 0x20;
constexpr std::uint8_t kControlReserved = 0xC1;

// DP-V1 PDU byte 0, the function; a negative response sets kDpv1Negative.
constexpr std::uint8_t kDpv1Idle = 0x48;
constexpr std::uint8_t kDpv1DataTransport = 0x51;
constexpr std::uint8_t kDpv1Initiate = 0x57;
constexpr std::uint8_t kDpv1Abort = 0x58;
constexpr std::uint8_t kDpv1AlarmAck = 0x5C;
constexpr std::uint8_t kDpv1Read = 0x5E;
constexpr std::uint8_t kDpv1Write = 0x5F;
constexpr std::uint8_t kDpv1Negative = 0x80;
constexpr std::uint8_t kErrorDecodeDpv1 = 0x80;

}  // namespace zelmot::dp
