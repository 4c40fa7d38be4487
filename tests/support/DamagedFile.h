#pragma once

#include "common/Result.h"
#include "support/TestDatabase.h"

#include <QString>

namespace korvane::test {

// Damages a database file so that reading one of its tables fails part way through: the page
// of the table's rows in the middle of its tree is overwritten with zeros, every other page is
// left as it was. The table needs more rows than one page holds. Gives how many rows a plain
// read of the table ("SELECT *") got before the engine failed, so a test can be sure the
// failure comes after rows were read and not at the start. No connection may be open on the
// file.
Result<int> damageMiddleOfTable(const QString& path, const QString& table);

// A tank (with its company and location) whose name was changed eighty times, each a long text,
// so that its History rows span many pages. Failures fail the test.
qint32 addTankWithLongHistory(const TestDatabase& file);

} // namespace korvane::test
