// A request's FCB toggles with every answered request to the slave; the
// first request after start-up has FCB set and FCV clear. When the master
// gives a slave up, its start-up begins again with a diagnosis, and a
// DP-V1 service in progress is asked again from its request.
#include "gen_slave_link.h"

#include <cassert>

#include "gen_changes.h"
#include "gen_dp_observe.h"
#include "gen_fault_steps.h"
#include "gen_transact.h"

namespace zelmot {
namespace {

constexpr std::uint8_t kFcSrdHigh = fdl::FcRequestBit | fdl::FcSrdHigh;
constexpr unsigned kRetries = 1;

std::uint8_t Extended(std::uint8_t address) { return static_cast<std::uint8_t>(address | fdl::SapExtBit); }

void Answered(SlaveState& s) {
    s.Fcb = !s.Fcb;
    s.Fcv = true;
}

void BuildSapFrame(GenFrame& frame, std::uint8_t da, std::uint8_t sa, std::uint8_t fc, std::uint8_t dsap,
                   std::uint8_t ssap, const std::uint8_t* data, std::size_t count) {
    assert(count + 2 <= kMaxDataUnits);
    std::uint8_t units[kMaxDataUnits];
    units[0] = dsap;
    units[1] = ssap;
    for (std::size_t i = 0; i < count; ++i) units[2 + i] = data[i];
    BuildDataFrame(frame, Extended(da), Extended(sa), fc, units, 2 + count);
}

// Identifier bytes: 0x10 | (n-1) for n input bytes, 0x20 | (n-1) for n
// output bytes, n at most 16 per identifier.
std::size_t AppendIdentifiers(std::uint8_t* to, std::uint8_t kind, std::size_t bytes) {
    std::size_t count = 0;
    for (; bytes > 0; bytes -= bytes > 16 ? 16 : bytes)
        to[count++] = static_cast<std::uint8_t>(kind | ((bytes > 16 ? 16 : bytes) - 1));
    return count;
}

struct ServiceName {
    int Dsap;
    const char* Name;
};

constexpr ServiceName kServiceNames[] = {
    {-1, "Data_Exchange"}, {55, "Set_Slave_Add"},  {kSapReadInputs, "Rd_Inp"},   {kSapReadOutputs, "Rd_Outp"},
    {58, "Global_Control"}, {kSapGetConfiguration, "Get_Cfg"}, {kSapDiagnosis, "Slave_Diag"},
    {kSapParameters, "Set_Prm"}, {kSapConfiguration, "Chk_Cfg"}, {kSapDpv1, "DPV1_Read_Write"},
    {kSapAlarmAck, "DPV1_Alarm_Ack"}, {49, "DPV1_Initiate"}};

}  // namespace

void StartOver(SlaveState& s) {
    s.Phase = SlavePhase::FirstDiagnosis;
    s.Fcb = true;
    s.Fcv = false;
    s.ExchangeNoted = false;
    s.Faults.Job.Sent = false;
    s.Faults.Job.Polls = 0;
}

const char* ServiceOfSap(int dsap) {
    for (const ServiceName& s : kServiceNames)
        if (s.Dsap == dsap) return s.Name;
    return dsap >= 0 && dsap <= 48 ? "DPV1_Class2" : "unknown";
}

std::uint8_t RequestFc(const SlaveState& s) {
    return static_cast<std::uint8_t>(kFcSrdHigh | (s.Fcb ? fdl::FcFcbBit : 0) | (s.Fcv ? fdl::FcFcvBit : 0));
}

void BuildSapRequest(GenFrame& frame, const MasterState& m, const SlaveState& s, std::uint8_t dsap,
                     std::uint8_t ssap, const std::uint8_t* data, std::size_t count) {
    BuildSapFrame(frame, s.Address, m.Address, RequestFc(s), dsap, ssap, data, count);
}

void BuildSapAnswer(GenFrame& frame, const MasterState& m, const SlaveState& s, std::uint8_t fc,
                    std::uint8_t dsap, std::uint8_t ssap, const std::uint8_t* data, std::size_t count) {
    BuildSapFrame(frame, m.Address, s.Address, fc, dsap, ssap, data, count);
}

std::size_t SlaveConfiguration(const SlaveState& s, std::uint8_t* to) {
    std::size_t count = AppendIdentifiers(to, 0x10, s.InputLength);
    return count + AppendIdentifiers(to + count, 0x20, s.OutputLength);
}

std::size_t MasterConfiguration(const SlaveState& s, std::uint8_t* to) {
    std::size_t count = SlaveConfiguration(s, to);
    if (s.Faults.ExtraModule != 0) to[count++] = s.Faults.ExtraModule;
    return count;
}

bool SlaveTransact(TrafficState& t, const MasterState& m, const GenFrame& request, const GenFrame& answer,
                   SlaveState& s) {
    SlaveFaults& f = s.Faults;
    bool answered = Transact(t, request, IsSilent(s) ? nullptr : &answer, s.ResponseBits, kRetries);
    s.LastRequestNatural = t.LastTransaction.LastRequestStart;
    ObserveSlaveExchange(t, m, s);
    AfterFaultExchange(t, m, s);
    NoteChangeShown(t, s);
    if (answered) {
        Answered(s);
        if (f.Returning) {
            std::string detail;
            AddNumberDetail(detail, "unanswered", f.Unanswered);
            NoteEvent(t, t.LastTransaction.Answer, m, s.Address, EventKind::DropoutEnd, std::move(detail));
            f.Returning = false;
        }
        return true;
    }
    if (f.Silent) f.Unanswered += t.LastTransaction.Requests;
    if (s.Phase != SlavePhase::FirstDiagnosis) {
        std::string detail;
        AddNumberDetail(detail, "requests", t.LastTransaction.Requests);
        NoteEvent(t, t.LastTransaction.LastRequest, m, s.Address, EventKind::Lost, std::move(detail));
    }
    StartOver(s);  // the master gave up on the slave
    return false;
}

}  // namespace zelmot
