// Fuzz target: the frame reader against the previous reader
// (tests/support/previous_reader.h) on arbitrary capture bytes, one or two
// per-minute files (the conversion targets' input layout and seeds), read a
// buffer size at a time that the input's StartRef and EndRef bytes choose
// (0: the usual 256 KiB), so that records and lost boundaries cross the end
// of the buffer wherever the bytes put them. Every pull must give what the
// previous reader gave: the same frame (bytes, stamps, fields, position) or
// the same event.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz_input.h"
#include "fuzz_sandbox.h"
#include "support/reader_comparison.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zelmot;
    const fuzz::ConversionInput input = fuzz::DecodeConversionInput(data, size, false);
    fuzz::ClearSandbox();
    const bool at2359 = (input.flags & fuzz::kStartAt2359) != 0;
    const std::string first = at2359 ? "cap2359.Zelmot" : "cap1200.Zelmot";
    const std::string second = at2359 ? "cap0000.Zelmot" : "cap1201.Zelmot";
    std::uint32_t files = 1;
    if (input.flags & fuzz::kTwoFiles) {
        const std::size_t cut = input.split % (input.capture.size() + 1);
        fuzz::WriteSandboxFile(first, input.capture.substr(0, cut));
        fuzz::WriteSandboxFile(second, input.capture.substr(cut));
        files = 2;
    } else {
        fuzz::WriteSandboxFile(first, input.capture);
    }
    CaptureRunFiles run;
    run.CaptureBaseName = fuzz::SandboxDir() + "/cap";
    run.StartHour = at2359 ? 23 : 12;
    run.StartMinute = at2359 ? 59 : 0;
    run.NumMin = files + ((input.flags & fuzz::kOneFileMissing) != 0 ? 1 : 0);
    run.MissingFileEnds = (input.flags & fuzz::kRunTwice) != 0;
    run.ReadBufferSize = input.startRef | std::size_t{input.endRef} << 8;
    const test::ReaderComparison compared = test::CompareWithPreviousReader(run);
    if (!compared.Difference.empty()) {
        std::fprintf(stderr, "zelmot reader fuzz: the readers differ at %s\n", compared.Difference.c_str());
        std::abort();
    }
    return 0;
}
