// The writers of the decoded FDL columns of a line: addresses, frame control,
// SAPs, data units, the raw byte dump, and the frame body that strings them
// together in bus order. Each column has a fixed width for given flags.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/text_out.h"
#include "options/display_options.h"
#include "fdl/fdl_bytes.h"
#include "fdl/fdl_codes.h"

namespace zelmot {

// Bit 7 of DA or SA: a SAP byte for that side follows the FC.
inline bool HasExtension(std::uint8_t address) { return (address & fdl::SapExtBit) != 0; }

// DA and SA as received; the column is 8 characters wide with both shown,
// 5 with one and absent with none.
void WriteAddressColumn(TextOut& out, const DisplayOptions& options, std::uint8_t da,
                        std::uint8_t sa);

// The FC: FCB/FCV or the station type under ShowFcbTyp, then the function name.
void WriteFcColumn(TextOut& out, const DisplayOptions& options, std::uint8_t fc);

// DSAP and SSAP (0 when absent; their presence is told by DA and SA bit 7);
// 6 characters wide with both sides shown, 4 with one and absent with none.
void WriteSapColumn(TextOut& out, const DisplayOptions& options, std::uint8_t da, std::uint8_t sa,
                    std::uint8_t dsap, std::uint8_t ssap);

// The data units, as bytes or (Data16 and an even count) 16-bit words.
void WriteDataColumn(TextOut& out, const DisplayOptions& options, fdl::Bytes data);

// Every byte of bytes in hexadecimal, each followed by a blank.
void WriteRawBytes(TextOut& out, fdl::Bytes bytes);

// Decodes an SD1, SD2 or SD3 frame that passed its start-delimiter tests.
// frame holds the frame's bytes from the start delimiter through the end
// delimiter; its DA lies at daIndex and at least five bytes (DA, SA, FC, FCS,
// ED) follow from there.
void WriteFrameBody(TextOut& out, const DisplayOptions& options, fdl::Bytes frame,
                    std::size_t daIndex);

}  // namespace zelmot
