// The module split as a shortest-path search over the byte positions, from
// the end: for each position the least cost of splitting the rest, where an
// unmatched byte costs one and every slot counts as a tie-breaker. Time is
// positions x modules x module length, memory one entry per position.
#include "gsd/gsd_config_match.h"

#include <algorithm>

namespace zelmot {
namespace {

enum class Step : std::uint8_t { Module, Empty, Unmatched };

struct Choice {
    std::size_t Unmatched = 0;  // bytes no module matches from here to the end
    std::size_t Slots = 0;
    Step Kind = Step::Unmatched;
    std::size_t Module = 0;
    std::size_t Length = 1;
};

bool Better(std::size_t unmatched, std::size_t slots, const Choice& than) {
    return unmatched < than.Unmatched || (unmatched == than.Unmatched && slots < than.Slots);
}

// The best choice at position at, the choices after it known.
Choice ChooseAt(const GsdDevice& device, std::span<const std::uint8_t> bytes, std::size_t at,
                const std::vector<Choice>& best) {
    Choice choice{best[at + 1].Unmatched + 1, best[at + 1].Slots + 1, Step::Unmatched, 0, 1};
    for (std::size_t m = 0; m < device.Modules.size(); ++m) {
        const std::vector<std::uint8_t>& module = device.Modules[m].Identifiers;
        if (!GsdIdentifiersAt(bytes, at, module)) continue;
        const Choice& after = best[at + module.size()];
        if (Better(after.Unmatched, after.Slots + 1, choice))
            choice = Choice{after.Unmatched, after.Slots + 1, Step::Module, m, module.size()};
    }
    if (bytes[at] == 0x00 && Better(best[at + 1].Unmatched, best[at + 1].Slots + 1, choice))
        choice = Choice{best[at + 1].Unmatched, best[at + 1].Slots + 1, Step::Empty, 0, 1};
    return choice;
}

}  // namespace

bool GsdIdentifiersAt(std::span<const std::uint8_t> bytes, std::size_t at, std::span<const std::uint8_t> module) {
    return !module.empty() && at <= bytes.size() && module.size() <= bytes.size() - at &&
           std::equal(module.begin(), module.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
}

std::vector<GsdSlot> MatchGsdModules(const GsdDevice& device, std::span<const std::uint8_t> identifiers) {
    const std::size_t count = identifiers.size();
    std::vector<Choice> best(count + 1);
    best[count] = Choice{0, 0, Step::Unmatched, 0, 0};
    for (std::size_t at = count; at-- > 0;) best[at] = ChooseAt(device, identifiers, at, best);

    std::vector<GsdSlot> slots;
    for (std::size_t at = 0; at < count;) {
        const Choice& choice = best[at];
        GsdSlot slot;
        slot.Offset = at;
        if (choice.Kind == Step::Unmatched) {
            while (at < count && best[at].Kind == Step::Unmatched) ++at;
        } else {
            at += choice.Length;
            slot.EmptySlot = choice.Kind == Step::Empty;
            if (choice.Kind == Step::Module) slot.Module = choice.Module;
        }
        slot.Count = at - slot.Offset;
        slots.push_back(slot);
    }
    return slots;
}

}  // namespace zelmot
