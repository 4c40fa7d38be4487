#pragma once

#include "common/Result.h"

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
// every row in the order it was added, every key as it was. Whole or not at all: the new
// database is made first (a file that exists, or a server database holding Korvane tables, is
// refused), and when any row cannot be written nothing of it stays.
Result<CopySummary> copyDatabase(const QString& from, const QString& to);

} // namespace korvane
