#pragma once

#include "common/Result.h"

#include <QString>
#include <QStringList>
#include <QVariantList>

// The selection formula a report is run with: a condition on the rows it prints, written as
// "{Tank.TankID} = 12" or "{Tank.LocationID} = 3 AND NOT ({Tank.Name} = 'T-1')". A field is a
// table and field name of the database layout in braces; the operators are = <> < <= > >=; a
// value is a number or a text in single or double quotes; conditions combine with AND, OR and
// NOT and parentheses. The formula becomes a bound condition: names are checked against the
// layout and quoted, values are bound, and nothing typed is ever pasted into a query.
namespace korvane::reports {

struct Selection {
    // A condition for a WHERE clause, with quoted names ("Tank"."TankID") and a ? for each
    // value; empty when the formula is empty (every row).
    QString sql;
    QVariantList bindings;
    // The tables the formula names, as the layout spells them, each once.
    QStringList tables;

    bool isEmpty() const { return sql.isEmpty(); }
};

// Parses a formula. An empty or blank formula selects every row. A formula that is not well
// formed, or names a table or field the layout does not have, gives an error that names the
// problem and where it is ("Unknown field {Tank.Diametre} at character 1.").
//
// Names match the layout in any letter case and come out in its spelling; so do AND, OR and
// NOT. A whole number is bound as qint64, any other number as double, a text as QString. A
// value compared with a date field must be a date as the date boxes take it ("05/Mar/2001",
// "5/3/01") or yyyy-mm-dd, and is bound as yyyy-mm-dd, the form the database keeps. A formula
// may hold 10,000 characters, 200 comparisons, and parentheses and NOT twelve deep, so that
// whatever it becomes, SQLite can parse inside the query a report puts around it. The sql joins
// to other conditions with AND as it stands.
Result<Selection> parseSelection(const QString& formula);

} // namespace korvane::reports
