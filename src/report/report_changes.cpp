// The comparison of two report documents, figure by figure, by the rules
// the manual page gives (CHANGES): the segment, the stations, each DP slave
// (changes_dp.cpp) and the findings. A count is held against the baseline's
// rate: a change when the rate at least doubles and at least a few more
// events came than the baseline's rate predicts for this capture, or halves
// the same way.
#include "report/report_changes.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <map>
#include <set>
#include <tuple>

#include "report/changes_dp.h"
#include "report/change_figures.h"
#include "report/number_text.h"

namespace zelmot {
namespace {

using Json = ReportDocument;

void CompareSegment(const Json& before, const Json& after, std::vector<Change>& changes) {
    const Json& b = before["capture"];
    const Json& a = after["capture"];
    if (Number(b["baud"]) != Number(a["baud"]))
        AddChange(changes, {"bit_rate", -1, "bit rate", b["baud"], a["baud"], std::nullopt,
                            "bit rate " + Grouped(b["baud"]) + " -> " + Grouped(a["baud"]) + " bit/s"});
    const double fpsB = Number(b["frames_per_second_avg"]), fpsA = Number(a["frames_per_second_avg"]);
    if (MovesBy(fpsB, fpsA, kFigureMovePercent, 0))
        AddChange(changes, {"frame_rate", -1, "frames per second", b["frames_per_second_avg"],
                            a["frames_per_second_avg"], std::nullopt,
                            "frames per second " + Fixed(fpsB, 1) + " -> " + Fixed(fpsA, 1)});
    const double loadB = Number(b["bus_load_percent"]), loadA = Number(a["bus_load_percent"]);
    if (MovesBy(loadB, loadA, kFigureMovePercent, kBusLoadPoints))
        AddChange(changes, {"bus_load", -1, "bus load", b["bus_load_percent"], a["bus_load_percent"], std::nullopt,
                            "bus load " + Fixed(loadB, 2) + "% -> " + Fixed(loadA, 2) + "%"});
    const std::vector<int> mastersB = Masters(before), mastersA = Masters(after);
    if (mastersB != mastersA) {
        const bool lost = std::any_of(mastersB.begin(), mastersB.end(), [&](int m) {
            return std::find(mastersA.begin(), mastersA.end(), m) == mastersA.end();
        });
        AddChange(changes, {"masters", -1, "masters", Json(mastersB), Json(mastersA),
                            lost ? std::optional<bool>(true) : std::nullopt,
                            "masters " + AddressList(mastersB) + " -> " + AddressList(mastersA)});
    }
}

void CompareStation(const Json& before, const Json& after, const Json& b, const Json& a, int address,
                    std::vector<Change>& changes) {
    const std::string name = StationName(before, after, address);
    if (b["role"] != a["role"]) {
        // Silent is no role: a station heard before and only addressed now
        // fell silent, and the words say so.
        const bool silenced = a["role"] == "silent";
        const bool heardAgain = b["role"] == "silent";
        const std::string words = silenced     ? ": fell silent (was " + Text(b["role"]) + "; addressed, never heard)"
                                  : heardAgain ? ": heard again, as " + Text(a["role"]) + " (was silent)"
                                               : ": role " + Text(b["role"]) + " -> " + Text(a["role"]);
        AddChange(changes, {"role_changed", address, "role", b["role"], a["role"],
                            silenced ? std::optional<bool>(true) : std::nullopt, name + words});
    }
    CompareRate(changes, address, name, "damaged_share", "damaged frames", Count{Number(b["error_frames"]), Number(b["frames"])},
                Count{Number(a["error_frames"]), Number(a["frames"])}, RateUnit::Percent, kMoreDamaged);
    const Json& sb = b["slave"];
    const Json& sa = a["slave"];
    if (!sb.is_null() && !sa.is_null()) {
        CompareRate(changes, address, name, "retries", "retries per 1,000 requests",
                    Count{Number(sb["retries"]), Number(sb["requests"])}, Count{Number(sa["retries"]), Number(sa["requests"])},
                    RateUnit::PerThousand, kMoreDamaged);
        CompareRate(changes, address, name, "unanswered", "unanswered requests per 1,000",
                    Count{Number(sb["unanswered"]), Number(sb["requests"])},
                    Count{Number(sa["unanswered"]), Number(sa["requests"])}, RateUnit::PerThousand, kMoreDamaged);
        const Json& rb = sb["response_bits"];
        const Json& ra = sa["response_bits"];
        if (rb.is_object() && ra.is_object() && !rb["p99"].is_null() && !ra["p99"].is_null()) {
            const double p99B = Number(rb["p99"]), p99A = Number(ra["p99"]);
            if (MovesBy(p99B, p99A, kTimeMovePercent, kResponseMoveBits))
                AddChange(changes, {"response_time", address, "response time p99 (bit times)", rb["p99"], ra["p99"],
                                    p99A > p99B, name + ": response time p99 " + Fixed(p99B, 1) + " -> " +
                                                     Fixed(p99A, 1) + " bit times (max " + Fixed(Number(rb["max"]), 1) +
                                                     " -> " + Fixed(Number(ra["max"]), 1) + ")"});
        }
    }
    const Json& mb = b["master"];
    const Json& ma = a["master"];
    if (!mb.is_null() && !ma.is_null() && Number(mb["rotation_ns"]["count"]) > 0 && Number(ma["rotation_ns"]["count"]) > 0) {
        const Json& rb = mb["rotation_ns"];
        const Json& ra = ma["rotation_ns"];
        const double p99B = Number(rb["p99"]), p99A = Number(ra["p99"]);
        if (MovesBy(p99B, p99A, kTimeMovePercent, 0))
            AddChange(changes, {"token_rotation", address, "token rotation p99 (ns)", rb["p99"], ra["p99"], p99A > p99B,
                                name + ": token rotation p99 " + Milliseconds(p99B) + " -> " + Milliseconds(p99A) +
                                    " ms (max " + Milliseconds(Number(rb["max"])) + " -> " +
                                    Milliseconds(Number(ra["max"])) + ")"});
    }
    CompareDpSlave(before, after, b, a, address, name, changes);
}

void CompareStations(const Json& before, const Json& after, std::vector<Change>& changes) {
    std::map<int, const Json*> b, a;
    for (const Json& s : before["stations"]) b[s["address"].get<int>()] = &s;
    for (const Json& s : after["stations"]) a[s["address"].get<int>()] = &s;
    for (const auto& [address, station] : a)
        if (!b.count(address))
            AddChange(changes, {"station_appeared", address, "station", nullptr, (*station)["role"], std::nullopt,
                                StationName(before, after, address) + " appeared (" + Text((*station)["role"]) + ")"});
    for (const auto& [address, station] : b) {
        auto now = a.find(address);
        if (now == a.end()) {
            const bool heard = (*station)["role"] != "silent";
            AddChange(changes, {"station_vanished", address, "station", (*station)["role"], nullptr,
                                heard ? std::optional<bool>(true) : std::nullopt,
                                StationName(before, after, address) + " vanished (was " + Text((*station)["role"]) + ")"});
            continue;
        }
        CompareStation(before, after, *station, *now->second, address, changes);
    }
}

// A finding's identity across two reports: its kind and station, and for
// the kinds split by their subject (capture_gap, diagnosis) that subject.
std::tuple<std::string, int, std::string> FindingKey(const Json& finding) {
    return {Text(finding["kind"]), finding["address"].is_null() ? -1 : finding["address"].get<int>(),
            finding.contains("subject") && finding["subject"].is_string() ? finding["subject"].get<std::string>() : ""};
}

int WeightOf(const Json& finding) {
    const std::string severity = Text(finding["severity"]);
    return severity == "fault" ? 0 : severity == "warning" ? 1 : 2;
}

std::string FindingLabel(const Json& before, const Json& after, const Json& finding) {
    const int address = finding["address"].is_null() ? -1 : finding["address"].get<int>();
    return Text(finding["severity"]) + " " + Text(finding["kind"]) + " at " + StationName(before, after, address);
}

void CompareFindings(const Json& before, const Json& after, std::vector<Change>& changes) {
    std::map<std::tuple<std::string, int, std::string>, const Json*> b, a;
    for (const Json& f : before["findings"]) b.emplace(FindingKey(f), &f);
    for (const Json& f : after["findings"]) a.emplace(FindingKey(f), &f);
    const double hoursB = SpanHours(before), hoursA = SpanHours(after);
    for (const auto& [key, finding] : a) {
        const Json& f = *finding;
        const int address = std::get<1>(key);
        auto was = b.find(key);
        if (was == b.end()) {
            Change change{"finding_new", address, Text(f["kind"]), nullptr, f["count"], true,
                          "new " + FindingLabel(before, after, f) + ": " + Text(f["title"])};
            change.Weight = WeightOf(f);
            AddChange(changes, change);
            continue;
        }
        const Json& old = *was->second;
        const RateMove move = CompareCounts(Count{Number(old["count"]), hoursB}, Count{Number(f["count"]), hoursA},
                                            kMoreFindings);
        if (move == RateMove::None) continue;
        const bool more = move == RateMove::Up;
        Change change{more ? "finding_more" : "finding_less", address, Text(f["kind"]), old["count"], f["count"], more,
                      FindingLabel(before, after, f) + " " + (more ? "more" : "less") + " often: " + PerHour(Number(old["count"]), hoursB) +
                          " -> " + PerHour(Number(f["count"]), hoursA) + " an hour"};
        change.Weight = WeightOf(f);
        AddChange(changes, change);
    }
    for (const auto& [key, finding] : b) {
        if (a.count(key)) continue;
        Change change{"finding_gone", std::get<1>(key), Text((*finding)["kind"]), (*finding)["count"], nullptr, false,
                      "gone: " + FindingLabel(before, after, *finding) + " (was: " + Text((*finding)["title"]) + ")"};
        change.Weight = WeightOf(*finding);
        AddChange(changes, change);
    }
}

// Worse first, then neither, then better; within each the findings by
// severity before the figures, then by station.
int Group(const Change& change) {
    if (!change.Worse) return 1;
    return *change.Worse ? 0 : 2;
}

}  // namespace

std::string StationName(const ReportDocument& before, const ReportDocument& after, int address) {
    if (address < 0) return "the segment";
    std::string role = "silent";
    for (const Json* document : {&after, &before})
        for (const Json& s : (*document)["stations"])
            if (s["address"] == address && role == "silent") role = Text(s["role"]);
    const char* word = role == "master" ? "master " : role == "slave" ? "slave " : "station ";
    return word + std::to_string(address);
}

std::vector<Change> CompareReports(const ReportDocument& before, const ReportDocument& after) {
    std::vector<Change> changes;
    CompareFindings(before, after, changes);
    CompareSegment(before, after, changes);
    CompareStations(before, after, changes);
    std::stable_sort(changes.begin(), changes.end(), [](const Change& x, const Change& y) {
        return std::tuple(Group(x), x.Weight, x.Address) < std::tuple(Group(y), y.Weight, y.Address);
    });
    return changes;
}

}  // namespace zelmot
