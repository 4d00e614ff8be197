// What the DP decoders make of whole frames, stated in words: the service
// rule, the diagnosis and every block type, parameters, configurations,
// control commands and DP-V1 PDUs; and every frame of the table cut at every
// length, decoded as every kind.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>

#include "dp/dp_codes.h"
#include "dp/dp_service.h"
#include "dp_test_support.h"

namespace zelmot::dp::test {
namespace {

struct DecodeCase {
    const char* Name;
    Frame Bytes;
    Service Answered;  // for a response: the service of its request
    bool Dpv1;         // the slave's mode, for its diagnosis
    const char* Expected;
};

void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.Name; }

constexpr Service kNone = Service::None;
const Frame kDiagHead = {0x00, 0x04, 0x00, 0xFF, 0x00, 0x01};  // nothing to report, ident 1

Frame Diag(const Frame& blocks) {
    Frame data = kDiagHead;
    data.insert(data.end(), blocks.begin(), blocks.end());
    return Response(kSapSlaveDiag, data);
}

Frame GlobalControlFrame(const Frame& data) {
    return Sd2(127, kMaster, kSdnRequest, kSapGlobalControl, 62, data);
}

const DecodeCase kCases[] = {
    // The service rule.
    {"DataExchangeRequest", Sd2(kSlave, kMaster, 0x7D, {}, {}, {0x01, 0x02}), kNone, false, "Data_Exchange 01 02"},
    {"DataExchangeWithoutOutputs", Sd1(kSlave, kMaster, kSrdRequest), kNone, false, "Data_Exchange"},
    {"DataExchangeInSd3", {0xA2, kSlave, kMaster, 0x7D, 1, 2, 3, 4, 5, 6, 7, 8, 0x9A, 0x16}, kNone, false,
     "Data_Exchange 01 02 03 04 05 06 07 08"},
    {"DataExchangeInputs", Sd2(kMaster, kSlave, kDlResponse, {}, {}, {0xAA}), Service::DataExchange, false,
     "Data_Exchange AA"},
    {"ShortAckBelongsToItsRequest", {0xE5}, Service::SetPrm, false, "Set_Prm"},
    {"UserError", Sd1(kMaster, kSlave, 0x01), Service::SlaveDiag, false, "Slave_Diag negative user error"},
    {"NoResource", Sd1(kMaster, kSlave, 0x02), Service::SetPrm, false, "Set_Prm negative no resource"},
    {"SapNotEnabled", Sd1(kMaster, kSlave, 0x03), Service::GetCfg, false, "Get_Cfg negative SAP not enabled"},
    {"SdaWithoutSapsIsNoService", Sd2(kSlave, kMaster, 0x55, {}, {}, {0x01}), kNone, false, "-"},
    {"SrdWithOnlySourceSapIsNoService", Sd2(kSlave, kMaster, kSrdRequest, {}, 62, {}), kNone, false, "-"},
    {"SapBetweenServicesIsNoService", Request(54, {}), kNone, false, "-"},
    {"SapAboveServicesIsNoService", Request(63, {}), kNone, false, "-"},
    {"TokenIsNoService", {0xDC, kSlave, kMaster}, kNone, false, "-"},
    {"DiagRequest", Request(kSapSlaveDiag, {}), kNone, false, "Slave_Diag"},
    {"ResponseSapOutranksTheRequest", Response(kSapGetCfg, {0x13}), Service::SlaveDiag, false, "Get_Cfg general in 4"},
    {"LengthTooSmallForItsHeader", {0x68, 0x02, 0x02, 0x68, kSlave, kMaster, 0x7D, 0x84, 0x16}, kNone, false,
     "Data_Exchange"},

    // Slave_Diag.
    {"DiagStandardBytes", Response(kSapSlaveDiag, {0x02, 0x05, 0x00, 0xFF, 0x42, 0x24}), kNone, false,
     "Slave_Diag s1=Station_Not_Ready s2=Prm_Req s3=- master=none ident=0x4224"},
    {"DiagMasterSetAndUnexpectedBits", Response(kSapSlaveDiag, {0xF1, 0xC1, 0x81, 0x07, 0x00, 0x01}), kNone, false,
     "Slave_Diag s1=Station_Non_Existent|Not_Supported|Invalid_Slave_Response|Prm_Fault|Master_Lock "
     "s2=Prm_Req|Deactivated s3=Ext_Diag_Overflow master=7 ident=0x0001 fixed_clear reserved"},
    {"DiagShortIsCut", Response(kSapSlaveDiag, {0x02, 0x05, 0x00}), kNone, false,
     "Slave_Diag s1=Station_Not_Ready s2=Prm_Req s3=- master=none ident=0x0000 cut"},
    {"DiagEveryDpv0Block",
     Response(kSapSlaveDiag, {0x08, 0x0C, 0x00, 0x02, 0x80, 0x1D, 0x43, 0x01, 0x02, 0x83, 0x41, 0x21, 0x82, 0xC2,
                              0xBF, 0x03, 0xAB, 0xCD}),
     kNone, false,
     "Slave_Diag s1=Ext_Diag s2=WD_On s3=- master=2 ident=0x801D | identifier 0 9 | channel module 3 channel 1 "
     "input bit short circuit | channel module 2 channel 2 input_output word manufacturer specific | device AB CD"},
    {"DiagDpv1StatusAndAlarm",
     Response(kSapSlaveDiag, {0x08, 0x04, 0x00, 0x02, 0x12, 0x34, 0x06, 0x82, 0x00, 0x01, 0xE4, 0x1B, 0x07, 0x01,
                              0x03, 0x1D, 0xDE, 0xAD, 0xBE}),
     kNone, true,
     "Slave_Diag s1=Ext_Diag s2=- s3=- master=2 ident=0x1234 | status module status slot 0 status appears: "
     "OK,fault,wrong module,no module,no module,wrong module,fault,OK | alarm diagnosis slot 3 appears seq 3 "
     "add_ack data DE AD BE"},
    // A module status block is one in either mode (real heads send it so);
    // an alarm block of a DP-V0 slave stays manufacturer bytes.
    {"DiagDpv1BlocksOfADpv0Slave",
     Response(kSapSlaveDiag, {0x08, 0x04, 0x00, 0x02, 0x12, 0x34, 0x06, 0x82, 0x00, 0x01, 0xE4, 0x1B, 0x07, 0x01,
                              0x03, 0x1D, 0xDE, 0xAD, 0xBE}),
     kNone, false,
     "Slave_Diag s1=Ext_Diag s2=- s3=- master=2 ident=0x1234 | status dpv0 module status slot 0 status appears: "
     "OK,fault,wrong module,no module,no module,wrong module,fault,OK | device 01 03 1D DE AD BE"},
    {"DiagDpv0BlocksNotQuiteModuleStatus",
     Diag({0x04, 0x82, 0x00, 0x00, 0x05, 0x82, 0x00, 0x04, 0x00, 0x05, 0x81, 0x00, 0x00, 0x00}), kNone, false,
     "Slave_Diag s1=- s2=- s3=- master=none ident=0x0001 | device 82 00 00 | device 82 00 04 00 | device 81 00 00 00"},
    {"DiagDpv1BlockTooShortForStatus", Diag({0x03, 0x81, 0x00, 0x05, 0x20, 0x02, 0x00, 0x00}), kNone, true,
     "Slave_Diag s1=- s2=- s3=- master=none ident=0x0001 | device 81 00 | alarm manufacturer specific slot 2 none "
     "seq 0 data 00"},
    {"DiagReservedBlockStops", Diag({0xC1, 0x01, 0x02, 0x43, 0x01, 0x00}), kNone, false,
     "Slave_Diag s1=- s2=- s3=- master=none ident=0x0001 | undecoded C1 01 02 43 01 00"},
    {"DiagLengthZeroLies", Diag({0x40, 0x12, 0x03, 0xAA, 0xBB}), kNone, false,
     "Slave_Diag s1=- s2=- s3=- master=none ident=0x0001 | undecoded 40 12 03 AA BB"},
    {"DiagLengthOneLies", Diag({0x01, 0x43, 0x01, 0x00}), kNone, false,
     "Slave_Diag s1=- s2=- s3=- master=none ident=0x0001 | undecoded 01 43 01 00"},
    {"DiagBlockCutByTheEnd", Diag({0x43, 0x01, 0x00, 0x45, 0x01, 0x02}), kNone, false,
     "Slave_Diag s1=- s2=- s3=- master=none ident=0x0001 | identifier 0 | undecoded cut 45 01 02"},
    {"DiagChannelBlockCut", Diag({0x83, 0x41}), kNone, false,
     "Slave_Diag s1=- s2=- s3=- master=none ident=0x0001 | undecoded cut 83 41"},

    // Set_Prm.
    {"SetPrmDpv0", Request(kSapSetPrm, {0xB8, 0x01, 0x14, 0x0B, 0x42, 0x24, 0x00, 0x01, 0x02}), kNone, false,
     "Set_Prm WD_On|Freeze_Req|Sync_Req|Lock_Req wd 200 ms tsdr 11 ident 0x4224 group 0 user@7 01 02"},
    {"SetPrmDpv1", Request(kSapSetPrm, {0x88, 0x0A, 0x0A, 0x00, 0x12, 0x34, 0x01, 0x84, 0xC4, 0x8B, 0xAA}), kNone,
     false,
     "Set_Prm WD_On|Lock_Req wd 100 ms tsdr 0 ident 0x1234 group 1 dpv1 DPV1_Mode|WD_Base_1ms "
     "Update_Alarm|Process_Alarm|Pull_Plug_Alarm Prm_Structure|PrmCmd alarms 8 user@10 AA"},
    {"SetPrmDpv1TenMsBase", Request(kSapSetPrm, {0x08, 0x02, 0x03, 0x00, 0x00, 0x01, 0x00, 0x80, 0x00, 0x07}), kNone,
     false, "Set_Prm WD_On wd 60 ms tsdr 0 ident 0x0001 group 0 dpv1 DPV1_Mode - - alarms 32 user@10"},
    {"SetPrmMsBaseNeedsDpv1", Request(kSapSetPrm, {0x08, 0x02, 0x03, 0x00, 0x00, 0x01, 0x00, 0x04}), kNone, false,
     "Set_Prm WD_On wd 60 ms tsdr 0 ident 0x0001 group 0 user@7 04"},
    {"SetPrmCut", Request(kSapSetPrm, {0x88, 0x0A}), kNone, false,
     "Set_Prm WD_On|Lock_Req wd 0 ms tsdr 0 ident 0x0000 group 0 user@7 cut"},
    {"SetPrmDpv1BytesCut", Request(kSapSetPrm, {0x09, 0x01, 0x01, 0x00, 0x00, 0x01, 0x00, 0x80, 0x00}), kNone, false,
     "Set_Prm WD_On wd 10 ms tsdr 0 ident 0x0001 group 0 reserved dpv1 DPV1_Mode - - alarms 1 user@10 cut"},

    // Chk_Cfg and Get_Cfg.
    {"ChkCfgGeneral", Request(kSapChkCfg, {0x13, 0x21, 0xF1, 0x00}), kNone, false,
     "Chk_Cfg general in 4 | general out 2 | general in 4 words consistent out 4 words consistent | empty"},
    {"ChkCfgSpecial",
     Request(kSapChkCfg, {0x42, 0x83, 0x11, 0x22, 0xC0, 0x41, 0x05, 0x03, 0xAA, 0xBB, 0xCC}), kNone, false,
     "Chk_Cfg special in 4 consistent manufacturer 11 22 | special in 6 out 4 words | special manufacturer AA BB CC"},
    {"GetCfgReservedCountStops", Response(kSapGetCfg, {0x13, 0x4F, 0x01}), Service::GetCfg, false,
     "Get_Cfg general in 4 | special reserved 4F 01"},
    {"ChkCfgSpecialCut", Request(kSapChkCfg, {0x21, 0xC1, 0x41}), kNone, false,
     "Chk_Cfg general out 2 | special cut C1 41"},

    // Global_Control and Set_Slave_Add.
    {"GlobalControlClearAndSync", GlobalControlFrame({0x22, 0x00}), kNone, false,
     "Global_Control Clear_Data|Sync group 0"},
    {"GlobalControlReservedBit", GlobalControlFrame({0x09, 0x03}), kNone, false,
     "Global_Control Freeze group 3 reserved"},
    {"GlobalControlCut", GlobalControlFrame({0x04}), kNone, false, "Global_Control Unfreeze group 0 cut"},
    {"SetSlaveAdd", Request(kSapSetSlaveAdd, {0x05, 0x12, 0x34, 0x00, 0xAA}), kNone, false,
     "Set_Slave_Add address 5 ident 0x1234 no_add_chg 0 rest AA"},
    {"SetSlaveAddCut", Request(kSapSetSlaveAdd, {0x07}), kNone, false,
     "Set_Slave_Add address 7 ident 0x0000 no_add_chg 0 cut"},

    // DP-V1.
    {"Dpv1ReadRequest", Request(kSapDpv1ReadWrite, {0x5E, 0x01, 0x02, 0x10}), kNone, false,
     "DPV1_Read_Write read slot 1 index 2 length 16"},
    {"Dpv1ReadResponse", Response(kSapDpv1ReadWrite, {0x5E, 0x01, 0x02, 0x03, 0x0A, 0x0B, 0x0C}), kNone, false,
     "DPV1_Read_Write read slot 1 index 2 length 3 data 0A 0B 0C"},
    {"Dpv1ReadResponseCut", Response(kSapDpv1ReadWrite, {0x5E, 0x01, 0x02, 0x04, 0x0A}), kNone, false,
     "DPV1_Read_Write read slot 1 index 2 length 4 data 0A cut"},
    {"Dpv1WriteRequest", Request(kSapDpv1ReadWrite, {0x5F, 0x00, 0x05, 0x02, 0x11, 0x22}), kNone, false,
     "DPV1_Read_Write write slot 0 index 5 length 2 data 11 22"},
    {"Dpv1WriteResponse", Response(kSapDpv1ReadWrite, {0x5F, 0x00, 0x05, 0x02}), kNone, false,
     "DPV1_Read_Write write slot 0 index 5 length 2"},
    {"Dpv1Negative", Response(kSapDpv1ReadWrite, {0xDE, 0x80, 0xB6, 0x00}), kNone, false,
     "DPV1_Read_Write read negative DPV1 access access denied 0"},
    {"Dpv1NegativeUserClass", Response(kSapDpv1ReadWrite, {0xDF, 0x80, 0xD3, 0x07}), kNone, false,
     "DPV1_Read_Write write negative DPV1 user specific user specific 7"},
    {"Dpv1NegativeCut", Response(kSapDpv1ReadWrite, {0xDF, 0x80}), kNone, false,
     "DPV1_Read_Write write negative DPV1 ?0 ?0 0 cut"},
    {"Dpv1AlarmAck", Request(kSapDpv1AlarmAck, {0x5C, 0x03, 0x01, 0x1C}), kNone, false,
     "DPV1_Alarm_Ack alarm acknowledge slot 3 diagnosis none seq 3 add_ack"},
    {"Dpv1Initiate", Request(kSapDpv1Initiate, {0x57, 0x00, 0x01, 0x02}), kNone, false,
     "DPV1_Initiate initiate data 00 01 02"},
    {"Dpv1Class2LowestSap", Request(0, {0x5E, 0x01, 0x02, 0x04}), kNone, false,
     "DPV1_Class2 read slot 1 index 2 length 4"},
    {"Dpv1Class2HighestSap", Request(48, {0x48, 0x00}), kNone, false, "DPV1_Class2 idle data 00"},
};

class DpDecode : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DpDecode, DescribesTheFrame) {
    const DecodeCase& c = GetParam();
    EXPECT_EQ(Describe(c.Bytes, c.Answered, c.Dpv1), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(Frames, DpDecode, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<DecodeCase>& param) { return std::string(param.param.Name); });

constexpr Service kEveryService[] = {
    Service::DataExchange,  Service::SetSlaveAdd,   Service::RdInp,        Service::RdOutp,
    Service::GlobalControl, Service::GetCfg,        Service::SlaveDiag,    Service::SetPrm,
    Service::ChkCfg,        Service::Dpv1ReadWrite, Service::Dpv1AlarmAck, Service::Dpv1Initiate,
    Service::Dpv1Class2,
};

// Every frame cut at every length, in a buffer of exactly that length, with
// its fields located as the reader would: decoded as it stands, and its data
// unit and its whole bytes decoded as every service's request and response
// in both modes. The describer reads every byte of every span it is handed.
TEST(DpDecode, EveryFrameCutAtEveryLengthStaysInside) {
    for (const DecodeCase& c : kCases) {
        for (std::size_t length = 0; length <= c.Bytes.size(); ++length) {
            SCOPED_TRACE(std::string(c.Name) + " cut to " + std::to_string(length));
            std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[length]);
            std::copy(c.Bytes.begin(), c.Bytes.begin() + static_cast<std::ptrdiff_t>(length), exact.get());
            fdl::Bytes frame(exact.get(), length);
            EXPECT_FALSE(Describe(frame, c.Answered, c.Dpv1).empty());
            fdl::Bytes data = FrameData(frame, Locate(frame));
            EXPECT_LE(data.size(), length);
            for (Service service : kEveryService)
                for (bool dpv1 : {false, true})
                    for (bool request : {false, true}) {
                        DescribeContent(service, request, data, dpv1);
                        DescribeContent(service, request, frame, dpv1);
                    }
        }
    }
}

}  // namespace
}  // namespace zelmot::dp::test
