// Fuzz target: the status and decoded FDL columns of one frame, for arbitrary
// frame bytes, byte counts and display flags. The frame and its status byte
// lie in a buffer of exactly count + 1 bytes, so any read past them is caught.
// Every column is printable text on one line.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "common/text_out.h"
#include "fuzz_input.h"
#include "output/frame_columns.h"

namespace {

using zelmot::DisplayOptions;

// Flag bits of the first two input bytes, in this order.
constexpr std::array<bool DisplayOptions::*, 13> kFlags{{
    &DisplayOptions::NoDelim, &DisplayOptions::NoDst, &DisplayOptions::NoSrc, &DisplayOptions::NoFc,
    &DisplayOptions::NoDstSap, &DisplayOptions::NoSrcSap, &DisplayOptions::NoData, &DisplayOptions::DataSgn,
    &DisplayOptions::DataUns, &DisplayOptions::Data16, &DisplayOptions::DetailSts, &DisplayOptions::ShowFcbTyp,
    &DisplayOptions::ShowFcs,
}};

[[noreturn]] void Breach(const char* what, const std::string& text) {
    std::fprintf(stderr, "zelmot fuzz: %s\ntext: '%s'\n", what, text.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zelmot::fuzz::ByteReader in{data, size};
    const auto flags = static_cast<std::uint16_t>(in.Number(2));
    DisplayOptions options;
    for (std::size_t bit = 0; bit < kFlags.size(); ++bit) options.*kFlags[bit] = ((flags >> bit) & 1u) != 0;

    std::string bytes = in.Take(256);  // up to 255 frame bytes and the status byte
    if (bytes.empty()) return 0;
    const auto count = static_cast<std::uint8_t>(bytes.size() - 1);
    std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[bytes.size()]);
    std::memcpy(exact.get(), bytes.data(), bytes.size());

    // One output per process, opened afresh for every input: its buffer is
    // not allocated anew each time.
    static std::string text;
    static zelmot::TextOut out;
    text.clear();
    zelmot::OpenTextOutMemory(out, &text);
    zelmot::WriteFrameColumns(out, options, exact.get(), count);
    zelmot::FlushTextOut(out);

    if (text.empty()) Breach("no status column", text);
    for (char c : text)
        if (c < ' ' || c > '~') Breach("unprintable character in a frame's columns", text);
    return 0;
}
