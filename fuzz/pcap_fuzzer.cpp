// Fuzz target: the pcap export on arbitrary capture bytes (one or two
// per-minute files, the conversion targets' input layout), in all four
// format and link combinations chosen by the input, with or without a
// ShowOnly filter, StartRef, EndRef and Start=. Whatever the bytes, the run
// ends with success or a message, the output is a well-formed file whose
// packet count is the one the run reports, and every packet is a frame of
// at most 255 bytes (plus the user0 pseudo-header).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz_input.h"
#include "fuzz_sandbox.h"
#include "pcap/export_run.h"

namespace {

[[noreturn]] void Breach(const char* what) {
    std::fprintf(stderr, "zelmot pcap fuzz: %s\n", what);
    std::abort();
}

std::uint32_t Le32(const zelmot::ByteString& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

// Walks the file; returns the number of packets, or breaches.
std::uint32_t CountPackets(const zelmot::ByteString& b, bool classic, std::size_t maxPacket) {
    std::uint32_t packets = 0;
    std::size_t at = 0;
    if (classic) {
        if (b.size() < 24 || Le32(b, 0) != 0xA1B23C4D) Breach("no classic file header");
        for (at = 24; at + 16 <= b.size(); ++packets) {
            std::uint32_t n = Le32(b, at + 8);
            if (n != Le32(b, at + 12) || n > maxPacket || at + 16 + n > b.size()) Breach("bad pcap record");
            at += 16 + n;
        }
    } else {
        for (; at + 12 <= b.size();) {
            std::uint32_t type = Le32(b, at), total = Le32(b, at + 4);
            if (total % 4 != 0 || total < 12 || at + total > b.size() || Le32(b, at + total - 4) != total)
                Breach("bad block length");
            if (at == 0 && type != 0x0A0D0D0A) Breach("no section header first");
            if (type == 6) {
                std::uint32_t n = Le32(b, at + 20);
                if (n > maxPacket || 28 + ((n + 3u) & ~3u) + 4 > total) Breach("bad enhanced packet");
                ++packets;
            }
            at += total;
        }
    }
    if (at != b.size()) Breach("bytes after the last block");
    return packets;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zelmot;
    fuzz::ConversionInput input = fuzz::DecodeConversionInput(data, size, false);
    fuzz::ClearSandbox();
    const std::string stem = fuzz::SandboxDir() + "/cap";
    if (input.flags & fuzz::kTwoFiles) {
        std::size_t cut = input.split % (input.capture.size() + 1);
        fuzz::WriteSandboxFile("cap1200.Zelmot", input.capture.substr(0, cut));
        fuzz::WriteSandboxFile("cap1201.Zelmot", input.capture.substr(cut));
    } else {
        fuzz::WriteSandboxFile("cap1200.Zelmot", input.capture);
    }
    fuzz::WriteSandboxFile("f.opt", "ShowOnly\n(STS & STSCHK) == 0 AND SA <> CmdArg[0] OR GapTme > 5\n#\n");

    ExportSettings settings;
    DeriveCaptureNames(stem + "1200", settings.Run);
    settings.Run.NumMin = (input.flags & fuzz::kTwoFiles ? 2 : 1) + (input.flags & fuzz::kOneFileMissing ? 1 : 0);
    if (input.flags & fuzz::kUseStartRef) settings.Run.StartRef = input.startRef;
    if (input.flags & fuzz::kUseEndRef) settings.Run.EndRef = input.endRef;
    settings.Run.Args[0] = input.arg0;
    settings.Format = input.flags & 0x01 ? FileFormat::Pcap : FileFormat::Pcapng;
    settings.Link = input.flags & 0x02 ? LinkKind::User0 : LinkKind::Profibus;
    if (input.flags & fuzz::kStartAt2359) settings.FilterName = fuzz::SandboxDir() + "/f";
    if (input.flags & fuzz::kRunTwice) {
        settings.StartGiven = true;
        settings.StartNs = 4102444799000000000;  // 2099-12-31T23:59:59
    }
    settings.OutputName = "memory";

    std::string written;
    ByteSink sink;
    OpenByteSinkMemory(sink, &written);
    ExportResult result = RunExportInto(settings, sink);
    const ByteString bytes(written.begin(), written.end());
    if (result.Result.IsError() && result.Result.Text.empty()) Breach("failure without a message");
    if (result.Result.IsEnd()) Breach("the end of the capture leaked out of the run");
    if (result.PacketsWritten > result.FramesRead) Breach("more packets than frames");
    if (bytes.empty()) return 0;  // failed before the header was read
    const std::size_t maxPacket = 255 + (settings.Link == LinkKind::User0 ? 4 : 0);
    if (CountPackets(bytes, settings.Format == FileFormat::Pcap, maxPacket) != result.PacketsWritten)
        Breach("packet count differs from the run's");
    return 0;
}
