// Buffered binary output; the one place that writes export bytes to a file.
#include "pcap/byte_sink.h"

#include <cstring>

#include "run/platform_io.h"

namespace zelmot {
namespace {

void StartBuffer(ByteSink& sink) {
    sink.Buffer.assign(kByteSinkBufferSize, 0);
    sink.Used = 0;
    sink.WriteFailed = false;
}

}  // namespace

bool OpenByteSinkFile(ByteSink& sink, const std::string& path) {
    sink = ByteSink{};
    sink.File = std::fopen(path.c_str(), "wb");
    if (sink.File == nullptr) return false;
    sink.OwnsFile = true;
    StartBuffer(sink);
    return true;
}

void OpenByteSinkStdout(ByteSink& sink) {
    sink = ByteSink{};
    PrepareBinaryStdout();
    sink.File = stdout;
    StartBuffer(sink);
}

void OpenByteSinkMemory(ByteSink& sink, ByteString* memory) {
    sink = ByteSink{};
    sink.Memory = memory;
    StartBuffer(sink);
}

void FlushByteSink(ByteSink& sink) {
    if (sink.Used == 0) return;
    if (sink.File != nullptr) {
        if (!sink.WriteFailed && std::fwrite(sink.Buffer.data(), 1, sink.Used, sink.File) != sink.Used)
            sink.WriteFailed = true;
    } else if (sink.Memory != nullptr) {
        sink.Memory->insert(sink.Memory->end(), sink.Buffer.begin(),
                            sink.Buffer.begin() + static_cast<std::ptrdiff_t>(sink.Used));
    }
    sink.Used = 0;
}

void PutBytes(ByteSink& sink, const std::uint8_t* bytes, std::size_t n) {
    while (n > 0) {
        if (sink.Used == sink.Buffer.size()) FlushByteSink(sink);
        if (sink.Buffer.empty()) return;  // never opened
        std::size_t room = sink.Buffer.size() - sink.Used;
        std::size_t piece = n < room ? n : room;
        std::memcpy(sink.Buffer.data() + sink.Used, bytes, piece);
        sink.Used += piece;
        bytes += piece;
        n -= piece;
    }
}

bool CloseByteSink(ByteSink& sink) {
    FlushByteSink(sink);
    if (sink.File != nullptr) {
        if (std::fflush(sink.File) != 0 || std::ferror(sink.File) != 0) sink.WriteFailed = true;
        if (sink.OwnsFile && std::fclose(sink.File) != 0) sink.WriteFailed = true;
        sink.File = nullptr;
    }
    sink.Memory = nullptr;
    sink.Buffer.clear();
    sink.Buffer.shrink_to_fit();
    return !sink.WriteFailed;
}

}  // namespace zelmot
