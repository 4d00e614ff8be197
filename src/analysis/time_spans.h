// Moments gathered into spans of time in fixed room: a moment within the
// merge distance of the span last added joins it; once every span is used,
// the last one grows to take what comes. Used for the recorder's artefacts,
// which a finding near them names.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace zelmot {

constexpr std::size_t kTimeSpansKept = 512;

struct TimeSpan {
    std::int64_t FromNs = 0;
    std::int64_t ToNs = 0;
};

struct TimeSpans {
    std::size_t Count = 0;
    std::array<TimeSpan, kTimeSpansKept> Kept{};
};

inline void AddMoment(TimeSpans& spans, std::int64_t ns, std::int64_t mergeNs) {
    if (spans.Count > 0) {
        TimeSpan& last = spans.Kept[spans.Count - 1];
        if (spans.Count == kTimeSpansKept || (ns >= last.FromNs - mergeNs && ns <= last.ToNs + mergeNs)) {
            if (ns < last.FromNs) last.FromNs = ns;
            if (ns > last.ToNs) last.ToNs = ns;
            return;
        }
    }
    spans.Kept[spans.Count++] = TimeSpan{ns, ns};
}

// Whether ns lies within withinNs of a span.
inline bool NearSpans(const TimeSpans& spans, std::int64_t ns, std::int64_t withinNs) {
    for (std::size_t i = 0; i < spans.Count; ++i)
        if (ns >= spans.Kept[i].FromNs - withinNs && ns <= spans.Kept[i].ToNs + withinNs) return true;
    return false;
}

}  // namespace zelmot
