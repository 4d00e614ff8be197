// What each change does, drawn from a stream of its own: the new ident and
// user parameter value come from the seed; a module doubles its size up to
// 16 bytes (16 halves, 32 becomes 24), inputs before outputs, so the data
// exchange keeps its shape; the watchdog halves; one data exchange answer in
// a hundred is damaged (check sum or end delimiter, the addresses intact);
// answers come after twice the slave's delay and 50 bit times more, at most
// three quarters of the slot time.
#include "gen_changes.h"

#include <algorithm>
#include <cstdio>

#include "gen_events.h"
#include "gen_slave_link.h"
#include "gen_slave_services.h"

namespace zelmot {
namespace {

constexpr std::uint64_t kChangeStream = 8;
constexpr std::uint32_t kDamageEvery = 100;

std::string Hex(std::uint32_t value, unsigned digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*x", static_cast<int>(digits), value);
    return text;
}

std::string ConfigurationText(const SlaveState& s) {
    std::uint8_t bytes[kMaxConfiguration];
    return HexBytes(bytes, SlaveConfiguration(s, bytes));
}

std::uint8_t ResizedModule(std::uint8_t length) {
    if (length < 16) return static_cast<std::uint8_t>(std::min(length * 2, 16));
    return length == 16 ? 8 : 24;
}

Outcome Apply(TrafficState& t, SlaveState& s, ChangeNote& note, Rng& rng) {
    switch (note.Kind) {
        case ChangeKind::Ident:
            note.Before = Hex(s.Ident, 4);
            s.Ident = static_cast<std::uint16_t>(s.Ident ^ RandomIn(rng, 1, 0xFFFF));
            note.After = Hex(s.Ident, 4);
            note.Dsap = kSapDiagnosis;
            note.OnAnswer = true;
            break;
        case ChangeKind::Module:
            note.Before = ConfigurationText(s);
            (s.InputLength != 0 ? s.InputLength : s.OutputLength) =
                ResizedModule(s.InputLength != 0 ? s.InputLength : s.OutputLength);
            note.After = ConfigurationText(s);
            note.Dsap = kSapConfiguration;
            break;
        case ChangeKind::Parameter:
            note.Before = Hex(s.UserPrm, 2);
            s.UserPrm = static_cast<std::uint8_t>(RandomIn(rng, 1, 255));
            note.After = Hex(s.UserPrm, 2);
            note.Dsap = kSapParameters;
            break;
        case ChangeKind::Watchdog:
            note.Before = std::to_string(WatchdogMs(s.Wd));
            s.Wd = WatchdogAtLeast(WatchdogMs(s.Wd) / 2);
            note.After = std::to_string(WatchdogMs(s.Wd));
            note.Dsap = kSapParameters;
            break;
        case ChangeKind::Gone:
            s.Gone = true;
            break;
        case ChangeKind::Errors:
            if (s.InputLength == 0)
                return ErrorText("--change errors=%u: slave %u answers data exchange with SC, which carries no "
                                 "address; choose a slave with inputs",
                                 s.Address, s.Address);
            s.DamageEvery = kDamageEvery;
            note.OnAnswer = true;
            break;
        case ChangeKind::Slow:
            note.Before = std::to_string(s.ResponseBits);
            s.ResponseBits = static_cast<std::uint16_t>(std::min<std::uint32_t>(2u * s.ResponseBits + 50, t.Bus.SlotBits * 3 / 4));
            note.After = std::to_string(s.ResponseBits);
            note.OnAnswer = true;
            break;
    }
    return Success();
}

}  // namespace

Outcome ApplyChanges(TrafficState& t, const GenOptions& options) {
    Rng rng = SeedRng(options.Seed, kChangeStream);
    for (const PlantChange& change : options.Changes) {
        SlaveState& s = t.Slaves[change.Address - kFirstSlaveAddress];
        ChangeNote note;
        note.Kind = change.Kind;
        note.Address = change.Address;
        note.Master = t.Masters[s.MasterIndex].Address;
        Outcome applied = Apply(t, s, note, rng);
        if (!applied.IsOk()) return applied;
        s.Changed = true;
        t.Changes.push_back(note);
    }
    return Success();
}

void PollInShadow(TrafficState& t, const MasterState& m, SlaveState& s) {
    const std::size_t queued = t.Queue.size();
    const std::uint64_t made = t.FramesMade;
    const std::uint64_t clock = t.NaturalClock;
    const std::uint64_t start = t.LastFrameStart;
    t.Shadow = true;
    PollSlave(t, m, s);
    t.Shadow = false;
    t.Queue.resize(queued);
    t.FramesMade = made;
    t.NaturalClock = clock;
    t.LastFrameStart = start;
}

void NoteChangeShown(TrafficState& t, const SlaveState& s) {
    if (!s.Changed || t.Shadow || !t.Recording) return;
    const TransactionFrames& tr = t.LastTransaction;
    const GenFrame& sent = MadeFrame(t, tr.FirstRequest);
    FrameView request = ViewFrame(sent.Bytes.data(), sent.Length);
    for (ChangeNote& c : t.Changes) {
        if (c.Address != s.Address || c.Entry != kNoEntry || c.Kind == ChangeKind::Gone || request.Dsap != c.Dsap)
            continue;
        std::uint64_t number = tr.FirstRequest;
        if (c.Kind == ChangeKind::Errors) {
            if (tr.Requests < 2 || MadeFrame(t, number + 1).Status == 0) continue;  // not the damaged answer
            number += 1;
        } else if (c.OnAnswer) {
            if (!tr.Answered) continue;
            number = tr.Answer;
        }
        if (Observed(t, number)) c.Entry = BookFrame(t.Book, number);
    }
}

}  // namespace zelmot
