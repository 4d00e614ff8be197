// The parallel line stage of a conversion. The run's thread numbers, times,
// places and selects the frames as always, and fills batches of lines: the
// text of the events between frames and, for each selected frame, either
// everything its line needs (bytes, status, read position, reference
// number, times), for a worker thread to format, or, while every worker is
// busy and a batch already waits for one, the line itself. So the run's
// thread shares the formatting instead of waiting for the workers, and
// copies a frame only when a worker is there to take it. Batches pass
// through one ring; each batch's lines are formatted into its own buffer,
// and the buffers reach the output strictly in the order the batches were
// filled. All state of a stage lives in its LineStage record;
// FinishLineStage joins the workers, so nothing outlives the run.
#pragma once

#include <atomic>
#include <cassert>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "capture/capture_file.h"
#include "capture/capture_frame.h"
#include "capture/frame_timing.h"
#include "common/raw_buffer.h"
#include "common/text_out.h"
#include "options/display_options.h"
#include "output/line_writer.h"

namespace zelmot {

// A batch is handed on once it holds kBatchEntries entries or its text, as
// estimated from the options and the frames' lengths, would fill its
// buffer; so the ring's memory stays bounded, whatever the layout and the
// frames. The estimate errs high; a batch whose text still outgrows the
// buffer goes on in its Spill.
constexpr std::size_t kBatchEntries = 4096;
constexpr std::size_t kBatchTextBuffer = 1024 * 1024;
constexpr std::size_t kCharsPerFrameByte = 5;  // "-128 ", the widest data byte
// Threads that format lines, the run's own thread included.
constexpr unsigned kMaxLineWorkers = 8;
// Batches per worker thread in the ring: one being formatted, one formatted
// and waiting for its turn to be written; and four more for the run's
// thread: one being filled, and those it formatted itself while a worker
// was at an older batch, waiting for their turn (the run's thread sleeps
// only when the ring is full and no batch waits for a worker).
constexpr unsigned kBatchesPerWorker = 2;
constexpr unsigned kBatchesOfTheRun = 4;

// One entry of a batch: a frame's line, or an event's text as it is. The
// entries lie one after the other in the batch's Bytes, each this header
// and then its Size bytes, so that the run's thread stores an entry into
// one stream. A frame's times, where the layout shows any, are in the
// batch's Timings, in the order of the frames; without time columns a
// batch does not carry them: the less the run's thread stores, the less
// the worker's core has to fetch from the other's.
struct LineEntry {
    std::uint32_t ReferenceNumber = 0;
    std::uint32_t FileOffset = 0;  // the read position after the frame (its line shows 32 bits)
    std::uint32_t Size = 0;        // the frame's bytes and its status byte, or the text's bytes
    std::uint32_t IsText = 0;
};
// The room an entry may take: its header, and a frame's bytes or the
// fixed-size copy of them.
constexpr std::size_t kEntryRoom = sizeof(LineEntry) + kFrameBufferSize;

// On cache lines of its own: the run's thread fills one batch while the
// workers format and write out others.
struct alignas(64) LineBatch {
    // Of the frames in Bytes, the first TimingsUsed, if the layout shows
    // times: room for kBatchEntries, as a batch holds no more entries.
    RawBuffer<FrameTiming> Timings;
    std::size_t TimingsUsed = 0;
    // The entries: the first BytesUsed of Bytes. Bytes keeps at least
    // kEntryRoom bytes free past them, so that a frame's entry goes in by
    // fixed-size copies where it is short.
    RawBuffer<std::uint8_t> Bytes;
    std::size_t BytesUsed = 0;
    TextOut Text;       // the formatted lines; what did not fit its buffer is in Spill
    std::string Spill;
    std::size_t Count = 0;         // lines and event texts in the batch
    std::size_t TextEstimate = 0;  // an upper estimate of the text's size
    // Offsets up to which Timings, Bytes and Text's buffer are prefetched.
    std::size_t TimingsPrefetched = 0;
    std::size_t BytesPrefetched = 0;
    std::size_t TextPrefetched = 0;
    // Formatted by the run's thread as it is filled (its Bytes stay
    // empty, the lines go straight into Text), not by a worker.
    bool FormatsItself = false;
    bool Formatted = false;
    KeptLineTexts Kept;  // of whichever thread formats the batch
};

struct LineStage {
    const DisplayOptions* Options = nullptr;
    TextOut* Out = nullptr;          // the output, written by one thread at a time
    std::vector<LineBatch> Batches;  // the ring: batch number k is Batches[k % size]
    std::vector<std::thread> Workers;
    LineBatch* Filling = nullptr;    // the batch the run's thread fills: number Filled
    std::size_t LineEstimate = 0;    // a line's characters besides its data bytes, estimated high
    bool TimesShown = false;         // the layout shows a time column
    TextOut EventText;               // an event's text, before it joins the batch
    std::string EventSpill;
    std::mutex Lock;                 // guards what follows
    std::condition_variable WorkReady;     // a batch was handed on, or the stage stops
    std::condition_variable BatchWritten;  // a ring place came free
    std::uint64_t Filled = 0;   // batches handed on
    // Batches before number Taken are taken by a worker or formatted by the
    // run's thread; Taken < Filled exactly when a handed-on batch waits for
    // a worker, and then it is number Taken.
    std::uint64_t Taken = 0;
    std::uint64_t Written = 0;  // batches written to the output
    std::uint64_t AwaitedWritten = 0;  // the Written count the run's thread sleeps for, or 0
    bool Writing = false;       // a thread is writing batches out
    bool Stopping = false;
    // Taken < Filled, stored under the lock whenever either changes. The
    // run's thread reads it without the lock, only to decide when to end a
    // batch it formats itself: once no batch waits for a worker, it hands
    // its batch on and fills the next one for the workers, so that a worker
    // finds work when it is done rather than sleeping.
    std::atomic<bool> BatchWaits{false};
};

// Starts up to `workers` threads that format into out with options (both
// outlive the stage), beside the run's thread. False, with nothing left
// running, if no thread could be started: the caller then writes its lines
// itself.
bool StartLineStage(LineStage& stage, const DisplayOptions& options, TextOut& out, unsigned workers);

// Hands the batch being filled on (to the workers, or to be written if the
// run's thread formatted it) and takes the next place of the ring, once it
// is written.
void HandOnBatch(LineStage& stage);

// Makes room for n more bytes and kEntryRoom after them.
void GrowBatchBytes(LineBatch& batch, std::size_t n);

// Whether the processor asks for a cache line for writing (every x86-64
// one of the last decade does; on others a plain prefetch stands in).
bool DetectWritePrefetch();
inline const bool kHasWritePrefetch = DetectWritePrefetch();

// Asks for the cache lines of memory at base, from *prefetched up to upTo
// bytes, for writing, and notes how far it got. The ring's memory was last
// read by another thread (a batch's entries and bytes by a worker, its text
// by the thread that wrote it out), and a store into a line another core
// holds waits until that core lets the line go: one such wait per line, in
// turn, unless the lines are asked for ahead of the stores. Only a hint:
// nothing is read, so the lines may lie past the memory's end.
inline void PrefetchForWrite(const void* base, std::size_t upTo, std::size_t& prefetched) {
    constexpr std::size_t kCacheLine = 64;
    for (; prefetched < upTo; prefetched += kCacheLine) {
        const std::uintptr_t line = reinterpret_cast<std::uintptr_t>(base) + prefetched;
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
        if (kHasWritePrefetch) {
            asm volatile("prefetchw (%0)" ::"r"(line));
        } else {
            __builtin_prefetch(reinterpret_cast<const void*>(line), 1);
        }
#elif defined(__GNUC__)
        __builtin_prefetch(reinterpret_cast<const void*>(line), 1);
#else
        (void)line;
#endif
    }
}
// How far ahead of the stores the lines are asked for.
constexpr std::size_t kPrefetchAhead = 1024;

// The text buffer's lines ahead of the next line written into it.
inline void PrefetchText(LineBatch& batch) {
    PrefetchForWrite(batch.Text.Buffer.data(), batch.Text.Used + kPrefetchAhead, batch.TextPrefetched);
}

// Whether the batch holds as many entries, or as much estimated text, as a
// batch may.
inline bool BatchIsFull(const LineBatch& batch) {
    return batch.Count >= kBatchEntries || batch.TextEstimate >= kBatchTextBuffer;
}

// Whether the batch being filled is to be handed on after what was just
// added: it is full, or the run's thread formats it and no batch waits for
// a worker any more.
inline bool BatchIsDone(const LineStage& stage, const LineBatch& batch) {
    return BatchIsFull(batch) || (batch.FormatsItself && !stage.BatchWaits.load(std::memory_order_relaxed));
}

// The line of a frame formatted at once, in a batch the run's thread
// formats itself.
[[gnu::noinline]] void FormatFrameLineNow(LineStage& stage, const CaptureFrame& frame, std::uint32_t referenceNumber,
                                          const FrameTiming& timing);
// The rest of staging a frame: the batch needs more room or is done.
[[gnu::noinline]] void FinishFrameEntry(LineStage& stage);

// The line of a frame, after everything added before it: formatted now in
// a batch the run's thread formats itself, otherwise copied for a worker.
// The frame buffer holds at least kCaptureBufferSlack bytes, so the
// fixed-size copy reads inside it; what it copies past the frame is no part
// of the entry. Formatting at once, more room and the batch's end are out
// of line, so that the usual frame needs few registers saved.
inline void AddFrameLine(LineStage& stage, const CaptureFrame& frame, std::uint32_t referenceNumber,
                         const FrameTiming& timing) {
    LineBatch& batch = *stage.Filling;
    if (batch.FormatsItself) return FormatFrameLineNow(stage, frame, referenceNumber, timing);
    const std::size_t size = std::size_t{frame.Length} + 1;
    const std::size_t at = batch.BytesUsed;
    std::uint8_t* to = batch.Bytes.data() + at;
    PrefetchForWrite(batch.Bytes.data(), at + kPrefetchAhead, batch.BytesPrefetched);
    const LineEntry entry{referenceNumber, static_cast<std::uint32_t>(frame.FileOffset),
                          static_cast<std::uint32_t>(size), 0};
    std::memcpy(to, &entry, sizeof entry);
    to += sizeof entry;
    std::memcpy(to, frame.Bytes.data(), kCaptureBufferSlack);
    if (size > kCaptureBufferSlack) std::memcpy(to, frame.Bytes.data(), size);
    batch.BytesUsed += sizeof entry + size;
    if (stage.TimesShown) {
        PrefetchForWrite(batch.Timings.data(), (batch.TimingsUsed + 1) * sizeof(FrameTiming) + kPrefetchAhead,
                         batch.TimingsPrefetched);
        assert(batch.TimingsUsed < batch.Timings.size());  // a batch ends at kBatchEntries entries
        batch.Timings[batch.TimingsUsed++] = timing;
    }
    batch.TextEstimate += stage.LineEstimate + kCharsPerFrameByte * size;
    ++batch.Count;
    if (batch.Bytes.size() - batch.BytesUsed < kEntryRoom || BatchIsFull(batch)) FinishFrameEntry(stage);
}

// Where an event writes its text; AddEventText then puts it in its place.
inline TextOut& EventTextOut(LineStage& stage) { return stage.EventText; }
void AddEventText(LineStage& stage);

// Hands on what is left, waits until every batch is written, and joins the
// workers. The stage's output is then the caller's again.
void FinishLineStage(LineStage& stage);

// An upper estimate of the characters of a line in this layout, besides
// those of its data bytes.
std::size_t LineEstimateOf(const DisplayOptions& options);

// How many threads format lines, the run's own thread included, on a
// machine where the process may run on `cores` processors; the stage gets
// one worker thread fewer. 1 (or 0) means the lines are written inline.
unsigned LineWorkersFor(unsigned cores);

}  // namespace zelmot
