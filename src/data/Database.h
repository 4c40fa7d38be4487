#pragma once

#include "common/Result.h"
#include "data/Layout.h"
#include "data/QueryResult.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace korvane {

class EngineConnection;
class Recordset;
class Select;

// One table as the database holds it: name, fields and whole-table record count.
struct TableInfo {
    QString name;
    std::vector<layout::FieldDef> fields;
    qint64 recordCount = 0;
};

// An open connection to one database: a file, or a database on a PostgreSQL server named by
// its URL (postgresql://user@host/database). Opened for one operation and closed at its end (or
// when the last handle and recordset using it go away). A file is held by nothing between
// operations; a server connection is kept for the next operation to use.
class Database {
public:
    enum class Check { None, Integrity };

    // Opens an existing database; never creates one. With Check::Integrity a file is also
    // checked for damage, as when the user chooses a file to work on.
    static Result<Database> open(const QString& path, Check check = Check::None);
    // Writes a new, empty database of the current layout with its one Preferences row, whole or
    // not at all (see buildDatabase in NewDatabase.h). Refuses to overwrite an existing file, or
    // a server database that holds Korvane tables; a server database that does not exist yet is
    // made, when the user may.
    static Status create(const QString& path);

    Database();
    ~Database();
    Database(const Database&);
    Database& operator=(const Database&);
    Database(Database&&) noexcept;
    Database& operator=(Database&&) noexcept;

    bool isOpen() const;
    QString path() const;
    void close();

    // All columns of the rows a query selects, in an updatable recordset on the first row.
    Result<Recordset> openRecordset(const Select& query, bool lockEdits = false) const;

    // Table definitions in name order, and the names alone.
    Result<QStringList> tableNames() const;
    Result<TableInfo> tableInfo(const QString& table) const;
    Result<qint64> recordCount(const QString& table) const;
    // Adds a field to an existing table.
    Status appendField(const QString& table, const layout::FieldDef& field);
    // Adds to a table of the layout, in one transaction, the fields of the layout it lacks (a
    // table made by an older version); nothing when it has them all.
    Status addMissingFields(const QString& table);

    // Runs work inside one transaction: it is committed when work succeeds and rolled back,
    // leaving the file as it was, when work fails.
    Status transaction(const std::function<Status()>& work);

    // Rows are written through these, each with its history (see History.h) in one transaction:
    // the history of a change is written when, and only when, the change is. Fields are named
    // as the table spells them; values are stored values (see fieldvalue::toStored), bound.
    // insertRow gives the rowid of the new row; updateRow and deleteRow give false when no row
    // has the rowid any more (another user deleted it).
    Result<qint64> insertRow(const QString& table, const QStringList& fields,
                             const QVariantList& values);
    // Many rows of one table, each as insertRow adds it, in one transaction: the statement made
    // once and the history written in batches. Gives how many rows were added.
    Result<qint64> insertRows(const QString& table, const QStringList& fields,
                              const std::vector<QVariantList>& rows);
    Result<bool> updateRow(const QString& table, qint64 rowid, const QStringList& fields,
                           const QVariantList& values);
    Result<bool> deleteRow(const QString& table, qint64 rowid);
    // Deletes every row of a table whose field holds the value, bound, each with its history,
    // in one transaction; gives how many rows went.
    Result<qint64> deleteRows(const QString& table, const QString& field, const QVariant& value);
    // Deletes the first row (in storage order) of a table whose fields hold the values, bound;
    // false when no row does.
    Result<bool> deleteFirstRow(const QString& table, const QStringList& fields,
                                const QVariantList& values);

    // For the data layer: runs one statement with bound values ("?" in the text). Table and
    // field names are written in double quotes; every table has a "rowid" column naming its
    // rows in the order they were added. Rows written this way have no history: the program
    // writes rows with insertRow, updateRow and deleteRow.
    Result<QueryResult> exec(const QString& sql, const QVariantList& values = {}) const;
    // For readers of many rows: runs a query and hands each row to `each` as the engine reads
    // it, without keeping the rows. A failure part way through (a step, or `each` giving an
    // error) ends the reading and is the result: the rows handed over before it are then to be
    // dropped, as they are not all there are.
    Status eachRow(const QString& sql, const QVariantList& values, const RowHandler& each) const;
    // The first column of the first row a query gives, or an invalid value when it gives none.
    Result<QVariant> firstValue(const QString& sql, const QVariantList& values = {}) const;

    // The engine underneath, for the data layer's own classes.
    EngineConnection* engine() const;

private:
    struct Connection;
    explicit Database(std::shared_ptr<Connection> connection);
    std::shared_ptr<Connection> connection_;

    friend class Recordset;
};

} // namespace korvane
