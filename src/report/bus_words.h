// The bus figures' words the text report and the JSON document share.
#pragma once

#include "analysis/bus_stats.h"

namespace zelmot {

const char* StationRoleName(StationRole role);  // "master", "slave", "both", "silent"

}  // namespace zelmot
