// The device files' own words for the reports: what was passed over in a
// file, a slot's candidates, on what the modules were identified, which of
// several files was chosen, and the parameters against their defaults. The
// reports put them into their sentences.
#pragma once

#include <cstddef>
#include <span>
#include <string>

#include "gsd/gsd_device.h"
#include "gsd/gsd_identify.h"
#include "gsd/gsd_user_params.h"

namespace zelmot {

// "skipped: 212 lines of 14 keywords"; empty when nothing was skipped.
std::string GsdSkippedWords(const GsdDevice& device);

// A slot's module: its name when it is the one candidate, "one of 5: A, B,
// C" (the first three names and the count) when several remain, empty when
// none does (an empty slot, or bytes no module matches).
std::string GsdCandidatesWords(const GsdDevice& device, const GsdSlotId& slot);

// "by configuration and parameter bytes", "by configuration bytes only"
// (no Set_Prm), or the identifier bytes with why the parameter bytes were
// not used: "by configuration bytes, the parameter bytes fit no module of
// this file from slot 3 on"; ", with bytes no module matches" when the
// identifier bytes do not split either.
std::string GsdBasisWords(const GsdIdentification& identification);

// Why a file was used when several carry the slave's ident: "chosen of 3
// GSD files with this ident: its modules fit", "first of 2 GSD files with
// this ident: no other fits better"; empty for one file.
std::string GsdChoiceWords(const GsdChoice& choice);

// "4 set, 59 at their default" (and ", 2 not read" when some cannot be).
std::string GsdParamCountWords(const GsdParamSummary& summary);

}  // namespace zelmot
