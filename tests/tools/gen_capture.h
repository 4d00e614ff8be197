// Test support for the generator's tests: running zelmot-gen into a folder,
// and reading what it wrote back with the project's capture reader and
// frame timing -- each frame with its AbsTime, gap, bytes and status,
// numbered as zelmot2txt numbers them -- and its FDL fields.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/gen_record.h"

namespace zelmot::test {

struct SeenFrame {
    std::int64_t ns = 0;   // AbsTime
    std::int64_t gapNs = 0;
    std::string hex;
    std::vector<std::uint8_t> bytes;
    std::uint8_t status = 0;
    bool afterResync = false;  // read right after a lost record boundary
};

// Every frame of a run of the given minutes from 12:00; frames[i] has the
// reference number i + 1.
std::vector<SeenFrame> ReadGenCapture(const std::filesystem::path& stem, unsigned minutes = 1);

// FDL fields of a frame: -1 where the frame has none.
struct Fields {
    int da = -1, sa = -1, fc = -1, dsap = -1, ssap = -1;
    std::vector<std::uint8_t> data;  // after the SAPs
};
Fields FieldsOf(const std::vector<std::uint8_t>& bytes);

bool IsRequest(const Fields& f);

// A number in decimal or with 0x.
std::uint32_t Number(const std::string& text);

// Runs zelmot-gen with the words of args (test::SplitWords) in dir; its
// standard error when it failed, else empty.
std::string RunGen(const std::filesystem::path& dir, const std::string& args);

// The record's lines of one event kind.
std::vector<GenRecordLine> LinesOf(const std::vector<GenRecordLine>& record, const std::string& event);

// A '/'-separated list of numbers.
std::vector<std::int64_t> NumberList(const std::string& text);

}  // namespace zelmot::test
