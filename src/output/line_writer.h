// The run's text, line by line: the header echo, a File line per capture
// file, the resynchronisation notes, one line per frame written and the
// closing texts. Adding a column means touching WriteLineColumns only.
#pragma once

#include <cstdint>
#include <string_view>

#include "capture/capture_format.h"
#include "capture/capture_frame.h"
#include "capture/frame_reader.h"
#include "capture/frame_timing.h"
#include "common/text_out.h"
#include "options/display_options.h"
#include "output/frame_columns.h"
#include "output/reference_column.h"
#include "output/time_columns.h"

namespace zelmot {

// The first capture file's header, the option file and the equation (none
// when empty), then an empty line.
void WriteHeaderEcho(TextOut& out, const CaptureHeader& header, std::string_view optionFileName,
                     std::string_view equationText);

void WriteFileLine(TextOut& out, std::string_view captureFileName);

void WriteSyncLostNote(TextOut& out, const SyncLostNote& note);

// What the writer of a run's lines keeps from one line to the next (each
// thread writing lines keeps its own): the texts of the reference number's
// thousands and of each time column's whole seconds, which most lines
// repeat.
struct KeptLineTexts {
    KeptThousands Reference;
    KeptTimeTexts Times;
};

// File offset, reference number, time and graph columns, status and FDL
// columns, as the options choose, and the line end, for a frame given by its
// parts: the read position after it, its bytes with the status byte after
// them (count + 1 bytes), its number and its times, with what the writer of
// these lines kept. Inline: it runs once per line written.
inline void WriteLineColumns(TextOut& out, const DisplayOptions& options, std::uint64_t fileOffset,
                             const std::uint8_t* bytes, std::uint8_t count, std::uint32_t referenceNumber,
                             const FrameTiming& timing, KeptLineTexts& kept) {
    if (options.ShowFileOfs) {
        PutHex(out, static_cast<std::uint32_t>(fileOffset), 8);
        PutText(out, ": ");
    }
    if (!options.NoRef) {
        WriteReferenceNumber(out, referenceNumber, kept.Reference);
        PutText(out, ": ");
    }
    if (TimeColumnsShown(options)) WriteTimeColumns(out, options, timing, kept.Times);
    WriteFrameColumns(out, options, bytes, count);
    PutChar(out, '\n');
}

// The line of a frame as the reader delivered it. Adding a column means
// touching WriteLineColumns only.
inline void WriteFrameLine(TextOut& out, const DisplayOptions& options, const CaptureFrame& frame,
                           std::uint32_t referenceNumber, const FrameTiming& timing, KeptLineTexts& kept) {
    WriteLineColumns(out, options, frame.FileOffset, frame.Bytes.data(), frame.Length, referenceNumber, timing,
                     kept);
}

constexpr std::string_view kEndOfCaptureText = "\nEnd of Capture Data\n";
constexpr std::string_view kLastReferenceText = "\nLast Reference Reached\n";

}  // namespace zelmot
