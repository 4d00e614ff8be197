// The findings told as an engineer tells them: what happened, at which
// station and when; why it probably happened; and what to check next. Times
// are the capture clock's time of day to the millisecond, durations in
// milliseconds or bit times as the trade gives them.
#include "report/finding_words.h"

#include <cinttypes>
#include <cstdio>
#include <optional>

#include "common/keyed_rows.h"
#include "common/text_out.h"
#include "dp/dp_cfg_compare.h"
#include "dp/dp_codes.h"
#include "dp/dp_commands.h"
#include "dp/dp_names.h"
#include "report/dp_words.h"
#include "report/gsd_words.h"
#include "report/number_text.h"

namespace zelmot {
namespace {

struct KindRow {
    FindingKind Key;
    std::string_view Name;
};
constexpr KindRow kKinds[] = {
    {FindingKind::CaptureGap, "capture_gap"},         {FindingKind::SlaveLost, "slave_lost"},
    {FindingKind::CommonCause, "common_cause"},       {FindingKind::SlaveRestart, "slave_restart"},
    {FindingKind::WatchdogExpired, "watchdog_expired"}, {FindingKind::WatchdogTight, "watchdog_tight"},
    {FindingKind::NotReady, "not_ready"},             {FindingKind::Diagnosis, "diagnosis"},
    {FindingKind::ErrorsLocal, "errors_local"},       {FindingKind::ErrorsSpread, "errors_spread"},
    {FindingKind::Retries, "retries"},                {FindingKind::SlowAnswers, "slow_answers"},
    {FindingKind::NegativeAnswers, "negative_answers"}, {FindingKind::DoubleAddress, "double_address"},
    {FindingKind::DeviceReplaced, "device_replaced"}, {FindingKind::MasterClear, "master_clear"},
    {FindingKind::BusSilent, "bus_silent"},           {FindingKind::UnknownFrames, "unknown_frames"},
};
static_assert(RowsInKeyOrder(kKinds, kFindingKindCount));

struct SeverityRow {
    Severity Key;
    std::string_view Name;
};
constexpr SeverityRow kSeverities[] = {{Severity::Fault, "fault"}, {Severity::Warning, "warning"}, {Severity::Note, "note"}};
static_assert(RowsInKeyOrder(kSeverities, kSeverityCount));

std::string At(std::int64_t ns) { return ClockText(ns, 3); }

// "62.4 ms", "50 ms", "1.23 s"
std::string Duration(std::int64_t ns) {
    if (ns >= 10'000'000'000) return FormatText("%.1f s", static_cast<double>(ns) / 1e9);
    if (ns >= 1'000'000'000 && ns % 1'000'000'000 == 0) return FormatText("%" PRId64 " s", ns / 1'000'000'000);
    if (ns >= 1'000'000'000) return FormatText("%.2f s", static_cast<double>(ns) / 1e9);
    if (ns % 1'000'000 == 0) return FormatText("%" PRId64 " ms", ns / 1'000'000);
    return FormatText("%.1f ms", static_cast<double>(ns) / 1e6);
}

std::string Times(std::uint64_t n) {
    if (n == 1) return "once";
    if (n == 2) return "twice";
    return GroupedUnsigned(n) + " times";
}

std::string Plural(std::uint64_t n, const char* one, const char* many) {
    return GroupedUnsigned(n) + " " + (n == 1 ? one : many);
}

std::string Percent(std::uint64_t part, std::uint64_t whole) {
    if (whole == 0) return "0%";
    const double p = 100.0 * static_cast<double>(part) / static_cast<double>(whole);
    return FormatText(p < 0.1 ? "%.3f%%" : p < 10 ? "%.2f%%" : "%.1f%%", p);
}

std::string Bits(std::int64_t ns, std::uint32_t baud) { return FormatText("%.1f", NsToBits(static_cast<double>(ns), baud)); }

// "5", "5 and 7", "5, 7 and 9"
std::string AddressList(const std::vector<std::uint8_t>& addresses) {
    std::string text;
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        if (i > 0) text += i + 1 == addresses.size() ? " and " : ", ";
        text += std::to_string(addresses[i]);
    }
    return text;
}

// ", 3 times until 10:14:09.120" when it happened more than once.
std::string Again(const Finding& f) {
    return f.Count > 1 ? ", " + Times(f.Count) + " until " + At(f.LastNs) : "";
}

std::string MasterWords(std::uint8_t master) {
    return master < kStationCount ? "master " + std::to_string(master) : "its master";
}

std::string CameBack(const Finding& f) {
    if (f.CameBack == 0) return "not back in data exchange by the end of the capture";
    if (f.Count == 1) return "back in data exchange at " + At(f.Drop->BackAt.Ns);
    if (f.CameBack == f.Count) return "back in data exchange each time";
    return "back in data exchange " + GroupedUnsigned(f.CameBack) + " of " + Times(f.Count);
}

FindingText CaptureGapWords(const Finding& f) {
    const FrameRef first = f.Frames.Frames[0];
    switch (f.Artefact) {
        case ArtefactKind::Resync:
            return {"the recorder lost the record boundary " + Times(f.Count) + ", first before frame " +
                        std::to_string(first.Reference) + " at " + At(first.Ns),
                    "The capture file is damaged or the recorder dropped bytes: frames at these points are missing or "
                    "cut. This is the recorder, not the bus.",
                    "Check the recorder's disk and buffer (was it overloaded?) and how the files were copied; read the "
                    "findings near these points with care."};
        case ArtefactKind::ClockStep:
            return {"the recorder's clock stepped back " + Times(f.Count) + ", first at frame " +
                        std::to_string(first.Reference) + " (" + At(first.Ns) + ")",
                    "The recorder's time stamps are not reliable here: its clock was set or its counter jumped. The "
                    "bus is not to blame.",
                    "Check the recorder's clock source and its time synchronisation; times and gaps across these "
                    "points cannot be trusted."};
        case ArtefactKind::ShortGap:
            break;
    }
    return {Plural(f.Count, "frame follows", "frames follow") +
                " the frame before after less than 11 bit times (the bus needs at least 11), first frame " +
                std::to_string(first.Reference) + " at " + At(first.Ns),
            "The recorder's time stamps are off (its tick, its buffering), or it joined or split frames: this is the "
            "recorder, not the bus.",
            "Check the recorder's bit rate setting and its firmware; do not judge response times from these frames."};
}

FindingText DropWords(const Finding& f, const std::string& slave) {
    const DpDrop& drop = *f.Drop;
    if (f.Kind == FindingKind::SlaveLost)
        return {slave + " stopped answering at " + At(drop.At.Ns) + " (" + std::to_string(kUnansweredForOffline) +
                    " DP requests in a row unanswered)" + Again(f) + "; " + CameBack(f),
                "Power, cable or connector at the slave, or its address was changed.",
                "Check the slave's power supply, its bus connector (plug, termination switch, screws) and the cable "
                "to it, and its address setting."};
    if (f.Kind == FindingKind::WatchdogExpired) {
        const std::int64_t advise = 3 * f.LongestNs;
        return {MasterWords(f.Master) + " did not address " + slave + " for " + Duration(drop.IntervalNs) +
                    "; its watchdog is " + Duration(drop.WatchdogNs) + " (at " + At(drop.At.Ns) + Again(f) + ")",
                "The slave's watchdog ran out before its master came back to it: the slave left data exchange and "
                "set its outputs to their safe state.",
                "Raise the watchdog to at least 3x the longest request interval seen (" + Duration(advise) +
                    "), and find what delayed the master (its token rotation around that time is in the evidence)."};
    }
    std::string sign = "its diagnosis asks for new parameters (Prm_Req)";
    if (drop.Sign == DropSign::Refused) sign = "it answered Data_Exchange with " + std::string(NegativeKey(drop.Answer));
    return {slave + " left data exchange at " + At(drop.At.Ns) + ": " + sign + Again(f) + "; " + CameBack(f),
            "The slave lost its parameters: a power dip, a reset, or its firmware restarted.",
            "Check the slave's power supply for brief dips, its own diagnosis or LEDs for a restart, and its firmware "
            "version."};
}

FindingText TightWords(const Finding& f, const std::string& slave) {
    const std::uint64_t percent = static_cast<std::uint64_t>(100 * f.IntervalNs / f.WatchdogNs);
    const std::string against = f.IntervalNs > f.WatchdogNs ? "longer than its watchdog of " + Duration(f.WatchdogNs)
                                                             : std::to_string(percent) + "% of its watchdog of " +
                                                                   Duration(f.WatchdogNs);
    return {MasterWords(f.Master) + " addressed " + slave + " after up to " + Duration(f.IntervalNs) + " (at " +
                At(f.LastNs) + "), " + against,
            "The watchdog leaves little room: a busier bus or a slower token rotation will let it run out, and the "
            "slave will drop out of data exchange.",
            "Raise the watchdog to at least 3x the longest request interval (" + Duration(3 * f.IntervalNs) +
                "), or shorten the master's cycle."};
}

FindingText NotReadyWords(const Finding& f, const BusStats& stats, const GsdMatches& matches, const std::string& slave) {
    const std::size_t address = static_cast<std::size_t>(f.Address);
    const DpSlaveStats& dp = stats.Stations[address].Dp;
    std::string title = slave + " never reached data exchange: ";
    title += dp.State == DpState::None ? "it never answered" : "it stalls in " + std::string(dp::LookupName(kDpStateWords, static_cast<unsigned>(dp.State)));
    std::string cause = "The slave does not answer: it is not there, has no power or another address, or its "
                        "cable is cut.";
    std::string check = "Check that the slave is there and powered, its address setting, and its connector and "
                        "cable.";
    std::uint8_t status1 = 0;
    if (dp.Diag.Seen && dp.Diag.Last.Size >= dp::kDiagHeaderSize) {
        status1 = dp.Diag.Last.Data[0];
        cause = "The slave does not report ready, or its master does not finish the start-up.";
        check = "Check the slave's own diagnosis and the master's configuration of it.";
        const std::string faults = BitWords(dp::kStationStatus1Names,
                                            status1 & (dp::kCfgFault | dp::kPrmFault | dp::kNotSupported), ", ");
        title += "; its last diagnosis: " + (faults.empty() ? std::string("no fault") : faults);
    }
    const std::optional<std::uint16_t> prmIdent = dp.Prm.Seen ? std::optional<std::uint16_t>(
                                                                    dp::DecodeSetPrm(BytesOf(dp.Prm.Data)).IdentNumber)
                                                              : std::nullopt;
    if (dp.HasIdent && prmIdent && *prmIdent != dp.Ident) {
        title += "; ident mismatch: the master sends " + IdentText(*prmIdent) + ", the slave is " + IdentText(dp.Ident);
        cause = "The slave's ident number is not the one the master was configured for: another device type, or "
                "the wrong GSD file.";
        check = "Check which device is plugged in at this address and the GSD file the master's configuration uses.";
    } else if (status1 & dp::kCfgFault) {
        cause = "The master's configuration for the slave (Chk_Cfg) does not match the slave's modules.";
        check = "Compare the modules configured in the master with those plugged in the slave.";
        if (dp.Cfg.Seen && dp.GetCfg.Seen && !dp::CompareCfg(BytesOf(dp.Cfg.Data), BytesOf(dp.GetCfg.Data)).Matches)
            title += "; " + CfgAgainstSlaveWords(dp, matches.Slaves[address]);
    } else if (status1 & dp::kPrmFault) {
        cause = "The slave refuses the parameters the master sends: a wrong GSD file or revision, or a wrong user "
                "parameter.";
        check = "Check the GSD file the master's configuration uses for this slave and the slave's user parameters.";
    } else if (status1 & dp::kNotSupported) {
        cause = "The master asks for a function the slave does not support (Freeze, Sync or DP-V1).";
        check = "Check the functions the master's configuration switches on for this slave.";
    }
    return {title, cause, check};
}

FindingText DiagnosisWords(const Finding& f, const BusStats& stats, const GsdMatches& matches,
                           const std::string& slave) {
    const std::size_t address = static_cast<std::size_t>(f.Address);
    const DpDiagSeen& seen = stats.Stations[address].Dp.Diagnoses[f.Index];
    const fdl::Bytes bytes(stats.DiagnosisBytes.data() + seen.Offset, seen.Size);
    return {slave + " reports a diagnosis in data exchange " + Times(f.Count) + " from " + At(f.FirstNs) + ": " +
                DiagWords(bytes, seen.Dpv1, seen.CfgSlots, GsdDiagNames(matches.Slaves[address])),
            "The slave or one of its modules reports a fault of its own or of the process (a channel's short "
            "circuit or line break, a missing supply, a module pulled).",
            "Check the module and channel it names, their wiring and supply; the slave's manual explains its own "
            "codes."};
}

FindingText RefusalWords(const Finding& f, const BusStats& stats, const std::string& slave) {
    const DpRefusals& refusals = stats.Stations[static_cast<std::size_t>(f.Address)].Dp.Refusals;
    std::string parts;
    for (std::size_t k = 0; k < kNegativeKinds; ++k)
        for (std::size_t s = 0; s < dp::kServiceCount; ++s)
            if (std::uint32_t n = refusals.ByService[k][s]; n > 0)
                parts += (parts.empty() ? "" : ", ") + std::string(NegativeKey(static_cast<dp::Negative>(k + 1))) +
                         " to " + std::string(dp::ServiceName(static_cast<dp::Service>(s))) + " " + Times(n);
    if (refusals.Dpv1 > 0)
        parts += (parts.empty() ? "" : ", ") + Plural(refusals.Dpv1, "DP-V1 negative response", "DP-V1 negative responses");
    return {slave + " refused " + Plural(f.Count, "request", "requests") + " from " + At(f.FirstNs) + ": " + parts,
            "The slave does not offer the service (RS), had no resource for it (RR), or rejected it (UE).",
            "Check the master's configuration of the slave (the services and DP-V1 functions it uses) against the "
            "slave's GSD file."};
}

FindingText IdentWords(const Finding& f, const BusStats& stats) {
    const DpIdentTrack& idents = stats.Stations[static_cast<std::size_t>(f.Address)].Dp.Idents;
    const std::string address = std::to_string(f.Address);
    if (f.Kind == FindingKind::DoubleAddress)
        return {"two devices answer at address " + address + ": idents " + IdentText(idents.First) + " and " +
                    IdentText(idents.First == idents.Current ? idents.Previous : idents.Current) + " alternate from " +
                    At(f.FirstNs) + " (" + Plural(f.Count, "change", "changes") + ")",
                "Two slaves are set to the same address.",
                "Check the address switches of the slaves on the segment for a second device at address " + address +
                    "."};
    return {"slave " + address + " was " + IdentText(idents.First) + ", is " + IdentText(idents.Current) + " from " +
                At(f.FirstNs),
            "The device at this address was replaced by another type, or its ident changed with new firmware.",
            "Check that the master's configuration and GSD file match the new device."};
}

FindingText ClearWords(const Finding& f) {
    std::string title = "master " + std::to_string(f.Address) + " was in CLEAR (outputs to their safe state) from " +
                        At(f.From.Ns) + " to " + (f.To.Reference != 0 ? At(f.To.Ns) : "the end of the capture");
    if (f.Count > 1) title += ", " + Times(f.Count);
    if (!f.Slaves.empty()) title += ", addressing " + std::string(f.Slaves.size() == 1 ? "slave " : "slaves ") +
                                    AddressList(f.Slaves);
    return {title, "The controller stopped or lost a slave and set the outputs to their safe state.",
            "Check the controller's operating state and diagnosis buffer at that time, and which slaves it reports "
            "missing."};
}

FindingText SlowWords(const Finding& f, const BusStats& stats, const std::string& slave) {
    std::string title;
    if (f.GsdLimit)
        title = slave + " answers in up to " + Bits(f.SlowestNs, stats.Baud) + " bit times; its GSD allows " +
                std::to_string(f.MaxTsdrBits) + " (MaxTsdr)";
    if (f.SlotLimit) {
        const std::uint64_t percent = static_cast<std::uint64_t>(100 * f.SlowestNs / f.SlotNs);
        title += (title.empty() ? slave + "'s slowest answer took " + Bits(f.SlowestNs, stats.Baud) + " bit times, "
                                : "; ") +
                 std::to_string(percent) + "% of master " + std::to_string(f.Master) + "'s slot time (slot time about " +
                 Bits(f.SlotNs, stats.Baud) + " bit times, from " + Plural(f.SlotSamples, "retry", "retries") + ")";
    }
    return {title,
            "The slave answers close to or beyond the time its master waits; a late answer is taken as lost and "
            "retried.",
            "Check the slave's min_Tsdr and the master's slot time and MaxTsdr for this bit rate, and the revision "
            "of the slave's GSD file."};
}

FindingText ErrorWords(const Finding& f) {
    if (f.Kind == FindingKind::ErrorsLocal) {
        const std::string station = std::to_string(f.Address);
        std::string times = "none on the rest of the bus";
        if (f.RestPart > 0 && f.RestWhole > 0) {
            const double factor = (static_cast<double>(f.Part) / static_cast<double>(f.Whole)) /
                                  (static_cast<double>(f.RestPart) / static_cast<double>(f.RestWhole));
            times = FormatText("%.0f times the share of the rest of the bus", factor);
        }
        return {Plural(f.Part, "damaged frame", "damaged frames") + " from station " + station + ", first at " +
                    At(f.FirstNs) + ": " + Percent(f.Part, f.Whole) + " of its frames, " + times,
                "Cable, connector or termination near station " + station + ", or the station's transmitter.",
                "Check the bus connector at station " + station +
                    " (termination switch, shield contact), the cable sections on both sides of it, then the device "
                    "itself."};
    }
    return {Percent(f.Part, f.Whole) + " of all frames damaged (" + GroupedUnsigned(f.Part) + " of " +
                GroupedUnsigned(f.Whole) + "), spread over the stations, first at " + At(f.FirstNs),
            "Termination, shielding or grounding, a cable longer than the bit rate allows, or interference (EMC).",
            "Check that the segment is terminated at both ends and only there, the shield contact at every connector "
            "and the grounding, the cable length against the bit rate, and power cables laid beside the bus."};
}

FindingText FindingWordsOf(const Finding& f, const BusStats& stats, const GsdMatches& matches) {
    const std::string slave = f.Address >= 0 ? SlaveWords(static_cast<std::size_t>(f.Address), matches) : "";
    switch (f.Kind) {
        case FindingKind::CaptureGap: return CaptureGapWords(f);
        case FindingKind::SlaveLost:
        case FindingKind::SlaveRestart:
        case FindingKind::WatchdogExpired: return DropWords(f, slave);
        case FindingKind::CommonCause:
            return {"slaves " + AddressList(f.Slaves) + " dropped out within " + Duration(f.SpreadNs) + " at " +
                        At(f.FirstNs) + (f.Part > 1 ? ", and " + Times(f.Part - 1) + " more until " + At(f.LastNs) : ""),
                    "Something the slaves share: their segment or repeater, their power supply, or the master -- not "
                    "the slaves themselves.",
                    "Check what these slaves have in common: the repeater or coupler before them, their cabinet's "
                    "power supply, the cable of that part of the segment, and the master's state at that time."};
        case FindingKind::WatchdogTight: return TightWords(f, slave);
        case FindingKind::NotReady: return NotReadyWords(f, stats, matches, slave);
        case FindingKind::Diagnosis: return DiagnosisWords(f, stats, matches, slave);
        case FindingKind::ErrorsLocal:
        case FindingKind::ErrorsSpread: return ErrorWords(f);
        case FindingKind::Retries:
            return {slave + " needed " + Plural(f.Part, "retry", "retries") + " (" + Percent(f.Part, f.Whole) +
                        " of its requests), first at " + At(f.FirstNs),
                    "Frames to or from the slave get lost: a weak signal at its end of the cable, reflections, or "
                    "answers that come too late.",
                    "Check the connector and the cable at the slave and the termination; compare its answer times "
                    "with the slot time."};
        case FindingKind::SlowAnswers: return SlowWords(f, stats, slave);
        case FindingKind::NegativeAnswers: return RefusalWords(f, stats, slave);
        case FindingKind::DoubleAddress:
        case FindingKind::DeviceReplaced: return IdentWords(f, stats);
        case FindingKind::MasterClear: return ClearWords(f);
        case FindingKind::BusSilent:
            return {"no frame for " + Duration(f.IntervalNs) + " from " + At(f.From.Ns) + " to " + At(f.To.Ns),
                    "The masters stopped sending (stopped, restarted, or lost the token), the line was cut between "
                    "the recorder and the stations, or the recorder stopped.",
                    "Check the masters' state at that time, and the cable and connector of the recorder."};
        case FindingKind::UnknownFrames:
            return {Percent(f.Part, f.Whole) + " of the frames received without error are of no known kind (" +
                        GroupedUnsigned(f.Part) + " of " + GroupedUnsigned(f.Whole) + "), first at " + At(f.FirstNs),
                    "The recorder's bit rate differs from the bus', or a device that is not PROFIBUS talks on the line.",
                    "Check the bit rate set in the recorder and in the master, and what else is connected to the line."};
    }
    return {};
}

}  // namespace

std::string SlaveWords(std::size_t address, const GsdMatches& matches) {
    const std::string name = GsdDeviceName(matches.Slaves[address]);
    return "slave " + std::to_string(address) + (name.empty() ? "" : " (" + name + ")");
}

FindingText FindingWords(const Finding& finding, const BusStats& stats, const GsdMatches& matches) {
    FindingText text = FindingWordsOf(finding, stats, matches);
    if (finding.NearArtefact) text.Title += " (near a recorder artefact)";
    return text;
}

std::string_view FindingKindName(FindingKind kind) { return kKinds[static_cast<std::size_t>(kind)].Name; }

std::string_view SeverityName(Severity level) { return kSeverities[static_cast<std::size_t>(level)].Name; }

std::string VerdictWords(const Verdict& verdict) {
    if (verdict.Faults + verdict.Warnings + verdict.Notes == 0) return "no findings";
    auto part = [](std::uint64_t n, const char* one, const char* many) {
        return n == 0 ? std::string("no ") + many : GroupedUnsigned(n) + " " + (n == 1 ? one : many);
    };
    return part(verdict.Faults, "fault", "faults") + ", " + part(verdict.Warnings, "warning", "warnings") + ", " +
           part(verdict.Notes, "note", "notes");
}

}  // namespace zelmot
