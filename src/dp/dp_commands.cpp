// The Set_Prm, Global_Control and Set_Slave_Add decoders.
#include "dp/dp_commands.h"

#include <array>

#include "dp/dp_codes.h"

namespace zelmot::dp {
namespace {

// Alarms a DP-V1 slave may hold open, by the alarm count code of DPV1_Status_3.
constexpr std::array<std::uint8_t, 8> kAlarmCounts = {1, 2, 4, 8, 12, 16, 24, 32};

constexpr std::uint32_t kWatchdogBase10ms = 10;
constexpr std::size_t kGlobalControlSize = 2;
constexpr std::size_t kSetSlaveAddSize = 4;

}  // namespace

SetPrm DecodeSetPrm(fdl::Bytes data) {
    SetPrm prm;
    prm.StationStatus = fdl::ByteAt(data, 0);
    prm.ReservedBitsSet = (prm.StationStatus & kPrmStationReserved) != 0;
    prm.WdFact1 = fdl::ByteAt(data, 1);
    prm.WdFact2 = fdl::ByteAt(data, 2);
    prm.MinTsdr = fdl::ByteAt(data, 3);
    prm.IdentNumber = fdl::BigEndianAt(data, 4);
    prm.GroupIdent = fdl::ByteAt(data, 6);
    prm.Dpv1 = (fdl::ByteAt(data, kSetPrmSize) & kDpv1Mode) != 0;
    std::size_t fixed = prm.Dpv1 ? kSetPrmDpv1Size : kSetPrmSize;
    prm.Cut = data.size() < fixed;
    if (prm.Dpv1) {
        prm.Dpv1Status1 = fdl::ByteAt(data, kSetPrmSize);
        prm.Dpv1Status2 = fdl::ByteAt(data, kSetPrmSize + 1);
        prm.Dpv1Status3 = fdl::ByteAt(data, kSetPrmSize + 2);
        prm.AlarmCount = kAlarmCounts[prm.Dpv1Status3 & kAlarmCountMask];
    }
    std::uint32_t base = prm.Dpv1 && (prm.Dpv1Status1 & kWdBase1ms) ? 1 : kWatchdogBase10ms;
    prm.WatchdogMs = std::uint32_t{prm.WdFact1} * prm.WdFact2 * base;
    prm.UserPrmOffset = fixed;
    prm.UserPrm = fdl::RestFrom(data, fixed);
    return prm;
}

GlobalControl DecodeGlobalControl(fdl::Bytes data) {
    GlobalControl control;
    control.Cut = data.size() < kGlobalControlSize;
    control.Control = fdl::ByteAt(data, 0);
    control.ReservedBitsSet = (control.Control & kControlReserved) != 0;
    control.GroupSelect = fdl::ByteAt(data, 1);
    return control;
}

SetSlaveAdd DecodeSetSlaveAdd(fdl::Bytes data) {
    SetSlaveAdd command;
    command.Cut = data.size() < kSetSlaveAddSize;
    command.NewAddress = fdl::ByteAt(data, 0);
    command.IdentNumber = fdl::BigEndianAt(data, 1);
    command.NoAddChg = fdl::ByteAt(data, 3);
    command.Rest = fdl::RestFrom(data, kSetSlaveAddSize);
    return command;
}

}  // namespace zelmot::dp
