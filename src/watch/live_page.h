// zelmot-watch's live page ("/"): one self-contained HTML page (inline CSS
// and SVG, no script, nothing fetched) that reloads itself every 2 s and
// shows the state line, the live list (the address grid of zelmot-stats'
// page and a table of the stations and their roles), each DP slave's state,
// the findings and the last events. Everything inserted is escaped.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "analysis/bus_stats.h"

namespace zelmot {

inline constexpr int kLivePageRefreshSeconds = 2;

// One finding as the page lists it.
struct LiveFinding {
    std::string Severity;  // "fault", "warning", "info"
    std::int64_t Ns = 0;   // capture time of its first evidence
    std::string Title;
};

struct LivePageInput {
    std::string Name;                       // the capture's name
    std::string Status;                     // "following line1203.Zelmot; last record 0.4 s ago"
    const BusStats* Stats = nullptr;        // finished (roles known)
    std::span<const LiveFinding> Findings;  // newest first, as the page shows them
    std::span<const std::string> Events;    // the last events in words, newest first
};

std::string LivePageHtml(const LivePageInput& input);

}  // namespace zelmot
