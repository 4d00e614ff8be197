// zelmot2txt: converts a run of per-minute capture files into one text file.
#include <cstdio>

#include "driver/tool_main.h"

int main(int argc, char** argv) {
    int status = zelmot::ToolMain(argc, argv, stdout);
    std::fflush(stdout);
    return status;
}
