// What the generator notes of its own DP traffic for the record file: one
// event per frame that shows a start-up step, a fault or a scenario's turn,
// named by the frame's number in the run (the record file turns the number
// into the frame's time), with a detail text of "key=value" words.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zelmot {

// ORDER kEventNames in gen_events.cpp.
enum class EventKind : std::uint8_t {
    DataExchange,  // the first answered data exchange after a start-up
    Lost,          // the master gave up on a slave it had started up
    DropoutStart,  // the first request a dropped-out slave leaves unanswered
    DropoutEnd,    // its first answer again
    ExtDiag,       // a diagnosis answer with extended diagnosis blocks
    DiagClear,     // the answer that shows the extended diagnosis gone
    AlarmAck,      // the slave's answer to an alarm acknowledgement
    CfgFault,      // a diagnosis answer with Cfg_Fault
    WrongIdent,    // a Set_Prm whose ident is not the slave's
    PrmFault,      // a diagnosis answer with Prm_Fault
    ClearOn,       // a global control with Clear_Data: the master is in CLEAR
    ClearOff,      // the global control that ends CLEAR
    Dpv1Read,      // a DP-V1 read answered with data
    Dpv1Error,     // a DP-V1 read refused
    RsAnswer,      // RS: the slave does not offer the service asked for
};

struct TrafficEvent {
    std::uint64_t Frame = 0;  // number of the frame in the run, from 0
    std::uint8_t Master = 0;
    std::uint8_t Station = 0;  // the slave, or 127 for a global control
    EventKind Kind = EventKind::DataExchange;
    std::string Detail;
};

const char* EventName(EventKind kind);

// Bytes as plain lower-case hex.
std::string HexBytes(const std::uint8_t* bytes, std::size_t count);

// Detail words, each appended with a blank before it when detail is not empty.
void AddNumberDetail(std::string& detail, const char* key, std::int64_t value);
void AddHexDetail(std::string& detail, const char* key, std::uint32_t value, unsigned digits);
void AddBytesDetail(std::string& detail, const char* key, const std::uint8_t* bytes, std::size_t count);
void AddTextDetail(std::string& detail, const char* key, const char* text);

}  // namespace zelmot
