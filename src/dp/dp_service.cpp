// The service rule: Data_Exchange by the missing SAP extension of an SRD
// request, every other service by the SAP, and the data unit a decoder reads.
#include "dp/dp_service.h"

#include "fdl/fdl_codes.h"
#include "dp/dp_codes.h"

namespace zelmot::dp {
namespace {

struct SapService {
    std::uint8_t First, Last;
    Service Selects;
};

constexpr SapService kSapServices[] = {
    {0, kSapClass2Last, Service::Dpv1Class2},
    {kSapDpv1Initiate, kSapDpv1Initiate, Service::Dpv1Initiate},
    {kSapDpv1AlarmAck, kSapDpv1AlarmAck, Service::Dpv1AlarmAck},
    {kSapDpv1ReadWrite, kSapDpv1ReadWrite, Service::Dpv1ReadWrite},
    {kSapSetSlaveAdd, kSapSetSlaveAdd, Service::SetSlaveAdd},
    {kSapRdInp, kSapRdInp, Service::RdInp},
    {kSapRdOutp, kSapRdOutp, Service::RdOutp},
    {kSapGlobalControl, kSapGlobalControl, Service::GlobalControl},
    {kSapGetCfg, kSapGetCfg, Service::GetCfg},
    {kSapSlaveDiag, kSapSlaveDiag, Service::SlaveDiag},
    {kSapSetPrm, kSapSetPrm, Service::SetPrm},
    {kSapChkCfg, kSapChkCfg, Service::ChkCfg},
};

// The FC of a frame with addresses and an FC inside it (DA and SA lie before it).
bool ReadFc(fdl::Bytes frame, const FrameFieldView& fields, std::uint8_t& fc) {
    if (!fdl::HoldsField(frame, fields.FC) || fields.DA == kAbsentField) return false;
    fc = fdl::FieldByte(frame, fields.FC);
    return true;
}

// An SD2 length byte of 255 puts the FCS at index 259; a data count that
// wrapped below zero puts the end of the data 256 bytes further.
constexpr std::size_t kLargestDataEnd = 255 + 4;

}  // namespace

Service ServiceOfSap(std::uint8_t sap) {
    for (const SapService& entry : kSapServices)
        if (sap >= entry.First && sap <= entry.Last) return entry.Selects;
    return Service::None;
}

Service RequestService(fdl::Bytes frame, const FrameFieldView& fields) {
    std::uint8_t fc = 0;
    if (!ReadFc(frame, fields, fc) || !(fc & fdl::FcRequestBit)) return Service::None;
    std::uint8_t function = fc & fdl::FcFunctionMask;
    bool srd = function == fdl::FcSrdLow || function == fdl::FcSrdHigh;
    bool extended = ((fdl::FieldByte(frame, fields.DA) | fdl::FieldByte(frame, static_cast<std::int16_t>(fields.DA + 1))) &
                     fdl::SapExtBit) != 0;
    if (srd && !extended) return Service::DataExchange;
    if (!fdl::HoldsField(frame, fields.DSAP)) return Service::None;
    return ServiceOfSap(fdl::FieldByte(frame, fields.DSAP));
}

Service ResponseService(fdl::Bytes frame, const FrameFieldView& fields, Service answered) {
    bool shortAck = !frame.empty() && frame[0] == fdl::SC && fields.FC == kAbsentField;
    std::uint8_t fc = 0;
    if (!shortAck && (!ReadFc(frame, fields, fc) || (fc & fdl::FcRequestBit))) return Service::None;
    if (fdl::HoldsField(frame, fields.SSAP)) return ServiceOfSap(fdl::FieldByte(frame, fields.SSAP));
    return answered;
}

Negative NegativeResponse(fdl::Bytes frame, const FrameFieldView& fields) {
    std::uint8_t fc = 0;
    if (!ReadFc(frame, fields, fc) || (fc & fdl::FcRequestBit)) return Negative::None;
    std::uint8_t function = fc & fdl::FcFunctionMask;
    if (function < static_cast<std::uint8_t>(Negative::UserError) ||
        function > static_cast<std::uint8_t>(Negative::SapNotEnabled))
        return Negative::None;
    return static_cast<Negative>(function);
}

fdl::Bytes FrameData(fdl::Bytes frame, const FrameFieldView& fields) {
    if (fields.Data == kAbsentField) return {};
    auto from = static_cast<std::size_t>(fields.Data);
    std::size_t end = from + fields.DataLen;
    if (end > kLargestDataEnd) return {};
    return fdl::Clip(frame, from, fields.DataLen);
}

}  // namespace zelmot::dp
