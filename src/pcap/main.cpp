// zelmot2pcap: exports a run of per-minute capture files as one pcapng or
// classic pcap file.
#include <cstdio>

#include "pcap/pcap_tool.h"

int main(int argc, char** argv) {
    int status = zelmot::PcapToolMain(argc, argv, stderr);
    std::fflush(stderr);
    return status;
}
