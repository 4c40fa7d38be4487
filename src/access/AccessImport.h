#pragma once

#include "access/AccessContents.h"
#include "access/AccessFile.h"
#include "access/AccessReader.h"
#include "common/Result.h"
#include "data/NewDatabase.h"

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
    // Tables of ours whose fields none match ours: "Tank (2 records)".
    QStringList tablesWithNoField;
    // Values stored otherwise than they were: "Tank.Course1_Height: 2 numbers rounded to whole
    // numbers", "Tank.Capacity: 1 empty text stored as no value".
    QStringList changedValues;
    // Tables of which fewer (or more) rows were read than the file says it holds: "Tank: 0 of
    // 2 records read". The import went on as the user accepted.
    QStringList losses;

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
// watch is told the steps of writing the new database (see buildDatabase).
Result<ImportReport> importTables(TableSource& source, const QString& targetPath,
                                  const StepWatch& watch = {});

// The same from what the reader read of an Access file; the losses of the reading are listed
// in the report.
Result<ImportReport> importContents(const AccessContents& contents, const QString& targetPath,
                                    const StepWatch& watch = {});

// Reads an Access file through the reader (a child process, see AccessReader.h) and imports it.
// A file of which not every row could be read is refused, naming each table ("Tank: 0 of 2
// records read"), unless acceptLoss.
Result<ImportReport> importAccess(const QString& accessPath, const QString& targetPath,
                                  bool acceptLoss = false,
                                  const ReadLimits& limits = ReadLimits::fromEnvironment(),
                                  const StepWatch& watch = {});

// The message that lists the records that could not be read, for a refusal or a question.
QString lossText(const QString& accessPath, const QStringList& losses);

} // namespace korvane::access
