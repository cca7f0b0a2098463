#pragma once

// What an inspection produced, per layer, as text: a table for people and
// counts that stay the same from run to run (the sample's kept counts are
// compared with them).

#include <string>

#include "inspect/replay.h"

namespace quorvan::inspect {

// Per-layer table with a total row, for people.
std::string formatTable(const Inspection& inspection);
// Per-layer counts without timings, one layer a line, stable across runs.
std::string formatCounts(const Inspection& inspection);

}  // namespace quorvan::inspect
