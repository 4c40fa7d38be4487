#pragma once

#include "common/Result.h"
#include "data/Database.h"

namespace korvane::preferences {

// Reads the units flag of the one Preferences row. A Preferences table made before the units
// option existed gains the USUnits field, set to True, in one transaction first.
// A Null flag counts as False. Fails when the table or its row is missing.
Result<bool> loadUnitsUS(Database& db);

} // namespace korvane::preferences
