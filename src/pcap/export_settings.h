// Everything an export run is started with: the shared command-line
// settings (capture names, NumMin, StartRef, EndRef, Arg0-3) and the
// export's own words.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "run/command_line.h"
#include "pcap/link_layer.h"

namespace zelmot {

enum class FileFormat : std::uint8_t { Pcapng, Pcap };

struct ExportSettings {
    RunSettings Run;
    std::string OutputName;     // "-" writes to standard output
    FileFormat Format = FileFormat::Pcapng;
    LinkKind Link = LinkKind::Profibus;
    bool StartGiven = false;
    std::int64_t StartNs = 0;   // Start=: the first exported frame's time
    std::string FilterName;     // Filter=: option file without ".opt"; empty for none
    bool Findings = false;      // Findings=yes: the findings as comments on their frames (pcapng)
    std::FILE* Progress = nullptr;  // where the progress line goes, or nowhere
};

// The OutFile word that means standard output.
constexpr const char* kStdoutName = "-";

// The output's name as messages give it ("- (standard output)" for "-").
std::string OutputLabel(const ExportSettings& settings);

// Applies one word after the two file names: Format=, Link=, Start=,
// Filter=, Findings= here, every other through the shared parser. False (with its
// message on console) if rejected.
bool ParseExportOption(const char* word, ExportSettings& settings, std::FILE* console);

// The words that do not go together: Findings=yes with Format=pcap, which
// has no comments. False with the message on console.
bool CheckExportOptions(const ExportSettings& settings, std::FILE* console);

}  // namespace zelmot
