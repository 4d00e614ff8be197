// The slave's own configuration (its Get_Cfg answer) held against the
// master's (the Chk_Cfg it sent): identifier by identifier, in slot order,
// up to the first slot where they differ.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "fdl/fdl_bytes.h"

namespace zelmot::dp {

struct CfgComparison {
    bool Matches = true;
    std::size_t Slot = 0;  // the first slot that differs
    // Its identifier bytes in each configuration; a count of 0: that
    // configuration ends before the slot.
    std::size_t MasterOffset = 0, MasterCount = 0;
    std::size_t SlaveOffset = 0, SlaveCount = 0;
    bool operator==(const CfgComparison&) const = default;
};

CfgComparison CompareCfg(fdl::Bytes master, fdl::Bytes slave);

// "the master's configuration matches the slave's", or "the master's
// configuration differs from the slave's from slot 3 on: master 0x13 0x21,
// slave 0x11" ("slave none" when it ends before); a module name given for
// either side follows its bytes in quotes.
std::string CfgComparisonWords(const CfgComparison& comparison, fdl::Bytes master, fdl::Bytes slave,
                               std::string_view masterName = {}, std::string_view slaveName = {});

}  // namespace zelmot::dp
