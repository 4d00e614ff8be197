// A request and its answer, paired once for every consumer of the run: a
// request waits for the frame read after it, which answers it (an SC, or a
// response from the request's DA to its SA) or not. The pair reaches the
// bus figures and the DP analysis as one record. Inline: every frame settles
// or opens one.
#pragma once

#include <cstdint>

#include "analysis/analysed_frame.h"

namespace zelmot {

// A request read last, waiting for the next frame to say whether it is answered.
struct PendingRequest {
    bool Active = false;
    bool InWindow = false;
    std::uint8_t Da = 0;
    std::uint8_t Sa = 0;
    std::uint8_t Fc = 0;
    std::uint32_t ReferenceNumber = 0;
    std::int64_t Ns = 0;  // its AbsTime
};

// A request settled by the frame read after it, or by the end of reading.
// Valid until the next request opens.
struct Exchange {
    const PendingRequest* Request = nullptr;
    bool Answered = false;
    const AnalysedFrame* After = nullptr;  // the frame read after the request; null at the end of reading
};

struct ExchangeLink {
    PendingRequest Pending;
};

// Whether frame answers the request: an SC answers whatever request comes
// before it; any other frame only as a response from the request's DA to
// its SA.
inline bool AnswersRequest(const FrameClass& frame, const PendingRequest& request) {
    if (!frame.Response) return false;
    if (frame.Kind == FrameKind::ShortAck) return true;
    return frame.Da == request.Sa && frame.Sa == request.Da;
}

// The frame settles the request waiting, if one is: true, with exchange
// filled (it points to frame).
inline bool SettleExchange(ExchangeLink& link, const AnalysedFrame& frame, Exchange& exchange) {
    if (!link.Pending.Active) return false;
    link.Pending.Active = false;
    exchange.Request = &link.Pending;
    exchange.Answered = AnswersRequest(frame.Class, link.Pending);
    exchange.After = &frame;
    return true;
}

// The request read last has no frame after it: true, with exchange filled,
// when one was waiting.
inline bool SettleLastExchange(ExchangeLink& link, Exchange& exchange) {
    if (!link.Pending.Active) return false;
    link.Pending.Active = false;
    exchange.Request = &link.Pending;
    exchange.Answered = false;
    exchange.After = nullptr;
    return true;
}

// A request (frame.Class.Request) now waits for the frame after it.
inline void OpenExchange(ExchangeLink& link, const AnalysedFrame& frame) {
    const FrameClass& c = frame.Class;
    link.Pending = PendingRequest{true, frame.InWindow, c.Da, c.Sa, c.Fc, frame.ReferenceNumber, frame.Ns};
}

}  // namespace zelmot
