#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVariant>

#include <vector>

namespace korvane::layout {

// The kinds of value a field holds. Each maps to one SQLite declared type (see Layout.cpp), so a
// table read back from a file tells its field kinds by itself.
enum class FieldType {
    Counter,  // 32-bit key assigned by the engine on insert
    Text,     // what the user typed in a box
    Int32,    // 32-bit integer (parent links)
    Int16,    // 16-bit integer (list positions, course heights)
    Byte,     // unsigned 8-bit integer (page numbers)
    Single,   // single-precision number
    Double,   // double-precision number
    Date,     // date kept as "dd/mmm/yyyy" text
    Boolean,  // True or False
    LongText, // long text read whole (drawing files)
};

struct FieldDef {
    QString name;
    FieldType type;
};

struct TableDef {
    QString name;
    std::vector<FieldDef> fields;
    // Fields with an index of their own, for tables read by a field other than their key.
    std::vector<QString> indexed = {};

    const FieldDef* field(QStringView fieldName) const;
    // The counter key of the table, or null for tables without one.
    const FieldDef* key() const;
};

// Every table of a Korvane database, in name order.
const std::vector<TableDef>& tables();
const TableDef* table(QStringView name);

// The database engines a Korvane database can live on: a file, or a PostgreSQL server.
enum class Dialect { Sqlite, Postgres };

// The column declaration of a field on an engine, and the field type a declared type stands
// for (as the engine reports the declaration back).
QString declaredType(FieldType type, Dialect dialect = Dialect::Sqlite);
FieldType typeFromDeclared(QStringView declared, Dialect dialect = Dialect::Sqlite);

// CREATE TABLE statement for a table of the layout. On a server every table also gets the
// "rowid" column SQLite gives every table by itself: the rows' identity and order of adding.
QString createTableSql(const TableDef& table, Dialect dialect = Dialect::Sqlite);
// The CREATE TABLE statement followed by the CREATE INDEX statements of the table's indexes.
QStringList createTableStatements(const TableDef& table, Dialect dialect = Dialect::Sqlite);
// The collation that makes texts compare without regard to letter case on a server.
inline constexpr const char* ServerTextCollation = "korvane_nocase";

// The INSERT of the one Preferences row of a new database ("?" for each value), and its values:
// the custom field labels and kinds, and US units.
struct Statement {
    QString sql;
    QList<QVariant> values;
};
Statement firstPreferencesRow();

// The custom tank fields (Tank.Custom1 .. Custom20), and their kinds as Preferences.CustomN_Type
// stores them: the position in the kind list of the Preferences window.
inline constexpr int CustomFieldCount = 20;
enum class CustomKind { Text = 0, Numeric = 1, DateTime = 2, YesNo = 3, Hidden = 4 };
inline constexpr int MaxCourses = 10;
inline constexpr int MaxSurveyPoints = 48;

// Identifies a Korvane database file (SQLite application_id) and the version of its layout.
inline constexpr int ApplicationId = 0x4B563230; // "KV20"
inline constexpr int LayoutVersion = 1;

} // namespace korvane::layout
