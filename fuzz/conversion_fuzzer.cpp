// Fuzz target: the whole conversion on arbitrary capture bytes (one or two
// per-minute files) with one of four fixed option files: the decoded columns
// alone; every time, graph and detail column; a ShowOnly filter over every
// field; and NoBad with signed data and a graph of negative full scale.
#include <array>
#include <cstddef>
#include <cstdint>

#include "conversion_harness.h"

namespace {

constexpr std::array<const char*, 4> kOptionFiles{{
    "",
    "ShowFileOfs\nTmeAbs hr:mn:sc.ms,us,ns\nTmeDelta sc.ms,us\nTmeGap ms,us,ns\nTmeGapAft us.ns\n"
    "GrphDelta 20 1ms\nGrphGap 10 100us\nGrphGapAft 100 0ns\nDetailSts\nShowFcbTyp\nShowFcs\n",
    "NoRef\nDataUns\nData16\nShowOnly\n"
    "(STS & STSCHK) == 0 AND (DA < CmdArg[0] OR SA == 2) OR DataWord[0] > 0x100\n"
    "OR DataByte[1] == 3 OR GapTme > 10 OR GapAft < -5 OR FC == SRDL OR DSAP == 62\n"
    "OR SSAP <> 61 OR LEN / 0 == SD % 0 ; a comment # inside\n#\nNoDelim\n",
    "NoBad\nDataSgn\nNoDst\nNoSrcSap\nGrphGap 5 -1us\nTmeGap sc.ms\nTmeDelta hrmn\n",
}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zelmot::fuzz::ConversionInput input = zelmot::fuzz::DecodeConversionInput(data, size, false);
    input.optionText = kOptionFiles[input.flags & zelmot::fuzz::kOptionSetMask];
    zelmot::fuzz::RunConversionInput(input);
    return 0;
}
