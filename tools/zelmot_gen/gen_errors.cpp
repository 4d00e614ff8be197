// Damage kinds: a wrong check sum (0x40), a flipped bit with a parity error
// (0x02, plus 0x40 where a check sum covers the byte), a wrong end delimiter
// (0x80). Frames without check sum and end delimiter (SD4, SC) get the kinds
// that fit them. Length bytes and start delimiters are never touched.
#include "gen_errors.h"

namespace zelmot {
namespace {

void BreakCheckSum(GenFrame& frame, std::size_t fcs, Rng& rng) {
    frame.Bytes[fcs] = static_cast<std::uint8_t>(frame.Bytes[fcs] + RandomIn(rng, 1, 255));
    frame.Status |= fdl::StsCheckSum;
}

void FlipBit(GenFrame& frame, std::size_t fcs, Rng& rng) {
    std::size_t first = FirstSummedIndex(frame);
    std::size_t last = fcs != 0 ? fcs : frame.Length - 1u;
    std::size_t at = first + RandomBelow(rng, static_cast<std::uint32_t>(last - first + 1));
    frame.Bytes[at] ^= static_cast<std::uint8_t>(1u << RandomBelow(rng, 8));
    frame.Status |= fdl::StsParity;
    if (fcs != 0) frame.Status |= fdl::StsCheckSum;
}

void BreakEndDelimiter(GenFrame& frame, Rng& rng) {
    std::uint8_t& ed = frame.Bytes[frame.Length - 1u];
    ed = static_cast<std::uint8_t>(fdl::ED + RandomIn(rng, 1, 255));
    frame.Status |= fdl::StsEndDelimiter;
}

}  // namespace

void DamageKeepingAddresses(GenFrame& frame, Rng& rng) {
    std::size_t fcs = CheckSumIndex(frame);
    if (fcs == 0) {
        frame.Status |= fdl::StsStopBit;
    } else if (RandomBelow(rng, 2) == 0) {
        BreakCheckSum(frame, fcs, rng);
    } else {
        BreakEndDelimiter(frame, rng);
    }
}

void ApplyReceiveError(GenFrame& frame, Rng& rng) {
    if (frame.Length == 1) {  // SC: nothing to flip but the delimiter itself
        frame.Status |= fdl::StsStopBit;
        return;
    }
    std::size_t fcs = CheckSumIndex(frame);
    std::uint32_t kind = RandomBelow(rng, 3);
    if (fcs == 0 && kind != 1) {  // SD4: no check sum, no end delimiter
        frame.Status |= fdl::StsStopBit;
        return;
    }
    if (kind == 0) {
        BreakCheckSum(frame, fcs, rng);
    } else if (kind == 1) {
        FlipBit(frame, fcs, rng);
    } else {
        BreakEndDelimiter(frame, rng);
    }
}

}  // namespace zelmot
