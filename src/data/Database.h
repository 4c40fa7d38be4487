#pragma once

#include "common/Result.h"
#include "data/Layout.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QSqlError;
struct sqlite3;

namespace korvane {

class Recordset;
class Select;

// The engine's own message for a failed call, made readable for the user.
Error engineError(const QSqlError& error);
Error engineError(int sqliteCode, const QString& engineText);

// One table as the database holds it: name, fields and whole-table record count.
struct TableInfo {
    QString name;
    std::vector<layout::FieldDef> fields;
    qint64 recordCount = 0;
};

// An open connection to one database file. Opened for one operation and closed at its end (or
// when the last handle and recordset using it go away); nothing is held between operations.
class Database {
public:
    enum class Check { None, Integrity };

    // Opens an existing database file; never creates one. With Check::Integrity the file is also
    // checked for damage, as when the user chooses a file to work on.
    static Result<Database> open(const QString& path, Check check = Check::None);
    // Writes a new, empty database of the current layout with its one Preferences row.
    // Refuses to overwrite an existing file.
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

    // Runs work inside one transaction: it is committed when work succeeds and rolled back,
    // leaving the file as it was, when work fails.
    Status transaction(const std::function<Status()>& work);

    // For the data layer: runs one statement with bound values.
    Result<QSqlQuery> exec(const QString& sql, const QVariantList& values = {}) const;
    // Deletes the first row (in storage order) of a table whose fields hold the values, bound;
    // false when no row does.
    Result<bool> deleteFirstRow(const QString& table, const QStringList& fields,
                                const QVariantList& values);
    // The first column of the first row a query gives, or an invalid value when it gives none.
    Result<QVariant> firstValue(const QString& sql, const QVariantList& values = {}) const;

    // The SQLite connection underneath, for the data layer's fast row reading.
    sqlite3* handle() const;

private:
    struct Connection;
    explicit Database(std::shared_ptr<Connection> connection);
    std::shared_ptr<Connection> connection_;

    friend class Recordset;
};

} // namespace korvane
