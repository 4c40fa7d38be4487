#pragma once

#include "common/Result.h"
#include "engineering/ReadingChecks.h"

#include <QString>

#include <vector>

namespace korvane {

class Database;

// Readings of one tank checked and stored: what they are checked against (the tank's minimums,
// its readings and the limits in the Preferences), and the writing of the accepted ones.
namespace readingimport {

// The limits of the checks in the Preferences; the defaults where a file has none (a Null, or
// a Preferences table made before the limits existed).
Result<readingcheck::Settings> readCheckSettings(const Database& db);

// The tank's courses, minimums and readings, and the limits.
Result<readingcheck::TankFacts> readTankFacts(const QString& databaseName, qint32 tankId);

// Gives the Thickness table of an older file the Checks field it keeps flags in.
Status ensureChecksField(Database& db);

// Writes the entries (each without an error) as readings of the inspection, with their flags,
// in one transaction with their history: all of them or, on any failure, none.
Status storeEntries(const QString& databaseName, qint32 inspectionId,
                    const std::vector<const readingcheck::Entry*>& entries);

// Entries as a CSV file to send back: a title row, then per entry its line in the file, point,
// thickness as given, unit, course, date, taken-by and why it was not stored.
QString rejectedCsv(const std::vector<const readingcheck::Entry*>& entries);

} // namespace readingimport
} // namespace korvane
