// The DP state rules as zelmot-stats applies them, request by request:
// three unanswered DP requests in a row put a slave offline; an answered
// Slave_Diag moves it from none or offline to diagnosis, Set_Prm to
// parameterised, Chk_Cfg to configured, Data_Exchange to data exchange. A
// slave in data exchange drops out by the first of: its third unanswered
// request, a Data_Exchange answered RS or UE, a Slave_Diag answer with
// Prm_Req; it is back with its next positive Data_Exchange answer. Other
// negative answers (UE, RR, RS, DP-V1 negative responses) are counted.
#include "gen_dp_observe.h"

#include <algorithm>
#include <cstdio>

#include "gen_slave_link.h"

namespace zelmot {
namespace {

constexpr std::uint8_t kUnansweredForOffline = 3;
constexpr std::uint8_t kExtDiag = 0x08;    // Station_status_1
constexpr std::uint8_t kPrmReq = 0x01;     // Station_status_2
constexpr std::uint8_t kStatDiag = 0x02;   // Station_status_2
constexpr std::uint8_t kWdOn = 0x08;       // Set_Prm station status
constexpr std::uint8_t kWdBase1ms = 0x04;  // DPV1_Status_1
constexpr std::uint8_t kDpv1Negative = 0x80;
constexpr std::size_t kNegativeWordsKept = 10;

bool InExchange(const SlaveLog& log) { return log.State == ReaderState::DataExchange && !log.Left; }

void LeaveExchange(SlaveLog& log, std::uint64_t frame) {
    if (InExchange(log)) log.Marks.push_back(ExchangeMark{frame, false});
}

void ChangeState(SlaveLog& log, ReaderState to, std::uint64_t frame) {
    if (to != ReaderState::DataExchange) LeaveExchange(log, frame);
    log.State = to;
}

void Drop(TrafficState& t, SlaveLog& log, std::uint8_t slave, DropCause cause, std::uint64_t frame,
          std::uint64_t request) {
    LeaveExchange(log, frame);
    log.Left = true;
    if (t.Log.Drops.size() >= kDropsKept) return;
    DropSeen drop;
    drop.Slave = slave;
    drop.Master = log.Master;
    drop.Cause = cause;
    drop.Frame = frame;
    drop.Entry = BookFrame(t.Book, frame);
    drop.Request = request;
    drop.WatchdogMs = log.WatchdogMs;
    drop.WdOn = log.WdOn;
    t.Log.Drops.push_back(drop);
    log.OpenDrop = t.Log.Drops.size() - 1;
}

void EnterExchange(TrafficState& t, SlaveLog& log, std::uint64_t answer) {
    if (InExchange(log)) return;
    log.State = ReaderState::DataExchange;
    log.Left = false;
    log.Exchanged = true;
    log.Marks.push_back(ExchangeMark{answer, true});
    if (log.OpenDrop != kNoEntry) t.Log.Drops[log.OpenDrop].BackEntry = BookFrame(t.Book, answer);
    log.OpenDrop = kNoEntry;
}

void AddNegative(TrafficState& t, SlaveLog& log, const char* service, const char* answer, std::uint64_t frame) {
    AddOccurrence(t.Book, log.Negatives, frame);
    if (log.Negatives.Count > kNegativeWordsKept) return;
    if (!log.NegativeWords.empty()) log.NegativeWords += '/';
    log.NegativeWords += service;
    log.NegativeWords += ':';
    log.NegativeWords += answer;
}

void AddDiagnosis(TrafficState& t, SlaveLog& log, const std::vector<std::uint8_t>& bytes, std::uint64_t frame) {
    auto same = std::find_if(log.Diags.begin(), log.Diags.end(), [&](const DiagSeen& d) { return d.Bytes == bytes; });
    if (same == log.Diags.end()) {
        if (log.Diags.size() >= kDiagsKept) return;
        same = log.Diags.insert(log.Diags.end(), DiagSeen{bytes, {}});
    }
    AddOccurrence(t.Book, same->Seen, frame);
}

void TakeIdent(TrafficState& t, SlaveLog& log, std::uint16_t ident, std::uint64_t frame) {
    if (!log.HasIdent) {
        log.HasIdent = true;
        log.FirstIdent = log.Ident = ident;
        return;
    }
    if (ident == log.Ident) return;
    if (log.IdentChanges.Count == 0) log.SecondIdent = ident;
    AddOccurrence(t.Book, log.IdentChanges, frame);
    log.Ident = ident;
}

void TakeDiagnosis(TrafficState& t, SlaveLog& log, std::uint8_t slave, const FrameView& answer,
                   std::uint64_t request, std::uint64_t frame) {
    std::vector<std::uint8_t> bytes(answer.Data, answer.Data + answer.Count);
    if (log.State == ReaderState::None || log.State == ReaderState::Offline) log.State = ReaderState::Diagnosis;
    if (InExchange(log) && bytes.size() >= 2 && (bytes[1] & kPrmReq) != 0) {
        Drop(t, log, slave, DropCause::PrmReq, frame, request);
    } else if (InExchange(log) && bytes.size() >= 2 && ((bytes[0] & kExtDiag) != 0 || (bytes[1] & kStatDiag) != 0)) {
        AddDiagnosis(t, log, bytes, frame);
    }
    if (bytes.size() >= 6) TakeIdent(t, log, static_cast<std::uint16_t>(bytes[4] << 8 | bytes[5]), frame);
    log.LastDiag = std::move(bytes);
}

void TakeParameters(SlaveLog& log, const MasterState& m, const FrameView& request, std::uint64_t frame) {
    const std::uint8_t* d = request.Data;
    log.Master = m.Address;
    if (request.Count >= 3) {
        bool base1ms = request.Count > 7 && (d[7] & kWdBase1ms) != 0;
        log.WatchdogMs = std::uint32_t{d[1]} * d[2] * (base1ms ? 1u : 10u);
        log.WdOn = (d[0] & kWdOn) != 0;
    }
    ChangeState(log, ReaderState::Parameterised, frame);
}

const char* NegativeName(std::uint8_t function) {
    switch (function) {
        case fdl::FcUe: return "UE";
        case fdl::FcRr: return "RR";
        case fdl::FcRs: return "RS";
        default: return nullptr;
    }
}

// The positive answer of a request: the state moves, the data is kept.
void TakeAnswer(TrafficState& t, SlaveLog& log, const MasterState& m, std::uint8_t slave, const FrameView& request,
                const FrameView& answer, std::uint64_t requestNumber, std::uint64_t answerNumber) {
    switch (request.Dsap) {
        case kSapDiagnosis:
            if (answer.Valid) TakeDiagnosis(t, log, slave, answer, requestNumber, answerNumber);
            return;
        case kSapParameters:
            TakeParameters(log, m, request, answerNumber);
            return;
        case kSapConfiguration:
            log.LastChkCfg.assign(request.Data, request.Data + request.Count);
            ChangeState(log, ReaderState::Configured, answerNumber);
            return;
        case kSapGetConfiguration:
            if (!answer.Valid) return;
            log.OwnCfg.assign(answer.Data, answer.Data + answer.Count);
            log.HasOwnCfg = true;
            return;
        case -1:
            EnterExchange(t, log, answerNumber);
            return;
        default:
            if (answer.Valid && answer.Count > 2 && (answer.Data[0] & kDpv1Negative) != 0) {
                char code[8];
                std::snprintf(code, sizeof code, "0x%02x", answer.Data[2]);
                AddNegative(t, log, ServiceOfSap(request.Dsap), code, answerNumber);
            }
            return;
    }
}

void TakeRequest(TrafficState& t, const MasterState& m, const SlaveState& s, std::uint64_t number,
                 const GenFrame* answer, std::uint64_t answerNumber) {
    SlaveLog& log = t.Log.Slaves[s.Address];
    MasterLog& master = t.Log.Masters[m.Address];
    const GenFrame& sent = MadeFrame(t, number);
    FrameView request = ViewFrame(sent.Bytes.data(), sent.Length);
    if (!log.GotDpRequest) log.FirstRequest = BookFrame(t.Book, number);
    log.GotDpRequest = true;
    if (master.InClear) master.Addressed[s.Address] = true;
    if (answer == nullptr) {
        if (log.Unanswered >= kUnansweredForOffline || ++log.Unanswered < kUnansweredForOffline) return;
        if (InExchange(log)) Drop(t, log, s.Address, DropCause::Unanswered, number, number);
        ChangeState(log, ReaderState::Offline, number);
        return;
    }
    log.Unanswered = 0;
    FrameView reply = ViewFrame(answer->Bytes.data(), answer->Length);
    const char* negative = reply.Valid ? NegativeName(reply.Fc & fdl::FcFunctionMask) : nullptr;
    if (negative == nullptr) {
        TakeAnswer(t, log, m, s.Address, request, reply, number, answerNumber);
    } else if (request.Dsap == -1 && (reply.Fc & fdl::FcFunctionMask) != fdl::FcRr && InExchange(log)) {
        Drop(t, log, s.Address, DropCause::Negative, answerNumber, number);
    } else {
        AddNegative(t, log, ServiceOfSap(request.Dsap), negative, answerNumber);
    }
}

}  // namespace

void ObserveSlaveExchange(TrafficState& t, const MasterState& m, const SlaveState& s) {
    const TransactionFrames& tr = t.LastTransaction;
    for (unsigned attempt = 0; attempt < tr.Requests; ++attempt) {
        std::uint64_t number = AttemptFrame(tr, attempt);
        if (!Observed(t, number)) return;
        if (MadeFrame(t, number).Status != 0) continue;  // no request to a reader
        bool answered = AttemptAnswered(tr, attempt) && Observed(t, tr.Answer);
        TakeRequest(t, m, s, number, answered ? &MadeFrame(t, tr.Answer) : nullptr, tr.Answer);
    }
}

void ObserveGlobalControl(TrafficState& t, const MasterState& m, std::uint64_t number, bool clean) {
    if (!clean || !Observed(t, number)) return;
    MasterLog& log = t.Log.Masters[m.Address];
    if ((m.Control & kClearData) != 0) {
        if (log.InClear) return;
        AddOccurrence(t.Book, log.Clears, number);
        log.InClear = true;
        log.ClearEnd = kNoEntry;
    } else if (log.InClear) {
        log.InClear = false;
        log.ClearEnd = BookFrame(t.Book, number);
    }
}

}  // namespace zelmot
