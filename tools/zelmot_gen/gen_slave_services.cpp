// DP services on top of FDL send-and-request-data (SRD, high priority):
// data exchange on the default SAP, and the SAP services diagnosis
// (DSAP 60), parameters (61) and configuration check (62), all from the
// master's SSAP 62. A request's FCB toggles with every answered request to
// the slave; the first request after start-up has FCB set and FCV clear.
#include "gen_slave_services.h"

#include "gen_transact.h"

namespace zelmot {
namespace {

constexpr std::uint8_t kFcSrdHigh = fdl::FcRequestBit | fdl::FcSrdHigh;
constexpr std::uint8_t kFcDataLow = 0x08;   // DL: answer with data
constexpr std::uint8_t kFcDataHigh = 0x0A;  // DH: answer with data, diagnosis waiting
constexpr std::uint8_t kSapDiagnosis = 60;
constexpr std::uint8_t kSapParameters = 61;
constexpr std::uint8_t kSapConfiguration = 62;
constexpr std::uint8_t kSapMaster = 62;
constexpr unsigned kRetries = 1;
// A slave reports new diagnosis (DH) about once in 4000 exchanges.
constexpr Chance kDiagnosisChance{static_cast<std::uint64_t>(kChanceScale / 4000)};

std::uint8_t RequestFc(const SlaveState& s) {
    return static_cast<std::uint8_t>(kFcSrdHigh | (s.Fcb ? fdl::FcFcbBit : 0) | (s.Fcv ? fdl::FcFcvBit : 0));
}

void Answered(SlaveState& s) {
    s.Fcb = !s.Fcb;
    s.Fcv = true;
}

// The master gave up on the slave: it starts up again.
void Lost(SlaveState& s) {
    s.Phase = SlavePhase::FirstDiagnosis;
    s.Fcb = true;
    s.Fcv = false;
}

std::uint8_t Extended(std::uint8_t address) {
    return static_cast<std::uint8_t>(address | fdl::SapExtBit);
}

// A SAP request from master m to slave s with the units after the two SAPs.
void BuildSapRequest(GenFrame& frame, const MasterState& m, const SlaveState& s, std::uint8_t dsap,
                     const std::uint8_t* data, std::size_t count) {
    std::uint8_t units[kMaxDataUnits];
    units[0] = dsap;
    units[1] = kSapMaster;
    for (std::size_t i = 0; i < count; ++i) units[2 + i] = data[i];
    BuildDataFrame(frame, Extended(s.Address), Extended(m.Address), RequestFc(s), units, 2 + count);
}

bool SlaveTransact(TrafficState& t, const GenFrame& request, const GenFrame& answer, SlaveState& s) {
    if (Transact(t, request, &answer, s.ResponseBits, kRetries)) {
        Answered(s);
        return true;
    }
    Lost(s);
    return false;
}

void RequestDiagnosis(TrafficState& t, const MasterState& m, SlaveState& s) {
    bool running = s.Phase == SlavePhase::Exchange || s.Phase == SlavePhase::SecondDiagnosis;
    std::uint8_t units[2 + 6 + 3] = {kSapMaster, kSapDiagnosis};
    units[2] = s.DiagnosisPending ? 0x08 : running ? 0x00 : 0x02;  // ext. diagnosis / not ready
    units[3] = running ? 0x0C : 0x05;                                // watchdog on / parameters wanted
    units[4] = 0x00;
    units[5] = running ? m.Address : 0xFF;
    units[6] = static_cast<std::uint8_t>(s.Ident >> 8);
    units[7] = static_cast<std::uint8_t>(s.Ident);
    std::size_t count = 8;  // eight units: an SD3 answer
    if (s.DiagnosisPending) {  // a device-related block of three bytes
        units[8] = 0x03;
        units[9] = static_cast<std::uint8_t>(RandomBelow(t.TrafficRng, 256));
        units[10] = static_cast<std::uint8_t>(RandomBelow(t.TrafficRng, 256));
        count = 11;
    }
    GenFrame request;
    BuildSapRequest(request, m, s, kSapDiagnosis, nullptr, 0);
    GenFrame answer;
    BuildDataFrame(answer, Extended(m.Address), Extended(s.Address), kFcDataLow, units, count);
    if (!SlaveTransact(t, request, answer, s)) return;
    s.DiagnosisPending = false;
    if (s.Phase == SlavePhase::FirstDiagnosis) s.Phase = SlavePhase::Parameters;
    if (s.Phase == SlavePhase::SecondDiagnosis) s.Phase = SlavePhase::Exchange;
}

void SendParameters(TrafficState& t, const MasterState& m, SlaveState& s) {
    const std::uint8_t data[10] = {0x88, 10, 10, 11, static_cast<std::uint8_t>(s.Ident >> 8),
                                   static_cast<std::uint8_t>(s.Ident), 0x00, 0x00, 0x00, 0x00};
    GenFrame request;
    BuildSapRequest(request, m, s, kSapParameters, data, sizeof data);
    GenFrame answer;
    BuildShortAck(answer);
    if (SlaveTransact(t, request, answer, s)) s.Phase = SlavePhase::Configuration;
}

// Identifier bytes: 0x10 | (n-1) for n input bytes, 0x20 | (n-1) for n
// output bytes, n at most 16 per identifier.
std::size_t AppendIdentifiers(std::uint8_t* to, std::uint8_t kind, std::size_t bytes) {
    std::size_t count = 0;
    for (; bytes > 0; bytes -= bytes > 16 ? 16 : bytes)
        to[count++] = static_cast<std::uint8_t>(kind | ((bytes > 16 ? 16 : bytes) - 1));
    return count;
}

void CheckConfiguration(TrafficState& t, const MasterState& m, SlaveState& s) {
    std::uint8_t data[8];
    std::size_t count = AppendIdentifiers(data, 0x10, s.InputLength);
    count += AppendIdentifiers(data + count, 0x20, s.OutputLength);
    GenFrame request;
    BuildSapRequest(request, m, s, kSapConfiguration, data, count);
    GenFrame answer;
    BuildShortAck(answer);
    if (SlaveTransact(t, request, answer, s)) s.Phase = SlavePhase::SecondDiagnosis;
}

// Inputs move a little between exchanges: a counter and a wandering value.
void DriftInputs(TrafficState& t, SlaveState& s) {
    ++s.Inputs[0];
    std::uint32_t at = RandomBelow(t.TrafficRng, s.InputLength);
    s.Inputs[at] = static_cast<std::uint8_t>(s.Inputs[at] + RandomBelow(t.TrafficRng, 7) - 3);
}

void ExchangeData(TrafficState& t, const MasterState& m, SlaveState& s) {
    if (s.OutputLength != 0 && RandomBelow(t.TrafficRng, 16) == 0) {
        std::uint32_t at = RandomBelow(t.TrafficRng, s.OutputLength);
        s.Outputs[at] ^= static_cast<std::uint8_t>(1u << RandomBelow(t.TrafficRng, 8));
    }
    GenFrame request;
    BuildDataFrame(request, s.Address, m.Address, RequestFc(s), s.Outputs.data(), s.OutputLength);
    GenFrame answer;
    bool wantsDiagnosis = false;
    if (s.InputLength == 0) {
        BuildShortAck(answer);
    } else {
        DriftInputs(t, s);
        wantsDiagnosis = Happens(t.TrafficRng, kDiagnosisChance);
        BuildDataFrame(answer, m.Address, s.Address, wantsDiagnosis ? kFcDataHigh : kFcDataLow,
                       s.Inputs.data(), s.InputLength);
    }
    if (SlaveTransact(t, request, answer, s) && wantsDiagnosis) s.DiagnosisPending = true;
}

}  // namespace

void PollSlave(TrafficState& t, const MasterState& m, SlaveState& s) {
    switch (s.Phase) {
        case SlavePhase::FirstDiagnosis:
        case SlavePhase::SecondDiagnosis:
            RequestDiagnosis(t, m, s);
            break;
        case SlavePhase::Parameters:
            SendParameters(t, m, s);
            break;
        case SlavePhase::Configuration:
            CheckConfiguration(t, m, s);
            break;
        case SlavePhase::Exchange:
            if (s.DiagnosisPending) {
                RequestDiagnosis(t, m, s);
            } else {
                ExchangeData(t, m, s);
            }
            break;
    }
}

}  // namespace zelmot
