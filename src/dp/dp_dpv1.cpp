// The DP-V1 PDU decoder.
#include "dp/dp_dpv1.h"

#include "dp/dp_codes.h"

namespace zelmot::dp {
namespace {

constexpr std::size_t kPduHeaderSize = 4;  // function and three bytes, every fixed layout

// Whether a PDU of this function and side carries Length data bytes.
bool CarriesData(std::uint8_t function, PduSide side) {
    if (function == kDpv1DataTransport) return true;
    if (function == kDpv1Read) return side == PduSide::Response;
    return function == kDpv1Write && side == PduSide::Request;
}

}  // namespace

Dpv1Pdu DecodeDpv1Pdu(fdl::Bytes data, PduSide side) {
    Dpv1Pdu pdu;
    std::uint8_t first = fdl::ByteAt(data, 0);
    pdu.Function = first & static_cast<std::uint8_t>(~kDpv1Negative);
    pdu.Negative = (first & kDpv1Negative) != 0;
    bool shortHeader = data.size() < kPduHeaderSize;
    if (pdu.Negative) {
        pdu.Cut = shortHeader;
        pdu.ErrorDecode = fdl::ByteAt(data, 1);
        pdu.ErrorCode1 = fdl::ByteAt(data, 2);
        pdu.ErrorCode2 = fdl::ByteAt(data, 3);
        return pdu;
    }
    switch (pdu.Function) {
        case kDpv1Read:
        case kDpv1Write:
        case kDpv1DataTransport:
            pdu.Slot = fdl::ByteAt(data, 1);
            pdu.Index = fdl::ByteAt(data, 2);
            pdu.Length = fdl::ByteAt(data, 3);
            pdu.Data = fdl::Clip(data, kPduHeaderSize, pdu.Length);
            pdu.Cut = shortHeader || (CarriesData(pdu.Function, side) && pdu.Data.size() < pdu.Length);
            return pdu;
        case kDpv1AlarmAck:
            pdu.Slot = fdl::ByteAt(data, 1);
            pdu.AlarmType = fdl::ByteAt(data, 2);
            pdu.Alarm = DecodeAlarmSpecifier(fdl::ByteAt(data, 3));
            pdu.Cut = shortHeader;
            return pdu;
        default:
            pdu.Cut = data.empty();
            pdu.Data = fdl::RestFrom(data, 1);
            return pdu;
    }
}

}  // namespace zelmot::dp
