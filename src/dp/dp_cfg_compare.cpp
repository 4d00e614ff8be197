// Walking two configurations in step, one identifier of each at a time.
#include "dp/dp_cfg_compare.h"

#include <algorithm>
#include <cstdio>

#include "dp/dp_cfg.h"

namespace zelmot::dp {
namespace {

std::string Side(const char* who, fdl::Bytes cfg, std::size_t offset, std::size_t count, std::string_view name) {
    std::string text = who;
    if (count == 0) return text + " none";
    for (std::size_t i = offset; i < offset + count; ++i) {
        char hex[8];
        std::snprintf(hex, sizeof hex, " 0x%02X", static_cast<unsigned>(cfg[i]));
        text += hex;
    }
    return name.empty() ? text : text + " '" + std::string(name) + "'";
}

}  // namespace

CfgComparison CompareCfg(fdl::Bytes master, fdl::Bytes slave) {
    CfgComparison result;
    std::size_t m = 0, s = 0;
    for (std::size_t slot = 0; m < master.size() || s < slave.size(); ++slot) {
        const CfgModule mine = DecodeCfgModule(master, m);
        const CfgModule theirs = DecodeCfgModule(slave, s);
        const std::size_t mineCount = mine.Next - m;
        const std::size_t theirCount = theirs.Next - s;
        if (mineCount != theirCount ||
            !std::equal(master.begin() + static_cast<std::ptrdiff_t>(m), master.begin() + static_cast<std::ptrdiff_t>(mine.Next),
                        slave.begin() + static_cast<std::ptrdiff_t>(s))) {
            return CfgComparison{false, slot, m, mineCount, s, theirCount};
        }
        m = mine.Next;
        s = theirs.Next;
    }
    return result;
}

std::string CfgComparisonWords(const CfgComparison& comparison, fdl::Bytes master, fdl::Bytes slave,
                               std::string_view masterName, std::string_view slaveName) {
    if (comparison.Matches) return "the master's configuration matches the slave's";
    return "the master's configuration differs from the slave's from slot " + std::to_string(comparison.Slot) +
           " on: " + Side("master", master, comparison.MasterOffset, comparison.MasterCount, masterName) + ", " +
           Side("slave", slave, comparison.SlaveOffset, comparison.SlaveCount, slaveName);
}

}  // namespace zelmot::dp
