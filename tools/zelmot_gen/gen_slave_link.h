// The FDL link from a master to one of its slaves, shared by the DP
// services: the frame control byte of the next request, SAP requests and
// answers, the slave's real configuration, and a request-answer exchange
// with one retry after which the master gives up and starts the slave up
// again. A dropped-out slave answers nothing here.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gen_traffic.h"

namespace zelmot {

constexpr std::uint8_t kSapMaster = 62;      // the master's SAP for DP services
constexpr std::uint8_t kSapDpv1 = 51;        // DP-V1 class 1 read and write, both sides
constexpr std::uint8_t kSapAlarmAck = 50;    // DP-V1 class 1 alarm acknowledge
constexpr std::uint8_t kSapDiagnosis = 60;
constexpr std::uint8_t kSapParameters = 61;
constexpr std::uint8_t kSapConfiguration = 62;
constexpr std::uint8_t kSapReadInputs = 56;
constexpr std::uint8_t kSapReadOutputs = 57;
constexpr std::uint8_t kSapGetConfiguration = 59;
constexpr std::size_t kMaxConfiguration = 8;
constexpr std::uint8_t kClearData = 0x02;  // Global_Control command of a master in CLEAR
constexpr std::uint8_t kCfgFault = 0x04;   // Station_status_1 bits
constexpr std::uint8_t kPrmFault = 0x40;

// The DP service a request's DSAP asks for ("Data_Exchange" for none, -1),
// as zelmot-stats names it.
const char* ServiceOfSap(int dsap);

// Send and request data with the slave's FCB and FCV.
std::uint8_t RequestFc(const SlaveState& slave);

// A SAP request from master to slave with the data after the two SAPs.
void BuildSapRequest(GenFrame& frame, const MasterState& master, const SlaveState& slave, std::uint8_t dsap,
                     std::uint8_t ssap, const std::uint8_t* data, std::size_t count);
// The slave's answer from ssap to the master's dsap with data after the SAPs.
void BuildSapAnswer(GenFrame& frame, const MasterState& master, const SlaveState& slave, std::uint8_t fc,
                    std::uint8_t dsap, std::uint8_t ssap, const std::uint8_t* data, std::size_t count);

// The identifiers of the slave's inputs, then outputs, as Chk_Cfg carries
// them; to holds kMaxConfiguration bytes.
std::size_t SlaveConfiguration(const SlaveState& slave, std::uint8_t* to);

// What the master sends in Chk_Cfg: the slave's configuration and, in the
// configuration fault scenario, one module more.
std::size_t MasterConfiguration(const SlaveState& slave, std::uint8_t* to);

// The master starts the slave up again from its first diagnosis.
void StartOver(SlaveState& slave);

// Sends request and answer (none while the slave is dropped out) with one
// retry; on success the FCB toggles, on failure the master gives the slave
// up. True when a clean answer came.
bool SlaveTransact(TrafficState& traffic, const MasterState& master, const GenFrame& request,
                   const GenFrame& answer, SlaveState& slave);

}  // namespace zelmot
