#pragma once

#include "common/Result.h"
#include "data/Database.h"
#include "data/Recordset.h"

#include <QStringList>

namespace korvane::preferences {

// The one Preferences row, as it stands: nothing is upgraded. Fails when the table or its row
// is missing.
Result<Recordset> openFirstRow(const Database& db);

// Reads the units flag of the one Preferences row. A Preferences table made before the units
// option existed gains the USUnits field, set to True, in one transaction first.
// A Null flag counts as False. Fails when the table or its row is missing.
Result<bool> loadUnitsUS(Database& db);

// The names of the kinds of a custom tank field, by the code stored in Custom<n>_Type: "Text",
// "Numeric", "Date/Time", "Yes/No", "Hidden".
const QStringList& customKindNames();

// The label of custom field n (1..20) until the Preferences name it: "Custom Field n".
QString defaultCustomLabel(int field);

} // namespace korvane::preferences
