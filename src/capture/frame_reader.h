// The frame reader: walks the run of per-minute capture files as one record
// stream, echoes the first header and a File line per file into the output
// text, delivers each frame with the time stamp of the record after it, and
// finds the record boundaries (again, after damage) by a sync search.
#pragma once

#include <cstdint>
#include <string>

#include "capture/capture_file.h"
#include "capture/capture_format.h"
#include "capture/capture_frame.h"
#include "common/outcome.h"
#include "common/text_out.h"

namespace zelmot {

struct CaptureReader {
    TextOut* out = nullptr;            // the run's output text
    std::string OptionFileName;        // for the header echo
    std::string EquationText;          // for the header echo; empty for none
    std::string CaptureBaseName;       // name parts of the next file to open
    unsigned CaptureHour = 0;
    unsigned CaptureMinute = 0;
    unsigned FilesLeft = 0;
    CaptureFile file;
    std::string CurrentCaptureName;
    std::uint64_t CaptureFileSize = 0;
    CaptureHeader Header{};
    bool HeaderEchoed = false;
    std::uint64_t PendingTimeStamp = 0;  // of the record header read ahead
    std::uint8_t PendingLength = 0;
    std::uint64_t ResyncOrigin = 0;  // where a resynchronisation search starts
    std::uint32_t LastProgressPercent = 100;  // the progress last printed; 100 after each opening
};

// Sets the reader up for a run (nothing is opened yet).
void StartCaptureReader(CaptureReader& reader, TextOut& out, std::string captureBaseName,
                        unsigned startHour, unsigned startMinute, unsigned numMin,
                        std::string optionFileName, std::string equationText);

Outcome OpenNextCaptureFile(CaptureReader& reader);
Outcome ReadCaptureBytes(CaptureReader& reader, std::uint8_t* destination, std::size_t n);
// referenceNumber: the frames counted so far, for the note on a lost sync.
Outcome ReadRecordHeader(CaptureReader& reader, std::uint8_t* header, std::uint32_t referenceNumber);
Outcome SyncToRecords(CaptureReader& reader);
Outcome ReadFrame(CaptureReader& reader, CaptureFrame& frame, FrameFieldView& view, bool firstFrame,
                  std::uint32_t referenceNumber);
// Closes the output text, then the capture file, each if open. False if the
// output text could not be written completely.
bool CloseRunFiles(CaptureReader& reader);

// Read position in the capture file now open.
inline std::uint64_t CapturePosition(const CaptureReader& reader) { return ReadPosition(reader.file); }

}  // namespace zelmot
