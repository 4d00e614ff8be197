// Frame classification for the statistics: kinds by the start delimiter,
// requests and responses by the FC request bit, the trusted addresses. A
// frame received without errors counts only when it has the shape its
// delimiter announces (the check the text columns make too).
#include "analysis/frame_class.h"

#include "fdl/fdl_bytes.h"
#include "fdl/fdl_codes.h"
#include "fdl/frame_shape.h"

namespace zelmot {
namespace {

FrameKind KindOf(std::uint8_t sd) {
    switch (sd) {
        case fdl::SD1: return FrameKind::Sd1;
        case fdl::SD2: return FrameKind::Sd2;
        case fdl::SD3: return FrameKind::Sd3;
        case fdl::SD4: return FrameKind::Token;
        case fdl::SC: return FrameKind::ShortAck;
        default: return FrameKind::Unknown;
    }
}

bool HasAddresses(FrameKind kind) {
    return kind == FrameKind::Sd1 || kind == FrameKind::Sd2 || kind == FrameKind::Sd3 ||
           kind == FrameKind::Token;
}

std::uint8_t At(const CaptureFrame& frame, std::int16_t index) {
    return frame.Bytes[static_cast<std::size_t>(index)];
}

}  // namespace

void ClassifyFrame(const CaptureFrame& frame, FrameClass& c) {
    c = FrameClass{};
    const FrameFieldView& fields = frame.Fields;
    if (frame.Status != 0) {
        c.Damaged = true;
        if (frame.Length == 0) return;
        c.Kind = KindOf(frame.Bytes[0]);
        c.SaReadable = HasAddresses(c.Kind) && fields.DA != kAbsentField &&
                       fdl::HoldsField(fdl::Bytes(frame.Bytes.data(), frame.Length),
                                       static_cast<std::int16_t>(fields.DA + 1));
        if (c.SaReadable) c.Sa = At(frame, static_cast<std::int16_t>(fields.DA + 1)) & fdl::AddressMask;
        return;
    }
    // Unknown: no bytes, no known delimiter, or not the shape it announces.
    if (CheckFrameShape(frame.Bytes.data(), frame.Length) != FrameShape::Good) return;
    FrameKind kind = KindOf(frame.Bytes[0]);
    c.Kind = kind;
    if (kind == FrameKind::ShortAck) {
        c.Response = true;
        return;
    }
    bool isToken = kind == FrameKind::Token;
    c.SaReadable = true;
    c.Da = At(frame, fields.DA) & fdl::AddressMask;
    c.Sa = At(frame, static_cast<std::int16_t>(fields.DA + 1)) & fdl::AddressMask;
    if (isToken) return;
    c.Fc = At(frame, fields.FC);
    c.Request = (c.Fc & fdl::FcRequestBit) != 0;
    c.Response = !c.Request;
}

bool ExpectsNoAnswer(std::uint8_t da, std::uint8_t fc) {
    std::uint8_t function = fc & fdl::FcFunctionMask;
    return function == fdl::FcSdnLow || function == fdl::FcSdnHigh || da == fdl::BroadcastAddress;
}

bool IsFdlStatusRequest(std::uint8_t fc) { return (fc & fdl::FcFunctionMask) == fdl::FcFdlStatus; }

}  // namespace zelmot
