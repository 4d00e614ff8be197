// The bus health report as plain records: every figure the text, JSON, CSV
// and chart outputs show, held in fixed-size tables (128 stations, bounded
// histograms, a capped time series), so that a report of any length of
// capture takes the same memory. The collection fills them in one pass over
// the frames; FinishBusStats derives the roles, means and percentiles.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "analysis/dp_stats.h"
#include "analysis/duration_stats.h"
#include "analysis/evidence.h"
#include "analysis/time_spans.h"
#include "analysis/gap_buckets.h"
#include "fdl/fdl_names.h"  // kStatusBitCount

namespace zelmot {

constexpr std::size_t kStationCount = 128;
constexpr std::size_t kRateBinLimit = 4096;    // bins of the frames-per-second series
constexpr std::size_t kResyncTimesKept = 256;  // resynchronisations whose time is kept

enum class StationRole : std::uint8_t { Silent, Master, Slave, Both };

struct MasterFigures {
    std::uint64_t Tokens = 0;          // SD4 frames sent (this address as SA)
    DurationStats Rotation;            // start of one token of this SA to the start of the next
    std::uint64_t Requests = 0;        // requests sent, of every kind
    std::uint64_t Answered = 0;
    std::uint64_t Unanswered = 0;      // not answered, without the two kinds below
    std::uint64_t NoAnswerExpected = 0;  // not answered: send-data-no-acknowledge or to DA 127
    std::uint64_t FdlStatusUnanswered = 0;  // not answered: FDL-status requests
    std::uint64_t Retries = 0;
    // Its slot time as the bus shows it: the smallest time from the end of an
    // unanswered request to the master's retry of it, no frame between them.
    std::uint64_t SlotSamples = 0;
    std::int64_t SlotNs = 0;     // valid when SlotSamples > 0
    FrameRef SlotRetry;          // the retry that showed it
    std::array<FrameRef, 2> RecentTokens{};  // its last two tokens, the latest first
};

struct SlaveFigures {
    std::uint64_t Requests = 0;        // requests received, of every kind
    std::uint64_t Answered = 0;
    std::uint64_t Unanswered = 0;      // as for the master
    std::uint64_t NoAnswerExpected = 0;
    std::uint64_t FdlStatusUnanswered = 0;
    std::uint64_t Retries = 0;         // retries received
    std::uint64_t Responses = 0;       // SD1/SD2/SD3 responses sent, matched or not
    DurationStats Response;            // the answering frame's gap, ns
    FrameRef SlowestAnswer;            // the answer that took Response.Max
    Occurrences Retried;               // the retries it received
};

struct StationStats {
    bool Listed = false;           // heard, addressed by a request or named by an error frame
    bool Heard = false;            // sent a frame or was answered for by an SC
    bool SentToken = false;
    bool SentRequest = false;
    bool SentResponse = false;     // an SD1/SD2/SD3 response
    bool AnsweredBySc = false;     // an SC answered a request to it
    bool AddressedByRequest = false;
    StationRole Role = StationRole::Silent;  // filled by FinishBusStats
    bool HasMaster = false;        // Master holds figures (sent a token or a request)
    bool HasSlave = false;         // Slave holds figures (answered or addressed by a request)
    std::int64_t FirstHeardNs = 0;  // AbsTime; valid when Heard
    std::int64_t LastHeardNs = 0;
    std::uint64_t ErrorFrames = 0;  // frames with a non-zero status naming it as SA
    std::uint64_t FramesSent = 0;   // frames naming it as SA, damaged or not
    Occurrences Damaged;            // the damaged ones of them
    MasterFigures Master;
    SlaveFigures Slave;
    DpSlaveStats Dp;               // Dp.Active: it got a DP request
    DpMasterStats DpMaster;        // its Global_Control commands
};

// Where the recorder lost data or its clock misbehaved: the frame after each
// lost record boundary, frames whose gap is negative (the clock stepped
// back) or shorter than the bus allows, and the spans of time they lie in.
struct CaptureArtefacts {
    Occurrences Resyncs;
    Occurrences ClockSteps;
    Occurrences ShortGaps;    // from 0 up to 10 bit times
    TimeSpans Spans;
};

// The longest time the bus carried no frame: the gap before a frame.
struct Silence {
    std::int64_t Ns = 0;
    FrameRef Before;  // the frames on each side of it
    FrameRef After;
};

// Frames and error frames per time bin from the first frame in the window.
// Bins start one second wide; when a frame falls beyond kRateBinLimit bins,
// neighbouring pairs are merged and the width doubles.
struct RateSeries {
    std::int64_t StartNs = 0;     // AbsTime of the first frame in the window
    std::uint64_t BinSeconds = 1;
    std::uint32_t BinsUsed = 0;   // bins up to the last one with a frame
    std::array<std::uint64_t, kRateBinLimit> Frames{};
    std::array<std::uint64_t, kRateBinLimit> ErrorFrames{};
};

struct ResyncNote {
    std::uint32_t ReferenceNumber = 0;  // frames read before the boundary was lost
    std::int64_t AtNs = 0;              // AbsTime of the first frame read after it (or the last before)
};

struct BusStats {
    // Summary.
    std::uint32_t FilesRead = 0;     // capture files opened
    std::uint64_t FramesRead = 0;    // every frame the reader delivered
    std::uint64_t Frames = 0;        // frames in the StartRef/EndRef window
    std::uint32_t BaudIndex = 0;
    std::uint32_t Baud = 0;          // bit/s
    std::uint8_t TicksPerBit = 0;
    std::uint64_t FirstTicks = 0;    // stamps of the first and last frame in the window
    std::uint64_t LastTicks = 0;
    std::int64_t FirstNs = 0;        // their AbsTime; valid when Frames > 0
    std::int64_t LastNs = 0;
    std::int64_t SpanNs = 0;         // TicksToNs of LastTicks - FirstTicks
    std::uint64_t BusBytes = 0;
    std::int64_t BusBitNs = 0;       // TicksToNs(BusBytes x TicksPerBit x 11)
    double BusLoadPercent = 0;       // BusBitNs / SpanNs x 100; 0 when the span is 0
    double FramesPerSecondAvg = 0;   // Frames / span in seconds; 0 when the span is 0
    std::uint64_t FramesPerSecondMax = 0;  // the fullest one-second bin from the first frame (beyond
                                           // 4096 s: of runs of frames within one second)
    std::uint64_t Resyncs = 0;
    std::array<ResyncNote, kResyncTimesKept> ResyncTimes{};  // the first min(Resyncs, 256)

    // Receive errors.
    std::uint64_t ErrorFrames = 0;
    std::array<std::uint64_t, kStatusBitCount> ErrorsByBit{};

    // Request kinds over the whole window (the per-station figures summed).
    std::uint64_t Requests = 0;
    std::uint64_t Responses = 0;     // SC or SD1/SD2/SD3 responses
    std::uint64_t Tokens = 0;
    std::uint64_t UnknownFrames = 0; // status 0 but no known kind

    // What the findings cite beyond the figures.
    CaptureArtefacts Artefacts;
    Occurrences Damaged;             // every damaged frame
    Occurrences Unknown;             // the unknown frames
    Silence LongestSilence;
    DpDrops Drops;
    std::vector<std::uint8_t> DiagnosisBytes;  // of every slave's DpDiagSeen

    std::vector<StationStats> Stations = std::vector<StationStats>(kStationCount);
    std::array<std::uint64_t, kGapBucketCount> GapBuckets{};
    RateSeries Rate;
    DpEvents Events;
};

}  // namespace zelmot
