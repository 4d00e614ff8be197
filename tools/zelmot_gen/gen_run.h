// A whole generator run: traffic, time stamps and records minute by minute,
// one capture file per minute, a summary line per file on stdout and a note
// on stderr for every minute that had to be packed densely.
#pragma once

#include "common/outcome.h"
#include "gen_options.h"

namespace zelmot {

Outcome RunGenerator(const GenOptions& options);

}  // namespace zelmot
