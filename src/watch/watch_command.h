// The zelmot-watch command line and its run: the capture's stem and the
// words (the family's shared ones through the one parser, From=, and the
// watcher's own, watch_options.h), the follower and the live analysis, and
// the outputs -- console, HTTP, MQTT, the alert command -- until SIGINT or
// SIGTERM.
#pragma once

#include <cstdio>

namespace zelmot {

// Runs the program for argv[1..argc-1]: the console lines to out, messages
// to err. Exit status 0 after a stop, 2 on a failure, 3 for a bad word.
int WatchMain(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

}  // namespace zelmot
