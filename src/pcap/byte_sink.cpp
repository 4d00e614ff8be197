// Standard output as the export's sink.
#include "pcap/byte_sink.h"

#include <cstdio>

#include "run/platform_io.h"

namespace zelmot {

void OpenByteSinkStdout(ByteSink& sink) {
    PrepareBinaryStdout();
    OpenWriterStream(sink, stdout);
}

}  // namespace zelmot
