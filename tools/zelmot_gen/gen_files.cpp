// Header layout (all numbers little-endian), file naming and writing.
#include "gen_files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/text_out.h"

namespace zelmot {

CaptureHeaderBytes MakeCaptureHeader(const GenOptions& options) {
    CaptureHeaderBytes header{};
    header[2] = static_cast<std::uint8_t>(options.BaudIndex);
    header[3] = static_cast<std::uint8_t>(options.BaudIndex >> 8);
    for (int b = 0; b < 4; ++b) header[4 + b] = static_cast<std::uint8_t>(options.DeviceAddress >> (8 * b));
    std::size_t nameLength = std::min(options.DeviceName.size(), kDeviceNameSize);
    std::memcpy(header.data() + 8, options.DeviceName.data(), nameLength);
    return header;
}

Outcome WriteCaptureFile(const std::string& name, const CaptureHeaderBytes& header,
                         const std::uint8_t* records, std::size_t size) {
    std::FILE* file = std::fopen(name.c_str(), "wb");
    if (file == nullptr) return ErrorText("cannot create %s: %s", name.c_str(), std::strerror(errno));
    bool ok = std::fwrite(header.data(), 1, header.size(), file) == header.size();
    if (ok && size > 0) ok = std::fwrite(records, 1, size, file) == size;
    int savedErrno = errno;
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        savedErrno = errno;
    }
    if (!ok) return ErrorText("cannot write %s: %s", name.c_str(), std::strerror(savedErrno));
    return Success();
}

}  // namespace zelmot
