// The frame builders and the describer of the DP tests. The describer reads
// every byte of every span a decoder returns, so that a span reaching past
// the frame shows under AddressSanitizer.
#include "dp_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "capture/capture_frame.h"
#include "fdl/fdl_codes.h"
#include "dp/dp_cfg.h"
#include "dp/dp_codes.h"
#include "dp/dp_commands.h"
#include "dp/dp_diag.h"
#include "dp/dp_dpv1.h"
#include "dp/dp_names.h"

namespace zelmot::dp::test {
namespace {

constexpr std::uint8_t kMasterSap = 62;

std::string Hex(fdl::Bytes bytes) {
    std::string text;
    for (std::uint8_t b : bytes) {
        char piece[4];
        std::snprintf(piece, sizeof piece, "%02X", b);
        text += text.empty() ? "" : " ";
        text += piece;
    }
    return text;
}

std::string Number(unsigned value) { return std::to_string(value); }

std::string Ident(std::uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", value);
    return text;
}

std::string Name(const NameTable& table, unsigned value) {
    std::string_view name = LookupName(table, value);
    return name.empty() ? "?" + Number(value) : std::string(name);
}

// The names of the bits set in byte, joined by '|'.
std::string BitNames(const NameTable& table, std::uint8_t byte) {
    std::string text;
    for (const NameEntry& entry : table.Entries)
        if (byte & entry.First) text += (text.empty() ? "" : "|") + std::string(entry.Name);
    return text.empty() ? "-" : text;
}

// " word" and the bytes in hexadecimal, or nothing for no bytes.
std::string Labelled(const char* word, fdl::Bytes bytes) {
    return bytes.empty() ? std::string() : std::string(" ") + word + " " + Hex(bytes);
}

std::string Flag(bool on, const char* word) { return on ? std::string(" ") + word : std::string(); }

std::string DescribeBlock(const DiagBlock& block) {
    std::string text = Name(kDiagBlockNames, static_cast<unsigned>(block.Kind));
    switch (block.Kind) {
        case DiagBlockKind::Identifier:
            for (std::size_t m = NextFlaggedModule(block.Content, 0); m != kNoModule;
                 m = NextFlaggedModule(block.Content, m + 1))
                text += " " + Number(static_cast<unsigned>(m));
            break;
        case DiagBlockKind::Channel:
            text += " module " + Number(block.Module) + " channel " + Number(block.Channel) + " " +
                    Name(kDirectionNames, static_cast<unsigned>(block.Dir)) + " " +
                    Name(kChannelWidthNames, block.Width) + " " + Name(kChannelErrorNames, block.Error);
            break;
        case DiagBlockKind::Status:
            text += Flag(block.Dpv0Layout, "dpv0") + " " + Name(kStatusTypeNames, block.Type) + " slot " + Number(block.Slot) + " " +
                    Name(kStatusSpecifierNames, block.Specifier) + ":";
            for (std::size_t m = 0; m < block.Content.size() * kModulesPerStatusByte; ++m)
                text += (m ? "," : " ") + Name(kModuleStatusNames, ModuleStatusAt(block.Content, m));
            break;
        case DiagBlockKind::Alarm:
            text += " " + Name(kAlarmTypeNames, block.Type) + " slot " + Number(block.Slot) + " " +
                    Name(kAlarmSpecifierNames, block.Specifier) + " seq " + Number(block.Sequence) +
                    Flag(block.AddAck, "add_ack") + Labelled("data", block.Content);
            break;
        case DiagBlockKind::Device: text += " " + Hex(block.Content); break;
        case DiagBlockKind::Undecoded: text += Flag(block.Cut, "cut") + " " + Hex(block.Block); break;
        case DiagBlockKind::None: break;
    }
    if (!block.Content.empty()) {
        EXPECT_GE(block.Content.data(), block.Block.data());
        EXPECT_LE(block.Content.data() + block.Content.size(), block.Block.data() + block.Block.size());
    }
    return text;
}

std::string DescribeDiag(fdl::Bytes data, bool dpv1) {
    SlaveDiag diag = DecodeSlaveDiag(data);
    std::string text = "s1=" + BitNames(kStationStatus1Names, diag.Status1) +
                       " s2=" + BitNames(kStationStatus2Names, diag.Status2) +
                       " s3=" + BitNames(kStationStatus3Names, diag.Status3) + " master=" +
                       (diag.MasterAdd == kNoMaster ? "none" : Number(diag.MasterAdd)) + " ident=" +
                       Ident(diag.IdentNumber) + Flag(diag.FixedBitClear, "fixed_clear") +
                       Flag(diag.ReservedBitsSet, "reserved") + Flag(diag.Cut, "cut");
    std::size_t blocks = 0;
    for (std::size_t at = kDiagHeaderSize; at < diag.Data.size();) {
        DiagBlock block = DecodeDiagBlock(diag.Data, at, dpv1);
        EXPECT_GT(block.Next, at);
        EXPECT_LE(block.Next, diag.Data.size());
        if (block.Next <= at || ++blocks > diag.Data.size()) break;
        text += " | " + DescribeBlock(block);
        at = block.Next;
    }
    return text;
}

std::string DescribeSize(const char* word, const CfgSize& size) {
    if (size.Bytes == 0) return "";
    return std::string(" ") + word + " " + Number(size.Bytes) + Flag(size.Words, "words") +
           Flag(size.Consistent, "consistent");
}

std::string DescribeCfg(fdl::Bytes cfg) {
    std::string text;
    for (std::size_t at = 0; at < cfg.size();) {
        CfgModule module = DecodeCfgModule(cfg, at);
        EXPECT_GT(module.Next, at);
        EXPECT_LE(module.Next, cfg.size());
        text += (text.empty() ? "" : " | ") + Name(kCfgFormatNames, static_cast<unsigned>(module.Format)) +
                DescribeSize("in", module.In) + DescribeSize("out", module.Out);
        text += Labelled("manufacturer", module.Manufacturer);
        if (module.Fault == CfgFault::Cut) text += " cut " + Hex(module.Identifier);
        if (module.Fault == CfgFault::ReservedCount) text += " reserved " + Hex(module.Identifier);
        if (module.Next <= at) break;
        at = module.Next;
    }
    return text;
}

std::string DescribeSetPrm(fdl::Bytes data) {
    SetPrm prm = DecodeSetPrm(data);
    std::string text = BitNames(kPrmStationNames, prm.StationStatus) + " wd " + Number(prm.WatchdogMs) +
                       " ms tsdr " + Number(prm.MinTsdr) + " ident " + Ident(prm.IdentNumber) + " group " +
                       Number(prm.GroupIdent) + Flag(prm.ReservedBitsSet, "reserved");
    if (prm.Dpv1)
        text += " dpv1 " + BitNames(kDpv1Status1Names, prm.Dpv1Status1) + " " +
                BitNames(kDpv1Status2Names, prm.Dpv1Status2) + " " + BitNames(kDpv1Status3Names, prm.Dpv1Status3) +
                " alarms " + Number(prm.AlarmCount);
    text += " user@" + Number(static_cast<unsigned>(prm.UserPrmOffset)) + (prm.UserPrm.empty() ? "" : " ") +
            Hex(prm.UserPrm);
    return text + Flag(prm.Cut, "cut");
}

std::string DescribeGlobalControl(fdl::Bytes data) {
    GlobalControl control = DecodeGlobalControl(data);
    return BitNames(kGlobalControlNames, control.Control) + " group " + Number(control.GroupSelect) +
           Flag(control.ReservedBitsSet, "reserved") + Flag(control.Cut, "cut");
}

std::string DescribeSetSlaveAdd(fdl::Bytes data) {
    SetSlaveAdd command = DecodeSetSlaveAdd(data);
    return "address " + Number(command.NewAddress) + " ident " + Ident(command.IdentNumber) + " no_add_chg " +
           Number(command.NoAddChg) + Labelled("rest", command.Rest) + Flag(command.Cut, "cut");
}

std::string DescribePdu(fdl::Bytes data, bool request) {
    Dpv1Pdu pdu = DecodeDpv1Pdu(data, request ? PduSide::Request : PduSide::Response);
    std::string text = Name(kDpv1FunctionNames, pdu.Function);
    if (pdu.Negative) {
        text += " negative " + Name(kDpv1ErrorDecodeNames, pdu.ErrorDecode) + " " +
                Name(kDpv1ErrorClassNames, pdu.ErrorCode1 >> 4) + " " + Name(kDpv1ErrorCodeNames, pdu.ErrorCode1) +
                " " + Number(pdu.ErrorCode2);
    } else if (pdu.Function == kDpv1AlarmAck) {
        text += " slot " + Number(pdu.Slot) + " " + Name(kAlarmTypeNames, pdu.AlarmType) + " " +
                Name(kAlarmSpecifierNames, pdu.Alarm.Specifier) + " seq " + Number(pdu.Alarm.Sequence) +
                Flag(pdu.Alarm.AddAck, "add_ack");
    } else if (pdu.Function == kDpv1Read || pdu.Function == kDpv1Write || pdu.Function == kDpv1DataTransport) {
        text += " slot " + Number(pdu.Slot) + " index " + Number(pdu.Index) + " length " + Number(pdu.Length);
    }
    text += Labelled("data", pdu.Data);
    return text + Flag(pdu.Cut, "cut");
}

}  // namespace

Frame Sd2(std::uint8_t da, std::uint8_t sa, std::uint8_t fc, std::optional<std::uint8_t> dsap,
          std::optional<std::uint8_t> ssap, const Frame& data) {
    Frame unit;
    unit.push_back(static_cast<std::uint8_t>(da | (dsap ? fdl::SapExtBit : 0)));
    unit.push_back(static_cast<std::uint8_t>(sa | (ssap ? fdl::SapExtBit : 0)));
    unit.push_back(fc);
    if (dsap) unit.push_back(*dsap);
    if (ssap) unit.push_back(*ssap);
    for (std::uint8_t b : data) unit.push_back(b);
    auto le = static_cast<std::uint8_t>(unit.size());
    Frame frame{fdl::SD2, le, le, fdl::SD2};
    std::uint8_t fcs = 0;
    for (std::uint8_t b : unit) {
        frame.push_back(b);
        fcs = static_cast<std::uint8_t>(fcs + b);
    }
    frame.push_back(fcs);
    frame.push_back(fdl::ED);
    return frame;
}

Frame Sd1(std::uint8_t da, std::uint8_t sa, std::uint8_t fc) {
    return Frame{fdl::SD1, da, sa, fc, static_cast<std::uint8_t>(da + sa + fc), fdl::ED};
}

Frame Request(std::uint8_t dsap, const Frame& data) {
    return Sd2(kSlave, kMaster, kSrdRequest, dsap, kMasterSap, data);
}

Frame Response(std::uint8_t ssap, const Frame& data) {
    return Sd2(kMaster, kSlave, kDlResponse, kMasterSap, ssap, data);
}

FrameFieldView Locate(fdl::Bytes frame) {
    CaptureFrame capture;
    capture.Bytes.fill(0xEE);  // what lies past the frame must not matter
    std::copy(frame.begin(), frame.end(), capture.Bytes.begin());
    capture.Length = static_cast<std::uint8_t>(frame.size());
    capture.Bytes[capture.Length] = 0;
    LocateFrameFields(capture);
    return capture.Fields;
}

std::string DescribeContent(Service service, bool request, fdl::Bytes data, bool dpv1) {
    switch (service) {
        case Service::SlaveDiag: return request ? Hex(data) : DescribeDiag(data, dpv1);
        case Service::GetCfg: return request ? Hex(data) : DescribeCfg(data);
        case Service::ChkCfg: return request ? DescribeCfg(data) : Hex(data);
        case Service::SetPrm: return request ? DescribeSetPrm(data) : Hex(data);
        case Service::GlobalControl: return request ? DescribeGlobalControl(data) : Hex(data);
        case Service::SetSlaveAdd: return request ? DescribeSetSlaveAdd(data) : Hex(data);
        case Service::Dpv1ReadWrite:
        case Service::Dpv1AlarmAck:
        case Service::Dpv1Initiate:
        case Service::Dpv1Class2: return DescribePdu(data, request);
        default: return Hex(data);
    }
}

std::string Describe(fdl::Bytes frame, Service answered, bool dpv1) {
    FrameFieldView fields = Locate(frame);
    Service service = RequestService(frame, fields);
    bool request = service != Service::None;
    if (!request) service = ResponseService(frame, fields, answered);
    if (service == Service::None) return "-";
    std::string text(ServiceName(service));
    Negative negative = NegativeResponse(frame, fields);
    if (negative != Negative::None) return text + " negative " + Name(kNegativeNames, static_cast<unsigned>(negative));
    std::string content = DescribeContent(service, request, FrameData(frame, fields), dpv1);
    return content.empty() ? text : text + " " + content;
}

}  // namespace zelmot::dp::test
