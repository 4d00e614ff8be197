// The frame reader as it was before it walked the records inside its input
// buffer (commit 9dffd28): every record read through byte copies into the
// frame, the header after it read the same way, the fields located by the
// table of delimiters. Kept only as the reference that the reader's
// differential tests and fuzz target compare the product's reader with;
// nothing else may use it.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "capture/capture_format.h"
#include "capture/capture_frame.h"
#include "capture/reader_types.h"

namespace zelmot::previous {

struct CaptureFile {
    std::FILE* File = nullptr;
    std::vector<std::uint8_t> Buffer;
    std::uint64_t BufferStart = 0;
    std::size_t BufferLength = 0;
    std::size_t BufferPos = 0;
    bool Positioned = true;
    std::uint64_t Size = 0;
};

constexpr std::size_t kReaderEventQueueSize = 8;

struct ReaderEventQueue {
    std::array<ReaderEvent, kReaderEventQueueSize> Events;
    std::size_t Head = 0;
    std::size_t Count = 0;
};

enum class ReaderStage : std::uint8_t { Opening, Syncing, Reading, Ended };

struct ReaderState {
    CaptureRunFiles Files;
    unsigned CaptureHour = 0;
    unsigned CaptureMinute = 0;
    std::uint32_t FilesLeft = 0;
    CaptureFile File;
    std::uint64_t PendingTimeStamp = 0;
    std::uint8_t PendingLength = 0;
    std::uint64_t ResyncOrigin = 0;
    std::uint32_t FramesDelivered = 0;
    ReaderStage Stage = ReaderStage::Opening;
    bool FrameReady = false;
    ReaderEventQueue Queue;
};

struct CaptureReader {
    CaptureFrame Frame;
    ReaderEvent Event;
    CaptureHeader Header{};
    std::uint32_t FilesOpened = 0;
    std::string CurrentCaptureName;
    std::uint64_t CaptureFileSize = 0;
    ReaderState State;
};

void StartCaptureReader(CaptureReader& reader, CaptureRunFiles files);
RecordKind PullRecord(CaptureReader& reader);
void CloseCaptureReader(CaptureReader& reader);

}  // namespace zelmot::previous
