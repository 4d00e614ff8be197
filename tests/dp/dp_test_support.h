// Test support for the DP decoders: frames built in memory with their FDL
// fields located as the reader locates them, and a compact text of what the
// decoders make of a frame, so that a table of frames can state expected
// contents in words.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fdl/frame_fields.h"
#include "fdl/fdl_bytes.h"
#include "dp/dp_service.h"

namespace zelmot::dp::test {

using Frame = std::vector<std::uint8_t>;

constexpr std::uint8_t kMaster = 2;
constexpr std::uint8_t kSlave = 5;
constexpr std::uint8_t kSrdRequest = 0x5D;  // SRD high, FCV
constexpr std::uint8_t kSdnRequest = 0x46;  // SDN high
constexpr std::uint8_t kDlResponse = 0x08;

// An SD2 frame; the SAP bytes, when given, precede the data and set the
// extension bits of DA and SA.
Frame Sd2(std::uint8_t da, std::uint8_t sa, std::uint8_t fc, std::optional<std::uint8_t> dsap,
          std::optional<std::uint8_t> ssap, const Frame& data);
Frame Sd1(std::uint8_t da, std::uint8_t sa, std::uint8_t fc);

// A master's SRD request to the slave's SAP from SSAP 62, and the slave's
// answer from SAP `ssap` to 62.
Frame Request(std::uint8_t dsap, const Frame& data);
Frame Response(std::uint8_t ssap, const Frame& data);

// The fields LocateFrameFields finds in these bytes.
FrameFieldView Locate(fdl::Bytes frame);

// "Service content": the service name (or "-"), then the decoded content.
// answered: the service of the request a response answers; dpv1: the
// slave's DP-V1 mode for its diagnosis.
std::string Describe(fdl::Bytes frame, Service answered, bool dpv1);

// The content alone, decoding data as the given service's request or
// response would be decoded.
std::string DescribeContent(Service service, bool request, fdl::Bytes data, bool dpv1);

}  // namespace zelmot::dp::test
