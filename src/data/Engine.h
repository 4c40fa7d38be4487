#pragma once

#include "common/Result.h"
#include "data/FieldValue.h"
#include "data/Layout.h"
#include "data/QueryResult.h"
#include "data/RecordLock.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <vector>

namespace korvane {

// The rows of a query read whole, kept as the engine gave them: a cell becomes a value (as
// QueryResult gives values) only when it is asked for, so a long list costs no more than what
// is looked at.
class StoredRows {
public:
    virtual ~StoredRows() = default;
    virtual int count() const = 0;
    // A cell of a row; columns count from the first after the rowid.
    virtual QVariant cell(int row, int column) const = 0;
    // The rowid of a row, for rows read with it.
    virtual qint64 rowid(int row) const = 0;
    // A cell as the program sees a field of the type (see fieldvalue::fromStored). An engine
    // may make it straight from what it read, without the stored value in between.
    virtual QVariant value(int row, int column, layout::FieldType type) const {
        return fieldvalue::fromStored(cell(row, column), type);
    }
};

// One open connection to a database on one engine. The data layer's classes talk to it; nothing
// above the data layer sees which engine is underneath. Every statement text uses "?" for its
// values and double quotes around table and field names; every table has a "rowid" column
// that identifies its rows in the order they were added.
class EngineConnection {
public:
    virtual ~EngineConnection() = default;

    virtual layout::Dialect dialect() const = 0;
    // The user the database knows the program as: the login on a server, nothing for a file.
    virtual QString userName() const { return {}; }

    // Runs a statement and reads all of its rows: a step that fails part way through is the
    // error of the whole statement, never a shorter result.
    virtual Result<QueryResult> exec(const QString& sql, const QVariantList& values) = 0;
    // Runs a statement that gives no rows (UPDATE, DELETE, INSERT) and gives the number of rows
    // it changed. An engine may keep the statement prepared for its next run.
    virtual Result<qint64> execute(const QString& sql, const QVariantList& values) {
        auto done = exec(sql, values);
        if (!done)
            return done.takeError();
        return done->numRowsAffected();
    }
    // Runs an INSERT and gives the rowid of the new row.
    virtual Result<qint64> insert(const QString& sql, const QVariantList& values) = 0;
    // Reads every row of a query whole, as fast as the engine allows. With withRowid the first
    // column is the rowid. Fails when the query gives another number of columns, and when a
    // step fails part way through.
    virtual Result<std::shared_ptr<const StoredRows>>
    readRows(const QString& sql, const QVariantList& values, int columns, bool withRowid) = 0;
    // Runs a query and hands each row to `each` as it is read, keeping none. A failure part way
    // through (a step, or `each` giving an error) ends the reading and is its result; the
    // rows handed over before it are then not all there are.
    virtual Status eachRow(const QString& sql, const QVariantList& values, const RowHandler& each) {
        auto rows = exec(sql, values);
        if (!rows)
            return rows.takeError();
        return rows->eachRow(each);
    }

    // The tables of the database in any order, and the fields of one (empty when there is no
    // such table), the rowid column left out.
    virtual Result<QStringList> tableNames() = 0;
    virtual Result<std::vector<layout::FieldDef>> tableFields(const QString& table) = 0;

    // Starts a transaction that writes; COMMIT and ROLLBACK end it.
    virtual Status begin() = 0;
    // The counter key the next new row of a table is to have. On a server the key is handed out
    // by the server at once, so two programs adding rows get different keys.
    virtual Result<qint64> nextKey(const QString& table, const QString& keyField) = 0;
    // After rows were written with their keys given (a copy), makes new keys follow the highest.
    virtual Status followWrittenKeys(const QString& table, const QString& keyField) = 0;
    // Claims a record for editing, seen by every program using the same database.
    virtual Result<RecordLock> lock(const QString& table, qint64 key,
                                    const QString& busyMessage) = 0;
};

} // namespace korvane
