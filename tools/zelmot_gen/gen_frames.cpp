// Building SD1/SD2/SD3/SD4/SC telegrams byte by byte.
#include "gen_frames.h"

#include <cstring>

namespace zelmot {

std::uint8_t CheckSum(const std::uint8_t* bytes, std::size_t count) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < count; ++i) sum += bytes[i];
    return static_cast<std::uint8_t>(sum);
}

void BuildDataFrame(GenFrame& frame, std::uint8_t da, std::uint8_t sa, std::uint8_t fc,
                    const std::uint8_t* units, std::size_t unitCount) {
    if (unitCount > kMaxDataUnits) unitCount = kMaxDataUnits;
    std::uint8_t* b = frame.Bytes.data();
    std::size_t head = 1;  // bytes before DA
    if (unitCount == 0) {
        b[0] = fdl::SD1;
    } else if (unitCount == 8) {
        b[0] = fdl::SD3;
    } else {
        b[0] = fdl::SD2;
        b[1] = b[2] = static_cast<std::uint8_t>(3 + unitCount);
        b[3] = fdl::SD2;
        head = 4;
    }
    b[head] = da;
    b[head + 1] = sa;
    b[head + 2] = fc;
    if (unitCount != 0) std::memcpy(b + head + 3, units, unitCount);
    std::size_t fcs = head + 3 + unitCount;
    b[fcs] = CheckSum(b + head, 3 + unitCount);
    b[fcs + 1] = fdl::ED;
    frame.Length = static_cast<std::uint8_t>(fcs + 2);
    frame.Status = 0;
}

void BuildToken(GenFrame& frame, std::uint8_t da, std::uint8_t sa) {
    frame.Bytes[0] = fdl::SD4;
    frame.Bytes[1] = da;
    frame.Bytes[2] = sa;
    frame.Length = 3;
    frame.Status = 0;
}

void BuildShortAck(GenFrame& frame) {
    frame.Bytes[0] = fdl::SC;
    frame.Length = 1;
    frame.Status = 0;
}

FrameView ViewFrame(const std::uint8_t* b, std::size_t length) {
    FrameView v;
    if (length < 6 || (b[0] != fdl::SD1 && b[0] != fdl::SD2 && b[0] != fdl::SD3)) return v;
    std::size_t at = b[0] == fdl::SD2 ? 4 : 1;
    if (b[0] == fdl::SD2 && (length < 9 || b[1] + 6u != length || b[2] != b[1] || b[3] != fdl::SD2)) return v;
    if (b[0] == fdl::SD3 && length != 14) return v;
    if (b[0] == fdl::SD1 && length != 6) return v;
    v.Valid = true;
    v.Da = b[at];
    v.Sa = b[at + 1];
    v.Fc = b[at + 2];
    std::size_t data = at + 3;
    std::size_t end = length - 2;
    if ((v.Da & fdl::SapExtBit) != 0 && data < end) v.Dsap = b[data++];
    if ((v.Sa & fdl::SapExtBit) != 0 && data < end) v.Ssap = b[data++];
    v.Data = b + data;
    v.Count = end - data;
    return v;
}

std::size_t CheckSumIndex(const GenFrame& frame) {
    std::uint8_t sd = frame.Bytes[0];
    if (sd == fdl::SD1 || sd == fdl::SD2 || sd == fdl::SD3) return frame.Length - 2u;
    return 0;
}

std::size_t FirstSummedIndex(const GenFrame& frame) { return frame.Bytes[0] == fdl::SD2 ? 4 : 1; }

}  // namespace zelmot
