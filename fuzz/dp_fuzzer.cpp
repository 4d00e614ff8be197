// Fuzz target: the DP decoders on arbitrary frames. The frame lies in a
// buffer of exactly its byte count, so any read past it is caught; its FDL
// fields are located as the reader locates them. The service functions run
// on the frame; the data unit, and the whole frame too, are decoded as every
// kind (diagnosis in both modes, configuration, Set_Prm, Global_Control,
// Set_Slave_Add, DP-V1 request and response). Every span a decoder returns
// must lie inside the buffer and is read to its end; iterations must move on
// and end; every decoded code must be a value its name table can look up.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "capture/capture_frame.h"
#include "dp/dp_cfg.h"
#include "dp/dp_commands.h"
#include "dp/dp_diag.h"
#include "dp/dp_dpv1.h"
#include "dp/dp_names.h"
#include "dp/dp_service.h"
#include "fuzz_input.h"

namespace {

using namespace zelmot::dp;
using zelmot::fdl::Bytes;

[[noreturn]] void Breach(const char* what) {
    std::fprintf(stderr, "zelmot fuzz: %s\n", what);
    std::abort();
}

struct Buffer {
    const std::uint8_t* Begin;
    std::size_t Size;
};

// Checks that bytes lie inside the buffer and reads every one of them.
unsigned Touch(Buffer buffer, Bytes bytes) {
    if (bytes.empty()) return 0;
    if (bytes.data() < buffer.Begin || bytes.data() + bytes.size() > buffer.Begin + buffer.Size)
        Breach("a span reaches outside the frame");
    unsigned sum = 0;
    for (std::uint8_t b : bytes) sum += b;
    return sum;
}

unsigned Name(const NameTable& table, unsigned value) {
    return static_cast<unsigned>(LookupName(table, value).size());
}

unsigned DecodeDiag(Buffer buffer, Bytes data, bool dpv1) {
    SlaveDiag diag = DecodeSlaveDiag(data);
    unsigned sum = Touch(buffer, diag.Data) + diag.IdentNumber;
    if (diag.Cut != (data.size() < kDiagHeaderSize)) Breach("diagnosis cut wrongly");
    for (std::size_t at = kDiagHeaderSize; at < diag.Data.size();) {
        DiagBlock block = DecodeDiagBlock(diag.Data, at, dpv1);
        if (block.Kind == DiagBlockKind::None || block.Offset != at) Breach("diagnosis block lost");
        if (block.Next <= at || block.Next > diag.Data.size()) Breach("diagnosis block does not move on");
        if (block.Kind == DiagBlockKind::Undecoded && block.Next != diag.Data.size())
            Breach("decoding goes on after an undecoded block");
        if (block.Block.data() != diag.Data.data() + at) Breach("block bytes do not start at the header");
        sum += Touch(buffer, block.Block) + Touch(buffer, block.Content);
        sum += Name(kDiagBlockNames, static_cast<unsigned>(block.Kind)) +
               Name(kDirectionNames, static_cast<unsigned>(block.Dir)) + Name(kChannelWidthNames, block.Width) +
               Name(kChannelErrorNames, block.Error) + Name(kAlarmTypeNames, block.Type) +
               Name(kAlarmSpecifierNames, block.Specifier);
        for (std::size_t m = NextFlaggedModule(block.Content, 0); m != kNoModule; m = NextFlaggedModule(block.Content, m + 1)) {
            if (m / 8 >= block.Content.size()) Breach("flagged module past the block");
            sum += static_cast<unsigned>(m);
        }
        for (std::size_t m = 0; m < block.Content.size() * kModulesPerStatusByte; ++m)
            sum += Name(kModuleStatusNames, ModuleStatusAt(block.Content, m));
        at = block.Next;
    }
    return sum;
}

unsigned DecodeCfg(Buffer buffer, Bytes cfg) {
    unsigned sum = 0;
    for (std::size_t at = 0; at < cfg.size();) {
        CfgModule module = DecodeCfgModule(cfg, at);
        if (module.Format == CfgFormat::None || module.Next <= at || module.Next > cfg.size())
            Breach("configuration identifier does not move on");
        if (module.Fault != CfgFault::None && module.Next != cfg.size()) Breach("decoding goes on after a fault");
        if (module.Fault == CfgFault::None && module.Identifier.size() != module.Next - at)
            Breach("identifier bytes do not match its extent");
        sum += Touch(buffer, module.Identifier) + Touch(buffer, module.Manufacturer) + module.In.Bytes + module.Out.Bytes;
        at = module.Next;
    }
    return sum;
}

unsigned DecodeEveryKind(Buffer buffer, Bytes data) {
    unsigned sum = DecodeDiag(buffer, data, false) + DecodeDiag(buffer, data, true) + DecodeCfg(buffer, data);
    SetPrm prm = DecodeSetPrm(data);
    if (!prm.Cut && prm.UserPrm.size() != data.size() - prm.UserPrmOffset) Breach("user parameters lost");
    sum += Touch(buffer, prm.UserPrm) + prm.WatchdogMs;
    sum += DecodeGlobalControl(data).Control;
    sum += Touch(buffer, DecodeSetSlaveAdd(data).Rest);
    for (PduSide side : {PduSide::Request, PduSide::Response}) {
        Dpv1Pdu pdu = DecodeDpv1Pdu(data, side);
        sum += Touch(buffer, pdu.Data) + Name(kDpv1FunctionNames, pdu.Function) +
               Name(kDpv1ErrorCodeNames, pdu.ErrorCode1);
    }
    return sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zelmot::fuzz::ByteReader in{data, size};
    const bool dpv1 = (in.Byte() & 1u) != 0;
    const auto answered = static_cast<Service>(in.Byte() % kServiceCount);
    std::string bytes = in.Take(255);
    std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[bytes.size()]);
    std::memcpy(exact.get(), bytes.data(), bytes.size());
    Buffer buffer{exact.get(), bytes.size()};
    Bytes frame(exact.get(), bytes.size());

    zelmot::CaptureFrame capture;
    std::memcpy(capture.Bytes.data(), bytes.data(), bytes.size());
    capture.Length = static_cast<std::uint8_t>(bytes.size());
    zelmot::LocateFrameFields(capture);

    Service request = RequestService(frame, capture.Fields);
    Service response = ResponseService(frame, capture.Fields, answered);
    if (request != Service::None && response != Service::None) Breach("a frame is both request and response");
    Negative negative = NegativeResponse(frame, capture.Fields);
    if (ServiceName(request).empty() != (request == Service::None)) Breach("unnamed service");
    Bytes unit = FrameData(frame, capture.Fields);
    volatile unsigned sink = Name(kNegativeNames, static_cast<unsigned>(negative)) + DecodeEveryKind(buffer, unit) +
                             DecodeEveryKind(buffer, frame) + (dpv1 ? DecodeDiag(buffer, unit, true) : 0);
    (void)sink;
    return 0;
}
