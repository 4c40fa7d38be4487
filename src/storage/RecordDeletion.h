#pragma once

#include "common/Result.h"
#include "data/Database.h"
#include "data/Recordset.h"

#include <QString>

#include <vector>

namespace korvane {

// Deleting a company, a location or a tank. Only one that holds nothing is deleted: rows of the
// levels below it (locations, tanks, inspections, readings, drawings, TML points) would be left
// pointing at nothing, so one that holds any is refused, naming what and how many. The row is
// claimed as an edit is, so that a tank open in another program or window cannot be deleted, and
// it is deleted in one transaction with its history.
class RecordDeletion {
public:
    enum class Level { Company, Location, Tank };

    // What a record holds, by kind, with how many of each.
    struct Held {
        const char* singular;
        const char* plural;
        qint64 count = 0;
    };
    // Every kind, in the order of the levels, those it holds none of included.
    static Result<std::vector<Held>> holdings(const Database& db, Level level, qint32 key);
    // "2 locations, 3 tanks and 1 inspection": the kinds held, in order; empty for none.
    static QString heldText(const std::vector<Held>& held);

    // Finds and claims the record and makes sure it holds nothing. The error says why it cannot
    // be deleted: gone, held by another program or window, or holding rows.
    static Result<RecordDeletion> prepare(const QString& databaseName, Level level, qint32 key);

    // What names the record to the user: the company "Gulf Plains".
    QString description() const;
    // Deletes the record, after looking once more, inside the transaction, that it holds
    // nothing.
    Status commit();

private:
    RecordDeletion(Database db, Recordset rs, Level level, qint32 key);
    // Why the record cannot be deleted when it holds rows; nothing when it holds none.
    Status refuseIfHolding() const;

    Database db_;
    Recordset rs_;
    Level level_;
    qint32 key_;
};

} // namespace korvane
