// DP services on top of FDL send-and-request-data (SRD, high priority):
// data exchange on the default SAP, and the SAP services parameters
// (DSAP 61) and configuration check (62) from the master's SSAP 62, with
// the diagnosis (60) in its own file. A slave's scenario changes what the
// master sends (DP-V1 mode, a wrong ident, a module too many) and what
// follows a data exchange (a DP-V1 service, a service the slave lacks).
// In CLEAR a master sends zero outputs. A fault scenario may have the slave
// answer a Data_Exchange with RS (it lost its parameters), and the master
// ask with Get_Cfg what configuration the slave has.
#include "gen_slave_services.h"

#include "gen_acyclic.h"
#include "gen_diagnosis.h"
#include "gen_fault_steps.h"
#include "gen_scenarios.h"
#include "gen_slave_link.h"

namespace zelmot {
namespace {

constexpr std::uint8_t kDpv1Mode = 0x80;
constexpr std::uint8_t kWdBase1ms = 0x04;
constexpr std::array<std::uint8_t, kMaxIoBytes> kSafeOutputs{};

// Lock_Req and WD_On, the watchdog, min_Tsdr 11, the ident, no group, then
// DPV1_Status_1 to _3 for a DP-V1 slave, three user parameter bytes for
// another (zeros, the last one UserPrm).
void SendParameters(TrafficState& t, const MasterState& m, SlaveState& s) {
    SlaveFaults& f = s.Faults;
    std::uint16_t ident = f.WrongIdent ? f.PrmIdent : s.Ident;
    std::uint8_t status1 = static_cast<std::uint8_t>((f.Dpv1 ? kDpv1Mode : 0) | (s.Wd.Base1ms ? kWdBase1ms : 0));
    const std::uint8_t data[10] = {0x88,
                                   s.Wd.Fact1,
                                   s.Wd.Fact2,
                                   11,
                                   static_cast<std::uint8_t>(ident >> 8),
                                   static_cast<std::uint8_t>(ident),
                                   0x00,
                                   status1,
                                   f.Dpv1Status2,
                                   f.Dpv1 ? std::uint8_t{0} : s.UserPrm};
    GenFrame request;
    BuildSapRequest(request, m, s, kSapParameters, kSapMaster, data, sizeof data);
    GenFrame answer;
    BuildShortAck(answer);
    if (!SlaveTransact(t, m, request, answer, s)) return;
    s.Phase = SlavePhase::Configuration;
    if (!f.WrongIdent) return;
    // The slave takes the telegram and reports Prm_Fault when asked.
    f.ShownFault = kPrmFault;
    std::string detail;
    AddHexDetail(detail, "sent", ident, 4);
    AddHexDetail(detail, "ident", s.Ident, 4);
    NoteEvent(t, t.LastTransaction.LastRequest, m, s.Address, EventKind::WrongIdent, std::move(detail));
}

void CheckConfiguration(TrafficState& t, const MasterState& m, SlaveState& s) {
    std::uint8_t data[kMaxConfiguration];
    std::size_t count = MasterConfiguration(s, data);
    GenFrame request;
    BuildSapRequest(request, m, s, kSapConfiguration, kSapMaster, data, count);
    GenFrame answer;
    BuildShortAck(answer);
    if (!SlaveTransact(t, m, request, answer, s)) return;
    s.Phase = SlavePhase::SecondDiagnosis;
    if (s.Faults.ExtraModule != 0) s.Faults.ShownFault |= kCfgFault;
}

// Get_Cfg: the slave answers with its own configuration.
void GetConfiguration(TrafficState& t, const MasterState& m, SlaveState& s) {
    std::uint8_t data[kMaxConfiguration];
    std::size_t count = SlaveConfiguration(s, data);
    GenFrame request;
    BuildSapRequest(request, m, s, kSapGetConfiguration, kSapMaster, nullptr, 0);
    GenFrame answer;
    BuildSapAnswer(answer, m, s, fdl::FcDl, kSapMaster, kSapGetConfiguration, data, count);
    if (SlaveTransact(t, m, request, answer, s)) s.Fault.AskConfiguration = false;
}

// Inputs move a little between exchanges: a counter and a wandering value.
void DriftInputs(TrafficState& t, SlaveState& s) {
    ++s.Inputs[0];
    std::uint32_t at = RandomBelow(t.TrafficRng, s.InputLength);
    s.Inputs[at] = static_cast<std::uint8_t>(s.Inputs[at] + RandomBelow(t.TrafficRng, 7) - 3);
}

void ExchangeData(TrafficState& t, const MasterState& m, SlaveState& s) {
    if (s.OutputLength != 0 && RandomBelow(t.TrafficRng, 16) == 0) {
        std::uint32_t at = RandomBelow(t.TrafficRng, s.OutputLength);
        s.Outputs[at] ^= static_cast<std::uint8_t>(1u << RandomBelow(t.TrafficRng, 8));
    }
    const std::uint8_t* outputs = (m.Control & kClearData) != 0 ? kSafeOutputs.data() : s.Outputs.data();
    GenFrame request;
    BuildDataFrame(request, s.Address, m.Address, RequestFc(s), outputs, s.OutputLength);
    GenFrame answer;
    bool wantsDiagnosis = false;
    bool forced = false;
    if (s.InputLength == 0) {
        BuildShortAck(answer);
    } else {
        DriftInputs(t, s);
        // A DP-V1 slave of a scenario reports only the scenario's diagnosis.
        wantsDiagnosis = !s.Faults.Dpv1 && Happens(t.TrafficRng, t.DiagChance);
        forced = s.Faults.ForceDh;
        BuildDataFrame(answer, m.Address, s.Address, wantsDiagnosis || forced ? fdl::FcDh : fdl::FcDl,
                       s.Inputs.data(), s.InputLength);
    }
    bool restarted = s.Fault.AnswerRs;
    if (restarted) BuildDataFrame(answer, m.Address, s.Address, fdl::FcRs, nullptr, 0);
    if (s.DamageEvery != 0 && ++s.ExchangePolls % s.DamageEvery == 0)
        t.Turns.DamageAnswer = t.Turns.SideRetry = true;
    if (!SlaveTransact(t, m, request, answer, s)) return;
    if (restarted) {  // the slave lost its parameters: the master starts it up again
        s.Fault.AnswerRs = false;
        StartOver(s);
        return;
    }
    if (!s.ExchangeNoted) {
        NoteEvent(t, t.LastTransaction.Answer, m, s.Address, EventKind::DataExchange);
        s.ExchangeNoted = true;
    }
    if (forced) {
        s.Faults.ForceDh = false;
        s.Faults.DiagWanted = true;
    } else if (wantsDiagnosis) {
        s.DiagnosisPending = true;
    }
}

}  // namespace

void PollSlave(TrafficState& t, const MasterState& m, SlaveState& s) {
    AdvanceSlaveScenario(t, m, s);
    AdvanceFault(t, m, s);
    if (s.Fault.AskConfiguration) {
        GetConfiguration(t, m, s);
        return;
    }
    switch (s.Phase) {
        case SlavePhase::FirstDiagnosis:
        case SlavePhase::SecondDiagnosis:
            RequestDiagnosis(t, m, s);
            break;
        case SlavePhase::Parameters:
            SendParameters(t, m, s);
            break;
        case SlavePhase::Configuration:
            CheckConfiguration(t, m, s);
            break;
        case SlavePhase::Exchange:
            if (s.DiagnosisPending || s.Faults.DiagWanted) {
                RequestDiagnosis(t, m, s);
                break;
            }
            ExchangeData(t, m, s);
            if (s.Phase != SlavePhase::Exchange) break;
            if (s.Faults.Job.Active) {
                AcyclicStep(t, m, s);
            } else if (s.Faults.AskDsap != 0) {
                AskMissingService(t, m, s);
            }
            break;
    }
}

}  // namespace zelmot
