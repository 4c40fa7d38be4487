#pragma once

#include "common/Result.h"

#include <QDate>
#include <QString>

namespace korvane {

// Writes a new database at path filled with demo companies, locations, tanks, inspections,
// thickness readings and a shell settlement survey, for trying the program. Inspection dates are
// set back from today so that some tanks are due for inspection and others are not.
//
// Everything is written in one transaction; when anything fails the file is removed again, so a
// failure leaves no file behind. Refuses to overwrite an existing file.
Status createDemoDatabase(const QString& path, const QDate& today);

} // namespace korvane
