// The report document and the JSON report that prints it: keys in a fixed
// order, times in integer nanoseconds (means fractional), figures that do
// not exist as null.
#include "report/report_document.h"

#include "common/utf8_text.h"
#include "report/bus_words.h"
#include "report/document_object.h"
#include "report/dp_json.h"
#include "report/findings_json.h"
#include "report/gsd_json.h"

namespace zelmot {
namespace {

using Json = ReportDocument;

Json OrNull(bool present, std::int64_t value) { return present ? Json(value) : Json(nullptr); }

Json DurationJson(const DurationStats& d, bool withP95) {
    bool any = d.Count > 0;
    Json j = ObjectWithRoom(7);
    j["count"] = d.Count;
    j["min"] = OrNull(any, d.Min);
    j["mean"] = any ? Json(d.Mean) : Json(nullptr);
    j["max"] = OrNull(any, d.Max);
    j["p50"] = OrNull(any, d.P50);
    if (withP95) j["p95"] = OrNull(any, d.P95);
    j["p99"] = OrNull(any, d.P99);
    return j;
}

Json BitsJson(const DurationStats& d, std::uint32_t baud) {
    if (d.Count == 0) return nullptr;
    auto bits = [baud](double ns) { return NsToBits(ns, baud); };
    return Json{{"min", bits(static_cast<double>(d.Min))},
                {"mean", bits(d.Mean)},
                {"max", bits(static_cast<double>(d.Max))},
                {"p50", bits(static_cast<double>(d.P50))},
                {"p99", bits(static_cast<double>(d.P99))}};
}

Json MasterJson(const MasterFigures& m) {
    Json j = ObjectWithRoom(8);
    j["tokens"] = m.Tokens;
    j["rotation_ns"] = DurationJson(m.Rotation, true);
    j["requests"] = m.Requests;
    j["answered"] = m.Answered;
    j["unanswered"] = m.Unanswered;
    j["retries"] = m.Retries;
    j["no_answer_expected"] = m.NoAnswerExpected;
    j["fdl_status_unanswered"] = m.FdlStatusUnanswered;
    return j;
}

Json SlaveJson(const SlaveFigures& s, std::uint32_t baud) {
    Json j = ObjectWithRoom(9);
    j["requests"] = s.Requests;
    j["answered"] = s.Answered;
    j["unanswered"] = s.Unanswered;
    j["retries"] = s.Retries;
    j["response_ns"] = DurationJson(s.Response, false);
    j["response_bits"] = BitsJson(s.Response, baud);
    j["no_answer_expected"] = s.NoAnswerExpected;
    j["fdl_status_unanswered"] = s.FdlStatusUnanswered;
    j["responses"] = s.Responses;
    return j;
}

Json StationJson(const StationStats& s, std::size_t address, std::uint32_t baud, const GsdSlaveMatch& match) {
    Json j = ObjectWithRoom(10);
    j["address"] = address;
    j["role"] = StationRoleName(s.Role);
    j["first_ns"] = OrNull(s.Heard, s.FirstHeardNs);
    j["last_ns"] = OrNull(s.Heard, s.LastHeardNs);
    j["error_frames"] = s.ErrorFrames;
    j["frames"] = s.FramesSent;
    j["master"] = s.HasMaster ? MasterJson(s.Master) : Json(nullptr);
    j["slave"] = s.HasSlave ? SlaveJson(s.Slave, baud) : Json(nullptr);
    j["dp"] = DpStationJson(s.Dp, GsdBlockNotes(match));
    j["gsd"] = GsdStationJson(match, s);
    return j;
}

Json CaptureJson(const BusStats& stats) {
    bool any = stats.Frames > 0;
    Json j = ObjectWithRoom(19);  // with the name BuildReportDocument adds
    j["files"] = stats.FilesRead;
    j["frames"] = stats.Frames;
    j["first_ns"] = OrNull(any, stats.FirstNs);
    j["last_ns"] = OrNull(any, stats.LastNs);
    j["span_ns"] = stats.SpanNs;
    j["bus_bytes"] = stats.BusBytes;
    j["bus_load_percent"] = stats.BusLoadPercent;
    j["frames_per_second_avg"] = stats.FramesPerSecondAvg;
    j["frames_per_second_max"] = stats.FramesPerSecondMax;
    j["resyncs"] = stats.Resyncs;
    j["baud"] = stats.Baud;
    j["baud_index"] = stats.BaudIndex;
    j["frames_read"] = stats.FramesRead;
    j["requests"] = stats.Requests;
    j["responses"] = stats.Responses;
    j["tokens"] = stats.Tokens;
    j["unknown_frames"] = stats.UnknownFrames;
    Json resyncs = Json::array();
    std::size_t kept = stats.Resyncs < kResyncTimesKept ? static_cast<std::size_t>(stats.Resyncs) : kResyncTimesKept;
    for (std::size_t i = 0; i < kept; ++i) resyncs.push_back(stats.ResyncTimes[i].AtNs);
    j["resync_times_ns"] = std::move(resyncs);
    return j;
}

Json ErrorsJson(const BusStats& stats) {
    Json byBit = ObjectWithRoom(kStatusBitCount);
    for (std::size_t bit = 0; bit < kStatusBitCount; ++bit) byBit[std::string(kStatusBits[bit].Keyword)] = stats.ErrorsByBit[bit];
    return Json{{"frames", stats.ErrorFrames}, {"by_bit", byBit}};
}

Json RateJson(const RateSeries& rate) {
    Json frames = Json::array();
    Json errors = Json::array();
    for (std::size_t i = 0; i < rate.BinsUsed; ++i) {
        frames.push_back(rate.Frames[i]);
        errors.push_back(rate.ErrorFrames[i]);
    }
    return Json{{"start_ns", rate.StartNs}, {"bin_seconds", rate.BinSeconds}, {"frames", std::move(frames)},
                {"error_frames", std::move(errors)}};
}

}  // namespace

ReportDocument BuildReportDocument(const BusStats& stats) { return BuildReportDocument(stats, GsdMatches{}); }

ReportDocument BuildReportDocument(const BusStats& stats, const GsdMatches& matches, std::string_view captureName) {
    Json doc = ObjectWithRoom(11);
    doc["schema"] = kReportSchema;
    const std::vector<Finding> findings = FindFindings(stats, matches);
    doc["verdict"] = VerdictJson(VerdictOf(findings));
    doc["findings"] = FindingsJson(findings, stats, matches);
    doc["capture"] = CaptureJson(stats);
    // A file name is any bytes; the document holds valid UTF-8 only.
    doc["capture"]["name"] = captureName.empty() ? Json(nullptr) : Json(utf8::MakeValid(captureName));
    doc["errors"] = ErrorsJson(stats);
    Json stations = Json::array();
    for (std::size_t a = 0; a < kStationCount; ++a)
        if (stats.Stations[a].Listed) stations.push_back(StationJson(stats.Stations[a], a, stats.Baud, matches.Slaves[a]));
    doc["stations"] = std::move(stations);
    Json gaps = Json::array();
    for (std::size_t b = 0; b < kGapBucketCount; ++b)
        gaps.push_back(Json{{"from_bits", GapBucketFromBits(b)}, {"to_bits", GapBucketToBits(b)}, {"count", stats.GapBuckets[b]}});
    doc["gaps"] = std::move(gaps);
    doc["rate"] = RateJson(stats.Rate);
    std::vector<DiagBlockNotes> notes;
    for (const GsdSlaveMatch& match : matches.Slaves) notes.push_back(GsdBlockNotes(match));
    doc["events"] = DpEventsJson(stats.Events, notes);
    doc["events_dropped"] = stats.Events.Dropped;
    doc["percentiles"] = "nearest rank from log-spaced buckets, within 1%";
    return doc;
}

// Every text of the document is valid UTF-8 (the device files' texts are
// decoded when read, names made valid where they enter); should one not be,
// it is written with U+FFFD rather than stop the report.
std::string JsonReport(const ReportDocument& document) {
    return document.dump(2, ' ', false, ReportDocument::error_handler_t::replace) + "\n";
}

std::string JsonReport(const BusStats& stats) { return JsonReport(BuildReportDocument(stats)); }

}  // namespace zelmot
