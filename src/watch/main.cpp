// zelmot-watch: follows a recording as it is written and publishes its state.
#include <cstdio>

#include "watch/watch_command.h"

int main(int argc, char** argv) { return zelmot::WatchMain(argc, argv, stdout, stderr); }
