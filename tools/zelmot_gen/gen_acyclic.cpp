// DP-V1 PDUs: read 0x5E slot index length (reply: the same four bytes and
// the data), its negative reply 0xDE with Error_Decode 0x80 and the two error
// codes, alarm acknowledge 0x5C slot type specifier (reply: the same). The
// master sends them from SAP 51. The request and every poll before the
// reply is ready are answered SC; a poll is a new request, so its FCB
// toggles. Rd_Inp and Get_Cfg go from SAP 62; the slave without them
// answers an SD1 frame with FC 3.
#include "gen_acyclic.h"

#include <cassert>

#include "gen_slave_link.h"

namespace zelmot {
namespace {

constexpr std::uint8_t kRead = 0x5E;
constexpr std::uint8_t kAlarmAck = 0x5C;
constexpr std::uint8_t kNegative = 0x80;
constexpr std::uint8_t kErrorDecodeDpv1 = 0x80;
constexpr std::uint8_t kInvalidIndex = 0xB0;

void NoteReply(TrafficState& t, const MasterState& m, const SlaveState& s) {
    const AcyclicJob& j = s.Faults.Job;
    std::string detail;
    AddNumberDetail(detail, "slot", j.Request[1]);
    EventKind kind = EventKind::AlarmAck;
    if (j.Request[0] == kAlarmAck) {
        AddNumberDetail(detail, "type", j.Request[2]);
        AddHexDetail(detail, "specifier", j.Request[3], 2);
    } else {
        AddNumberDetail(detail, "index", j.Request[2]);
        AddNumberDetail(detail, "length", j.Request[3]);
        kind = EventKind::Dpv1Read;
        if (j.Reply[0] & kNegative) {
            kind = EventKind::Dpv1Error;
            AddHexDetail(detail, "error_decode", j.Reply[1], 2);
            AddHexDetail(detail, "error_code_1", j.Reply[2], 2);
            AddHexDetail(detail, "error_code_2", j.Reply[3], 2);
        }
    }
    AddNumberDetail(detail, "polls", j.Polls);
    NoteEvent(t, t.LastTransaction.Answer, m, s.Address, kind, std::move(detail));
}

// The job is done: an acknowledged alarm leaves the diagnosis, and once the
// fault is gone too the slave says so with DH.
void FinishJob(SlaveState& s) {
    SlaveFaults& f = s.Faults;
    f.Job.Active = false;
    if (f.Job.Request[0] != kAlarmAck) {
        ++f.JobsDone;
        return;
    }
    f.AlarmPresent = false;
    if (!f.ChannelFault) {
        f.ForceDh = true;
        f.ClearPending = true;
    }
}

}  // namespace

void QueueRead(TrafficState& t, SlaveState& s, bool refused) {
    AcyclicJob& j = s.Faults.Job;
    j = AcyclicJob{};
    j.Active = true;
    j.Dsap = kSapDpv1;
    j.ReadyAfter = static_cast<std::uint8_t>(RandomIn(t.ScenarioRng, 1, 3));
    j.Request = {kRead, static_cast<std::uint8_t>(RandomIn(t.ScenarioRng, 0, 4)),
                 static_cast<std::uint8_t>(RandomBelow(t.ScenarioRng, 256)),
                 static_cast<std::uint8_t>(RandomIn(t.ScenarioRng, 1, kMaxReadLength))};
    if (refused) {
        j.Reply = {kRead | kNegative, kErrorDecodeDpv1, kInvalidIndex, 0x00};
        j.ReplyLength = 4;
        return;
    }
    for (std::size_t i = 0; i < 4; ++i) j.Reply[i] = j.Request[i];
    for (std::size_t i = 0; i < j.Request[3]; ++i) j.Reply[4 + i] = static_cast<std::uint8_t>(RandomBelow(t.ScenarioRng, 256));
    j.ReplyLength = static_cast<std::uint8_t>(4 + j.Request[3]);
}

void QueueAlarmAck(SlaveState& s) {
    AcyclicJob& j = s.Faults.Job;
    j = AcyclicJob{};
    j.Active = true;
    j.Dsap = kSapAlarmAck;
    j.ReadyAfter = 1;
    j.Request = {kAlarmAck, AlarmSlot(s.Faults), kDiagnosisAlarm, s.Faults.AlarmSpecifier};
    for (std::size_t i = 0; i < 4; ++i) j.Reply[i] = j.Request[i];
    j.ReplyLength = 4;
}

void AcyclicStep(TrafficState& t, const MasterState& m, SlaveState& s) {
    AcyclicJob& j = s.Faults.Job;
    assert(j.Active && j.ReadyAfter >= 1);
    bool ready = j.Sent && j.Polls + 1 == j.ReadyAfter;
    GenFrame request;
    BuildSapRequest(request, m, s, j.Dsap, kSapDpv1, j.Request.data(), j.Request.size());
    GenFrame answer;
    if (ready) {
        BuildSapAnswer(answer, m, s, fdl::FcDl, kSapDpv1, j.Dsap, j.Reply.data(), j.ReplyLength);
    } else {
        BuildShortAck(answer);
    }
    if (!SlaveTransact(t, m, request, answer, s)) return;  // asked again after the start-up
    if (!j.Sent) {
        j.Sent = true;
        return;
    }
    ++j.Polls;
    if (!ready) return;
    NoteReply(t, m, s);
    FinishJob(s);
}

void AskMissingService(TrafficState& t, const MasterState& m, SlaveState& s) {
    SlaveFaults& f = s.Faults;
    assert(f.AskDsap != 0);
    GenFrame request;
    BuildSapRequest(request, m, s, f.AskDsap, kSapMaster, nullptr, 0);
    GenFrame answer;
    BuildDataFrame(answer, m.Address, s.Address, fdl::FcRs, nullptr, 0);
    if (!SlaveTransact(t, m, request, answer, s)) return;  // asked again after the start-up
    std::string detail;
    AddTextDetail(detail, "service", ServiceOfSap(f.AskDsap));
    AddNumberDetail(detail, "dsap", f.AskDsap);
    NoteEvent(t, t.LastTransaction.Answer, m, s.Address, EventKind::RsAnswer, std::move(detail));
    f.AskDsap = 0;
}

}  // namespace zelmot
