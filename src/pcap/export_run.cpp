// The export run: reads the options of Filter=, opens the output, then pulls
// records. Frames are numbered, timed and selected as the converter does it;
// events become notes (comments and pseudo-header bits) on the next packet
// written. All state of a run lives in one ExportRun record on the stack; the
// memory it holds does not grow with the capture.
#include "pcap/export_run.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "capture/frame_reader.h"
#include "capture/frame_timing.h"
#include "filter/filter_state.h"
#include "options/option_file.h"
#include "pcap/link_layer.h"
#include "pcap/packet_status.h"
#include "pcap/pcap_blocks.h"

#ifndef ZELMOT_VERSION
#define ZELMOT_VERSION "unknown"
#endif

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
    CaptureReader Reader;
    TimingState Timing;
    bool FirstFrame = true;
    bool FileStarted = false;  // the section and interface, or the file header, are out
    bool TimeShiftSet = false;
    std::int64_t TimeShift = 0;  // added to AbsTime
    std::vector<std::string> Notes;
    std::uint32_t NotesLeftOut = 0;
    std::uint8_t NoteBits = 0;  // kNoteSyncLost, kNoteNewFile
    ByteString Block;           // the block being built, reused
    PacketBuffer Packet{};
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
        interface.Name = std::string(HeaderDeviceName(*header));
        interface.Description = DottedAddress(HeaderDeviceAddress(*header));
        interface.Speed = BaudBitRate(HeaderBaudIndex(*header));
    }
    pcapfile::AppendInterfaceDescription(run.Block, interface);
    Emit(run);
}

// AbsTime of the frame, shifted so that the first exported frame lies at
// Start=; times before the epoch are held at 0.
std::uint64_t PacketTime(ExportRun& run) {
    const std::int64_t absTime = run.Timing.Current.AbsTime;
    if (!run.TimeShiftSet) {
        run.TimeShiftSet = true;
        run.TimeShift = run.Settings->StartGiven ? run.Settings->StartNs - absTime : 0;
    }
    const std::int64_t time = absTime + run.TimeShift;
    return time < 0 ? 0 : static_cast<std::uint64_t>(time);
}

void WritePacket(ExportRun& run, const CaptureFrame& frame) {
    StartFile(run, nullptr);
    std::span<const std::uint8_t> bytes =
        AssemblePacket(run.Packet, run.Settings->Link, frame.Bytes.data(), frame.Length, frame.Status, run.NoteBits);
    const std::uint64_t time = PacketTime(run);
    if (run.Settings->Format == FileFormat::Pcap) {
        pcapfile::AppendClassicRecord(run.Block, time, bytes);
    } else {
        if (run.NotesLeftOut > 0)
            run.Notes.push_back("(" + std::to_string(run.NotesLeftOut) + " more notes left out)");
        if (frame.Status != 0) run.Notes.push_back(StatusComment(frame.Status));
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

bool FilterPasses(ExportRun& run, const CaptureFrame& frame) {
    const FrameTiming& t = run.Timing.Current;
    FilterInputs in{frame.Bytes.data(), frame.Length, frame.Fields, ToFilterMicroseconds(t.GapTime),
                    ToFilterMicroseconds(t.GapAfterTime)};
    return EvaluateFilter(run.Filter, in) != 0;
}

// Numbers, times and selects one frame; false once EndRef is passed.
bool TakeFrame(ExportRun& run) {
    const CaptureFrame& frame = run.Reader.Frame;
    const std::uint32_t reference = ++run.Counts.FramesRead;
    ComputeFrameTiming(run.Timing, run.FirstFrame, frame.TimeStamp, frame.NextTimeStamp, frame.Length);
    run.FirstFrame = false;
    if (reference < run.Settings->Run.StartRef) return true;
    if (reference > run.Settings->Run.EndRef) return false;
    if (run.FilterActive && !FilterPasses(run, frame)) return true;
    WritePacket(run, frame);
    return true;
}

Outcome TakeFileOpened(ExportRun& run) {
    const CaptureReader& reader = run.Reader;
    AddNote(run, "File      : " + reader.Event.Text, kNoteNewFile);
    if (run.FileStarted) return Success();
    const std::uint16_t baudIndex = HeaderBaudIndex(reader.Header);
    if (!SelectBaudTiming(baudIndex, run.Timing))
        return ErrorText("Capture File Header Error: Invalid Baud Index %u (0-8) in %s", baudIndex,
                         reader.CurrentCaptureName.c_str());
    StartFile(run, &reader.Header);
    return Success();
}

void TakeSyncLost(ExportRun& run) {
    const SyncLostNote& lost = run.Reader.Event.SyncLost;
    char text[96];
    std::snprintf(text, sizeof text, "**** Synchronization Lost **** after frame %u: FileOfs=%llx Mark=%02x",
                  lost.ReferenceNumber, static_cast<unsigned long long>(lost.FileOffset), lost.Mark);
    AddNote(run, text, kNoteSyncLost);
}

// Closes both sides; what was written before a fault stays. A failed write
// is the fault to report, whatever else happened.
Outcome Finish(ExportRun& run, Outcome result) {
    CloseCaptureReader(run.Reader);
    if (result.IsOk()) StartFile(run, nullptr);  // even an export without packets is a valid file
    if (!CloseByteSink(*run.Sink))
        return ErrorText("Unable to Write Output File %s", OutputLabel(*run.Settings).c_str());
    return result;
}

Outcome ReadLoop(ExportRun& run) {
    CaptureReader& reader = run.Reader;
    for (;;) {
        if (run.Sink->WriteFailed) return Success();  // Finish reports it
        switch (PullRecord(reader)) {
            case RecordKind::Frame:
                if (!TakeFrame(run)) return Success();
                break;
            case RecordKind::HeaderRead:
                break;
            case RecordKind::FileOpened: {
                Outcome opened = TakeFileOpened(run);
                if (!opened.IsOk()) return opened;
                break;
            }
            case RecordKind::SyncLost:
                TakeSyncLost(run);
                break;
            case RecordKind::EndOfCapture:
                if (reader.FilesOpened == 0) return ErrorText("No Capture File to Convert (NumMin=0)");
                return Success();
            case RecordKind::Error:
                return ErrorTextOf(reader.Event.Text);
        }
    }
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
    StartCaptureReader(run.Reader, RunFilesOf(settings.Run));
    run.Counts.Result = Finish(run, ReadLoop(run));
    return run.Counts;
}

}  // namespace

const char* ExportApplicationName() { return "zelmot2pcap " ZELMOT_VERSION; }

ExportResult RunExport(const ExportSettings& settings) { return Export(settings, nullptr); }

ExportResult RunExportInto(const ExportSettings& settings, ByteSink& sink) { return Export(settings, &sink); }

}  // namespace zelmot
