// The line stage's ring and workers. The run's thread owns the batch it
// fills (number Filled). A worker takes the oldest batch handed on for a
// worker (number Taken), formats it without the lock, and then, unless
// another thread is at it, writes out every formatted batch that is next in
// order (number Written); the run's thread does the same after handing on a
// batch it formatted itself. A ring place comes free once its batch is
// written; while the ring is full, the run's thread formats the batches that
// wait for a worker, and sleeps only when none is left.
#include "driver/line_stage.h"

#include <cassert>
#include <cstring>
#include <system_error>

#include "output/line_writer.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <cpuid.h>
#endif

namespace zelmot {
namespace {

LineBatch& RingAt(LineStage& stage, std::uint64_t number) {
    return stage.Batches[static_cast<std::size_t>(number % stage.Batches.size())];
}

void FormatBatch(LineBatch& batch, const DisplayOptions& options) {
    TextOut& out = batch.Text;
    // Lines without time columns never read their timing.
    const FrameTiming noTimes;
    const FrameTiming* timing = batch.TimingsUsed == 0 ? &noTimes : batch.Timings.data();
    const std::size_t timingStep = batch.TimingsUsed == 0 ? 0 : 1;
    for (std::size_t at = 0; at < batch.BytesUsed;) {
        LineEntry entry;
        std::memcpy(&entry, batch.Bytes.data() + at, sizeof entry);
        const std::uint8_t* bytes = batch.Bytes.data() + at + sizeof entry;
        at += sizeof entry + entry.Size;
        PrefetchText(batch);
        if (entry.IsText) {
            PutRaw(out, bytes, entry.Size);
        } else {
            WriteLineColumns(out, options, entry.FileOffset, bytes, static_cast<std::uint8_t>(entry.Size - 1),
                             entry.ReferenceNumber, *timing, batch.Kept);
            timing += timingStep;
        }
    }
}

// The batch's text to the output, and the batch emptied for its next turn.
void WriteBatch(TextOut& out, LineBatch& batch) {
    WriteThrough(out, batch.Spill.data(), batch.Spill.size());
    WriteThrough(out, batch.Text.Buffer.data(), batch.Text.Used);
    batch.Spill.clear();
    batch.Text.Used = 0;
    batch.TimingsUsed = 0;
    batch.BytesUsed = 0;
    batch.Count = 0;
    batch.TextEstimate = 0;
    batch.TimingsPrefetched = batch.BytesPrefetched = batch.TextPrefetched = 0;
}

// Writes the formatted batches that are next in order, unless another
// thread is doing so; that one checks again after each batch it writes.
// Only batches handed on are ever Formatted.
void WriteReadyBatches(LineStage& stage, std::unique_lock<std::mutex>& lock) {
    if (stage.Writing) return;
    stage.Writing = true;
    while (stage.Written < stage.Filled && RingAt(stage, stage.Written).Formatted) {
        LineBatch& next = RingAt(stage, stage.Written);
        lock.unlock();
        WriteBatch(*stage.Out, next);
        lock.lock();
        next.Formatted = false;
        if (++stage.Written == stage.AwaitedWritten) stage.BatchWritten.notify_one();
    }
    stage.Writing = false;
}

// With the lock held: moves Taken past the batches the run's thread
// formatted, to the next one that waits for a worker (or to Filled). Those
// batches are handed on and, as nothing after an unformatted batch is
// written, still in their ring places.
void SkipFormattedBatches(LineStage& stage) {
    while (stage.Taken < stage.Filled && RingAt(stage, stage.Taken).FormatsItself) ++stage.Taken;
    stage.BatchWaits.store(stage.Taken < stage.Filled, std::memory_order_relaxed);
}

// With the lock held: formats the oldest batch that waits for a worker,
// then writes out what is next in order.
void FormatWaitingBatch(LineStage& stage, std::unique_lock<std::mutex>& lock) {
    LineBatch& batch = RingAt(stage, stage.Taken++);
    SkipFormattedBatches(stage);
    lock.unlock();
    FormatBatch(batch, *stage.Options);
    lock.lock();
    batch.Formatted = true;
    WriteReadyBatches(stage, lock);
}

void RunWorker(LineStage* stagePointer) {
    LineStage& stage = *stagePointer;
    std::unique_lock<std::mutex> lock(stage.Lock);
    for (;;) {
        stage.WorkReady.wait(lock, [&] { return stage.Stopping || stage.Taken < stage.Filled; });
        if (stage.Taken == stage.Filled) return;  // stopping, and nothing left
        FormatWaitingBatch(stage, lock);
    }
}

// With the lock held: sleeps until that many batches are written.
void AwaitWritten(LineStage& stage, std::unique_lock<std::mutex>& lock, std::uint64_t written) {
    if (stage.Written >= written) return;
    stage.AwaitedWritten = written;
    stage.BatchWritten.wait(lock, [&] { return stage.Written >= written; });
    stage.AwaitedWritten = 0;
}

// Hands the batch being filled on, if it holds anything; with the lock
// held. A batch the run's thread formatted is written here if its turn has
// come; one for a worker wakes a worker.
void HandOnFilled(LineStage& stage, std::unique_lock<std::mutex>& lock) {
    LineBatch& batch = *stage.Filling;
    if (batch.Count == 0) return;
    ++stage.Filled;
    batch.Formatted = batch.FormatsItself;
    SkipFormattedBatches(stage);
    if (batch.Formatted) {
        WriteReadyBatches(stage, lock);
    } else {
        stage.WorkReady.notify_one();
    }
}

// With the lock held: the next batch to fill, once its ring place is free.
// While the ring is full, the run's thread formats the batches that wait for
// a worker, as a worker would; with none left it sleeps until half of the
// ring is written, so that it wakes once for several batches, not once for
// each. The run's thread formats the batch itself when a batch already
// waits for a worker: then every worker is busy, and one more batch for
// them would only wait.
void TakeNextBatch(LineStage& stage, std::unique_lock<std::mutex>& lock) {
    const std::size_t places = stage.Batches.size();
    while (stage.Filled - stage.Written >= places) {
        if (stage.Taken < stage.Filled) {
            FormatWaitingBatch(stage, lock);
        } else {
            AwaitWritten(stage, lock, stage.Filled - places / 2);
        }
    }
    stage.Filling = &RingAt(stage, stage.Filled);
    stage.Filling->FormatsItself = stage.Taken < stage.Filled;
}

void ReleaseBatches(LineStage& stage) {
    for (LineBatch& batch : stage.Batches) CloseTextOut(batch.Text);
    stage.Batches.clear();
    stage.Batches.shrink_to_fit();
    CloseTextOut(stage.EventText);
    stage.Filling = nullptr;
}

}  // namespace

bool StartLineStage(LineStage& stage, const DisplayOptions& options, TextOut& out, unsigned workers) {
    assert(workers >= 1 && stage.Workers.empty() && out.Open);
    stage.Options = &options;
    stage.Out = &out;
    stage.Filled = stage.Taken = stage.Written = stage.AwaitedWritten = 0;
    stage.Writing = stage.Stopping = false;
    stage.BatchWaits = false;
    // Sized once: each batch's writer points at its own Spill.
    stage.TimesShown = TimeColumnsShown(options);
    stage.Batches = std::vector<LineBatch>(std::size_t{workers} * kBatchesPerWorker + kBatchesOfTheRun);
    for (LineBatch& batch : stage.Batches) {
        if (stage.TimesShown) batch.Timings.resize(kBatchEntries);
        batch.Bytes.resize(kBatchTextBuffer / kCharsPerFrameByte + kBatchEntries * sizeof(LineEntry) + kEntryRoom);
        OpenWriterMemory(batch.Text, &batch.Spill, kBatchTextBuffer);
    }
    OpenTextOutMemory(stage.EventText, &stage.EventSpill);
    stage.Filling = &stage.Batches[0];
    stage.Filling->FormatsItself = false;
    stage.LineEstimate = LineEstimateOf(options);
    for (unsigned i = 0; i < workers; ++i) {
        // The one place the standard library reports by exception: no more
        // threads. The stage then runs with those it has, or not at all.
        try {
            stage.Workers.emplace_back(RunWorker, &stage);
        } catch (const std::system_error&) {
            break;
        }
    }
    if (!stage.Workers.empty()) return true;
    ReleaseBatches(stage);
    return false;
}

void HandOnBatch(LineStage& stage) {
    std::unique_lock<std::mutex> lock(stage.Lock);
    HandOnFilled(stage, lock);
    TakeNextBatch(stage, lock);
}

void FormatFrameLineNow(LineStage& stage, const CaptureFrame& frame, std::uint32_t referenceNumber,
                        const FrameTiming& timing) {
    LineBatch& batch = *stage.Filling;
    PrefetchText(batch);
    WriteFrameLine(batch.Text, *stage.Options, frame, referenceNumber, timing, batch.Kept);
    batch.TextEstimate += stage.LineEstimate + kCharsPerFrameByte * (std::size_t{frame.Length} + 1);
    ++batch.Count;
    if (BatchIsDone(stage, batch)) HandOnBatch(stage);
}

void FinishFrameEntry(LineStage& stage) {
    LineBatch& batch = *stage.Filling;
    GrowBatchBytes(batch, 0);  // grows only if the room is short
    if (BatchIsDone(stage, batch)) HandOnBatch(stage);
}

void GrowBatchBytes(LineBatch& batch, std::size_t n) {
    if (batch.Bytes.size() - batch.BytesUsed < n + kEntryRoom) batch.Bytes.resize(batch.BytesUsed + n + kEntryRoom);
}

void AddEventText(LineStage& stage) {
    FlushTextOut(stage.EventText);
    LineBatch& batch = *stage.Filling;
    const std::string& text = stage.EventSpill;
    if (batch.FormatsItself) {
        PutRaw(batch.Text, text.data(), text.size());
    } else {
        LineEntry entry;
        entry.Size = static_cast<std::uint32_t>(text.size());
        entry.IsText = 1;
        GrowBatchBytes(batch, sizeof entry + entry.Size);
        std::memcpy(batch.Bytes.data() + batch.BytesUsed, &entry, sizeof entry);
        std::memcpy(batch.Bytes.data() + batch.BytesUsed + sizeof entry, text.data(), entry.Size);
        batch.BytesUsed += sizeof entry + entry.Size;
    }
    batch.TextEstimate += text.size();
    stage.EventSpill.clear();
    ++batch.Count;
    if (BatchIsDone(stage, batch)) HandOnBatch(stage);
}

void FinishLineStage(LineStage& stage) {
    assert(!stage.Workers.empty());
    std::unique_lock<std::mutex> lock(stage.Lock);
    HandOnFilled(stage, lock);
    AwaitWritten(stage, lock, stage.Filled);
    stage.Stopping = true;
    stage.WorkReady.notify_all();
    lock.unlock();
    for (std::thread& worker : stage.Workers) worker.join();
    stage.Workers.clear();
    ReleaseBatches(stage);
}

std::size_t LineEstimateOf(const DisplayOptions& options) {
    constexpr std::size_t kNumbers = 10 + 11;  // "%08x: " and "%9u: "
    constexpr std::size_t kFrameColumns = 64;  // status, delimiter, addresses, FC, SAPs, complaints
    // A time: its layout with a leading unit of up to 20 digits, and the
    // column's own marks.
    constexpr std::size_t kTimeColumn = sizeof(TimeFormat::Text) + 24;
    std::size_t chars = kNumbers + kFrameColumns;
    for (const TimeFormat* time : {&options.TmeAbs, &options.TmeDelta, &options.TmeGap, &options.TmeGapAft})
        if (time->Present()) chars += kTimeColumn;
    for (const GraphSpec* graph : {&options.GrphDelta, &options.GrphGap, &options.GrphGapAft})
        chars += graph->Width + 4u;
    return chars;
}

bool DetectWritePrefetch() {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    constexpr unsigned kPrefetchW = 1u << 8;  // leaf 0x80000001, ECX
    return __get_cpuid(0x80000001u, &eax, &ebx, &ecx, &edx) != 0 && (ecx & kPrefetchW) != 0;
#else
    return false;
#endif
}

unsigned LineWorkersFor(unsigned cores) { return cores < kMaxLineWorkers ? cores : kMaxLineWorkers; }

}  // namespace zelmot
