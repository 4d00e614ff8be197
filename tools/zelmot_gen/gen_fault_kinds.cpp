// The table of fault scenarios: option word, rule, near miss or not, and
// what each takes of the plant.
#include "gen_fault_kinds.h"

#include <cassert>
#include <cstring>

namespace zelmot {
namespace {

constexpr FaultTarget kSegment = FaultTarget::Segment;
constexpr FaultTarget kMaster = FaultTarget::Master;
constexpr FaultTarget kSlaves = FaultTarget::Slaves;

// ORDER FaultKind
constexpr FaultInfo kFaultTable[] = {
    {"capture_gap", "capture_gap", false, kSegment, 0},
    {"capture_gap_near", "capture_gap", true, kSegment, 0},
    {"slave_lost", "slave_lost", false, kSlaves, 1},
    {"slave_lost_for_good", "slave_lost", false, kSlaves, 1},
    {"common_cause", "common_cause", false, kSlaves, 3},
    {"common_cause_near", "common_cause", true, kSlaves, 2},
    {"slave_restart", "slave_restart", false, kSlaves, 1},
    {"slave_restart_diag", "slave_restart", false, kSlaves, 1},
    {"watchdog_expired", "watchdog_expired", false, kSlaves, 1},
    {"watchdog_expired_near", "watchdog_expired", true, kSlaves, 1},
    {"watchdog_tight", "watchdog_tight", false, kSlaves, 1},
    {"watchdog_tight_near", "watchdog_tight", true, kSlaves, 1},
    {"not_ready", "not_ready", false, kSlaves, 1},
    {"diagnosis", "diagnosis", false, kSlaves, 1},
    {"errors_local", "errors_local", false, kSlaves, 1},
    {"errors_local_near", "errors_local", true, kSlaves, 1},
    {"errors_spread", "errors_spread", false, kSegment, 0},
    {"errors_spread_near", "errors_spread", true, kSegment, 0},
    {"retries", "retries", false, kSlaves, 1},
    {"retries_near", "retries", true, kSlaves, 1},
    {"slow_answers", "slow_answers", false, kSlaves, 1},
    {"negative_answers", "negative_answers", false, kSlaves, 1},
    {"double_address", "double_address", false, kSlaves, 1},
    {"device_replaced", "device_replaced", false, kSlaves, 1},
    {"master_clear", "master_clear", false, kMaster, 0},
    {"master_clear_to_end", "master_clear", false, kMaster, 0},
};
static_assert(sizeof kFaultTable / sizeof kFaultTable[0] == kFaultCount);

}  // namespace

const FaultInfo& FaultInfoOf(FaultKind kind) {
    assert(static_cast<unsigned>(kind) < kFaultCount);
    return kFaultTable[static_cast<unsigned>(kind)];
}

bool FaultByName(const char* word, std::size_t length, FaultKind& kind) {
    for (unsigned i = 0; i < kFaultCount; ++i) {
        const char* name = kFaultTable[i].Name;
        if (std::strlen(name) == length && std::memcmp(name, word, length) == 0) {
            kind = static_cast<FaultKind>(i);
            return true;
        }
    }
    return false;
}

}  // namespace zelmot
