// The token ring: masters at addresses 1..M, slaves from address 5 on,
// shared out among the masters in turn. A token hold is the holder's poll
// list, then every fourth hold an FDL status poll of the next station
// address, every 64th hold a global control broadcast (at once when the
// master's command changes), then the token pass. Frames are made a step at
// a time and handed out one by one. A slave gone from the plant (--change)
// is polled in the shadow: its poll is made, so that the plant's draws stay
// as they were, and thrown away.
#include "gen_traffic.h"

#include <cassert>

#include "gen_changes.h"
#include "gen_dp_observe.h"
#include "gen_fault_plan.h"
#include "gen_scenarios.h"
#include "gen_slave_services.h"
#include "gen_transact.h"

namespace zelmot {
namespace {

constexpr std::uint8_t kHighestStation = 125;
constexpr std::uint8_t kBroadcast = 127;
constexpr std::uint8_t kFcFdlStatus = fdl::FcRequestBit | fdl::FcFdlStatus;
constexpr std::uint8_t kFcSdnHigh = fdl::FcRequestBit | fdl::FcSdnHigh;
constexpr std::uint8_t kStationSlave = 0x00;     // FDL status answer: slave station
constexpr std::uint8_t kStationInRing = 0x30;    // FDL status answer: master in the ring
constexpr std::uint8_t kSapGlobalControl = 58;
constexpr std::uint8_t kSapMaster = 62;
constexpr std::uint32_t kStatusPollEvery = 4;
constexpr std::uint32_t kGlobalControlEvery = 64;

// Typical I/O sizes of DP slaves; 8 bytes make SD3 frames.
constexpr std::uint8_t kIoSizes[] = {0, 1, 2, 2, 4, 4, 6, 8, 8, 10, 16, 32};

void InitSlave(SlaveState& s, std::uint8_t address, Rng& rng, const BusProfile& bus) {
    s.Address = address;
    s.InputLength = kIoSizes[RandomBelow(rng, sizeof kIoSizes)];
    s.OutputLength = kIoSizes[RandomBelow(rng, sizeof kIoSizes)];
    if (s.InputLength == 0 && s.OutputLength == 0) s.InputLength = 2;
    s.ResponseBits = static_cast<std::uint16_t>(RandomIn(rng, 11, bus.MaxResponseBits));
    s.Ident = static_cast<std::uint16_t>(RandomBelow(rng, 0x10000));
    for (auto& b : s.Inputs) b = static_cast<std::uint8_t>(RandomBelow(rng, 256));
    for (auto& b : s.Outputs) b = static_cast<std::uint8_t>(RandomBelow(rng, 256));
}

// The FDL status a station answers with, or -1 for an unused address.
int StationType(const TrafficState& t, std::uint8_t address) {
    if (address >= 1 && address <= t.Masters.size()) return kStationInRing;
    if (address >= kFirstSlaveAddress && address < kFirstSlaveAddress + t.Slaves.size()) return kStationSlave;
    return -1;
}

void PollStationStatus(TrafficState& t, MasterState& m) {
    do {
        m.GapAddress = static_cast<std::uint8_t>(m.GapAddress >= kHighestStation ? 0 : m.GapAddress + 1);
    } while (m.GapAddress == m.Address);
    GenFrame request;
    BuildDataFrame(request, m.GapAddress, m.Address, kFcFdlStatus, nullptr, 0);
    int type = StationType(t, m.GapAddress);
    GenFrame answer;
    if (type >= 0)
        BuildDataFrame(answer, m.Address, m.GapAddress, static_cast<std::uint8_t>(type), nullptr, 0);
    SlaveState* slave = type == kStationSlave ? &t.Slaves[m.GapAddress - kFirstSlaveAddress] : nullptr;
    // A slave gone or silent answers nothing; the draws of its answer are made all the same.
    if (slave != nullptr && (slave->Gone || IsSilent(*slave))) t.Turns.DiscardAnswer = true;
    Transact(t, request, type >= 0 ? &answer : nullptr, t.Bus.MaxResponseBits / 2, 0);
    // A request of its master to a slave: its request interval starts anew.
    if (slave != nullptr && slave->MasterIndex == t.Holder) slave->LastRequestNatural = t.LastTransaction.LastRequestStart;
}

// Command byte, then group select 0 (all slaves). A new command counts as
// sent once a clean frame carried it.
void SendGlobalControl(TrafficState& t, MasterState& m) {
    const std::uint8_t units[4] = {kSapGlobalControl, kSapMaster, m.Control, 0x00};
    GenFrame& frame = PushMasterFrame(t, MasterGap::Request);
    std::uint64_t number = t.FramesMade - 1;
    BuildDataFrame(frame, kBroadcast | fdl::SapExtBit, m.Address | fdl::SapExtBit, kFcSdnHigh, units,
                   sizeof units);
    bool clean = FinishFrame(t, frame);
    ObserveGlobalControl(t, m, number, clean);
    if (!clean || !m.ControlChanged) return;
    m.ControlChanged = false;
    std::string detail;
    AddHexDetail(detail, "command", m.Control, 2);
    AddHexDetail(detail, "group", 0, 2);
    NoteEvent(t, number, m, kBroadcast, m.Control != 0 ? EventKind::ClearOn : EventKind::ClearOff,
              std::move(detail));
}

void PassToken(TrafficState& t) {
    const MasterState& from = t.Masters[t.Holder];
    t.Holder = (t.Holder + 1) % t.Masters.size();
    GenFrame& frame = PushMasterFrame(t, MasterGap::Token);
    BuildToken(frame, t.Masters[t.Holder].Address, from.Address);
    FinishFrame(t, frame);
    t.Step = 0;
}

// One slave poll, or the end of the holder's token hold.
void Step(TrafficState& t) {
    MasterState& m = t.Masters[t.Holder];
    if (t.Step < m.Slaves.size()) {
        SlaveState& s = t.Slaves[m.Slaves[t.Step++]];
        if (s.Gone) {
            PollInShadow(t, m, s);
        } else {
            PollSlave(t, m, s);
        }
        return;
    }
    ++m.Holds;
    if (m.Holds % kStatusPollEvery == 0) PollStationStatus(t, m);
    AdvanceMasterControl(t, m);
    if ((m.Holds % kGlobalControlEvery == 0 || m.ControlChanged) && !m.Slaves.empty()) SendGlobalControl(t, m);
    PassToken(t);
}

}  // namespace

Outcome InitTraffic(TrafficState& t, const GenOptions& options, const BusProfile& bus) {
    t = TrafficState{};
    t.Bus = bus;
    t.TrafficRng = SeedRng(options.Seed, 1);
    t.ErrorRng = SeedRng(options.Seed, 2);
    t.ErrorChance = ChanceOf(options.ErrorRate);
    t.TimeoutChance = ChanceOf(options.TimeoutRate);
    t.DiagChance = ChanceOf(options.DiagRate);
    t.SideRng = SeedRng(options.Seed, 7);
    t.FrameLimit = std::uint64_t{options.Minutes} * options.FramesPerMinute - 1;
    t.FramesPerMinute = options.FramesPerMinute;
    Watchdog watchdog = RunWatchdog(options);
    if (options.WatchdogMs != 0) EncodeWatchdog(options.WatchdogMs, false, watchdog);
    t.Masters.resize(options.Masters);
    for (std::size_t i = 0; i < t.Masters.size(); ++i) {
        t.Masters[i].Address = static_cast<std::uint8_t>(1 + i);
        t.Masters[i].GapAddress = t.Masters[i].Address;
    }
    t.Slaves.resize(options.Slaves);
    for (std::size_t i = 0; i < t.Slaves.size(); ++i) {
        InitSlave(t.Slaves[i], static_cast<std::uint8_t>(kFirstSlaveAddress + i), t.TrafficRng, bus);
        t.Slaves[i].Wd = watchdog;
        t.Slaves[i].MasterIndex = static_cast<std::uint8_t>(i % t.Masters.size());
        t.Masters[i % t.Masters.size()].Slaves.push_back(i);
    }
    t.Recording = !options.RecordPath.empty();
    PlanScenarios(t, options);
    Outcome planned = PlanFaults(t, options);
    if (!planned.IsOk()) return planned;
    return ApplyChanges(t, options);
}

void NoteEvent(TrafficState& t, std::uint64_t frame, const MasterState& m, std::uint8_t station, EventKind kind,
               std::string detail) {
    if (!t.Recording || t.Shadow) return;
    t.Events.push_back(TrafficEvent{frame, m.Address, station, kind, std::move(detail)});
}

bool NextFrameUnweighted(const TrafficState& t) { return t.Next < t.Queue.size() && t.Queue[t.Next].IdleWeight == 0; }

const GenFrame& MadeFrame(const TrafficState& t, std::uint64_t number) {
    std::uint64_t first = t.FramesMade - t.Queue.size();
    assert(number >= first && number < t.FramesMade);  // a frame of the current step
    return t.Queue[static_cast<std::size_t>(number - first)];
}

const GenFrame& NextTrafficFrame(TrafficState& t) {
    while (t.Next == t.Queue.size()) {
        t.Queue.clear();
        t.Next = 0;
        Step(t);
    }
    return t.Queue[t.Next++];
}

}  // namespace zelmot
