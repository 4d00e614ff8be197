// RawBuffer: a vector whose new elements are left as they are rather than
// zeroed, for a large buffer that is always written before it is read (the
// writer's pending bytes, a batch of the line stage). Its memory is then
// first touched where bytes are written, and a buffer sized for the most it
// may hold costs nothing for the part a run never uses.
#pragma once

#include <memory>
#include <utility>
#include <vector>

namespace zelmot {

template <typename T>
struct NoZeroAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
        using other = NoZeroAllocator<U>;
    };
    NoZeroAllocator() = default;
    template <typename U>
    NoZeroAllocator(const NoZeroAllocator<U>&) noexcept {}
    // An element added without a value (by resize) is left uninitialized;
    // one with a value is constructed as usual.
    template <typename U>
    void construct(U* at) noexcept {
        ::new (static_cast<void*>(at)) U;
    }
    template <typename U, typename... Args>
    void construct(U* at, Args&&... args) {
        ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
    }
};

template <typename T>
using RawBuffer = std::vector<T, NoZeroAllocator<T>>;

}  // namespace zelmot
