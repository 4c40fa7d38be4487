#pragma once

#include "access/AccessFile.h"
#include "common/Result.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace korvane::access {

struct ImportedTable {
    QString name; // as our layout spells it
    qint64 rows = 0;
};

// What an import copied, and what the old database holds that a Korvane database has no place
// for, which was left behind.
struct ImportReport {
    std::vector<ImportedTable> imported; // in the layout's table order
    QStringList tablesLeftOut;           // names as the old database spells them
    QStringList fieldsLeftOut;           // "Table.Field", as the old database spells them

    // Lines for printing and for a message box.
    QString text() const;
};

// Writes a new Korvane database at targetPath with every table and field of our layout that
// the source holds, table and field names compared without regard to letter case. Rows keep
// their counter keys; dates lose their time of day, as our date fields keep the day only. The
// one Preferences row of a new database is replaced by the old one when the source has one.
//
// The database is built in a temporary file beside the target, in one transaction, and renamed
// to targetPath only when complete: a failure leaves no file behind. An existing targetPath is
// never overwritten, and a source with none of our tables is refused.
Result<ImportReport> importTables(TableSource& source, const QString& targetPath);

// The same from an Access file.
Result<ImportReport> importAccess(const QString& accessPath, const QString& targetPath);

} // namespace korvane::access
