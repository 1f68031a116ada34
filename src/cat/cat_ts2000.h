// TS-2000 compatible answers of the CAT bridge: what Hamlib's Kenwood
// models and programs speaking a Kenwood's own CAT ask before anything else
// ("ID;", "IF;") and a few queries beside them. Answered from the panel's
// snapshot; off unless the operator turns them on in CAT Setup.
#pragma once

#include <optional>
#include <string>

#include "cat/cat_dialect.h"
#include "cat/rig_control.h"

namespace tolvane::cat {

// The TS-2000's identity number.
constexpr std::string_view kTs2000Id = "ID019;";

// The 38-character "IF" status: frequency (11 digits), five blanks, RIT/XIT
// offset "+0000", RIT off, XIT off, memory bank and channel "000", receive
// or transmit, the mode digit of the "MD" answer, VFO A, no scan, split,
// no tone, tone number "00", no shift, ";". Nothing before the first
// frequency and mode reports.
std::optional<std::string> ts2000Status(const RigSnapshot& snapshot);

// The answer to a TS-2000 query; nothing for sets and for the dialect's
// own rows, and nothing when the snapshot holds no valid value.
std::optional<std::string> ts2000Answer(const CatAction& action, const RigSnapshot& snapshot);

}  // namespace tolvane::cat
