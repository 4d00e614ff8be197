// The line writer: every text of the output file that is not a column of
// its own module is put together here.
#include "output/line_writer.h"


namespace zelmot {

void WriteHeaderEcho(TextOut& out, const CaptureHeader& header, std::string_view optionFileName,
                     std::string_view equationText) {
    PutText(out, "ZK-9 Name : ");
    PutText(out, HeaderDeviceName(header));
    std::uint32_t address = HeaderDeviceAddress(header);
    PutText(out, "\nZK-9 IP   : ");
    for (int shift = 24; shift >= 0; shift -= 8) {
        PutUnsigned(out, (address >> shift) & 0xFF);
        if (shift != 0) PutChar(out, '.');
    }
    PutText(out, "\nBaud      : ");
    std::uint16_t baudIndex = HeaderBaudIndex(header);
    if (baudIndex < kBaudIndexCount) {
        PutText(out, BaudName(baudIndex));
    } else {
        PutText(out, "?(");
        PutUnsigned(out, baudIndex);
        PutChar(out, ')');
    }
    PutText(out, "\nOpt File  : ");
    PutText(out, optionFileName);
    PutChar(out, '\n');
    if (!equationText.empty()) {
        PutText(out, "Show Only : ");
        PutText(out, equationText);
        PutChar(out, '\n');
    }
    PutChar(out, '\n');
}

void WriteFileLine(TextOut& out, std::string_view captureFileName) {
    PutText(out, "File      : ");
    PutText(out, captureFileName);
    PutChar(out, '\n');
}

void WriteSyncLostNote(TextOut& out, const SyncLostNote& note) {
    PutText(out, "**** Synchronization Lost ****\n");
    PutUnsigned(out, note.ReferenceNumber, 9);
    PutText(out, ": FileOfs=");
    PutHex(out, note.FileOffset, 0);
    PutText(out, " Mark=");
    PutHexByte(out, note.Mark);
    PutChar(out, '\n');
}

}  // namespace zelmot
