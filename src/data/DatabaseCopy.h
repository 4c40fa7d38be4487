#pragma once

#include "common/Result.h"
#include "data/NewDatabase.h"

#include <QString>
#include <QStringList>

namespace korvane {

struct CopySummary {
    int tables = 0;
    qint64 rows = 0;
    // Tables and fields of the source that the new database has no place for, as
    // "Table" or "Table.Field"; they were not copied.
    QStringList leftOut;
};

// Copies a Korvane database into a new one, file or server in either direction: every table,
// every row in the order it was added, every key as it was, as the source stood at one moment
// while other programs may go on writing to it (see Source in the .cpp). Whole or not at all: the
// new database appears under its name only complete (see buildDatabase), a file that exists or
// a server database holding Korvane tables is refused, and a copy that fails or dies leaves no
// database behind. watch is told the steps of writing it ("table Company" after each table).
Result<CopySummary> copyDatabase(const QString& from, const QString& to,
                                 const StepWatch& watch = {});

} // namespace korvane
