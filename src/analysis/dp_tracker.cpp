// The DP state rules, applied request by request. A request is judged by
// its service when it is taken (only Set_Prm and Chk_Cfg keep their data
// unit, for the report); the frame after it decides: unanswered, answered
// negatively (UE, RR, RS), or answered positively, which moves the state
// and, for a Slave_Diag, compares the diagnosis with the slave's last one
// byte for byte. Nothing is decoded for a frame that is no DP request or
// answer, and a diagnosis is kept, not decoded: the report decodes it.
#include "analysis/dp_tracker.h"

#include <algorithm>
#include <cassert>

#include "analysis/dp_facts.h"
#include "dp/dp_codes.h"
#include "dp/dp_commands.h"
#include "dp/dp_dpv1.h"
#include "fdl/fdl_codes.h"

namespace zelmot {
namespace {

fdl::Bytes FrameBytes(const CaptureFrame& frame) { return fdl::Bytes(frame.Bytes.data(), frame.Length); }

DpSlaveStats& SlaveOf(BusStats& stats, std::uint8_t address) {
    assert(address < kStationCount);  // addresses come masked with fdl::AddressMask
    return stats.Stations[address].Dp;
}

bool AddEvent(DpEvents& events, const DpEvent& event) {
    if (events.Kept.size() >= events.Limit) {
        ++events.Dropped;
        return false;
    }
    events.Kept.push_back(event);
    return true;
}

void ChangeState(BusStats& stats, std::uint8_t address, DpState to, std::int64_t ns, bool inWindow) {
    DpSlaveStats& slave = SlaveOf(stats, address);
    if (slave.State == to) return;
    if (inWindow && to == DpState::DataExchange) ++slave.Entries;
    if (inWindow && slave.State == DpState::DataExchange) ++slave.DropOuts;
    DpEvent event{.Ns = ns, .Address = address, .Kind = DpEventKind::State};
    event.From = slave.State;
    event.To = to;
    AddEvent(stats.Events, event);
    slave.State = to;
}

void NoteGlobalControl(DpTracker& tracker, BusStats& stats, fdl::Bytes data, const AnalysedFrame& frame) {
    const std::uint8_t master = frame.Class.Sa;
    const std::int64_t ns = frame.Ns;
    const dp::GlobalControl control = dp::DecodeGlobalControl(data);
    NoteClearControl(stats, master, control.Control, RefOf(frame), frame.InWindow);
    DpMasterLink& link = tracker.Masters[master];
    if (!link.HasControl || link.LastControl != control.Control) {
        DpEvent event{.Ns = ns, .Address = master, .Kind = DpEventKind::GlobalControl};
        event.Control = control.Control;
        event.Group = control.GroupSelect;
        AddEvent(stats.Events, event);
    }
    link.HasControl = true;
    link.LastControl = control.Control;
}

// A read or write counts once however often the master polls it.
void TakeDpv1Request(DpSlaveLink& link, DpSlaveStats& slave, const CaptureFrame& frame, fdl::Bytes data,
                     bool inWindow) {
    const dp::Dpv1Pdu pdu = dp::DecodeDpv1Pdu(data, dp::PduSide::Request);
    if (pdu.Negative || (pdu.Function != dp::kDpv1Read && pdu.Function != dp::kDpv1Write)) return;
    Dpv1Waiting request{true, frame.Bytes[static_cast<std::size_t>(frame.Fields.DSAP)], pdu.Function, pdu.Slot,
                        pdu.Index, pdu.Length};
    const Dpv1Waiting& waiting = link.Dpv1;
    bool repeat = waiting.Active && waiting.Sap == request.Sap && waiting.Function == request.Function &&
                  waiting.Slot == request.Slot && waiting.Index == request.Index && waiting.Length == request.Length;
    link.Dpv1 = request;
    if (repeat || !inWindow) return;
    if (pdu.Function == dp::kDpv1Read) ++slave.Dpv1Reads;
    else ++slave.Dpv1Writes;
}

void TakeDiagResponse(BusStats& stats, std::uint8_t address, fdl::Bytes data, bool inWindow, std::int64_t ns) {
    DpSlaveStats& slave = SlaveOf(stats, address);
    DpDiagFigures& diag = slave.Diag;
    if (inWindow) ++diag.Responses;
    bool differs = !diag.Seen || !SameBytes(diag.Last, data);
    diag.Seen = true;
    diag.LastNs = ns;
    diag.Dpv1 = slave.Dpv1;
    diag.CfgSlots = ConfiguredSlots(slave);
    if (data.size() >= dp::kDiagHeaderSize) {
        slave.HasIdent = true;
        slave.MasterAdd = data[3];
        slave.Ident = fdl::BigEndianAt(data, 4);
    }
    if (!differs) return;
    SetBytes(diag.Last, data);
    DpEvent event{.Ns = ns, .Address = address, .Kind = DpEventKind::Diag};
    event.Dpv1 = slave.Dpv1;
    event.CfgSlots = diag.CfgSlots;
    event.DiagOffset = static_cast<std::uint32_t>(stats.Events.Bytes.size());
    event.DiagSize = static_cast<std::uint8_t>(data.size());
    if (AddEvent(stats.Events, event)) stats.Events.Bytes.insert(stats.Events.Bytes.end(), data.begin(), data.end());
}

// The parameters a slave took: its ident against its last diagnosis, and
// whether it now runs in DP-V1 mode.
void TakeParameters(BusStats& stats, std::uint8_t address, const PendingDpRequest& request, bool inWindow) {
    DpSlaveStats& slave = SlaveOf(stats, address);
    const fdl::Bytes data = BytesOf(request.Data);
    const dp::SetPrm prm = dp::DecodeSetPrm(data);
    if (slave.HasIdent && data.size() >= dp::kSetPrmSize && prm.IdentNumber != slave.Ident) {
        DpEvent event{.Ns = request.RequestNs, .Address = address, .Kind = DpEventKind::IdentMismatch};
        event.PrmIdent = prm.IdentNumber;
        event.DiagIdent = slave.Ident;
        AddEvent(stats.Events, event);
    }
    slave.Dpv1 = prm.Dpv1;
    if (inWindow) ++slave.Prm.Count;
    slave.Prm.Seen = true;
    slave.Prm.LastNs = request.RequestNs;
    slave.Prm.Data = request.Data;
}

void TakeConfiguration(DpSlaveStats& slave, const PendingDpRequest& request, bool inWindow) {
    if (inWindow) ++slave.Cfg.Count;
    slave.Cfg.Seen = true;
    slave.Cfg.LastNs = request.RequestNs;
    slave.Cfg.Data = request.Data;
}

// A DP-V1 reply (a frame, not the SC of a reply not yet ready) ends the
// request waiting; a negative one is an event.
void TakeDpv1Reply(DpSlaveLink& link, BusStats& stats, std::uint8_t address, fdl::Bytes data, bool inWindow,
                   FrameRef at) {
    const std::int64_t ns = at.Ns;
    link.Dpv1.Active = false;
    const dp::Dpv1Pdu pdu = dp::DecodeDpv1Pdu(data, dp::PduSide::Response);
    if (!pdu.Negative) return;
    if (inWindow) {
        ++SlaveOf(stats, address).Dpv1Errors;
        NoteDpv1Refusal(stats, address, at);
    }
    DpEvent event{.Ns = ns, .Address = address, .Kind = DpEventKind::Dpv1Error};
    event.Function = pdu.Function;
    event.ErrorDecode = pdu.ErrorDecode;
    event.ErrorCode1 = pdu.ErrorCode1;
    event.ErrorCode2 = pdu.ErrorCode2;
    AddEvent(stats.Events, event);
}

bool IsDpv1(dp::Service service) {
    return service == dp::Service::Dpv1ReadWrite || service == dp::Service::Dpv1AlarmAck ||
           service == dp::Service::Dpv1Initiate || service == dp::Service::Dpv1Class2;
}

void TakeGetCfg(DpSlaveStats& slave, fdl::Bytes data, const PendingDpRequest& request, bool inWindow) {
    if (inWindow) ++slave.GetCfg.Count;
    slave.GetCfg.Seen = true;
    slave.GetCfg.LastNs = request.RequestNs;
    SetBytes(slave.GetCfg.Data, data);
}

void TakePositiveAnswer(DpTracker& tracker, BusStats& stats, std::uint8_t address, const PendingDpRequest& request,
                        const AnalysedFrame& answered, bool inWindow) {
    const CaptureFrame& answer = *answered.Frame;
    const std::int64_t ns = answered.Ns;
    const FrameRef at = RefOf(answered);
    const bool shortAck = answer.Bytes[0] == fdl::SC;
    // The answer's data unit, read by the services that look at it (none in an SC).
    const auto data = [&answer] { return dp::FrameData(FrameBytes(answer), answer.Fields); };
    DpSlaveStats& slave = SlaveOf(stats, address);
    switch (request.Service) {
        case dp::Service::SlaveDiag: {
            if (slave.State == DpState::None || slave.State == DpState::Offline)
                ChangeState(stats, address, DpState::Diagnosis, ns, inWindow);
            if (shortAck) return;
            const fdl::Bytes diag = data();
            if (slave.InExchange && diag.size() >= dp::kDiagHeaderSize && (diag[1] & dp::kPrmReq))
                NoteDrop(stats, address, DropSign::PrmReq, dp::Negative::None, request.Request, at, nullptr, inWindow);
            TakeDiagResponse(stats, address, diag, inWindow, ns);
            NoteDiagnosis(stats, address, diag, slave.Dpv1, at, inWindow);
            slave.LastDiagFrame = at;
            return;
        }
        case dp::Service::SetPrm: {
            TakeParameters(stats, address, request, inWindow);
            const dp::SetPrm prm = dp::DecodeSetPrm(BytesOf(request.Data));
            constexpr std::int64_t kNsPerMs = 1'000'000;
            NoteParameters(stats, address, request.Master, (prm.StationStatus & dp::kPrmWdOn) != 0,
                           std::int64_t{prm.WatchdogMs} * kNsPerMs);
            ChangeState(stats, address, DpState::Parameterised, ns, inWindow);
            return;
        }
        case dp::Service::ChkCfg:
            TakeConfiguration(slave, request, inWindow);
            slave.LastCfgRequest = request.Request;
            ChangeState(stats, address, DpState::Configured, ns, inWindow);
            return;
        case dp::Service::DataExchange:
            // The usual answer: a slave in data exchange stays there. Entering it
            // sets EverExchanged with InExchange, so both steps below would do nothing.
            if (slave.State == DpState::DataExchange && slave.InExchange) return;
            ChangeState(stats, address, DpState::DataExchange, ns, inWindow);
            EnterExchange(stats, address, at);
            return;
        case dp::Service::GetCfg:
            if (shortAck) return;
            TakeGetCfg(slave, data(), request, inWindow);
            slave.GetCfgAnswer = at;
            return;
        case dp::Service::SetSlaveAdd:
            NoteAddressChange(stats, address, dp::DecodeSetSlaveAdd(BytesOf(request.Data)).NewAddress);
            return;
        default:
            if (IsDpv1(request.Service) && !shortAck)
                TakeDpv1Reply(tracker.Slaves[address], stats, address, data(), inWindow, at);
            return;
    }
}

void TakeRequest(DpTracker& tracker, BusStats& stats, const AnalysedFrame& taken) {
    const CaptureFrame& frame = *taken.Frame;
    const FrameClass& c = taken.Class;
    const bool inWindow = taken.InWindow;
    const std::int64_t ns = taken.Ns;
    PendingDpRequest& pending = tracker.Pending;
    pending.Service = dp::Service::None;
    const fdl::Bytes bytes = FrameBytes(frame);
    const dp::Service service = dp::RequestService(bytes, frame.Fields);
    if (service == dp::Service::None) return;
    const fdl::Bytes data = dp::FrameData(bytes, frame.Fields);
    if (service == dp::Service::GlobalControl) NoteGlobalControl(tracker, stats, data, taken);
    if (c.Da == fdl::BroadcastAddress) return;  // a broadcast gives no station a DP state
    DpSlaveStats& slave = SlaveOf(stats, c.Da);
    slave.Active = true;
    pending.Service = service;
    pending.RequestNs = ns;
    pending.Request = RefOf(taken);
    pending.Master = c.Sa;
    if (slave.FirstRequest.Reference == 0) slave.FirstRequest = pending.Request;
    slave.LastRequest = pending.Request;
    switch (service) {
        case dp::Service::SetPrm:
        case dp::Service::ChkCfg:
        case dp::Service::SetSlaveAdd:
            SetBytes(pending.Data, data);
            break;
        case dp::Service::DataExchange:
            if (inWindow) ++slave.ExchangeRequests;
            break;
        case dp::Service::Dpv1ReadWrite:
        case dp::Service::Dpv1Class2:
            TakeDpv1Request(tracker.Slaves[c.Da], slave, frame, data, inWindow);
            break;
        default:
            break;
    }
}

}  // namespace

void TrackExchange(DpTracker& tracker, BusStats& stats, const Exchange& exchange) {
    const std::uint8_t da = exchange.Request->Da;
    const std::uint8_t fc = exchange.Request->Fc;
    const bool inWindow = exchange.Request->InWindow;
    const bool answered = exchange.Answered;
    const CaptureFrame* answer = exchange.After != nullptr ? exchange.After->Frame : nullptr;
    const std::int64_t answerNs = exchange.After != nullptr ? exchange.After->Ns : 0;
    assert(da < kStationCount && (!answered || answer != nullptr));
    const PendingDpRequest& request = tracker.Pending;
    DpSlaveLink& link = tracker.Slaves[da];
    if (answered) link.UnansweredInRow = 0;
    if (request.Service == dp::Service::None) return;
    DpSlaveStats& slave = SlaveOf(stats, da);
    if (!answered) {
        if (ExpectsNoAnswer(da, fc)) return;
        if (link.UnansweredInRow < kUnansweredForOffline) ++link.UnansweredInRow;
        std::rotate(link.Unanswered.begin(), link.Unanswered.begin() + 1, link.Unanswered.end());
        link.Unanswered.back() = request.Request;
        if (link.UnansweredInRow == kUnansweredForOffline) {
            if (slave.InExchange)
                NoteDrop(stats, da, DropSign::Unanswered, dp::Negative::None, request.Request, request.Request,
                         link.Unanswered.data(), inWindow);
            ChangeState(stats, da, DpState::Offline, request.RequestNs, inWindow);
        }
        return;
    }
    const dp::Negative negative = dp::NegativeResponse(FrameBytes(*answer), answer->Fields);
    if (request.Service == dp::Service::DataExchange && inWindow) {
        ++slave.ExchangeAnswered;
        const std::uint8_t function = answer->Bytes[0] == fdl::SC ? 0 : (answer->Bytes[static_cast<std::size_t>(
                                                                            answer->Fields.FC)] & fdl::FcFunctionMask);
        if (function == fdl::FcDh || function == fdl::FcRdh) ++slave.DiagWaiting;
    }
    if (negative == dp::Negative::None) {
        TakePositiveAnswer(tracker, stats, da, request, *exchange.After, inWindow);
        return;
    }
    if (inWindow) ++slave.Negative[static_cast<std::size_t>(negative) - 1];
    DpEvent event{.Ns = answerNs, .Address = da, .Kind = DpEventKind::Negative};
    event.Response = negative;
    event.Service = request.Service;
    AddEvent(stats.Events, event);
    // RS or UE to a Data_Exchange of a slave in data exchange: it has left it.
    const bool drop = request.Service == dp::Service::DataExchange && slave.InExchange &&
                      (negative == dp::Negative::SapNotEnabled || negative == dp::Negative::UserError);
    if (drop)
        NoteDrop(stats, da, DropSign::Refused, negative, request.Request, RefOf(*exchange.After), nullptr, inWindow);
    else if (inWindow)
        NoteRefusal(stats, da, request.Service, negative, RefOf(*exchange.After));
}

void TrackRequest(DpTracker& tracker, BusStats& stats, const AnalysedFrame& frame) {
    NoteRequestTo(stats, frame);
    TakeRequest(tracker, stats, frame);
}

void FinishDpEvents(DpEvents& events) {
    auto earlier = [](const DpEvent& a, const DpEvent& b) { return a.Ns < b.Ns; };
    if (!std::is_sorted(events.Kept.begin(), events.Kept.end(), earlier))
        std::stable_sort(events.Kept.begin(), events.Kept.end(), earlier);
}

}  // namespace zelmot
