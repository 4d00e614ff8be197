// DP services on top of FDL send-and-request-data (SRD, high priority):
// data exchange on the default SAP, and the SAP services parameters
// (DSAP 61) and configuration check (62) from the master's SSAP 62, with
// the diagnosis (60) in its own file. A slave's scenario changes what the
// master sends (DP-V1 mode, a wrong ident, a module too many) and what
// follows a data exchange (a DP-V1 service, a service the slave lacks).
// In CLEAR a master sends zero outputs.
#include "gen_slave_services.h"

#include "gen_acyclic.h"
#include "gen_diagnosis.h"
#include "gen_scenarios.h"
#include "gen_slave_link.h"

namespace zelmot {
namespace {

constexpr std::uint8_t kDpv1Mode = 0x80;
// A slave reports new diagnosis (DH) about once in 4000 exchanges.
constexpr Chance kDiagnosisChance{static_cast<std::uint64_t>(kChanceScale / 4000)};
constexpr std::array<std::uint8_t, kMaxIoBytes> kSafeOutputs{};

void SendParameters(TrafficState& t, const MasterState& m, SlaveState& s) {
    SlaveFaults& f = s.Faults;
    std::uint16_t ident = f.WrongIdent ? f.PrmIdent : s.Ident;
    const std::uint8_t data[10] = {0x88,
                                   10,
                                   10,
                                   11,
                                   static_cast<std::uint8_t>(ident >> 8),
                                   static_cast<std::uint8_t>(ident),
                                   0x00,
                                   f.Dpv1 ? kDpv1Mode : std::uint8_t{0},
                                   f.Dpv1Status2,
                                   0x00};
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
        wantsDiagnosis = !s.Faults.Dpv1 && Happens(t.TrafficRng, kDiagnosisChance);
        forced = s.Faults.ForceDh;
        BuildDataFrame(answer, m.Address, s.Address, wantsDiagnosis || forced ? fdl::FcDh : fdl::FcDl,
                       s.Inputs.data(), s.InputLength);
    }
    if (!SlaveTransact(t, m, request, answer, s)) return;
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
