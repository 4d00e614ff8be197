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

SetPrm DecodeSetPrm(Bytes data) {
    SetPrm prm;
    prm.StationStatus = ByteAt(data, 0);
    prm.ReservedBitsSet = (prm.StationStatus & kPrmStationReserved) != 0;
    prm.WdFact1 = ByteAt(data, 1);
    prm.WdFact2 = ByteAt(data, 2);
    prm.MinTsdr = ByteAt(data, 3);
    prm.IdentNumber = BigEndianAt(data, 4);
    prm.GroupIdent = ByteAt(data, 6);
    prm.Dpv1 = (ByteAt(data, kSetPrmSize) & kDpv1Mode) != 0;
    std::size_t fixed = prm.Dpv1 ? kSetPrmDpv1Size : kSetPrmSize;
    prm.Cut = data.size() < fixed;
    if (prm.Dpv1) {
        prm.Dpv1Status1 = ByteAt(data, kSetPrmSize);
        prm.Dpv1Status2 = ByteAt(data, kSetPrmSize + 1);
        prm.Dpv1Status3 = ByteAt(data, kSetPrmSize + 2);
        prm.AlarmCount = kAlarmCounts[prm.Dpv1Status3 & kAlarmCountMask];
    }
    std::uint32_t base = prm.Dpv1 && (prm.Dpv1Status1 & kWdBase1ms) ? 1 : kWatchdogBase10ms;
    prm.WatchdogMs = std::uint32_t{prm.WdFact1} * prm.WdFact2 * base;
    prm.UserPrmOffset = fixed;
    prm.UserPrm = RestFrom(data, fixed);
    return prm;
}

GlobalControl DecodeGlobalControl(Bytes data) {
    GlobalControl control;
    control.Cut = data.size() < kGlobalControlSize;
    control.Control = ByteAt(data, 0);
    control.ReservedBitsSet = (control.Control & kControlReserved) != 0;
    control.GroupSelect = ByteAt(data, 1);
    return control;
}

SetSlaveAdd DecodeSetSlaveAdd(Bytes data) {
    SetSlaveAdd command;
    command.Cut = data.size() < kSetSlaveAddSize;
    command.NewAddress = ByteAt(data, 0);
    command.IdentNumber = BigEndianAt(data, 1);
    command.NoAddChg = ByteAt(data, 3);
    command.Rest = RestFrom(data, kSetSlaveAddSize);
    return command;
}

}  // namespace zelmot::dp
