#pragma once

#include "common/Result.h"
#include "data/History.h"
#include "data/Layout.h"
#include "spreadsheet/Sheet.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTimeZone>

#include <array>
#include <vector>

namespace korvane {

class Database;

// The history of changes as the program shows it: one row per change with its time, who made
// it, the table and record it was made to, and the field with its value before and after, each
// value shown as the windows show it. Also the filters of the History window and the CSV it
// exports. Qt Core only, tested without a screen.
namespace history {

// What the values are shown with: the units and the custom field labels of the Preferences, and
// the time zone the times are shown in.
struct DisplayContext {
    bool unitsUS = true;
    // The labels of the custom tank fields Custom1 .. Custom20; an empty one shows the default
    // label ("Custom Field 7").
    std::array<QString, layout::CustomFieldCount> customLabels{};
    QTimeZone zone = QTimeZone::systemTimeZone();
};

// Reads the units and the custom labels of the one Preferences row, and changes nothing: a
// Preferences table without the USUnits field counts as US units (what opening the database in
// the program makes of it), a Null flag as metric. Fails when the table or its row is missing.
Result<DisplayContext> readDisplayContext(const Database& db);

// The columns of a shown row, in order.
namespace column {
enum : int { When, Who, Computer, Table, Record, Action, Field, Before, After, Count };
}
// "When", "Who", ... "After".
const QStringList& columnTitles();

// One change as shown.
struct Row {
    QDateTime when; // UTC
    std::array<QString, column::Count> cells;
};

// A plain word for a table ("Reading for Thickness" for Thickness); an unknown table as stored.
QString tableCaption(const QString& table);
// The caption of a field: the words of the window that shows it ("Yield Strength",
// "Course 3 Min. Thickness"), the label the Preferences give a custom field, or the field's name
// split into words ("InspectionDate" is "Inspection Date").
QString fieldCaption(const QString& table, const QString& field, const DisplayContext& context);
// A stored value (see storedText) as the windows show it, in the units of the context: lengths
// with their unit, list positions and codes as their list entries, dates as dd/Mmm/yyyy,
// booleans as Yes or No. A Null is the empty text; a value that is not what its field holds is
// shown as stored.
QString valueText(const QString& table, const QString& field, const QString& stored,
                  const DisplayContext& context);
// "dd/Mmm/yyyy hh:mm:ss" in the zone, e.g. "05/Mar/2001 14:07:09".
QString whenText(const QDateTime& utc, const QTimeZone& zone);
// The user of the computer, followed by the database user in brackets on a server when that is
// another name: "jsmith (inspections)".
QString whoText(const Entry& entry);

// Which rows are shown: a field caption and a person (a Who text); empty shows all.
struct Filter {
    QString field;
    QString person;
};

// The rows of the entries in their order, as the filter chooses them. A row added or deleted
// shows its values as "Caption: value; Caption: value" in After or Before; filtered by a field,
// it is shown when it has a value of that field, and then with that value alone.
std::vector<Row> displayRows(const std::vector<Entry>& entries, const DisplayContext& context,
                             const Filter& filter = {});
// The field captions and the people the entries hold, each once, in alphabetical order: the
// choices of the filters.
QStringList fieldCaptions(const std::vector<Entry>& entries, const DisplayContext& context);
QStringList people(const std::vector<Entry>& entries);

// The rows as CSV text (RFC 4180, lines ended by CR LF): a line of column titles with
// "When (UTC)" after "When", then a line per row.
QString csv(const std::vector<Row>& rows);
// The same rows as a sheet of texts, for an Excel workbook.
sheet::Sheet sheet(const std::vector<Row>& rows);

} // namespace history
} // namespace korvane
