// zelmot2pcap: exports a run of per-minute capture files as one pcapng or
// classic pcap file.
#include <cstdio>

#include "pcap/pcap_tool.h"
#include "run/platform_io.h"

int main(int argc, char** argv) {
    int status = zelmot::PcapToolMain(argc, argv, stderr, zelmot::IsTerminal(stderr) ? stderr : nullptr);
    std::fflush(stderr);
    return status;
}
