// Test traffic of a DP master and its slaves built in memory on a time
// line: the frames of a slave's start-up, of data exchange, diagnoses,
// negative answers and Global_Control, each placed at the time line's
// clock, which moves on a little after every frame (at 12 Mbit/s, 48,000
// ticks a millisecond). An empty frame marks a lost record boundary.
#pragma once

#include <cstdint>
#include <vector>

#include "support/capture_builder.h"

namespace zelmot::test {

constexpr std::uint64_t kTicksPerMs = 48'000;
constexpr std::uint8_t kMasterSap = 62;
constexpr std::uint8_t kExt = 0x80;

// A master's SRD request to a slave's SAP, and the slave's answer from it.
inline Bytes SapRequest(std::uint8_t master, std::uint8_t slave, std::uint8_t sap, const Bytes& data) {
    Bytes units{sap, kMasterSap};
    units.insert(units.end(), data.begin(), data.end());
    return Sd2(slave | kExt, master | kExt, 0x5D, units);
}
inline Bytes SapAnswer(std::uint8_t master, std::uint8_t slave, std::uint8_t sap, const Bytes& data) {
    Bytes units{kMasterSap, sap};
    units.insert(units.end(), data.begin(), data.end());
    return Sd2(master | kExt, slave | kExt, 0x08, units);
}
inline Bytes ExchangeRequest(std::uint8_t master, std::uint8_t slave) { return Sd2(slave, master, 0x5D, {0x01}); }
inline Bytes ExchangeAnswer(std::uint8_t master, std::uint8_t slave) { return Sd2(master, slave, 0x08, {0x42}); }
// A negative answer: fc 1 UE, 2 RR, 3 RS.
inline Bytes Refusal(std::uint8_t master, std::uint8_t slave, std::uint8_t fc) { return Sd1(master, slave, fc); }
// Sent with no acknowledge (SDN) to 127.
inline Bytes GlobalControlFrame(std::uint8_t master, std::uint8_t command) {
    return Sd2(127 | kExt, master | kExt, 0x46, {58, kMasterSap, command, 0x00});
}
// A diagnosis: the three status bytes, the master, the ident, then blocks.
inline Bytes Diagnosis(std::uint8_t s1, std::uint8_t s2, std::uint8_t master, std::uint16_t ident,
                       const Bytes& blocks = {}) {
    Bytes data{s1, s2, 0x00, master, static_cast<std::uint8_t>(ident >> 8), static_cast<std::uint8_t>(ident)};
    data.insert(data.end(), blocks.begin(), blocks.end());
    return data;
}
// Set_Prm with WD_On and a watchdog of fact1 x fact2 x 10 ms (fact 0: off).
inline Bytes Parameters(std::uint8_t fact1, std::uint8_t fact2, std::uint16_t ident) {
    const std::uint8_t status = fact1 == 0 ? 0x80 : 0x88;
    return {status, fact1, fact2, 0x0B, static_cast<std::uint8_t>(ident >> 8), static_cast<std::uint8_t>(ident), 0x00};
}

constexpr std::uint64_t kTicksPerBit = 4;  // at 12 Mbit/s

struct Timeline {
    std::vector<Placed> Frames;
    std::uint64_t Now = 1000;
    std::uint64_t Gap = 40 * kTicksPerBit;  // the bus idle between two frames
    std::uint64_t LastEnd = 0;              // where the frame added last ends

    // At the clock, which then stands at the end of the frame plus the gap.
    void Add(const Bytes& frame, std::uint8_t status = 0) {
        Frames.push_back({Now, frame, status});
        LastEnd = Now + frame.size() * 11 * kTicksPerBit;
        Now = LastEnd + Gap;
    }
    // After gapBits bit times of idle bus since the end of the frame before.
    void AddAfter(std::uint64_t gapBits, const Bytes& frame, std::uint8_t status = 0) {
        Now = LastEnd + gapBits * kTicksPerBit;
        Add(frame, status);
    }
    void Wait(double ms) { Now += static_cast<std::uint64_t>(ms * kTicksPerMs); }
    void LostBoundary() { Frames.push_back({Now, Bytes{}, 0}); }

    // A slave's start-up from its first diagnosis to its first data exchange.
    void StartUp(std::uint8_t master, std::uint8_t slave, const Bytes& prm, std::uint16_t ident = 0x82C1,
                 const Bytes& cfg = {0x10, 0x21}) {
        Add(SapRequest(master, slave, 60, {}));
        Add(SapAnswer(master, slave, 60, Diagnosis(0x02, 0x05, 0xFF, ident)));
        Add(SapRequest(master, slave, 61, prm));
        Add(ShortAck());
        Add(SapRequest(master, slave, 62, cfg));
        Add(ShortAck());
        Add(SapRequest(master, slave, 60, {}));
        Add(SapAnswer(master, slave, 60, Diagnosis(0x00, 0x0C, master, ident)));
        Exchange(master, slave);
    }
    void Exchange(std::uint8_t master, std::uint8_t slave) {
        Add(ExchangeRequest(master, slave));
        Add(ExchangeAnswer(master, slave));
    }
    // n data exchanges with each slave, one round every periodMs, a token after each round.
    void Cycles(std::uint8_t master, const std::vector<std::uint8_t>& slaves, int n, double periodMs) {
        for (int i = 0; i < n; ++i) {
            const std::uint64_t start = Now;
            for (std::uint8_t slave : slaves) Exchange(master, slave);
            Add(Token(master, master));
            Now = start + static_cast<std::uint64_t>(periodMs * kTicksPerMs);
        }
    }
    // A request left unanswered: a token follows it.
    void Unanswered(const Bytes& request, std::uint8_t master) {
        Add(request);
        Add(Token(master, master));
    }
    // A request retried after slotBits bit times of silence, then answered.
    void Retried(const Bytes& request, const Bytes& answer, std::uint64_t slotBits = 600) {
        Add(request);
        AddAfter(slotBits, request);
        Add(answer);
    }
};

}  // namespace zelmot::test
