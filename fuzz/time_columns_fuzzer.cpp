// Fuzz target: frame timing and the time and graph columns. Arbitrary time
// formats, graph widths and full scales, baud indices and 48-bit time stamps
// run through ComputeFrameTiming and WriteTimeColumns frame after frame, and
// WriteTime and WriteGraph also get arbitrary 64-bit values directly. The
// columns hold no character their formats do not explain, and a graph is
// exactly its width long.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/text_out.h"
#include "fuzz_input.h"
#include "output/time_columns.h"

namespace {

using zelmot::fuzz::ByteReader;

constexpr int kMaxFrames = 32;
constexpr std::uint64_t kStampMask = 0xFFFF'FFFF'FFFFull;  // stamps are 48-bit

[[noreturn]] void Breach(const char* what, const std::string& text) {
    std::fprintf(stderr, "zelmot fuzz: %s\ntext: '%s'\n", what, text.c_str());
    std::abort();
}

// Time columns hold labels, digits, blanks, signs, graph characters and the
// separators their formats spell out, nothing else.
void CheckCharacters(const std::string& text, const zelmot::DisplayOptions& options) {
    std::string allowed = "0123456789 -adg.|*";
    for (const zelmot::TimeFormat* format : {&options.TmeAbs, &options.TmeDelta, &options.TmeGap, &options.TmeGapAft})
        allowed += format->Text;
    if (text.find_first_not_of(allowed) != std::string::npos) Breach("stray character in a time column", text);
}

// A format of up to 19 characters, as the option reader stores it.
void ReadFormat(ByteReader& in, zelmot::TimeFormat& format) {
    zelmot::SetTimeFormat(format, in.Take(in.Byte() % sizeof format.Text));
}

void ReadGraph(ByteReader& in, zelmot::GraphSpec& graph) {
    graph.Width = in.Byte();
    graph.FullScale = static_cast<std::int64_t>(in.Number(8));
}

// A graph is checked on its own: exactly width characters of " .|*".
void CheckGraph(zelmot::TextOut& out, std::string& text, std::uint8_t width, std::int64_t value,
                std::int64_t fullScale) {
    zelmot::FlushTextOut(out);
    const std::size_t before = text.size();
    zelmot::WriteGraph(out, width, value, fullScale);
    zelmot::FlushTextOut(out);
    const std::string graph = text.substr(before);
    if (graph.size() != width) Breach("graph not exactly its width", graph);
    if (graph.find_first_not_of(" .|*") != std::string::npos) Breach("graph with a stray character", graph);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ByteReader in{data, size};
    zelmot::DisplayOptions options;
    for (zelmot::TimeFormat* format : {&options.TmeAbs, &options.TmeDelta, &options.TmeGap, &options.TmeGapAft})
        ReadFormat(in, *format);
    for (zelmot::GraphSpec* graph : {&options.GrphDelta, &options.GrphGap, &options.GrphGapAft})
        ReadGraph(in, *graph);
    zelmot::TimingState timing;
    zelmot::SelectBaudTiming(static_cast<std::uint16_t>(in.Byte() % 9), timing);

    // One output per process, opened afresh for every input: its buffer is
    // not allocated anew each time.
    static std::string text;
    static zelmot::TextOut out;
    text.clear();
    zelmot::OpenTextOutMemory(out, &text);
    zelmot::KeptTimeTexts kept;
    zelmot::KeptSeconds keptAbs;  // of the values written alone
    std::uint64_t stamp = in.Number(6);
    for (int frame = 0; frame < kMaxFrames && in.Left() > 0; ++frame) {
        const std::uint8_t mode = in.Byte();
        const std::uint8_t length = in.Byte();
        const std::uint64_t next = in.Number(6) & kStampMask;
        zelmot::ComputeFrameTiming(timing, frame == 0, stamp, next, length);
        if ((mode & 1u) != 0) {
            zelmot::WriteTimeColumns(out, options, timing.Current, kept);
            zelmot::NoteLineWritten(timing);
        }
        if ((mode & 2u) != 0) {
            const auto value = static_cast<std::int64_t>(in.Number(8));
            zelmot::WriteTime(out, value, options.TmeAbs.Layout, keptAbs);
            CheckGraph(out, text, options.GrphGap.Width, value, options.GrphGap.FullScale);
        }
        stamp = next;
    }
    zelmot::FlushTextOut(out);
    CheckCharacters(text, options);
    const zelmot::FrameTiming& last = timing.Current;
    for (std::int64_t value : {last.DeltaTime, last.GapTime, last.GapAfterTime}) {
        CheckGraph(out, text, options.GrphDelta.Width, value, options.GrphDelta.FullScale);
        CheckGraph(out, text, options.GrphGapAft.Width, value, options.GrphGapAft.FullScale);
    }
    return 0;
}
