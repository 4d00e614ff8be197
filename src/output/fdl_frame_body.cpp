// The body of a decoded SD1, SD2 or SD3 frame, from its DA on, in bus order:
// addresses, FC, SAPs, data units, check sum and end delimiter.
#include "output/fdl_columns.h"

namespace zelmot {
namespace {

// DA, SA, FC, FCS and ED: the bytes every body has besides SAPs and data.
constexpr std::size_t kFixedBodyBytes = 5;
constexpr std::size_t kFirstSapIndex = 3;

std::size_t SapCount(std::uint8_t da, std::uint8_t sa) {
    return (HasExtension(da) ? 1u : 0u) + (HasExtension(sa) ? 1u : 0u);
}

// The byte at index, when the address announces a SAP byte there; 0 otherwise.
std::uint8_t TakeSap(fdl::Bytes body, std::uint8_t address, std::size_t& index) {
    if (!HasExtension(address)) return 0;
    return fdl::ByteAt(body, index++);
}

void PutEndDelimiter(TextOut& out, const DisplayOptions& options, std::uint8_t ed) {
    if (ed == fdl::ED) {
        if (!options.NoDelim) PutText(out, "ED ");
        return;
    }
    PutText(out, "ED?(");
    PutHexByte(out, ed);
    PutText(out, ") ");
}

}  // namespace

void WriteFrameBody(TextOut& out, const DisplayOptions& options, fdl::Bytes frame,
                    std::size_t daIndex) {
    fdl::Bytes body = fdl::Clip(frame, daIndex, frame.size());
    std::uint8_t da = fdl::ByteAt(body, 0);
    std::uint8_t sa = fdl::ByteAt(body, 1);
    WriteAddressColumn(out, options, da, sa);
    WriteFcColumn(out, options, fdl::ByteAt(body, 2));

    // SAP bytes announced by the address bits but missing from a short frame
    // would leave a negative data count: show the whole frame raw instead.
    std::size_t sapCount = SapCount(da, sa);
    if (body.size() < kFixedBodyBytes + sapCount) {
        PutText(out, "SAP? ");
        WriteRawBytes(out, frame);
        return;
    }
    std::size_t index = kFirstSapIndex;
    std::uint8_t dsap = TakeSap(body, da, index);
    std::uint8_t ssap = TakeSap(body, sa, index);
    WriteSapColumn(out, options, da, sa, dsap, ssap);

    std::size_t dataCount = body.size() - kFixedBodyBytes - sapCount;
    if (!options.NoData) WriteDataColumn(out, options, fdl::Clip(body, index, dataCount));
    index += dataCount;

    if (options.ShowFcs) {
        PutChar(out, '[');
        PutHexByte(out, fdl::ByteAt(body, index));
        PutText(out, "] ");
    }
    PutEndDelimiter(out, options, fdl::ByteAt(body, index + 1));
}

}  // namespace zelmot
