// The bus figures' words the text report and the JSON document share.
#include "report/bus_words.h"

namespace zelmot {

const char* StationRoleName(StationRole role) {
    switch (role) {
        case StationRole::Master: return "master";
        case StationRole::Slave: return "slave";
        case StationRole::Both: return "both";
        case StationRole::Silent: break;
    }
    return "silent";
}

}  // namespace zelmot
