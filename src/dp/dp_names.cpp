// The name tables of the DP layer. The dissector mirrors every table here
// word for word; a test compares the two.
#include "dp/dp_names.h"

#include <array>

#include "dp/dp_cfg.h"
#include "dp/dp_codes.h"
#include "dp/dp_diag.h"

namespace zelmot::dp {
namespace {

constexpr NameEntry One(std::uint8_t value, std::string_view name) { return NameEntry{value, value, name}; }

template <typename Enum>
constexpr NameEntry One(Enum value, std::string_view name) {
    return One(static_cast<std::uint8_t>(value), name);
}

constexpr NameEntry kServices[] = {
    One(Service::DataExchange, "Data_Exchange"),     One(Service::SetSlaveAdd, "Set_Slave_Add"),
    One(Service::RdInp, "Rd_Inp"),                   One(Service::RdOutp, "Rd_Outp"),
    One(Service::GlobalControl, "Global_Control"),   One(Service::GetCfg, "Get_Cfg"),
    One(Service::SlaveDiag, "Slave_Diag"),           One(Service::SetPrm, "Set_Prm"),
    One(Service::ChkCfg, "Chk_Cfg"),                 One(Service::Dpv1ReadWrite, "DPV1_Read_Write"),
    One(Service::Dpv1AlarmAck, "DPV1_Alarm_Ack"),    One(Service::Dpv1Initiate, "DPV1_Initiate"),
    One(Service::Dpv1Class2, "DPV1_Class2"),
};

constexpr NameEntry kNegatives[] = {
    One(Negative::UserError, "user error"),
    One(Negative::NoResource, "no resource"),
    One(Negative::SapNotEnabled, "SAP not enabled"),
};

constexpr NameEntry kStationStatus1[] = {
    One(kStationNonExistent, "Station_Non_Existent"), One(kStationNotReady, "Station_Not_Ready"),
    One(kCfgFault, "Cfg_Fault"),                      One(kExtDiag, "Ext_Diag"),
    One(kNotSupported, "Not_Supported"),              One(kInvalidSlaveResponse, "Invalid_Slave_Response"),
    One(kPrmFault, "Prm_Fault"),                      One(kMasterLock, "Master_Lock"),
};

// The always-set bit 0x04 and the reserved bit 0x40 have no name: they tell
// nothing when they are as they should be (SlaveDiag reports them when not).
constexpr NameEntry kStationStatus2[] = {
    One(kPrmReq, "Prm_Req"),         One(kStatDiag, "Stat_Diag"),   One(kWdOn, "WD_On"),
    One(kFreezeMode, "Freeze_Mode"), One(kSyncMode, "Sync_Mode"),   One(kDeactivated, "Deactivated"),
};

constexpr NameEntry kStationStatus3[] = {One(kExtDiagOverflow, "Ext_Diag_Overflow")};

constexpr NameEntry kPrmStation[] = {
    One(kPrmWdOn, "WD_On"),         One(kFreezeReq, "Freeze_Req"), One(kSyncReq, "Sync_Req"),
    One(kUnlockReq, "Unlock_Req"),  One(kLockReq, "Lock_Req"),
};

constexpr NameEntry kDpv1Status1[] = {
    One(kDpv1Mode, "DPV1_Mode"), One(kFailSafe, "Fail_Safe"), One(kPublisher, "Publisher"),
    One(kWdBase1ms, "WD_Base_1ms"),
};

constexpr NameEntry kDpv1Status2[] = {
    One(kChkCfgMode, "Chk_Cfg_Mode"),          One(kUpdateAlarm, "Update_Alarm"),
    One(kStatusAlarm, "Status_Alarm"),         One(kManufacturerAlarm, "Manufacturer_Alarm"),
    One(kDiagnosisAlarm, "Diagnosis_Alarm"),   One(kProcessAlarm, "Process_Alarm"),
    One(kPullPlugAlarm, "Pull_Plug_Alarm"),
};

constexpr NameEntry kDpv1Status3[] = {
    One(kPrmStructure, "Prm_Structure"), One(kIsochronMode, "Isochron_Mode"), One(kPrmCmd, "PrmCmd"),
};

constexpr NameEntry kDiagBlocks[] = {
    One(DiagBlockKind::Identifier, "identifier"), One(DiagBlockKind::Channel, "channel"),
    One(DiagBlockKind::Device, "device"),         One(DiagBlockKind::Status, "status"),
    One(DiagBlockKind::Alarm, "alarm"),           One(DiagBlockKind::Undecoded, "undecoded"),
};

constexpr NameEntry kDirections[] = {
    One(Direction::Input, "input"), One(Direction::Output, "output"), One(Direction::InputOutput, "input_output"),
};

constexpr NameEntry kChannelWidths[] = {
    One(1, "bit"), One(2, "2 bits"), One(3, "4 bits"), One(4, "byte"), One(5, "word"), One(6, "2 words"),
};

constexpr NameEntry kChannelErrors[] = {
    One(1, "short circuit"),         One(2, "undervoltage"),        One(3, "overvoltage"),
    One(4, "overload"),              One(5, "overtemperature"),     One(6, "line break"),
    One(7, "upper limit exceeded"),  One(8, "lower limit exceeded"), One(9, "error"),
    {16, 31, "manufacturer specific"},
};

constexpr NameEntry kStatusTypes[] = {
    One(1, "status message"), One(2, "module status"), {0x1F, 0x7E, "manufacturer specific"},
};

constexpr NameEntry kAlarmTypes[] = {
    One(1, "diagnosis"), One(2, "process"), One(3, "pull"), One(4, "plug"), One(5, "status"), One(6, "update"),
    {0x20, 0x7E, "manufacturer specific"},
};

constexpr NameEntry kStatusSpecifiers[] = {
    One(0, "none"), One(1, "status appears"), One(2, "status disappears"),
};

constexpr NameEntry kAlarmSpecifiers[] = {
    One(0, "none"), One(1, "appears"), One(2, "disappears"), One(3, "disappears, others remain"),
};

constexpr NameEntry kModuleStatus[] = {
    One(0, "OK"), One(1, "fault"), One(2, "wrong module"), One(3, "no module"),
};

constexpr NameEntry kCfgFormats[] = {
    One(CfgFormat::Empty, "empty"), One(CfgFormat::General, "general"), One(CfgFormat::Special, "special"),
};

constexpr NameEntry kGlobalControl[] = {
    One(kClearData, "Clear_Data"), One(kUnfreeze, "Unfreeze"), One(kFreeze, "Freeze"),
    One(kUnsync, "Unsync"),        One(kSync, "Sync"),
};

constexpr NameEntry kDpv1Functions[] = {
    One(kDpv1Idle, "idle"),       One(kDpv1DataTransport, "data transport"), One(kDpv1Initiate, "initiate"),
    One(kDpv1Abort, "abort"),     One(kDpv1AlarmAck, "alarm acknowledge"),   One(kDpv1Read, "read"),
    One(kDpv1Write, "write"),
};

constexpr NameEntry kDpv1ErrorDecodes[] = {
    One(kErrorDecodeDpv1, "DPV1"), One(0xFE, "FMS"), One(0xFF, "HART"),
};

constexpr NameEntry kDpv1ErrorClasses[] = {
    One(0xA, "application"), One(0xB, "access"), One(0xC, "resource"), {0xD, 0xF, "user specific"},
};

constexpr NameEntry kDpv1ErrorCodes[] = {
    One(0xA0, "read error"),          One(0xA1, "write error"),          One(0xA2, "module failure"),
    One(0xA8, "version conflict"),    One(0xA9, "feature not supported"), {0xAA, 0xAF, "user specific"},
    One(0xB0, "invalid index"),       One(0xB1, "write length error"),   One(0xB2, "invalid slot"),
    One(0xB3, "type conflict"),       One(0xB4, "invalid area"),         One(0xB5, "state conflict"),
    One(0xB6, "access denied"),       One(0xB7, "invalid range"),        One(0xB8, "invalid parameter"),
    One(0xB9, "invalid type"),        {0xBA, 0xBF, "user specific"},
    One(0xC0, "read constraint conflict"), One(0xC1, "write constraint conflict"),
    One(0xC2, "resource busy"),       One(0xC3, "resource unavailable"), {0xC8, 0xCF, "user specific"},
    {0xD0, 0xFF, "user specific"},
};

}  // namespace

const NameTable kServiceNames{"services", false, kServices};
const NameTable kNegativeNames{"negative_responses", false, kNegatives};
const NameTable kStationStatus1Names{"station_status_1", true, kStationStatus1};
const NameTable kStationStatus2Names{"station_status_2", true, kStationStatus2};
const NameTable kStationStatus3Names{"station_status_3", true, kStationStatus3};
const NameTable kPrmStationNames{"prm_station_status", true, kPrmStation};
const NameTable kDpv1Status1Names{"dpv1_status_1", true, kDpv1Status1};
const NameTable kDpv1Status2Names{"dpv1_status_2", true, kDpv1Status2};
const NameTable kDpv1Status3Names{"dpv1_status_3", true, kDpv1Status3};
const NameTable kDiagBlockNames{"diag_blocks", false, kDiagBlocks};
const NameTable kDirectionNames{"directions", false, kDirections};
const NameTable kChannelWidthNames{"channel_widths", false, kChannelWidths};
const NameTable kChannelErrorNames{"channel_errors", false, kChannelErrors};
const NameTable kStatusTypeNames{"status_types", false, kStatusTypes};
const NameTable kAlarmTypeNames{"alarm_types", false, kAlarmTypes};
const NameTable kStatusSpecifierNames{"status_specifiers", false, kStatusSpecifiers};
const NameTable kAlarmSpecifierNames{"alarm_specifiers", false, kAlarmSpecifiers};
const NameTable kModuleStatusNames{"module_status", false, kModuleStatus};
const NameTable kCfgFormatNames{"cfg_formats", false, kCfgFormats};
const NameTable kGlobalControlNames{"global_control", true, kGlobalControl};
const NameTable kDpv1FunctionNames{"dpv1_functions", false, kDpv1Functions};
const NameTable kDpv1ErrorDecodeNames{"dpv1_error_decodes", false, kDpv1ErrorDecodes};
const NameTable kDpv1ErrorClassNames{"dpv1_error_classes", false, kDpv1ErrorClasses};
const NameTable kDpv1ErrorCodeNames{"dpv1_error_codes", false, kDpv1ErrorCodes};

std::span<const NameTable> AllNameTables() {
    static const std::array<NameTable, 24> kAll = {
        kServiceNames,       kNegativeNames,        kStationStatus1Names,  kStationStatus2Names,
        kStationStatus3Names, kPrmStationNames,     kDpv1Status1Names,     kDpv1Status2Names,
        kDpv1Status3Names,   kDiagBlockNames,       kDirectionNames,       kChannelWidthNames,
        kChannelErrorNames,  kStatusTypeNames,      kAlarmTypeNames,       kStatusSpecifierNames,
        kAlarmSpecifierNames, kModuleStatusNames,   kCfgFormatNames,       kGlobalControlNames,
        kDpv1FunctionNames,  kDpv1ErrorDecodeNames, kDpv1ErrorClassNames,  kDpv1ErrorCodeNames,
    };
    return kAll;
}

std::string_view LookupName(const NameTable& table, unsigned value) {
    for (const NameEntry& entry : table.Entries)
        if (value >= entry.First && value <= entry.Last) return entry.Name;
    return {};
}

}  // namespace zelmot::dp
