// TextOut: buffered text output to a file or to memory.
#include "common/text_out.h"

#include <cstdarg>

namespace zelmot {
namespace {

void Prepare(TextOut& out) {
    out.buffer.assign(kTextOutBufferSize, '\0');
    out.used = 0;
    out.open = true;
    out.writeFailed = false;
}

// Writes digits (most significant first, count of them) with the padding rule.
void PutDigits(TextOut& out, const char* digits, unsigned count, bool negative, unsigned width,
               Pad pad) {
    unsigned length = count + (negative ? 1u : 0u);
    unsigned fill = width > length ? width - length : 0;
    char* p = Reserve(out, length + fill);
    char* start = p;
    if (pad == Pad::Blank) {
        std::memset(p, ' ', fill);
        p += fill;
    }
    if (negative) *p++ = '-';
    if (pad == Pad::Zero) {
        std::memset(p, '0', fill);
        p += fill;
    }
    std::memcpy(p, digits, count);
    p += count;
    if (pad == Pad::Left) {
        std::memset(p, ' ', fill);
        p += fill;
    }
    out.used += static_cast<std::size_t>(p - start);
}

unsigned ToDecimal(std::uint64_t value, char (&text)[24]) {
    char* end = text + sizeof text;
    char* p = end;
    do {
        *--p = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    unsigned count = static_cast<unsigned>(end - p);
    std::memmove(text, p, count);
    return count;
}

}  // namespace

bool OpenTextOutFile(TextOut& out, const std::string& path) {
    out.memory = nullptr;
    out.file = std::fopen(path.c_str(), "w");
    if (out.file == nullptr) {
        out.open = false;
        return false;
    }
    Prepare(out);
    return true;
}

void OpenTextOutMemory(TextOut& out, std::string* memory) {
    out.file = nullptr;
    out.memory = memory;
    Prepare(out);
}

void FlushTextOut(TextOut& out) {
    if (out.used == 0) return;
    if (out.file != nullptr) {
        if (std::fwrite(out.buffer.data(), 1, out.used, out.file) != out.used) out.writeFailed = true;
    } else if (out.memory != nullptr) {
        out.memory->append(out.buffer.data(), out.used);
    }
    out.used = 0;
}

bool CloseTextOut(TextOut& out) {
    if (!out.open) return !out.writeFailed;
    FlushTextOut(out);
    if (out.file != nullptr) {
        if (std::fclose(out.file) != 0) out.writeFailed = true;
        out.file = nullptr;
    }
    out.open = false;
    return !out.writeFailed;
}

void PutUnsigned(TextOut& out, std::uint64_t value, unsigned width, Pad pad) {
    char text[24];
    unsigned count = ToDecimal(value, text);
    PutDigits(out, text, count, false, width, pad);
}

void PutSigned(TextOut& out, std::int64_t value, unsigned width, Pad pad) {
    std::uint64_t magnitude =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    char text[24];
    unsigned count = ToDecimal(magnitude, text);
    PutDigits(out, text, count, value < 0, width, pad);
}

void PutHex(TextOut& out, std::uint64_t value, unsigned width) {
    static constexpr char digits[] = "0123456789abcdef";
    char text[16];
    char* end = text + sizeof text;
    char* p = end;
    do {
        *--p = digits[value & 15];
        value >>= 4;
    } while (value != 0);
    PutDigits(out, p, static_cast<unsigned>(end - p), false, width, Pad::Zero);
}

void PutFormat(TextOut& out, const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    if (length > 0) {
        char* p = Reserve(out, static_cast<std::size_t>(length) + 1);
        std::vsnprintf(p, static_cast<std::size_t>(length) + 1, format, again);
        out.used += static_cast<std::size_t>(length);
    }
    va_end(again);
}

}  // namespace zelmot
