// The text report: one section per group of figures, aligned tables with the
// units in the headers, durations in microseconds (and bit times for
// answers), points in time as the time of day of the capture clock, as the
// absolute time column of a converted capture shows it. Addresses that only
// got unanswered FDL-status polls go on one line instead of a row of dashes.
#include <cinttypes>
#include <cstdio>

#include "common/text_out.h"
#include "fdl/fdl_names.h"
#include "report/bus_words.h"
#include "report/changes_text.h"
#include "report/dp_text.h"
#include "report/findings_text.h"
#include "report/gsd_words.h"
#include "report/number_text.h"
#include "report/text_report.h"
#include "report/text_table.h"

namespace zelmot {
namespace {

std::string Count(std::uint64_t n) { return FormatText("%" PRIu64, n); }
std::string Micro(double ns) { return FormatText("%.3f", ns / 1000.0); }
std::string Micro(std::int64_t ns) { return Micro(static_cast<double>(ns)); }
std::string Seconds(std::int64_t ns) { return FormatText("%.6f", static_cast<double>(ns) / 1e9); }
std::string Bits(double ns, std::uint32_t baud) { return FormatText("%.1f", NsToBits(ns, baud)); }

// One entry of a one-line address list: the address, and its error frames
// when it has any.
void AppendListedAddress(std::string& list, std::size_t address, std::uint64_t errorFrames) {
    list += (list.empty() ? "" : " ") + Count(address);
    if (errorFrames > 0) list += "(" + Count(errorFrames) + " error frames)";
}

// Never heard, and every request to it was an FDL-status poll left
// unanswered: its row in the slave table would hold nothing but that count.
bool OnlyPolledForFdlStatus(const StationStats& st) {
    const SlaveFigures& v = st.Slave;
    return st.HasSlave && !st.Heard && v.Requests > 0 && v.FdlStatusUnanswered == v.Requests && v.Retries == 0;
}

std::string SummarySection(const BusStats& s) {
    bool any = s.Frames > 0;
    TextTable t;
    AddRow(t, {"Figure", "Value"});
    AddRow(t, {"Files read", Count(s.FilesRead)});
    AddRow(t, {"Frames read (all)", Count(s.FramesRead)});
    AddRow(t, {"Frames in window", Count(s.Frames)});
    AddRow(t, {"Bit rate (bit/s)", Count(s.Baud)});
    AddRow(t, {"First frame", any ? TimeOfDayText(s.FirstNs) : "-"});
    AddRow(t, {"Last frame", any ? TimeOfDayText(s.LastNs) : "-"});
    AddRow(t, {"Span (s)", Seconds(s.SpanNs)});
    AddRow(t, {"Bytes on the bus", Count(s.BusBytes)});
    AddRow(t, {"Bus load (%)", FormatText("%.3f", s.BusLoadPercent)});
    AddRow(t, {"Frames per second, average", FormatText("%.1f", s.FramesPerSecondAvg)});
    AddRow(t, {"Frames per second, highest", Count(s.FramesPerSecondMax)});
    AddRow(t, {"Tokens", Count(s.Tokens)});
    AddRow(t, {"Requests", Count(s.Requests)});
    AddRow(t, {"Responses", Count(s.Responses)});
    AddRow(t, {"Unknown frames", Count(s.UnknownFrames)});
    AddRow(t, {"Resynchronisations", Count(s.Resyncs)});
    return "Summary\n" + RenderTable(t);
}

std::string ErrorSection(const BusStats& s) {
    TextTable t;
    t.TextColumns = {1, 2, 3};
    AddRow(t, {"Bit", "Name", "Letter", "Meaning", "Frames"});
    for (std::size_t bit = 0; bit < kStatusBitCount; ++bit)
        AddRow(t, {FormatText("0x%02x", kStatusBits[bit].Mask), std::string(kStatusBits[bit].Keyword),
                   std::string(1, kStatusBits[bit].Letter), std::string(kStatusBits[bit].Meaning),
                   Count(s.ErrorsByBit[bit])});
    return "Receive errors: " + Count(s.ErrorFrames) + " frames with a non-zero status\n" + RenderTable(t);
}

std::string LiveListSection(const BusStats& s) {
    TextTable t;
    t.TextColumns = {1};
    AddRow(t, {"Addr", "Role", "First heard", "Last heard", "Error frames"});
    std::string silent;
    for (std::size_t a = 0; a < kStationCount; ++a) {
        const StationStats& st = s.Stations[a];
        if (!st.Listed) continue;
        if (!st.Heard) {
            AppendListedAddress(silent, a, st.ErrorFrames);
            continue;
        }
        AddRow(t, {Count(a), StationRoleName(st.Role), TimeOfDayText(st.FirstHeardNs), TimeOfDayText(st.LastHeardNs),
                   Count(st.ErrorFrames)});
    }
    return "Live list\n" + RenderTable(t) + "Silent (addressed, never heard): " + (silent.empty() ? "none" : silent) +
           "\n";
}

void DurationCells(std::vector<std::string>& row, const DurationStats& d, bool withP95) {
    row.push_back(Count(d.Count));
    bool any = d.Count > 0;
    row.push_back(any ? Micro(d.Min) : "-");
    row.push_back(any ? Micro(d.Mean) : "-");
    row.push_back(any ? Micro(d.Max) : "-");
    row.push_back(any ? Micro(d.P50) : "-");
    if (withP95) row.push_back(any ? Micro(d.P95) : "-");
    row.push_back(any ? Micro(d.P99) : "-");
}

std::string MasterSection(const BusStats& s) {
    TextTable t;
    t.TextColumns = {};
    AddRow(t, {"Addr", "Tokens", "Rotations", "Min (us)", "Mean (us)", "Max (us)", "P50 (us)", "P95 (us)", "P99 (us)",
               "Requests", "Answered", "Unanswered", "No answer exp.", "FDL status unans.", "Retries"});
    for (std::size_t a = 0; a < kStationCount; ++a) {
        const StationStats& st = s.Stations[a];
        if (!st.HasMaster) continue;
        const MasterFigures& m = st.Master;
        std::vector<std::string> row{Count(a), Count(m.Tokens)};
        DurationCells(row, m.Rotation, true);
        for (std::uint64_t n : {m.Requests, m.Answered, m.Unanswered, m.NoAnswerExpected, m.FdlStatusUnanswered,
                                m.Retries})
            row.push_back(Count(n));
        AddRow(t, std::move(row));
    }
    return "Masters (token rotation time)\n" + RenderTable(t);
}

std::string SlaveSection(const BusStats& s) {
    TextTable t;
    t.TextColumns = {};
    AddRow(t, {"Addr", "Requests", "Answered", "Unanswered", "No answer exp.", "FDL status unans.", "Retries",
               "Answers", "Min (us)", "Mean (us)", "Max (us)", "P50 (us)", "P99 (us)", "Min (bit)", "Mean (bit)",
               "Max (bit)", "P50 (bit)", "P99 (bit)", "Error frames"});
    std::string polled;
    std::uint64_t polls = 0;
    for (std::size_t a = 0; a < kStationCount; ++a) {
        const StationStats& st = s.Stations[a];
        if (!st.HasSlave) continue;
        if (OnlyPolledForFdlStatus(st)) {
            AppendListedAddress(polled, a, st.ErrorFrames);
            polls += st.Slave.Requests;
            continue;
        }
        const SlaveFigures& v = st.Slave;
        std::vector<std::string> row{Count(a)};
        for (std::uint64_t n : {v.Requests, v.Answered, v.Unanswered, v.NoAnswerExpected, v.FdlStatusUnanswered,
                                v.Retries})
            row.push_back(Count(n));
        const DurationStats& d = v.Response;
        DurationCells(row, d, false);
        for (double ns : {static_cast<double>(d.Min), d.Mean, static_cast<double>(d.Max), static_cast<double>(d.P50),
                          static_cast<double>(d.P99)})
            row.push_back(d.Count > 0 ? Bits(ns, s.Baud) : "-");
        row.push_back(Count(st.ErrorFrames));
        AddRow(t, std::move(row));
    }
    return "Slaves (response time: the answer's gap)\n" + RenderTable(t) +
           "Only polled for FDL status, never answered (" + Count(polls) + (polls == 1 ? " request" : " requests") + "): " +
           (polled.empty() ? "none" : polled) + "\n";
}

std::string GapSection(const BusStats& s) {
    std::size_t first = kGapBucketCount;
    std::size_t last = 0;
    for (std::size_t b = 0; b < kGapBucketCount; ++b) {
        if (s.GapBuckets[b] == 0) continue;
        if (first == kGapBucketCount) first = b;
        last = b;
    }
    TextTable t;
    t.TextColumns = {};
    AddRow(t, {"From (bit)", "To (bit)", "Frames"});
    for (std::size_t b = first; b <= last && first < kGapBucketCount; ++b)
        AddRow(t, {Count(GapBucketFromBits(b)), Count(GapBucketToBits(b)), Count(s.GapBuckets[b])});
    return "Gaps before frames (bus idle time; negative gaps in the first bucket)\n" + RenderTable(t);
}

}  // namespace


std::string TextReport(const BusStats& stats) { return TextReport(stats, GsdMatches{}); }

std::string TextReport(const BusStats& stats, const GsdMatches& matches, const ReportChanges* changes) {
    std::string devices = GsdSlavesSection(stats, matches);
    if (!devices.empty()) devices += "\n";
    std::string compared;
    if (changes != nullptr) compared = ChangesSection(*changes->Baseline, *changes->Now, *changes->List) + "\n";
    return FindingsSection(FindFindings(stats, matches), stats, matches) + "\n" + compared + SummarySection(stats) + "\n" + ErrorSection(stats) + "\n" + LiveListSection(stats) + "\n" +
           MasterSection(stats) + "\n" + SlaveSection(stats) + "\n" + DpSlavesSection(stats, matches) + "\n" +
           devices + GapSection(stats) +
           "\nPercentiles: nearest rank, read from log-spaced buckets (within 1%).\n\n" +
           DpEventsSection(stats, matches);
}

}  // namespace zelmot
