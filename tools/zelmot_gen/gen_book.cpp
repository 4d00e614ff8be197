// Entries are resolved in the minute pass; an occurrence list's latest
// entry moves on to the newer frame while it waits, and waits again for a
// newer frame once it has been resolved; while the latest is one of the
// first ten, which keep their frames, a newer one gets an entry of its own.
#include "gen_book.h"

#include <algorithm>
#include <cassert>

#include "gen_minute.h"

namespace zelmot {

std::size_t BookFrame(FrameBook& book, std::uint64_t number) {
    book.Entries.push_back(BookEntry{number, 0, {}, false});
    book.Waiting.push_back(book.Entries.size() - 1);
    return book.Entries.size() - 1;
}

std::size_t BookPlacedFrame(FrameBook& book, std::uint64_t number, std::uint64_t stamp, const std::uint8_t* bytes,
                            std::size_t length) {
    book.Entries.push_back(BookEntry{number, stamp, std::vector<std::uint8_t>(bytes, bytes + length), true});
    return book.Entries.size() - 1;
}

void ResolveBook(FrameBook& book, const MinuteFrames& minute, std::uint64_t first) {
    std::uint64_t end = first + minute.Slots.size();
    auto placed = [&](std::size_t index) {
        BookEntry& e = book.Entries[index];
        if (e.Number < first || e.Number >= end) return false;
        const FrameSlot& slot = minute.Slots[static_cast<std::size_t>(e.Number - first)];
        e.Stamp = minute.Stamps[static_cast<std::size_t>(e.Number - first)];
        e.Bytes.assign(minute.Bytes.begin() + slot.Offset, minute.Bytes.begin() + slot.Offset + slot.Length);
        e.Resolved = true;
        return true;
    };
    book.Waiting.erase(std::remove_if(book.Waiting.begin(), book.Waiting.end(), placed), book.Waiting.end());
}

namespace {

// The latest entry may move on when it is a waiting entry of its own.
bool LastMayMove(const FrameBook& book, const Occurrences& o) {
    return o.Count > kEvidenceFrames + 1 && !book.Entries[o.Last].Resolved;
}

}  // namespace

void AddOccurrence(FrameBook& book, Occurrences& o, std::uint64_t number) {
    ++o.Count;
    if (o.Count <= kEvidenceFrames) {
        o.First[o.Count - 1] = o.Last = BookFrame(book, number);
    } else if (LastMayMove(book, o)) {
        assert(book.Entries[o.Last].Number <= number);
        book.Entries[o.Last].Number = number;
    } else if (o.Count > kEvidenceFrames + 1) {  // its own entry, resolved: it waits again
        book.Entries[o.Last] = BookEntry{number, 0, {}, false};
        book.Waiting.push_back(o.Last);
    } else {
        o.Last = BookFrame(book, number);
    }
}

void AddPlacedOccurrence(FrameBook& book, Occurrences& o, std::uint64_t number, std::uint64_t stamp,
                         const std::uint8_t* bytes, std::size_t length) {
    ++o.Count;
    if (o.Count <= kEvidenceFrames) {
        o.First[o.Count - 1] = o.Last = BookPlacedFrame(book, number, stamp, bytes, length);
    } else if (o.Count > kEvidenceFrames + 1) {
        BookEntry& last = book.Entries[o.Last];  // an entry of its own, resolved: overwrite it
        last.Number = number;
        last.Stamp = stamp;
        last.Bytes.assign(bytes, bytes + length);
    } else {
        o.Last = BookPlacedFrame(book, number, stamp, bytes, length);
    }
}

}  // namespace zelmot
