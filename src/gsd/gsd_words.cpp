// The device files' words, put together from the records.
#include "gsd/gsd_words.h"

#include <algorithm>
#include <cassert>

namespace zelmot {
namespace {

constexpr std::size_t kCandidatesNamed = 3;

std::string Count(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string UnfitWords(const GsdIdentification& identification) {
    switch (identification.PrmFault) {
        case GsdPrmFault::NoModuleFits:
            return "the parameter bytes fit no module of this file from slot " +
                   std::to_string(identification.FitSlots) + " on";
        case GsdPrmFault::BytesLeft:
            return Count(identification.LeftBytes, "parameter byte", "parameter bytes") + " left after the last slot";
        case GsdPrmFault::DevicePartShort:
            return "the parameter bytes end inside the device part (" +
                   Count(identification.DevicePrmBytes, "byte", "bytes") + ")";
        case GsdPrmFault::TooLong:
            return "the bytes are too many to search";
        case GsdPrmFault::None:
            break;
    }
    return {};
}

}  // namespace

std::string GsdSkippedWords(const GsdDevice& device) {
    if (device.SkippedLines == 0) return {};
    std::string text = "skipped: " + Count(device.SkippedLines, "line", "lines");
    if (!device.Skipped.empty()) text += " of " + Count(device.Skipped.size(), "keyword", "keywords");
    return text;
}

std::string GsdCandidatesWords(const GsdDevice& device, const GsdSlotId& slot) {
    if (slot.Modules.empty()) return {};
    assert(std::all_of(slot.Modules.begin(), slot.Modules.end(), [&](std::size_t m) { return m < device.Modules.size(); }));
    if (slot.Modules.size() == 1) return device.Modules[slot.Modules.front()].Name;
    std::string text = "one of " + std::to_string(slot.Modules.size()) + ": ";
    for (std::size_t i = 0; i < slot.Modules.size() && i < kCandidatesNamed; ++i)
        text += (i == 0 ? "" : ", ") + device.Modules[slot.Modules[i]].Name;
    return text;
}

std::string GsdBasisWords(const GsdIdentification& identification) {
    std::string text;
    switch (identification.Basis) {
        case GsdIdBasis::Parameters: text = "by configuration and parameter bytes"; break;
        case GsdIdBasis::ConfigurationOnly: text = "by configuration bytes only"; break;
        case GsdIdBasis::ParametersUnfit: text = "by configuration bytes, " + UnfitWords(identification); break;
    }
    if (!identification.IdentifiersSplit) text += ", with bytes no module matches";
    return text;
}

std::string GsdChoiceWords(const GsdChoice& choice) {
    if (choice.Candidates <= 1 || choice.Device == nullptr) return {};
    const std::string files = std::to_string(choice.Candidates) + " GSD files with this ident: ";
    if (choice.ByFit) return "chosen of " + files + "its modules fit";
    if (choice.Identification.Basis == GsdIdBasis::Parameters) return "first of " + files + "its modules fit";
    return "first of " + files + "no other fits better";
}

std::string GsdParamCountWords(const GsdParamSummary& summary) {
    std::string text = std::to_string(summary.Set.size()) + " set, " + std::to_string(summary.AtDefault) + " at their default";
    if (!summary.Unread.empty()) text += ", " + std::to_string(summary.Unread.size()) + " not read";
    return text;
}

}  // namespace zelmot
