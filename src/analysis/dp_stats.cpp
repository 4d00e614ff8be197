// The DP records' byte copies and the diagnosis bytes an event points to.
#include "analysis/dp_stats.h"

#include <algorithm>
#include <cassert>

#include "dp/dp_cfg.h"

namespace zelmot {

void SetBytes(DpBytes& to, fdl::Bytes from) {
    assert(from.size() <= kDpBytesMax);  // a data unit's count is one byte
    to.Size = static_cast<std::uint8_t>(from.size());
    std::copy(from.begin(), from.end(), to.Data.begin());
}

bool SameBytes(const DpBytes& kept, fdl::Bytes other) {
    return kept.Size == other.size() && std::equal(other.begin(), other.end(), kept.Data.begin());
}

fdl::Bytes EventDiagBytes(const DpEvents& events, const DpEvent& event) {
    assert(event.Kind == DpEventKind::Diag && event.DiagOffset + event.DiagSize <= events.Bytes.size());
    return fdl::Bytes(events.Bytes.data() + event.DiagOffset, event.DiagSize);
}

void DropOldestEvents(DpEvents& events, std::size_t keep) {
    if (events.Kept.size() <= keep) return;
    const std::size_t drop = events.Kept.size() - keep;
    events.Kept.erase(events.Kept.begin(), events.Kept.begin() + static_cast<std::ptrdiff_t>(drop));
    events.Dropped += drop;
    // The data units before the first one still pointed to go (a unit is
    // added with its event, so a kept event never points before them).
    std::uint32_t first = static_cast<std::uint32_t>(events.Bytes.size());
    for (const DpEvent& event : events.Kept)
        if (event.Kind == DpEventKind::Diag) first = std::min(first, event.DiagOffset);
    events.Bytes.erase(events.Bytes.begin(), events.Bytes.begin() + first);
    for (DpEvent& event : events.Kept)
        if (event.Kind == DpEventKind::Diag) event.DiagOffset -= first;
}

DpCfgSlots ConfiguredSlots(const DpSlaveStats& slave) {
    if (!slave.Cfg.Seen) return std::nullopt;
    // At most one identifier per byte of a data unit, which holds at most 255.
    return static_cast<std::uint8_t>(dp::CountCfgIdentifiers(BytesOf(slave.Cfg.Data)));
}

}  // namespace zelmot
