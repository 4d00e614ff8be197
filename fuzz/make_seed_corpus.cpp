// Writes the committed seed corpus of every fuzz target into
// <corpus>/<target>/: captures built byte by byte as the tests build them
// (mixed traffic, a corrupted length, stray bytes, a record cut off by the
// end, large time stamps, a bad baud index, empty and header-only files),
// the head of the bundled example capture, the example option files, the
// worked frames of the decoding columns, the worked time formats and the
// test device files.
//
//   fuzz_make_seed_corpus <corpus folder> <source folder>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "support/capture_builder.h"

namespace zelmot::fuzz {
namespace {

using test::Bytes;

std::string AsText(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

struct Corpus {
    std::filesystem::path root;
    int written = 0;
    void Write(const std::string& target, const std::string& name, const std::string& bytes) {
        std::filesystem::create_directories(root / target);
        std::ofstream file(root / target / name, std::ios::binary | std::ios::trunc);
        file << bytes;
        ++written;
    }
};

// ---- captures ----

// One frame of every start delimiter and shape, some with status bits.
Bytes MixedRecords(std::uint64_t stamp = 1000, std::uint64_t step = 700) {
    const std::vector<std::pair<Bytes, std::uint8_t>> frames = {
        {test::Sd1(5, 2, 0x49), 0},
        {test::ShortAck(), 0},
        {{0x68, 0x07, 0x07, 0x68, 0x85, 0x82, 0x7d, 0x3e, 0x3d, 0x01, 0x02, 0x02, 0x16}, 0},
        {{0x68, 0x05, 0x05, 0x68, 0x82, 0x85, 0x08, 0x3d, 0x3e, 0xff, 0x16}, 0},
        {{0xA2, 0x85, 0x02, 0x5d, 0x3e, 0x3c, 1, 2, 3, 4, 5, 6, 0x33, 0x16}, 0x40},
        {test::Token(2, 5), 0},
        {{}, 0x10},
        {{0x68, 0x05, 0x06, 0x68, 0x05, 0x02, 0x7d, 0x01, 0x02, 0x86, 0x16}, 0x08},
        {{0x33, 0x01}, 0x04},
        {{0x10, 0x85, 0x02, 0x49, 0x50, 0x17}, 0x80},
        {test::Sd2(0x07, 0x02, 0x7d, {0x10, 0x20, 0x30, 0x40}), 0},
        {test::Sd1(2, 7, 0x08), 0},
    };
    Bytes stream;
    for (const auto& [frame, status] : frames) {
        test::Append(stream, test::RecordBytes(stamp, frame, status));
        stamp += step;
    }
    return stream;
}

Bytes WithHeader(const Bytes& records, std::uint16_t baud = 8) {
    Bytes file = test::CaptureHeaderBytes(baud);
    test::Append(file, records);
    return file;
}

struct Capture {
    std::string Name;
    std::string Bytes;
    std::uint16_t Split = 0;  // for two files: a cut inside a record header
};

std::vector<Capture> Captures(const std::filesystem::path& source) {
    std::vector<Capture> captures;
    const Bytes mixed = MixedRecords();
    captures.push_back({"mixed", AsText(WithHeader(mixed)), 40 + 15 + 10 + 3});

    Bytes corrupt = mixed;
    corrupt[15 + 10 + 7] = 0x20;  // the SD2 record's length byte
    captures.push_back({"resync", AsText(WithHeader(corrupt)), 100});

    Bytes strays(90, 0x42);
    strays[30] = 0xDD;  // a false candidate
    test::Append(strays, mixed);
    captures.push_back({"strays", AsText(WithHeader(strays)), 140});

    Bytes pastEnd = mixed;
    test::Append(pastEnd, Bytes{0xDD, 1, 2, 3, 4, 5, 6, 200, 0x10, 0x05, 0x02});
    captures.push_back({"past-end", AsText(WithHeader(pastEnd)), static_cast<std::uint16_t>(40 + pastEnd.size() - 6)});

    captures.push_back({"large-stamps", AsText(WithHeader(MixedRecords(0xFFFF'FFFF'0000ull, 123457), 0)), 60});
    captures.push_back({"baud9", AsText(WithHeader(mixed, 9)), 0});
    captures.push_back({"header-only", AsText(test::CaptureHeaderBytes(3)), 40});
    captures.push_back({"short-header", AsText(Bytes(20, 0x07)), 10});
    captures.push_back({"empty", "", 0});

    const std::string demo = ReadFile(source / "examples" / "demo1200.Zelmot");
    if (!demo.empty()) {
        captures.push_back({"demo-head", demo.substr(0, 3000), 1500});
        const std::string next = ReadFile(source / "examples" / "demo1201.Zelmot");
        std::string tail = demo.substr(demo.size() - 900) + next.substr(0, 40 + 900);
        captures.push_back({"demo-straddle", demo.substr(0, 40) + tail, 940});
    }
    return captures;
}

void ConversionSeeds(Corpus& corpus, const std::vector<Capture>& captures) {
    int i = 0;
    for (const Capture& capture : captures) {
        ConversionInput input;
        input.capture = capture.Bytes;
        input.split = capture.Split;
        input.flags = static_cast<std::uint8_t>(i % 4);
        input.arg0 = 7;
        corpus.Write("conversion", capture.Name + "-opt" + std::to_string(i % 4), EncodeConversionInput(input, false));
        if (capture.Split != 0) {
            input.flags = static_cast<std::uint8_t>(kTwoFiles | ((i + 1) % 4) | (i % 3 == 0 ? kStartAt2359 : 0) |
                                                    (i % 2 == 0 ? kRunTwice : 0));
            corpus.Write("conversion", capture.Name + "-two-files", EncodeConversionInput(input, false));
        }
        ++i;
    }
    ConversionInput window;
    window.capture = captures[0].Bytes;
    window.flags = kUseStartRef | kUseEndRef | kOneFileMissing | 1;
    window.startRef = 3;
    window.endRef = 6;
    corpus.Write("conversion", "mixed-window", EncodeConversionInput(window, false));
}

// ---- option files ----

constexpr char kNulBytes[] = "NoRef\0junk\n\0NoFc\nShowOnly\nSTS \0== 0#\n";

std::vector<std::pair<std::string, std::string>> OptionTexts(const std::filesystem::path& source) {
    std::vector<std::pair<std::string, std::string>> texts = {
        {"flags", "NoRef\nShowFil\nNoDelim\nnodstsap\nNoSrc ; remark\nNoFc\nNoData\nDataSgn\nDataUns\n"
                  "Data16\nNoBad\nDetailSts\nShowFcbTyp\nShowFcs\nDescrip= any text\nArgName0 station\n"},
        {"values", "TmeAbs hr:mn:sc.ms,us,ns\nTmeGapAft\tus.ns;x\nTmeGap =sc\nTmeDelta\n"
                   "GrphGapAft 0x32 1HR\nGrphGap '2 0x10us\nGrphDelta 100 -5us\n"},
        {"crlf-pieces", "; " + std::string(250, 'c') + "\r\nNoRef\r\n  \t\r\n" + std::string(199, ' ') + "NoFc\n"},
        {"nul-bytes", std::string(kNulBytes, sizeof kNulBytes - 1)},
        {"bad-width", "GrphGap 4 100us\n"},
        {"bad-unit", "GrphDelta 10 100\n"},
        {"bad-line", "Foo ; remark\nNoRef\n"},
        {"long-format", "TmeAbs hr:mn:sc.ms,us,ns:hr:m\n"},
        {"equation", "ShowOnly trailing text\nDA == 5 AND FC == SRDL ; comment # not the end\n#NoRef\n"},
        {"equation-bits", "ShowOnly\n(STS & STSCHK) <> 0 OR DataWord[0x10] > 1000 or CmdArg[2] == SA\n#\n"},
        {"equation-error", "ShowOnly\nSTS == == 2\n#\n"},
        {"equation-open", "ShowOnly\nDataByte [3] == 1\n"},
        {"equation-deep", "ShowOnly\n" + std::string(60, '(') + "-5 - -DataWord[0x10]" + std::string(60, ')') + "#\n"},
        {"equation-names", "ShowOnly\nGapTme > 100 OR GapAft < 5 AND LEN >= 2 AND DataByte[1] == 0x7d OR "
                           "SD == SD2 AND DSAP == 62 AND SSAP == 61 OR !(DA % 2) ^ ~SA | 3 OR CmdArg[7] / 0 "
                           "OR FC & TYPMSK == RD OR STS == STSED#\n"},
    };
    for (const char* name : {"compact", "errors", "full", "station", "token"}) {
        std::string text = ReadFile(source / "examples" / (std::string(name) + ".opt"));
        if (!text.empty()) texts.push_back({std::string("example-") + name, text});
    }
    return texts;
}

void ConversionOptionSeeds(Corpus& corpus, const std::vector<Capture>& captures,
                           const std::vector<std::pair<std::string, std::string>>& texts) {
    int i = 0;
    for (const auto& [name, text] : texts) {
        ConversionInput input;
        input.optionText = text;
        const Capture& capture = captures[i % 3 == 2 ? 2 : 0];
        input.capture = capture.Bytes;
        input.split = capture.Split;
        input.flags = i % 2 == 1 ? kTwoFiles : 0;
        input.arg0 = 5;
        corpus.Write("conversion_options", name, EncodeConversionInput(input, true));
        ++i;
    }
}

// ---- option reader and filter ----

// A frame as the option and filter target reads it.
std::string FilterFrame(const Bytes& frame, std::uint8_t status, std::int32_t gap, std::int32_t gapAfter,
                        bool freeLocations = false) {
    std::string bytes;
    bytes.push_back(static_cast<char>(freeLocations ? kFrameFreeLocations : 0));
    bytes.push_back(static_cast<char>(frame.size()));
    bytes += AsText(frame);
    bytes.push_back(static_cast<char>(status));
    if (freeLocations) {
        for (std::int16_t location : {1, 3, 7, 8, 9}) PutNumber(bytes, static_cast<std::uint16_t>(location), 2);
        bytes.push_back(4);
    }
    PutNumber(bytes, static_cast<std::uint32_t>(gap), 4);
    PutNumber(bytes, static_cast<std::uint32_t>(gapAfter), 4);
    return bytes;
}

std::string FilterFrames() {
    std::string frames;
    frames += FilterFrame(test::Sd1(5, 2, 0x4C), 0, 120, 3);
    frames += FilterFrame({0x68, 0x07, 0x07, 0x68, 0x85, 0x82, 0x7d, 0x3e, 0x3d, 0x01, 0x02, 0x02, 0x16}, 0x40, 7, -9);
    frames += FilterFrame({0xA2, 0x85, 0x02, 0x5d, 0x3e, 0x3c, 1, 2, 3, 4, 5, 6, 0x33, 0x16}, 0, -2, 100000);
    frames += FilterFrame(test::Token(5, 7), 0, 0, 0);
    frames += FilterFrame(test::ShortAck(), 0x80, 1, 1);
    frames += FilterFrame({0x68, 0x83}, 0, 0, 0);
    frames += FilterFrame({}, 0x10, 0, 0);
    frames += FilterFrame({0x68, 0x05, 0x05, 0x68, 0x82, 0x85, 0x08, 0x3d, 0x3e, 0xff, 0x16}, 0, 5, 5, true);
    return frames;
}

void OptionFilterSeeds(Corpus& corpus, const std::vector<std::pair<std::string, std::string>>& texts) {
    for (const auto& [name, text] : texts) {
        std::string bytes;
        PutNumber(bytes, text.size(), 2);
        bytes += text;
        for (std::int32_t arg : {5, -1, 2, 0x7fffffff}) PutNumber(bytes, static_cast<std::uint32_t>(arg), 4);
        corpus.Write("option_filter", name, bytes + FilterFrames());
    }
}

// ---- frame columns ----

enum FlagBit : std::uint16_t {
    kNoDelim = 1 << 0, kNoDst = 1 << 1, kNoSrc = 1 << 2, kNoFc = 1 << 3, kNoDstSap = 1 << 4,
    kNoSrcSap = 1 << 5, kNoData = 1 << 6, kDataSgn = 1 << 7, kDataUns = 1 << 8, kData16 = 1 << 9,
    kDetailSts = 1 << 10, kShowFcbTyp = 1 << 11, kShowFcs = 1 << 12,
};

void FrameColumnSeeds(Corpus& corpus) {
    const Bytes sd1{0x10, 0x05, 0x02, 0x49, 0x50, 0x16};
    const Bytes sd2{0x68, 0x07, 0x07, 0x68, 0x85, 0x82, 0x7d, 0x3e, 0x3d, 0x01, 0x02, 0x02, 0x16};
    const struct {
        const char* Name;
        Bytes Frame;
        std::uint8_t Status;
        std::uint16_t Flags;
    } seeds[] = {
        {"sd1", sd1, 0, 0},
        {"sd1-fcb-fcs", sd1, 0, kShowFcbTyp | kShowFcs},
        {"sd2", sd2, 0, 0},
        {"sd2-fcb-fcs", sd2, 0, kShowFcbTyp | kShowFcs},
        {"sd2-data16", sd2, 0, kData16},
        {"sd2-data16-sgn", sd2, 0, kData16 | kDataSgn},
        {"sd2-response", {0x68, 0x05, 0x05, 0x68, 0x82, 0x85, 0x08, 0x3d, 0x3e, 0xff, 0x16}, 0, kShowFcbTyp},
        {"sd4", {0xdc, 0x02, 0x05}, 0, 0},
        {"sc", {0xe5}, 0, 0},
        {"sc-nodst", {0xe5}, 0, kNoDst | kShowFcbTyp},
        {"sd2-ler", {0x68, 0x05, 0x06, 0x68, 0x05, 0x02, 0x7d, 0x01, 0x02, 0x86, 0x16}, 0x08, 0},
        {"unknown-sd", {0x33, 0x01}, 0x04, 0},
        {"no-bytes", {}, 0x10, 0},
        {"sd1-bad-ed", {0x10, 0x05, 0x02, 0x49, 0x50, 0x17}, 0x80, kDetailSts},
        {"sd1-bad-ed-nodelim", {0x10, 0x05, 0x02, 0x49, 0x50, 0x17}, 0x80, kNoDelim},
        {"sd1-sap-bits", {0x10, 0x85, 0x82, 0x49, 0x50, 0x16}, 0, kDataUns},
        {"sd3", {0xA2, 0x85, 0x02, 0x5d, 0x3e, 0x3c, 1, 2, 3, 4, 5, 6, 0x33, 0x16}, 0, kNoSrcSap | kNoDst},
        {"sd2-short", {0x68, 0x03, 0x03, 0x68, 0x85, 0x02, 0x7d, 0x33, 0x16}, 0, 0},
        {"request-typ", {0x10, 0x05, 0x02, 0xC5, 0x50, 0x16}, 0, kNoFc | kNoData},
    };
    for (const auto& seed : seeds) {
        std::string bytes;
        PutNumber(bytes, seed.Flags, 2);
        bytes += AsText(seed.Frame);
        bytes.push_back(static_cast<char>(seed.Status));
        corpus.Write("frame_columns", seed.Name, bytes);
    }
}

// ---- time columns ----

std::string TimeSeed(const std::vector<std::string>& formats, std::uint8_t width, std::int64_t fullScale,
                     std::uint8_t baud, std::int64_t value) {
    std::string bytes;
    for (std::size_t i = 0; i < 4; ++i) {
        const std::string format = i < formats.size() ? formats[i] : "";
        bytes.push_back(static_cast<char>(format.size()));
        bytes += format;
    }
    for (std::uint8_t w : {width, static_cast<std::uint8_t>(10), static_cast<std::uint8_t>(5)}) {
        bytes.push_back(static_cast<char>(w));
        PutNumber(bytes, static_cast<std::uint64_t>(fullScale), 8);
    }
    bytes.push_back(static_cast<char>(baud));
    std::uint64_t stamp = 1000;
    PutNumber(bytes, stamp, 6);
    for (int frame = 0; frame < 6; ++frame) {
        bytes.push_back(static_cast<char>(frame % 2 == 0 ? 3 : 1));
        bytes.push_back(static_cast<char>(frame * 5));
        stamp += frame == 3 ? 1 : 1000;  // one overlap: negative gaps
        PutNumber(bytes, stamp, 6);
        if (frame % 2 == 0) PutNumber(bytes, static_cast<std::uint64_t>(value * (frame - 2)), 8);
    }
    return bytes;
}

void TimeColumnSeeds(Corpus& corpus) {
    const std::string target = "time_columns";
    corpus.Write(target, "full-format",
                 TimeSeed({"hr:mn:sc.ms,us,ns", "sc.ms", "ms,us", "us.ns"}, 10, 100000, 8, 3723004005006));
    corpus.Write(target, "odd-formats", TimeSeed({"hrmn", "sc..ms", "sc.ms,", "xyz"}, 100, 1, 0, 75000000000));
    corpus.Write(target, "case-formats", TimeSeed({"SC.MS", "mn:sc", "scms", "ms:sc"}, 5, 0, 1, -15333));
    corpus.Write(target, "negative-scale", TimeSeed({"ms", "ms,us,ns", "", "hr:"}, 20, -1000, 7, -4000000));
    corpus.Write(target, "extremes",
                 TimeSeed({"hr:mn:sc.ms,us,ns", "ns", "us", "mn"}, 255, INT64_MAX, 4, INT64_MIN / 4));
}


// ---- statistics ----

// One frame of the statistics target: control byte, stamp step (3), count,
// bytes, status byte.
std::string StatsFrame(std::uint8_t control, std::uint32_t step, const Bytes& bytes, std::uint8_t status = 0) {
    std::string out(1, static_cast<char>(control));
    PutNumber(out, step, 3);
    out.push_back(static_cast<char>(bytes.size()));
    return out + AsText(bytes) + std::string(1, static_cast<char>(status));
}

// Baud index, StartRef, EndRef, the first stamp (6).
std::string StatsHead(std::uint8_t baud, std::uint8_t startRef, std::uint8_t endRef) {
    std::string out{static_cast<char>(baud), static_cast<char>(startRef), static_cast<char>(endRef)};
    PutNumber(out, 1000, 6);
    return out;
}

void StatsSeeds(Corpus& corpus) {
    const std::string target = "stats";
    using test::Sd1;
    using test::Token;
    corpus.Write(target, "ring",
                 StatsHead(8, 0, 0) + StatsFrame(0, 100, Token(2, 1)) + StatsFrame(0, 1000, Sd1(5, 1, 0x5D)) +
                     StatsFrame(0, 744, Sd1(1, 5, 0x08)) + StatsFrame(0, 1000, Sd1(6, 1, 0x5D)) +
                     StatsFrame(0, 1000, Sd1(6, 1, 0x5D)) + StatsFrame(0, 1000, Token(1, 2)) +
                     StatsFrame(0, 1000, Sd1(20, 2, 0x49)) + StatsFrame(0, 1000, test::ShortAck()) +
                     StatsFrame(0, 5000, Token(2, 1)) + StatsFrame(0, 100, Sd1(3, 2, 0x5D), 0x41));
    corpus.Write(target, "window",
                 StatsHead(8, 3, 5) + StatsFrame(0, 100, Token(1, 1)) + StatsFrame(0, 1000, Sd1(6, 1, 0x5D)) +
                     StatsFrame(0, 1000, Token(1, 1)) + StatsFrame(0, 1000, Sd1(6, 1, 0x5D)) +
                     StatsFrame(0, 600, Sd1(5, 1, 0x5D)) + StatsFrame(0, 600, test::ShortAck()) +
                     StatsFrame(0, 800, Token(1, 1)));
    corpus.Write(target, "odd",
                 StatsHead(0, 0, 0) + StatsFrame(1, 0, {}) + StatsFrame(2, 50, {0xDC, 0x02}) +
                     StatsFrame(0, 1, {0x68, 5, 5, 0x68, 0x85, 0x82, 0x6D, 0x3E, 0x3C, 0, 0x16}) +
                     StatsFrame(3, 0xFFFFFF, {0x10, 5}, 0x80) + StatsFrame(0, 0xFFFFFF, {0x42}));
    corpus.Write(target, "baud9", StatsHead(9, 0, 0) + StatsFrame(0, 1, Token(1, 1)));
}

// ---- DP decoders ----

// Frames of every DP kind: flags (bit 0 DP-V1 mode), the answered service,
// the frame.
void DpSeeds(Corpus& corpus) {
    using test::Sd2;
    const struct {
        const char* Name;
        std::uint8_t Flags, Answered;
        Bytes Frame;
    } seeds[] = {
        {"diag-dpv0", 0, 0, Sd2(0x82, 0x85, 0x08, {62, 60, 0x08, 0x0C, 0x00, 0x02, 0x80, 0x1D, 0x43, 0x01, 0x02,
                                                   0x83, 0x41, 0x21, 0x03, 0xAB, 0xCD})},
        {"diag-dpv1", 1, 0, Sd2(0x82, 0x85, 0x08, {62, 60, 0x08, 0x04, 0x00, 0x02, 0x12, 0x34, 0x06, 0x82, 0x00,
                                                   0x01, 0xE4, 0x1B, 0x07, 0x01, 0x03, 0x1D, 0xDE, 0xAD, 0xBE})},
        {"set-prm-dpv1", 0, 0, Sd2(0x85, 0x82, 0x5D, {61, 62, 0x88, 0x0A, 0x0A, 0x00, 0x12, 0x34, 0x01, 0x84,
                                                      0xC4, 0x8B, 0xAA})},
        {"chk-cfg", 0, 0, Sd2(0x85, 0x82, 0x5D, {62, 62, 0x13, 0xF1, 0x00, 0x42, 0x83, 0x11, 0x22, 0xC0, 0x41,
                                                 0x05, 0x03, 0xAA, 0xBB, 0xCC})},
        {"global-control", 0, 0, Sd2(0xFF, 0x82, 0x46, {58, 62, 0x22, 0x00})},
        {"set-slave-add", 0, 0, Sd2(0x85, 0x82, 0x5D, {55, 62, 0x05, 0x12, 0x34, 0x00, 0xAA})},
        {"dpv1-read", 0, 0, Sd2(0x82, 0x85, 0x08, {62, 51, 0x5E, 0x01, 0x02, 0x03, 0x0A, 0x0B, 0x0C})},
        {"dpv1-negative", 0, 0, Sd2(0x82, 0x85, 0x08, {62, 51, 0xDE, 0x80, 0xB6, 0x00})},
        {"data-exchange", 0, 1, Sd2(0x02, 0x05, 0x08, {0x11, 0x22})},
        {"negative", 0, 6, test::Sd1(0x02, 0x05, 0x03)},
    };
    for (const auto& seed : seeds) {
        std::string bytes{static_cast<char>(seed.Flags), static_cast<char>(seed.Answered)};
        corpus.Write("dp", seed.Name, bytes + AsText(seed.Frame));
    }
}

// ---- device files ----

// The test device files, one read with CR LF, and short texts of the
// lines the reader warns about.
void GsdSeeds(Corpus& corpus, const std::filesystem::path& source) {
    const std::string target = "gsd";
    for (const char* name : {"compact_io.gsd", "modular_io.gsd"}) {
        const std::string text = ReadFile(source / "tests" / "gsd" / "data" / name);
        corpus.Write(target, name, text);
        if (std::string(name) == "compact_io.gsd") {
            std::string crlf;
            for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
            corpus.Write(target, "compact_io_crlf.gsd", crlf);
        }
    }
    corpus.Write(target, "bad-lines",
                 "#Profibus_DP\nIdent_Number = 0x1G\nVendor_Name = \"open\nEndModule\nText(1) = \"x\"\n"
                 "Module = \"m\" 0x100\nExt_Module_Prm_Data_Len = 2\nEndModule\n= 5\nUser_Prm_Data = 1, \\\n 2,\n");
    corpus.Write(target, "blocks-open",
                 "#Profibus_DP\nModule = \"a\" 0x10\nModule = \"b\" 0x00\n7\nExtUserPrmData = 1 \"p\"\n"
                 "BitArea(2-5) 3 1,2,3\nPrmText = 1\nText(-1) = \"neg\"\nUnit_Diag_Area = 3-10\nValue(4) = \"v\"\n");
    corpus.Write(target, "not-gsd", "Vendor_Name = \"x\"\n#Profibus_DP\n");
}

}  // namespace
}  // namespace zelmot::fuzz

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "use: fuzz_make_seed_corpus <corpus folder> <source folder>\n");
        return 2;
    }
    using namespace zelmot::fuzz;
    Corpus corpus{argv[1]};
    const std::filesystem::path source = argv[2];
    const std::vector<Capture> captures = Captures(source);
    const auto texts = OptionTexts(source);
    ConversionSeeds(corpus, captures);
    ConversionOptionSeeds(corpus, captures, texts);
    OptionFilterSeeds(corpus, texts);
    FrameColumnSeeds(corpus);
    TimeColumnSeeds(corpus);
    StatsSeeds(corpus);
    DpSeeds(corpus);
    GsdSeeds(corpus, source);
    std::printf("%d seed files written under %s\n", corpus.written, argv[1]);
    return 0;
}
