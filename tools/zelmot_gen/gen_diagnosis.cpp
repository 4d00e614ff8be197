// A slave in start-up reports Station_Not_Ready and Prm_Req and no master;
// once parameterised, WD_On and its master. After a faulty check it shows
// Cfg_Fault or Prm_Fault with Prm_Req, and the master starts over with
// Set_Prm. Extended diagnosis: the device-related bytes of a random DH, and
// a scenario's identifier-related and channel-related blocks and DP-V1
// diagnosis alarm (header, type 1, slot, specifier), which the master
// acknowledges. A fault scenario may show a restart (the start-up bits
// during data exchange: the master parameterises the slave anew), Stat_Diag
// (the master asks again), another device's ident, or have the master ask
// for the configuration after a Cfg_Fault.
#include "gen_diagnosis.h"

#include "gen_acyclic.h"
#include "gen_slave_link.h"

namespace zelmot {
namespace {

constexpr std::uint8_t kExtDiag = 0x08;
constexpr std::uint8_t kNotReady = 0x02;
constexpr std::uint8_t kStatDiag = 0x02;        // Station_status_2
constexpr std::uint8_t kRunningStatus2 = 0x0C;  // WD_On, always 1
constexpr std::uint8_t kStartStatus2 = 0x05;    // Prm_Req, always 1
constexpr std::uint8_t kNoMaster = 0xFF;
constexpr std::uint8_t kIdentifierBlock = 0x40;
constexpr std::uint8_t kChannelBlock = 0x80;
constexpr std::uint8_t kAlarmBlockLength = 4;
constexpr std::size_t kMaxDiagnosis = 6 + 3 + 2 + 3 + kAlarmBlockLength;

// The scenario's blocks after to, each also named in detail.
std::size_t AppendScenarioBlocks(const SlaveFaults& f, std::uint8_t* to, std::string& detail) {
    std::size_t count = 0;
    if (f.ChannelFault) {
        to[0] = kIdentifierBlock | 2;
        to[1] = static_cast<std::uint8_t>(1u << f.FaultModule);
        to[2] = kChannelBlock | f.FaultModule;
        to[3] = f.FaultChannel;
        to[4] = f.FaultType;
        AddBytesDetail(detail, "identifier", to, 2);
        AddBytesDetail(detail, "channel", to + 2, 3);
        count = 5;
    }
    if (f.AlarmPresent) {
        std::uint8_t* alarm = to + count;
        alarm[0] = kAlarmBlockLength;
        alarm[1] = kDiagnosisAlarm;
        alarm[2] = AlarmSlot(f);
        alarm[3] = f.AlarmSpecifier;
        AddBytesDetail(detail, "alarm", alarm, kAlarmBlockLength);
        count += kAlarmBlockLength;
    }
    return count;
}

void NoteFault(TrafficState& t, const MasterState& m, const SlaveState& s) {
    const SlaveFaults& f = s.Faults;
    std::string detail;
    if (f.ShownFault == kCfgFault) {
        std::uint8_t sent[kMaxConfiguration];
        std::uint8_t real[kMaxConfiguration];
        AddBytesDetail(detail, "sent", sent, MasterConfiguration(s, sent));
        AddBytesDetail(detail, "expected", real, SlaveConfiguration(s, real));
    } else {
        AddHexDetail(detail, "sent", f.PrmIdent, 4);
        AddHexDetail(detail, "ident", s.Ident, 4);
    }
    NoteEvent(t, t.LastTransaction.Answer, m, s.Address,
              f.ShownFault == kCfgFault ? EventKind::CfgFault : EventKind::PrmFault, std::move(detail));
}

}  // namespace

void RequestDiagnosis(TrafficState& t, const MasterState& m, SlaveState& s) {
    SlaveFaults& f = s.Faults;
    SlaveFault& fault = s.Fault;
    bool restarted = fault.RestartShown && s.Phase == SlavePhase::Exchange;
    bool running = !restarted && (s.Phase == SlavePhase::Exchange || s.Phase == SlavePhase::SecondDiagnosis);
    bool faultShown = f.ShownFault != 0 && s.Phase == SlavePhase::SecondDiagnosis;
    bool statDiag = running && fault.StatDiagLeft > 0;
    std::uint16_t ident = fault.ShowOtherIdent ? fault.OtherIdent : s.Ident;
    std::uint8_t data[kMaxDiagnosis];
    data[0] = s.DiagnosisPending ? kExtDiag : running ? 0x00 : kNotReady;
    data[1] = static_cast<std::uint8_t>((running ? kRunningStatus2 : kStartStatus2) | (statDiag ? kStatDiag : 0));
    data[2] = 0x00;
    data[3] = running ? m.Address : kNoMaster;
    data[4] = static_cast<std::uint8_t>(ident >> 8);
    data[5] = static_cast<std::uint8_t>(ident);
    if (faultShown) {
        data[0] = f.ShownFault;
        data[1] = kStartStatus2;
        data[3] = kNoMaster;
    }
    std::size_t count = 6;  // with the SAPs eight units: an SD3 answer
    std::string blocks;
    if (s.DiagnosisPending) {  // a device-related block of three bytes
        data[6] = 0x03;
        data[7] = static_cast<std::uint8_t>(RandomBelow(t.TrafficRng, 256));
        data[8] = static_cast<std::uint8_t>(RandomBelow(t.TrafficRng, 256));
        AddBytesDetail(blocks, "device", data + 6, 3);
        count = 9;
    }
    count += AppendScenarioBlocks(f, data + count, blocks);
    if (count > 6) data[0] |= kExtDiag;
    GenFrame request;
    BuildSapRequest(request, m, s, kSapDiagnosis, kSapMaster, nullptr, 0);
    GenFrame answer;
    BuildSapAnswer(answer, m, s, fdl::FcDl, kSapMaster, kSapDiagnosis, data, count);
    if (!SlaveTransact(t, m, request, answer, s)) return;
    if (!blocks.empty()) {
        NoteEvent(t, t.LastTransaction.Answer, m, s.Address, EventKind::ExtDiag, std::move(blocks));
    } else if (f.ClearPending) {
        NoteEvent(t, t.LastTransaction.Answer, m, s.Address, EventKind::DiagClear);
        f.ClearPending = false;
    }
    s.DiagnosisPending = false;
    f.DiagWanted = false;
    if (statDiag) {  // Stat_Diag: the master asks again
        --fault.StatDiagLeft;
        f.DiagWanted = true;
    }
    if (restarted) {
        fault.RestartShown = false;
        s.Phase = SlavePhase::Parameters;
        return;
    }
    if (faultShown) {
        NoteFault(t, m, s);
        f.ShownFault = 0;
        s.Phase = SlavePhase::Parameters;
        fault.AskConfiguration = fault.Chosen && fault.Kind == FaultKind::NotReady;
        return;
    }
    if (s.Phase == SlavePhase::FirstDiagnosis) s.Phase = SlavePhase::Parameters;
    if (s.Phase == SlavePhase::SecondDiagnosis) s.Phase = SlavePhase::Exchange;
    if (f.AlarmPresent && !f.Job.Active) QueueAlarmAck(s);
}

}  // namespace zelmot
