// A checked, read-only view over a run of frame bytes. Every access knows the
// size of the run, so the decoding of a frame, however malformed, never reads
// a byte it was not handed.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/fdl_codes.h"

namespace zelmot {

struct ByteView {
    const std::uint8_t* Data = nullptr;  // size readable bytes
    std::size_t Size = 0;
};

// The byte at index; 0 (and nothing read) when index lies outside the view.
inline std::uint8_t ByteAt(ByteView view, std::size_t index) {
    return index < view.Size ? view.Data[index] : 0;
}

// The bytes from `from` on, at most n of them, clipped to the view.
inline ByteView SubView(ByteView view, std::size_t from, std::size_t n) {
    if (from >= view.Size) return ByteView{};
    std::size_t rest = view.Size - from;
    return ByteView{view.Data + from, n < rest ? n : rest};
}

}  // namespace zelmot
