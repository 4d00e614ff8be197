// RunExport: one pass over the capture's records, writing every frame of the
// window (StartRef to EndRef) that the Filter= option file's equation passes
// as one packet of a pcapng or classic pcap file.
#pragma once

#include <cstdint>

#include "common/outcome.h"
#include "pcap/byte_sink.h"
#include "pcap/export_settings.h"

namespace zelmot {

struct ExportResult {
    Outcome Result;
    std::uint32_t FramesRead = 0;
    std::uint32_t PacketsWritten = 0;
};

// Opens settings.OutputName ("-": standard output) and exports into it.
ExportResult RunExport(const ExportSettings& settings);

// Exports into a sink the caller opened; the sink is closed at the end, and
// its name appears in the write-error message.
ExportResult RunExportInto(const ExportSettings& settings, ByteSink& sink);

// The name of the program and its version, for shb_userappl.
const char* ExportApplicationName();

}  // namespace zelmot
