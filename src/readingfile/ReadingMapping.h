#pragma once

#include "engineering/ReadingChecks.h"
#include "readingfile/ReadingTable.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// Which column of a gauge's table holds what, and the readings the table's rows stand for under
// that choice. What no column gives comes from the session: one unit for the file, the date and
// who took the readings; a course no column gives is the point's course in its previous
// readings.
namespace korvane::readingfile {

inline constexpr int NoColumn = -1;

struct Mapping {
    bool headerRow = false;
    int point = NoColumn;
    int thickness = NoColumn;
    int unit = NoColumn;   // the unit of each row; NoColumn: the file's unit
    int course = NoColumn; // NoColumn: from the point's previous readings
    int date = NoColumn;   // NoColumn: the session's date
    int takenBy = NoColumn;
    bool fileUnitUS = true; // the unit of rows that name none

    // The mapping as one line of text, to be remembered for files of the same layout, and
    // read back (nothing when the text is not one).
    QString toText() const;
    static std::optional<Mapping> fromText(const QString& text);
};

// What a table's layout is known by: the titles of its columns when it has a title row,
// otherwise its number of columns and its delimiter.
QString layoutKey(const Table& table, bool headerRow);

// A first guess: whether the first row holds titles (no number in it while the next row has
// one), and the columns by their titles, or, without titles, the point as the first column of
// texts and the thickness as the first column of plate-sized numbers.
Mapping guessMapping(const Table& table);

// The unit a text names: "in", "inch", "inches", "''" or "\"" for inches, "mm" for millimetres;
// nothing for any other text.
std::optional<bool> unitIsUS(QString text);

// The course code of a course as a gauge's file may name it: "Floor" or "Bottom", "Roof",
// "Course 3", "Shell 3", "C3" or "3" (for a tank of `courses` courses); 0 for a text it does not
// understand or a course the tank does not have.
int courseCode(const QString& text, int courses);

// One row of the table as a reading, or why it cannot be one (its error).
using MappedRow = readingcheck::Entry;

// The session's values for what no column gives, and the tank the readings are for.
struct SessionDefaults {
    QDate date;
    QString takenBy;
    int courses = 0;
    QDate today; // a reading taken after today is refused
};

std::vector<MappedRow> mapRows(const Table& table, const Mapping& mapping,
                               const SessionDefaults& session);

} // namespace korvane::readingfile
