// What the statistics make of one frame: its kind by the first byte, whether
// it is a request or a response, and the addresses and FC it carries when
// they can be trusted.
#pragma once

#include <cstdint>

#include "capture/capture_frame.h"

namespace zelmot {

enum class FrameKind : std::uint8_t { Sd1, Sd2, Sd3, Token, ShortAck, Unknown };

struct FrameClass {
    FrameKind Kind = FrameKind::Unknown;
    bool Damaged = false;     // non-zero status: nothing below but SaReadable/Sa is set
    bool SaReadable = false;  // an SD1-SD4 frame whose SA byte lies inside it
    bool Request = false;     // SD1/SD2/SD3 with FC bit 0x40, status 0
    bool Response = false;    // SD1/SD2/SD3 without FC bit 0x40, or an SC, status 0
    std::uint8_t Da = 0;      // masked with 0x7F
    std::uint8_t Sa = 0;
    std::uint8_t Fc = 0;      // the whole byte
};

// Classifies a frame whose Fields are located, into c. A frame with status 0
// that does not have the shape its first byte announces (CheckFrameShape) is
// Unknown. (Filled in place: every frame is classified, and a class returned
// by value travels packed into one register and out again.)
void ClassifyFrame(const CaptureFrame& frame, FrameClass& c);

// Requests after which no answer is expected: send data with no
// acknowledge (function 4 or 6) and anything sent to address 127.
bool ExpectsNoAnswer(std::uint8_t da, std::uint8_t fc);
bool IsFdlStatusRequest(std::uint8_t fc);

}  // namespace zelmot
