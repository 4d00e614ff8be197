// The names of the reader's DP states, as zelmot-stats spells them.
#include "gen_dp_log.h"

#include <cassert>

namespace zelmot {
namespace {

// ORDER ReaderState
constexpr const char* kReaderStateNames[] = {"none", "diagnosis", "parameterised", "configured", "data_exchange",
                                             "offline"};
static_assert(sizeof kReaderStateNames / sizeof kReaderStateNames[0] ==
              static_cast<std::size_t>(ReaderState::Offline) + 1);

}  // namespace

const char* ReaderStateName(ReaderState state) {
    assert(static_cast<std::size_t>(state) <= static_cast<std::size_t>(ReaderState::Offline));
    return kReaderStateNames[static_cast<std::size_t>(state)];
}

}  // namespace zelmot
