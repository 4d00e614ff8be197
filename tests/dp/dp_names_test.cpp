// The DP name tables: the service names the reports and the dissector share,
// and tables that name every value at most once.
#include <gtest/gtest.h>

#include <bit>
#include <set>
#include <string>

#include "dp/dp_names.h"

namespace zelmot::dp {
namespace {

TEST(DpNames, EveryServiceHasItsName) {
    struct Expected {
        Service Named;
        const char* Name;
    };
    const Expected expected[] = {
        {Service::DataExchange, "Data_Exchange"},   {Service::SetSlaveAdd, "Set_Slave_Add"},
        {Service::RdInp, "Rd_Inp"},                 {Service::RdOutp, "Rd_Outp"},
        {Service::GlobalControl, "Global_Control"}, {Service::GetCfg, "Get_Cfg"},
        {Service::SlaveDiag, "Slave_Diag"},         {Service::SetPrm, "Set_Prm"},
        {Service::ChkCfg, "Chk_Cfg"},               {Service::Dpv1ReadWrite, "DPV1_Read_Write"},
        {Service::Dpv1AlarmAck, "DPV1_Alarm_Ack"},  {Service::Dpv1Initiate, "DPV1_Initiate"},
        {Service::Dpv1Class2, "DPV1_Class2"},
    };
    static_assert(std::size(expected) + 1 == kServiceCount);
    for (const Expected& e : expected) EXPECT_EQ(ServiceName(e.Named), e.Name);
    EXPECT_TRUE(ServiceName(Service::None).empty());
}

TEST(DpNames, TablesNameEachValueOnce) {
    std::set<std::string> tableNames;
    for (const NameTable& table : AllNameTables()) {
        SCOPED_TRACE(std::string(table.Name));
        EXPECT_TRUE(tableNames.insert(std::string(table.Name)).second);
        ASSERT_FALSE(table.Entries.empty());
        std::set<unsigned> named;
        for (const NameEntry& entry : table.Entries) {
            EXPECT_FALSE(entry.Name.empty());
            EXPECT_LE(entry.First, entry.Last);
            if (table.Bits) {
                EXPECT_TRUE(entry.First == entry.Last && std::has_single_bit(entry.First)) << entry.Name;
            }
            for (unsigned value = entry.First; value <= entry.Last; ++value) {
                EXPECT_TRUE(named.insert(value).second) << "value " << value << " named twice";
                EXPECT_EQ(LookupName(table, value), entry.Name);
            }
        }
    }
}

TEST(DpNames, UnnamedValuesHaveNoName) {
    struct Case {
        const NameTable& Table;
        unsigned Value;
    };
    const Case cases[] = {{kChannelErrorNames, 0},  {kChannelErrorNames, 10}, {kChannelErrorNames, 15},
                          {kChannelWidthNames, 7},  {kStatusTypeNames, 3},    {kStatusTypeNames, 0x7F},
                          {kAlarmTypeNames, 0x1F},  {kDpv1ErrorCodeNames, 0xA3}, {kDpv1ErrorCodeNames, 0x9F},
                          {kStationStatus2Names, 0x04}, {kDpv1FunctionNames, 0x00}, {kServiceNames, 255}};
    for (const Case& c : cases) EXPECT_TRUE(LookupName(c.Table, c.Value).empty()) << c.Table.Name << " " << c.Value;
}

}  // namespace
}  // namespace zelmot::dp
