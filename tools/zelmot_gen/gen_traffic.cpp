// The token ring: masters at addresses 1..M, slaves from address 5 on,
// shared out among the masters in turn. A token hold is the holder's poll
// list, then every fourth hold an FDL status poll of the next station
// address, every 64th hold a global control broadcast, then the token pass.
// Frames are made a step at a time and handed out one by one.
#include "gen_traffic.h"

#include "gen_slave_services.h"
#include "gen_transact.h"

namespace zelmot {
namespace {

constexpr std::uint8_t kFirstSlaveAddress = 5;
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
    s.address = address;
    s.inputLength = kIoSizes[RandomBelow(rng, sizeof kIoSizes)];
    s.outputLength = kIoSizes[RandomBelow(rng, sizeof kIoSizes)];
    if (s.inputLength == 0 && s.outputLength == 0) s.inputLength = 2;
    s.responseBits = static_cast<std::uint16_t>(RandomIn(rng, 11, bus.maxResponseBits));
    s.ident = static_cast<std::uint16_t>(RandomBelow(rng, 0x10000));
    for (auto& b : s.inputs) b = static_cast<std::uint8_t>(RandomBelow(rng, 256));
    for (auto& b : s.outputs) b = static_cast<std::uint8_t>(RandomBelow(rng, 256));
}

// The FDL status a station answers with, or -1 for an unused address.
int StationType(const TrafficState& t, std::uint8_t address) {
    if (address >= 1 && address <= t.masters.size()) return kStationInRing;
    if (address >= kFirstSlaveAddress && address < kFirstSlaveAddress + t.slaves.size()) return kStationSlave;
    return -1;
}

void PollStationStatus(TrafficState& t, MasterState& m) {
    do {
        m.gapAddress = static_cast<std::uint8_t>(m.gapAddress >= kHighestStation ? 0 : m.gapAddress + 1);
    } while (m.gapAddress == m.address);
    GenFrame request;
    BuildDataFrame(request, m.gapAddress, m.address, kFcFdlStatus, nullptr, 0);
    int type = StationType(t, m.gapAddress);
    GenFrame answer;
    if (type >= 0)
        BuildDataFrame(answer, m.address, m.gapAddress, static_cast<std::uint8_t>(type), nullptr, 0);
    Transact(t, request, type >= 0 ? &answer : nullptr, t.bus.maxResponseBits / 2, 0);
}

void SendGlobalControl(TrafficState& t, const MasterState& m) {
    const std::uint8_t units[4] = {kSapGlobalControl, kSapMaster, 0x00, 0x00};
    GenFrame& frame = PushMasterFrame(t, MasterGap::Request);
    BuildDataFrame(frame, kBroadcast | fdl::SapExtBit, m.address | fdl::SapExtBit, kFcSdnHigh, units,
                   sizeof units);
    FinishFrame(t, frame);
}

void PassToken(TrafficState& t) {
    const MasterState& from = t.masters[t.holder];
    t.holder = (t.holder + 1) % t.masters.size();
    GenFrame& frame = PushMasterFrame(t, MasterGap::Token);
    BuildToken(frame, t.masters[t.holder].address, from.address);
    FinishFrame(t, frame);
    t.step = 0;
}

// One slave poll, or the end of the holder's token hold.
void Step(TrafficState& t) {
    MasterState& m = t.masters[t.holder];
    if (t.step < m.slaves.size()) {
        PollSlave(t, m, t.slaves[m.slaves[t.step++]]);
        return;
    }
    ++m.holds;
    if (m.holds % kStatusPollEvery == 0) PollStationStatus(t, m);
    if (m.holds % kGlobalControlEvery == 0 && !m.slaves.empty()) SendGlobalControl(t, m);
    PassToken(t);
}

}  // namespace

void InitTraffic(TrafficState& t, const GenOptions& options, const BusProfile& bus) {
    t = TrafficState{};
    t.bus = bus;
    t.rng = SeedRng(options.seed, 1);
    t.errorRng = SeedRng(options.seed, 2);
    t.errorChance = ChanceOf(options.errorRate);
    t.masters.resize(options.masters);
    for (std::size_t i = 0; i < t.masters.size(); ++i) {
        t.masters[i].address = static_cast<std::uint8_t>(1 + i);
        t.masters[i].gapAddress = t.masters[i].address;
    }
    t.slaves.resize(options.slaves);
    for (std::size_t i = 0; i < t.slaves.size(); ++i) {
        InitSlave(t.slaves[i], static_cast<std::uint8_t>(kFirstSlaveAddress + i), t.rng, bus);
        t.masters[i % t.masters.size()].slaves.push_back(i);
    }
}

const GenFrame& NextTrafficFrame(TrafficState& t) {
    while (t.next == t.queue.size()) {
        t.queue.clear();
        t.next = 0;
        Step(t);
    }
    return t.queue[t.next++];
}

}  // namespace zelmot
