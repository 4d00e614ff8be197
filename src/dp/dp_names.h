// The words of the DP layer: one value-to-name table per vocabulary, each
// with a name of its own, so that every report and the dissector's test can
// read the same words. An entry names a range of values (First == Last for a
// single value); a bit table names single-bit masks, of which a byte may set
// several.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "dp/dp_service.h"

namespace zelmot::dp {

struct NameEntry {
    std::uint8_t First = 0;
    std::uint8_t Last = 0;
    std::string_view Name;
};

struct NameTable {
    std::string_view Name;  // e.g. "station_status_1"
    bool Bits = false;      // entries are bit masks of one byte
    std::span<const NameEntry> Entries;
};

// Keys by table: services: Service; negative_responses: Negative;
// station_status_1/2/3: Slave_Diag bytes 0-2; prm_station_status: Set_Prm
// byte 0; dpv1_status_1/2/3: Set_Prm bytes 7-9; diag_blocks: DiagBlockKind;
// directions: input 1, output 2, both 3 (channel byte bits 7-6, identifier
// bits 5-4); channel_widths and channel_errors: channel type byte bits 7-5
// and 4-0; status_types, alarm_types: DP-V1 block byte 1 bits 6-0;
// status_specifiers, alarm_specifiers: bits 1-0 of the specifier byte;
// module_status: 2 bits of a module; cfg_formats: CfgFormat; global_control:
// Global_Control byte 0; dpv1_functions: PDU byte 0 without 0x80;
// dpv1_error_decodes: Error_Decode; dpv1_error_classes: Error_Code_1 bits
// 7-4; dpv1_error_codes: the whole Error_Code_1.
extern const NameTable kServiceNames;
extern const NameTable kNegativeNames;
extern const NameTable kStationStatus1Names;
extern const NameTable kStationStatus2Names;
extern const NameTable kStationStatus3Names;
extern const NameTable kPrmStationNames;
extern const NameTable kDpv1Status1Names;
extern const NameTable kDpv1Status2Names;
extern const NameTable kDpv1Status3Names;
extern const NameTable kDiagBlockNames;
extern const NameTable kDirectionNames;
extern const NameTable kChannelWidthNames;
extern const NameTable kChannelErrorNames;
extern const NameTable kStatusTypeNames;
extern const NameTable kAlarmTypeNames;
extern const NameTable kStatusSpecifierNames;
extern const NameTable kAlarmSpecifierNames;
extern const NameTable kModuleStatusNames;
extern const NameTable kCfgFormatNames;
extern const NameTable kGlobalControlNames;
extern const NameTable kDpv1FunctionNames;
extern const NameTable kDpv1ErrorDecodeNames;
extern const NameTable kDpv1ErrorClassNames;
extern const NameTable kDpv1ErrorCodeNames;

// Every table above, in this order.
std::span<const NameTable> AllNameTables();

// The name of value in table; empty when the table does not name it.
std::string_view LookupName(const NameTable& table, unsigned value);

inline std::string_view ServiceName(Service service) {
    return LookupName(kServiceNames, static_cast<unsigned>(service));
}

}  // namespace zelmot::dp
