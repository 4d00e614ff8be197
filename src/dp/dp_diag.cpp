// The Slave_Diag decoder: the standard bytes and, block by block, the
// extended diagnosis. A block is decoded only when all its bytes lie inside
// the diagnosis; otherwise, and for the reserved type and a length byte that
// cannot be true, the rest is handed back undecoded and decoding stops.
#include "dp/dp_diag.h"

#include <cassert>

namespace zelmot::dp {
namespace {

constexpr std::size_t kShortestSizedBlock = 2;  // a length byte of 0 or 1 lies

// The rest of the diagnosis from offset on, undecoded.
DiagBlock Undecoded(fdl::Bytes diag, std::size_t offset, bool cut) {
    DiagBlock block;
    block.Kind = DiagBlockKind::Undecoded;
    block.Offset = offset;
    block.Next = diag.size();
    block.Cut = cut;
    block.Block = fdl::RestFrom(diag, offset);
    return block;
}

// A block of `size` bytes at offset, which lies wholly inside the diagnosis.
DiagBlock Whole(fdl::Bytes diag, std::size_t offset, std::size_t size, DiagBlockKind kind, std::size_t header) {
    assert(offset + size <= diag.size() && header <= size);
    DiagBlock block;
    block.Kind = kind;
    block.Offset = offset;
    block.Next = offset + size;
    block.Block = diag.subspan(offset, size);
    block.Content = block.Block.subspan(header);
    return block;
}

DiagBlock ChannelBlock(fdl::Bytes diag, std::size_t offset) {
    DiagBlock block = Whole(diag, offset, kChannelBlockSize, DiagBlockKind::Channel, 1);
    std::uint8_t channel = block.Block[1];
    std::uint8_t type = block.Block[2];
    block.Module = block.Block[0] & kBlockSizeMask;
    block.Channel = channel & kChannelNumberMask;
    block.Dir = static_cast<Direction>(((channel & kChannelOutput) ? 2u : 0u) | ((channel & kChannelInput) ? 1u : 0u));
    block.Width = static_cast<std::uint8_t>(type >> kChannelWidthShift);
    block.Error = type & kChannelErrorMask;
    return block;
}

// A device-related block of a slave in DP-V1 mode, long enough for its type,
// slot and specifier.
DiagBlock Dpv1Block(fdl::Bytes diag, std::size_t offset, std::size_t size) {
    fdl::Bytes bytes = diag.subspan(offset, size);
    bool status = (bytes[1] & kDpv1StatusBlock) != 0;
    DiagBlock block = Whole(diag, offset, size, status ? DiagBlockKind::Status : DiagBlockKind::Alarm,
                            kDpv1BlockHeaderSize);
    block.Type = bytes[1] & kDpv1TypeMask;
    block.Slot = bytes[2];
    AlarmSpecifier specifier = DecodeAlarmSpecifier(bytes[3]);
    block.Specifier = specifier.Specifier;
    if (!status) {
        block.AddAck = specifier.AddAck;
        block.Sequence = specifier.Sequence;
    }
    return block;
}

}  // namespace

SlaveDiag DecodeSlaveDiag(fdl::Bytes data) {
    SlaveDiag diag;
    diag.Cut = data.size() < kDiagHeaderSize;
    diag.Status1 = fdl::ByteAt(data, 0);
    diag.Status2 = fdl::ByteAt(data, 1);
    diag.Status3 = fdl::ByteAt(data, 2);
    diag.MasterAdd = data.size() > 3 ? data[3] : kNoMaster;
    diag.IdentNumber = fdl::BigEndianAt(data, 4);
    diag.FixedBitClear = data.size() > 1 && !(diag.Status2 & kStatus2Fixed);
    diag.ReservedBitsSet = (diag.Status2 & kStatus2Reserved) || (diag.Status3 & kStatus3Reserved);
    diag.Data = data;
    return diag;
}

DiagBlock DecodeDiagBlock(fdl::Bytes diag, std::size_t offset, bool dpv1) {
    if (offset >= diag.size()) {
        DiagBlock none;
        none.Offset = none.Next = offset;
        return none;
    }
    std::uint8_t header = diag[offset];
    std::size_t left = diag.size() - offset;
    std::uint8_t type = header & kBlockTypeMask;
    if (type == kBlockReserved) return Undecoded(diag, offset, false);
    if (type == kBlockChannel) {
        if (left < kChannelBlockSize) return Undecoded(diag, offset, true);
        return ChannelBlock(diag, offset);
    }
    std::size_t size = header & kBlockSizeMask;
    if (size < kShortestSizedBlock) return Undecoded(diag, offset, false);
    if (size > left) return Undecoded(diag, offset, true);
    if (type == kBlockIdentifier) return Whole(diag, offset, size, DiagBlockKind::Identifier, 1);
    if (dpv1 && size >= kDpv1BlockHeaderSize) return Dpv1Block(diag, offset, size);
    if (HasModuleStatusLayout(diag.subspan(offset, size))) {
        DiagBlock block = Dpv1Block(diag, offset, size);
        block.Dpv0Layout = true;
        return block;
    }
    return Whole(diag, offset, size, DiagBlockKind::Device, 1);
}

bool HasModuleStatusLayout(fdl::Bytes block) {
    return block.size() > kDpv1BlockHeaderSize && (block[0] & kBlockTypeMask) == kBlockDevice &&
           block[1] == (kDpv1StatusBlock | kStatusTypeModuleStatus) && (block[3] & ~kSpecifierMask) == 0;
}

std::size_t NextFlaggedModule(fdl::Bytes bits, std::size_t from) {
    for (std::size_t module = from; module / 8 < bits.size(); ++module)
        if (bits[module / 8] & (1u << (module % 8))) return module;
    return kNoModule;
}

std::uint8_t ModuleStatusAt(fdl::Bytes states, std::size_t module) {
    std::uint8_t byte = fdl::ByteAt(states, module / kModulesPerStatusByte);
    return static_cast<std::uint8_t>((byte >> (2 * (module % kModulesPerStatusByte))) & 0x03u);
}

AlarmSpecifier DecodeAlarmSpecifier(std::uint8_t byte) {
    return AlarmSpecifier{static_cast<std::uint8_t>(byte & kSpecifierMask), (byte & kAddAck) != 0,
                          static_cast<std::uint8_t>(byte >> kSequenceShift)};
}

}  // namespace zelmot::dp
