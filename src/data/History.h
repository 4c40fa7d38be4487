#pragma once

#include "common/Result.h"
#include "data/Layout.h"

#include <QDateTime>
#include <QString>
#include <QVariant>

#include <optional>
#include <utility>
#include <vector>

namespace korvane {

class Database;

// The history of every change to the records: one row of the History table for each row
// added or deleted and for each field changed, written by the data layer in the transaction of
// the change itself (see Database::insertRow, updateRow and deleteRow), so a change that is not
// saved leaves no history either.
namespace history {

inline constexpr const char* TableName = "History";

enum class Action { Added, Changed, Deleted };
// "added", "changed", "deleted": the words stored in History.Action.
QString actionText(Action action);

// One change as stored.
struct Entry {
    qint64 id = 0;
    QDateTime when;       // UTC
    QString userName;     // the user of the computer's operating system
    QString databaseUser; // the user the server knows; empty for a file
    QString computer;
    QString table;
    // The counter key of the row, or nothing for tables without one (TML, areas, drawings,
    // surveys, Preferences).
    std::optional<qint64> rowKey;
    // What names the row to people: a tank's name, an inspection's number, a point ID, an area
    // ID, a drawing's page name; empty when the table has no such field.
    QString rowLabel;
    Action action = Action::Changed;
    // A change: the field and its stored values before and after, as texts (see storedText);
    // an empty text is a Null. Drawings are never copied into the history: a changed drawing
    // has its field and no values.
    QString field;
    QString before;
    QString after;
    // A row added or deleted: the fields that held a value, as stored texts, in table order.
    std::vector<std::pair<QString, QString>> values;
    // The tank and the inspection the row belongs to (the row itself for a tank or an
    // inspection); nothing for companies, locations and the preferences.
    std::optional<qint32> tankId;
    std::optional<qint32> inspectionId;
};

// A stored value as the history keeps it: numbers in their shortest exact form (a single
// precision number as the float it is: 0.1, not 0.10000000149011612), whole numbers and
// booleans as digits, dates as yyyy-mm-dd, texts as they are. Null is the empty text.
QString storedText(const QVariant& stored, layout::FieldType type);

// The changes of a tank and of every row that belongs to it (its inspections and their rows,
// its TML points and drawings), and of an inspection and its rows, newest first.
Result<std::vector<Entry>> readForTank(const Database& db, qint32 tankId);
Result<std::vector<Entry>> readForInspection(const Database& db, qint32 inspectionId);

// Makes the History table of a database made before the table existed, in one transaction.
// Nothing is done when it is there.
Status ensureTable(Database& db);

} // namespace history
} // namespace korvane
