// The export run: reads the options of Filter=, opens the output, then runs
// the capture with the packet writer as its sink. The run numbers, times and
// selects the frames as for the converter; events become notes (comments and
// pseudo-header bits) on the next packet written. All state of an export
// lives in one ExportRun record on the stack; the memory it holds does not
// grow with the capture.
#include "pcap/export_run.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "common/utf8_text.h"
#include "common/version.h"
#include "filter/filter_state.h"
#include "options/option_file.h"
#include "pcap/finding_comments.h"
#include "pcap/link_layer.h"
#include "pcap/packet_status.h"
#include "pcap/pcap_blocks.h"
#include "run/capture_run.h"

namespace zelmot {
namespace {

// Notes waiting for the next packet; more than this many between two packets
// are counted, not kept.
constexpr std::size_t kMaxPendingNotes = 16;

struct ExportRun {
    const ExportSettings* Settings = nullptr;
    ByteSink* Sink = nullptr;
    DisplayOptions Options;
    FilterState Filter;
    bool FilterActive = false;
    bool FileStarted = false;  // the section and interface, or the file header, are out
    bool TimeShiftSet = false;
    std::int64_t TimeShift = 0;  // added to AbsTime
    std::vector<std::string> Notes;
    std::uint32_t NotesLeftOut = 0;
    std::uint8_t NoteBits = 0;  // kNoteSyncLost, kNoteNewFile
    ByteString Block;           // the block being built, reused
    PacketBuffer Packet{};
    FindingComments Findings;   // Findings=yes: the comments of the frames findings cite
    ExportResult Counts;
};

void AddNote(ExportRun& run, std::string text, std::uint8_t bit) {
    run.NoteBits |= bit;
    if (run.Notes.size() < kMaxPendingNotes)
        run.Notes.push_back(std::move(text));
    else
        ++run.NotesLeftOut;
}

std::string DottedAddress(std::uint32_t address) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        text += std::to_string((address >> shift) & 0xFF);
        if (shift != 0) text.push_back('.');
    }
    return text;
}

void Emit(ExportRun& run) {
    PutBytes(*run.Sink, run.Block);
    run.Block.clear();
}

// The section header and interface (pcapng) or the file header (pcap), from
// the first capture file's header, or a bare one when no header was read.
void StartFile(ExportRun& run, const CaptureHeader* header) {
    if (run.FileStarted) return;
    run.FileStarted = true;
    const std::uint16_t linkType = LinkTypeOf(run.Settings->Link);
    if (run.Settings->Format == FileFormat::Pcap) {
        pcapfile::AppendClassicFileHeader(run.Block, linkType);
        Emit(run);
        return;
    }
    pcapfile::AppendSectionHeader(run.Block, ExportApplicationName());
    pcapfile::InterfaceInfo interface;
    interface.LinkType = linkType;
    if (header != nullptr) {
        // pcapng texts are UTF-8; the header holds any bytes.
        interface.Name = utf8::MakeValid(HeaderDeviceName(*header));
        interface.Description = DottedAddress(HeaderDeviceAddress(*header));
        interface.Speed = BaudBitRate(HeaderBaudIndex(*header));
    }
    pcapfile::AppendInterfaceDescription(run.Block, interface);
    Emit(run);
}

// AbsTime of the frame, shifted so that the first exported frame lies at
// Start=; times before the epoch are held at 0.
std::uint64_t PacketTime(ExportRun& run, std::int64_t absTime) {
    if (!run.TimeShiftSet) {
        run.TimeShiftSet = true;
        run.TimeShift = run.Settings->StartGiven ? run.Settings->StartNs - absTime : 0;
    }
    const std::int64_t time = absTime + run.TimeShift;
    return time < 0 ? 0 : static_cast<std::uint64_t>(time);
}

void WritePacket(ExportRun& run, const CaptureFrame& frame, std::uint32_t reference, std::int64_t absTime) {
    StartFile(run, nullptr);
    std::span<const std::uint8_t> bytes =
        AssemblePacket(run.Packet, run.Settings->Link, frame.Bytes.data(), frame.Length, frame.Status, run.NoteBits);
    const std::uint64_t time = PacketTime(run, absTime);
    if (run.Settings->Format == FileFormat::Pcap) {
        pcapfile::AppendClassicRecord(run.Block, time, bytes);
    } else {
        if (run.NotesLeftOut > 0)
            run.Notes.push_back("(" + std::to_string(run.NotesLeftOut) + " more notes left out)");
        if (frame.Status != 0) run.Notes.push_back(StatusComment(frame.Status));
        const auto [first, last] = CommentsOf(run.Findings, reference);
        for (std::size_t i = first; i < last; ++i) run.Notes.push_back(run.Findings.ByFrame[i].second);
        pcapfile::PacketInfo packet;
        packet.TimeNs = time;
        packet.Bytes = bytes;
        packet.Flags = EpbFlagsOfStatus(frame.Status);
        packet.Comments = run.Notes;
        pcapfile::AppendEnhancedPacket(run.Block, packet);
    }
    Emit(run);
    run.Notes.clear();
    run.NotesLeftOut = 0;
    run.NoteBits = 0;
    ++run.Counts.PacketsWritten;
}

