// One pass over each placed minute, frame by frame in capture order, with
// the reader's classification: a damaged frame keeps its SA when its start
// delimiter has addresses and the SA byte lies inside it; a clean frame
// counts only when it has its delimiter's shape; a response answers the
// request before it when it is an SC or comes from the request's DA to its
// SA. Gaps are the reader's: from the end of the frame before (at the
// length the reader read) to the frame's stamp.
#include "gen_tally.h"

#include "gen_frames.h"

namespace zelmot {
namespace {

constexpr std::uint32_t kShortGapBits = 10;  // gaps up to this many bit times are recorder artefacts
constexpr std::uint8_t kUnknown = 0xFF;

// A frame as the reader delivers it.
struct ReadFrame {
    std::uint64_t Number = 0;
    std::uint64_t Stamp = 0;
    const std::uint8_t* Bytes = nullptr;
    std::uint8_t Length = 0;
    std::uint8_t Status = 0;
    bool Resync = false;  // read after a lost record boundary
};

struct Classified {
    std::uint8_t Sa = kUnknown;  // readable SA, masked
    bool Request = false;
    bool Response = false;
    bool ShortAck = false;
    std::uint8_t Da = 0;
    std::uint8_t Fc = 0;
};

Classified Classify(const ReadFrame& f) {
    Classified c;
    if (f.Length == 0) return c;
    std::uint8_t sd = f.Bytes[0];
    bool addresses = sd == fdl::SD1 || sd == fdl::SD2 || sd == fdl::SD3 || sd == fdl::SD4;
    std::size_t daAt = sd == fdl::SD2 ? 4 : 1;
    if (f.Status != 0) {
        if (addresses && daAt + 1 < f.Length) c.Sa = f.Bytes[daAt + 1] & fdl::AddressMask;
        return c;
    }
    if (sd == fdl::SC && f.Length == 1) {
        c.Response = c.ShortAck = true;
        return c;
    }
    if (sd == fdl::SD4 && f.Length == 3) {
        c.Sa = f.Bytes[2] & fdl::AddressMask;
        return c;
    }
    FrameView v = ViewFrame(f.Bytes, f.Length);
    if (!v.Valid) return c;
    c.Sa = v.Sa & fdl::AddressMask;
    c.Da = v.Da & fdl::AddressMask;
    c.Fc = v.Fc;
    c.Request = (v.Fc & fdl::FcRequestBit) != 0;
    c.Response = !c.Request;
    return c;
}

BookEntry EntryOf(const ReadFrame& f) {
    return BookEntry{f.Number, f.Stamp, std::vector<std::uint8_t>(f.Bytes, f.Bytes + f.Length), true};
}

void AddPlaced(FrameBook& book, Occurrences& o, const ReadFrame& f) {
    AddPlacedOccurrence(book, o, f.Number, f.Stamp, f.Bytes, f.Length);
}

void TakeGap(CaptureTally& tally, FrameBook& book, const ReadFrame& f, const BusProfile& bus) {
    if (f.Resync) AddPlaced(book, tally.Resyncs, f);
    if (!tally.HasPrevious) return;
    std::int64_t gap = static_cast<std::int64_t>(f.Stamp - tally.PreviousStamp) -
                       static_cast<std::int64_t>(FrameTicks(bus, tally.PreviousLength));
    int kind = gap < 0 ? 1 : gap <= static_cast<std::int64_t>(kShortGapBits * bus.TicksPerBit) ? 0 : -1;
    if (kind < 0) return;
    Occurrences& o = kind == 0 ? tally.ShortGaps : tally.NegativeGaps;
    AddPlaced(book, o, f);
    if (tally.GapTicks[kind].size() < kEvidenceFrames) tally.GapTicks[kind].push_back(gap);
}

void TakeAnswer(CaptureTally& tally, const ReadFrame& f, std::int64_t gap, const BusProfile& bus) {
    StationTally& st = tally.Stations[tally.PendingDa];
    ++st.Answers;
    if (gap > st.SlowestGap) {
        st.SlowestGap = gap;
        st.Slowest = EntryOf(f);
    }
    if (gap * 10 > static_cast<std::int64_t>(bus.SlotBits * bus.TicksPerBit) * 8) ++st.LateAnswers;
}

// A request of a slave's master to it: its interval, while in data
// exchange, and the interval that ends at a drop.
void TakeInterval(CaptureTally& tally, DpLog& log, const ReadFrame& f, const Classified& c) {
    SlaveLog& slave = log.Slaves[c.Da];
    StationTally& st = tally.Stations[c.Da];
    if (slave.Master != c.Sa || slave.Master == 0) return;
    while (slave.NextMark < slave.Marks.size() && slave.Marks[slave.NextMark].Frame <= f.Number)
        st.InExchange = slave.Marks[slave.NextMark++].In;
    if (slave.NextMark > 64) {  // what is consumed goes
        slave.Marks.erase(slave.Marks.begin(), slave.Marks.begin() + static_cast<std::ptrdiff_t>(slave.NextMark));
        slave.NextMark = 0;
    }
    std::int64_t interval = static_cast<std::int64_t>(f.Stamp - st.LastRequest.Stamp);
    if (st.HasRequest && st.InExchange && st.LastInExchange && interval > st.LongestInterval) {
        st.LongestInterval = interval;
        st.LongestStart = st.LastRequest;
        st.LongestEnd = EntryOf(f);
    }
    while (log.NextDropInterval < log.Drops.size() && log.Drops[log.NextDropInterval].Request <= f.Number) {
        DropSeen& drop = log.Drops[log.NextDropInterval++];
        if (drop.Request != f.Number || !st.HasRequest) continue;
        drop.IntervalTicks = interval;
        drop.IntervalFrom = st.LastRequest;
    }
    st.HasRequest = true;
    st.LastInExchange = st.InExchange;
    st.LastRequest = EntryOf(f);
}

// right after: the frame before was this master's request, left unanswered.
void TakeRequest(CaptureTally& tally, DpLog& log, FrameBook& book, const ReadFrame& f, const Classified& c,
                 std::int64_t gap, bool rightAfter) {
    CaptureTally::Link& link = tally.Links[c.Sa];
    bool retry = link.HasRequest && !link.Answered && link.Da == c.Da && link.Fc == c.Fc;
    StationTally& slave = tally.Stations[c.Da];
    ++slave.Requests;
    if (retry) {
        AddPlaced(book, slave.Retries, f);
        StationTally& master = tally.Stations[c.Sa];
        if (rightAfter) {
            if (master.SlotSeen < 0 || gap < master.SlotSeen) master.SlotSeen = gap;
            ++master.SlotRetries;
        }
    }
    link = CaptureTally::Link{true, c.Da, c.Fc, false};
    TakeInterval(tally, log, f, c);
    tally.PendingActive = true;
    tally.PendingDa = c.Da;
    tally.PendingSa = c.Sa;
}

void TakeFrame(CaptureTally& tally, DpLog& log, FrameBook& book, const ReadFrame& f, const BusProfile& bus) {
    std::int64_t gap = tally.HasPrevious ? static_cast<std::int64_t>(f.Stamp - tally.PreviousStamp) -
                                               static_cast<std::int64_t>(FrameTicks(bus, tally.PreviousLength))
                                         : 0;
    TakeGap(tally, book, f, bus);
    if (tally.Frames++ == 0) tally.FirstFrame = EntryOf(f);
    Classified c = Classify(f);
    if (f.Status != 0) AddPlaced(book, tally.Damaged, f);
    if (c.Sa != kUnknown) {
        StationTally& st = tally.Stations[c.Sa];
        ++st.SaFrames;
        if (f.Status != 0) AddPlaced(book, st.SaDamaged, f);
    }
    bool rightAfter = tally.PreviousRequest && tally.PendingSa == c.Sa;
    if (tally.PendingActive) {
        tally.PendingActive = false;
        bool answered = c.Response && (c.ShortAck || (c.Da == tally.PendingSa && c.Sa == tally.PendingDa));
        tally.Links[tally.PendingSa].Answered = answered;
        if (answered) TakeAnswer(tally, f, gap, bus);
    }
    if (c.Request) TakeRequest(tally, log, book, f, c, gap, rightAfter);
    tally.PreviousRequest = c.Request;
    tally.HasPrevious = true;
    tally.PreviousStamp = f.Stamp;
    tally.PreviousLength = f.Length;
}

}  // namespace

void TallyMinute(CaptureTally& tally, DpLog& log, FrameBook& book, const MinuteFrames& minute, std::uint64_t first,
                 const std::vector<CorruptedRecord>& corrupted, std::uint64_t limit, const BusProfile& bus) {
    std::size_t nextCorrupted = 0;
    for (std::size_t i = 0; i < minute.Slots.size() && first + i < limit; ++i) {
        const FrameSlot& slot = minute.Slots[i];
        ReadFrame f{first + i, minute.Stamps[i], minute.Bytes.data() + slot.Offset, slot.Length, slot.Status, false};
        if (nextCorrupted < corrupted.size() && corrupted[nextCorrupted].Slot == i) {
            f.Length = corrupted[nextCorrupted++].Length;
            f.Status = f.Bytes[f.Length];
            f.Resync = true;
        }
        TakeFrame(tally, log, book, f, bus);
    }
}

}  // namespace zelmot
