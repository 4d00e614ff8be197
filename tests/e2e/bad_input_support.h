// Shared pieces of the end-to-end tests of bad input and of the points the
// design leaves open: a folder of capture and option files with the tool run
// in it, simple traffic and its lines, the texts of the console.
#pragma once

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "console_texts.h"
#include "support/capture_builder.h"
#include "support/format_text.h"
#include "support/process_runner.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace zelmot::test {

using test::Bytes;

using test::kBanner;
inline const std::string kSyncNotFound = "Capture File Sync Error: SYNC_MARK not found";

#ifdef _WIN32
inline bool RunningAsRoot() { return false; }
#else
inline bool RunningAsRoot() { return ::geteuid() == 0; }
#endif

// The console without its progress lines (each ends with a carriage return
// and is overwritten by the next).
inline std::string WithoutProgress(const std::string& console) {
    std::size_t last = console.rfind('\r');
    if (last == std::string::npos) return console;
    return console.substr(0, kBanner.size()) + console.substr(last + 1);
}

// A folder with the capture files cap<HHMM>.Zelmot and option files in it.
struct Folder {
    test::TempDir dir;
    std::string stem = dir.Path("cap");

    std::string Opt(const std::string& text, const std::string& name = "o") {
        test::WriteText(dir.Path(name + ".opt"), text);
        return dir.Path(name);
    }
    std::string OutputPath(const std::string& opt = "o") { return dir.Path("cap1200_" + opt + ".txt"); }
    std::string Output(const std::string& opt = "o") { return test::ReadTextFile(OutputPath(opt)); }
    std::string FileLine(const std::string& hhmm) { return "File      : " + stem + hhmm + ".Zelmot\n"; }
    // The header echo of the default test header and the first File line.
    std::string Head(const std::string& showOnly = "", const std::string& opt = "o") {
        std::string head = "ZK-9 Name : TESTBENCH\nZK-9 IP   : 192.168.1.10\nBaud      : 12m\nOpt File  : " +
                           dir.Path(opt + ".opt") + "\n";
        if (!showOnly.empty()) head += "Show Only : " + showOnly + "\n";
        return head + "\n" + FileLine("1200");
    }
    test::ToolResult Run(const std::string& opt, std::vector<std::string> words = {}) {
        std::vector<std::string> args{stem + "1200", opt};
        args.insert(args.end(), words.begin(), words.end());
        return test::RunTool(args, dir.path().string());
    }
    std::string Success(const std::string& opt = "o") {
        return kBanner + "\nSuccess - Created: " + OutputPath(opt) + "\n";
    }
};

inline std::string Failure(const std::string& message) { return kBanner + "\n" + message + "\n"; }

// Frames 1..n: SD1 requests from 2 to 5 and short acknowledgements, stamps
// 1000 ticks apart.
inline Bytes Traffic(int n, std::uint64_t firstStamp = 1000) {
    Bytes stream;
    for (int i = 0; i < n; ++i)
        test::Append(stream, test::RecordBytes(firstStamp + 1000u * i,
                                               i % 2 == 0 ? test::Sd1(5, 2, 0x49) : test::ShortAck()));
    return stream;
}

inline std::string LineOf(unsigned reference) {
    return test::FormatText("%9u: ", reference) + (reference % 2 == 1 ? " SD1   5<2   RFDL       ED \n" : " SC          SHAK \n");
}

inline std::string LinesOf(unsigned first, unsigned last) {
    std::string lines;
    for (unsigned i = first; i <= last; ++i) lines += LineOf(i);
    return lines;
}

inline const std::string kEnd = "\nEnd of Capture Data\n";

inline Bytes WithHeader(const Bytes& records, const Bytes& header = test::CaptureHeaderBytes()) {
    Bytes file = header;
    test::Append(file, records);
    return file;
}

// Bytes of a fixed pseudo-random sequence (the engine's output is the same
// on every platform); never 0xDD when noSync is set.
inline Bytes RandomBytes(std::uint32_t seed, std::size_t n, bool noSync = false) {
    std::mt19937 engine(seed);
    Bytes bytes;
    while (bytes.size() < n) {
        auto byte = static_cast<std::uint8_t>(engine() & 0xFF);
        if (!(noSync && byte == 0xDD)) bytes.push_back(byte);
    }
    return bytes;
}

}  // namespace zelmot::test