// The sink's side of the run. A failed write stops it; Finish reports it.
bool TakePacket(ExportRun& run, const RunFrame& frame) {
    WritePacket(run, *frame.Frame, frame.ReferenceNumber, frame.Timing->AbsTime);
    return !run.Sink->WriteFailed;
}

void NoteFileOpened(ExportRun& run, const std::string& fileName) {
    AddNote(run, "File      : " + fileName, kNoteNewFile);
}

void StartWithHeader(ExportRun& run, const CaptureHeader& header, const BaudTiming&) {
    StartFile(run, &header);
}

void NoteSyncLost(ExportRun& run, const SyncLostNote& lost) {
    char text[96];
    std::snprintf(text, sizeof text, "**** Synchronization Lost **** after frame %u: FileOfs=%llx Mark=%02x",
                  lost.ReferenceNumber, static_cast<unsigned long long>(lost.FileOffset), lost.Mark);
    AddNote(run, text, kNoteSyncLost);
}

// Closes both sides; what was written before a fault stays. A failed write
// is the fault to report, whatever else happened.
Outcome Finish(ExportRun& run, const Outcome& result) {
    if (result.IsOk()) StartFile(run, nullptr);  // even an export without packets is a valid file
    if (!CloseByteSink(*run.Sink))
        return ErrorText("Unable to Write Output File %s", OutputLabel(*run.Settings).c_str());
    return result;
}

// Reads the Filter= option file (before the output is created, so a bad one
// leaves no file behind), then exports into the given sink or, with none,
// into the file or standard output the settings name.
ExportResult Export(const ExportSettings& settings, ByteSink* given) {
    ExportRun run;
    run.Settings = &settings;
    run.Filter.FilterArgs = settings.Run.Args;
    if (!settings.FilterName.empty()) {
        Outcome options = ReadOptionFile(settings.FilterName + ".opt", run.Options, run.Filter);
        if (!options.IsOk()) {
            if (given != nullptr) CloseByteSink(*given);
            run.Counts.Result = options;
            return run.Counts;
        }
        run.FilterActive = run.Options.ShowOnlyActive;
    }
    if (settings.Findings) {
        // A pass of its own before the output exists: a capture that cannot be read leaves no file.
        Outcome findings = CollectFindingComments(settings.Run, run.Findings);
        if (!findings.IsOk()) {
            if (given != nullptr) CloseByteSink(*given);
            run.Counts.Result = findings;
            return run.Counts;
        }
    }
    ByteSink own;
    if (given != nullptr) {
        run.Sink = given;
    } else if (settings.OutputName == kStdoutName) {
        OpenByteSinkStdout(own);
        run.Sink = &own;
    } else if (OpenByteSinkFile(own, settings.OutputName)) {
        run.Sink = &own;
    } else {
        run.Counts.Result = ErrorText("Unable to Open Output File %s", settings.OutputName.c_str());
        return run.Counts;
    }
    RunSpec runSpec = RunSpecOf(settings.Run);
    runSpec.Filter = run.FilterActive ? &run.Filter : nullptr;
    runSpec.Files.LocateFields = runSpec.Filter != nullptr;  // a packet is the frame's bytes as they are
    runSpec.NameFileInErrors = true;
    runSpec.GapAfterWanted = false;  // a packet carries its time alone
    runSpec.Progress = settings.Progress;
    RunSink sink = SinkOf(run);
    sink.FileOpened = SinkCall<NoteFileOpened>::Call;
    sink.Started = SinkCall<StartWithHeader>::Call;
    sink.SyncLost = SinkCall<NoteSyncLost>::Call;
    sink.Frame = SinkCall<TakePacket>::Call;
    RunResult result = RunCapture(runSpec, sink);
    if (result.ProgressShown) std::fputc('\n', settings.Progress);
    run.Counts.FramesRead = result.FramesRead;
    run.Counts.Result = Finish(run, result.Result);
    return run.Counts;
}

}  // namespace

const char* ExportApplicationName() { return "zelmot2pcap " ZELMOT_VERSION; }

ExportResult RunExport(const ExportSettings& settings) { return Export(settings, nullptr); }

ExportResult RunExportInto(const ExportSettings& settings, ByteSink& sink) { return Export(settings, &sink); }

}  // namespace zelmot
