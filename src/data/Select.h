#pragma once

#include "data/Layout.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <vector>

namespace korvane {

// A query of the few shapes the program uses: all columns of one table (or of the one inner
// join of inspections with their thickness readings), rows chosen by equality tests joined by
// AND or OR, and an optional sort. Values are always bound as parameters, never written into
// the SQL text, so any text a user typed (an apostrophe in "O'Brien-3") is just a value.
class Select {
public:
    enum class Order { Ascending, Descending };

    static Select from(const QString& table);
    // Inspection INNER JOIN Thickness ON Inspection.InspectionID = Thickness.InspectionID
    static Select inspectionsWithThickness();

    Select& where(const QString& field, const QVariant& value);
    Select& andWhere(const QString& field, const QVariant& value);
    Select& orWhere(const QString& field, const QVariant& value);
    Select& orderBy(const QString& field, Order order = Order::Ascending);
    // Reads only these fields, in this order, instead of all of them: for long lists that show
    // a few fields of wide rows. Fields of a join are named with their table
    // ("Thickness.PointID").
    Select& fields(const QStringList& names);
    const QStringList& fieldList() const { return fields_; }

    // The same query with table and field names as the database spells them: a name the
    // functions do not know (an empty answer) is kept as written. A file matches names without
    // regard to letter case, a server does not.
    Select spelled(const std::function<QString(const QString&)>& table,
                   const std::function<QString(const QString&)>& field) const;

    // The table whose rows can be changed through a recordset on this query; empty for a join.
    QString updatableTable() const { return joinTable_.isEmpty() ? table_ : QString(); }
    QStringList tables() const;

    // The SQL text with "?" for every value, and the values in order. Rows come in the order
    // asked for, and otherwise (and among equals) in the order they were added: a file gives
    // them so by itself, a server is told to.
    QString sql(layout::Dialect dialect = layout::Dialect::Sqlite) const;
    QVariantList bindings() const;

    // The query written out with its values, for messages and for the session's SQLString.
    QString text() const;

private:
    struct Condition {
        QString joiner; // "", "AND" or "OR"
        QString field;
        QVariant value;
    };
    struct Sort {
        QString field;
        Order order;
    };

    QString sqlFrom() const;

    QString table_;
    QString joinTable_;
    QStringList fields_; // empty: all columns
    std::vector<Condition> conditions_;
    std::vector<Sort> sorts_;
};

// A field name written as a quoted SQL identifier; "Inspection.TankID" quotes both parts.
QString quoteIdentifier(const QString& name);

} // namespace korvane
