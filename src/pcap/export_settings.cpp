// The export's own command-line words; the shared ones go to the same
// parser, with the same messages, as the converter's.
#include "pcap/export_settings.h"

#include "common/ascii.h"
#include "pcap/start_time.h"

namespace zelmot {
namespace {

using ascii::EqualsNoCase;
using ascii::StartsWithNoCase;

bool ParseFormat(const char* value, ExportSettings& settings, std::FILE* console) {
    if (EqualsNoCase(value, "pcapng")) {
        settings.Format = FileFormat::Pcapng;
    } else if (EqualsNoCase(value, "pcap")) {
        settings.Format = FileFormat::Pcap;
    } else {
        std::fprintf(console, "Invalid Format - %s (pcapng or pcap)\n", value);
        return false;
    }
    return true;
}

bool ParseLink(const char* value, ExportSettings& settings, std::FILE* console) {
    if (EqualsNoCase(value, "profibus")) {
        settings.Link = LinkKind::Profibus;
    } else if (EqualsNoCase(value, "user0")) {
        settings.Link = LinkKind::User0;
    } else {
        std::fprintf(console, "Invalid Link - %s (profibus or user0)\n", value);
        return false;
    }
    return true;
}

bool ParseStart(const char* value, ExportSettings& settings, std::FILE* console) {
    if (!ParseStartTime(value, settings.StartNs)) {
        std::fprintf(console, "Invalid Start - %s (YYYY-MM-DDTHH:MM:SS, UTC, years 1970-%u)\n", value,
                     kLastStartYear);
        return false;
    }
    settings.StartGiven = true;
    return true;
}

bool ParseFilter(const char* value, ExportSettings& settings, std::FILE* console) {
    if (*value == '\0') {
        std::fputs("Invalid Filter - no option file named\n", console);
        return false;
    }
    settings.FilterName = value;
    return true;
}

bool ParseFindings(const char* value, ExportSettings& settings, std::FILE* console) {
    if (EqualsNoCase(value, "yes")) settings.Findings = true;
    else if (EqualsNoCase(value, "no")) settings.Findings = false;
    else {
        std::fprintf(console, "Invalid Findings - %s (yes or no)\n", value);
        return false;
    }
    return true;
}

}  // namespace

std::string OutputLabel(const ExportSettings& settings) {
    return settings.OutputName == kStdoutName ? std::string("- (standard output)") : settings.OutputName;
}

bool ParseExportOption(const char* word, ExportSettings& settings, std::FILE* console) {
    if (StartsWithNoCase(word, "Format=")) return ParseFormat(word + 7, settings, console);
    if (StartsWithNoCase(word, "Link=")) return ParseLink(word + 5, settings, console);
    if (StartsWithNoCase(word, "Start=")) return ParseStart(word + 6, settings, console);
    if (StartsWithNoCase(word, "Filter=")) return ParseFilter(word + 7, settings, console);
    if (StartsWithNoCase(word, "Findings=")) return ParseFindings(word + 9, settings, console);
    return ParseSharedOption(word, settings.Run, console);
}

bool CheckExportOptions(const ExportSettings& settings, std::FILE* console) {
    if (settings.Findings && settings.Format == FileFormat::Pcap) {
        std::fputs("Invalid Findings - pcap files hold no comments: use Format=pcapng\n", console);
        return false;
    }
    return true;
}

}  // namespace zelmot
