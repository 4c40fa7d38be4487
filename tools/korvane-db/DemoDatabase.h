#pragma once

#include "common/Result.h"
#include "data/NewDatabase.h"

#include <QDate>
#include <QString>

namespace korvane {

// Writes a new database at path filled with demo companies, locations, tanks, inspections,
// thickness readings and a shell settlement survey, for trying the program. Inspection dates are
// set back from today so that some tanks are due for inspection and others are not.
//
// Everything is written in one transaction and the database appears under its name only complete
// (see buildDatabase): a failure, or a run that dies, leaves no database behind. Refuses to
// overwrite an existing file. watch is told the steps of writing it ("tank 1" after each tank).
Status createDemoDatabase(const QString& path, const QDate& today, const StepWatch& watch = {});

} // namespace korvane
