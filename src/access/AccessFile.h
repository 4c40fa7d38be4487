#pragma once

#include "common/Result.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

namespace korvane::access {

// The kinds of column an Access table has, and the QVariant type its values read as. A Null
// value reads as an invalid QVariant whatever the kind.
enum class ColumnKind {
    Text,        // QString (up to 255 characters)
    Memo,        // QString, whole
    Byte,        // int, 0 to 255
    Integer,     // int, 16-bit
    LongInteger, // int, 32-bit (counters too)
    Single,      // float
    Double,      // double
    Decimal,     // double
    Currency,    // double, four decimals
    Boolean,     // bool
    DateTime,    // QDateTime in UTC: the date and time as written, to the second
    Binary,      // QByteArray (OLE objects and fixed binary columns)
    Guid,        // QString such as "{6E9FB484-7F18-44A6-A874-D2EC73BA69B4}" (replication IDs)
};

struct SourceColumn {
    QString name;
    ColumnKind kind;
};

// A table of an old database that is only a link to a table of another file (a front-end file
// whose records are kept in a back-end file). backEnd is the other file's path as the old
// database names it, empty when it does not say.
struct LinkedTable {
    QString name;
    QString backEnd;
};

// The tables of an old database as the import reads them: names, columns and rows. The Access
// file is one; tests make their own.
class TableSource {
public:
    virtual ~TableSource();

    // The user tables, in the order the file keeps them.
    virtual Result<QStringList> tableNames() = 0;
    virtual Result<std::vector<SourceColumn>> columns(const QString& table) = 0;
    // Calls each(values) for every row of a table, the values in column order. The first
    // failure of each stops the reading and is given back.
    using RowHandler = std::function<Status(const QVariantList& values)>;
    virtual Status readRows(const QString& table, const RowHandler& each) = 0;
    // The tables that are links to another file's tables; a source without links has none.
    virtual std::vector<LinkedTable> linkedTables() { return {}; }
};

// A Microsoft Access database file (Jet 3 or Jet 4), read through libmdb. It is opened for
// reading only and never changed.
class AccessFile final : public TableSource {
public:
    static Result<std::unique_ptr<AccessFile>> open(const QString& path);
    ~AccessFile() override;
    AccessFile(const AccessFile&) = delete;
    AccessFile& operator=(const AccessFile&) = delete;

    QString path() const { return path_; }

    Result<QStringList> tableNames() override;
    Result<std::vector<SourceColumn>> columns(const QString& table) override;
    Status readRows(const QString& table, const RowHandler& each) override;
    std::vector<LinkedTable> linkedTables() override;
    // The number of rows the file's own table definition says the table holds. A damaged file
    // may give fewer rows than this when read.
    Result<qint64> storedRowCount(const QString& table);

private:
    struct Handle;
    AccessFile(QString path, std::unique_ptr<Handle> handle);

    QString path_;
    std::unique_ptr<Handle> handle_;
};

// True when the file carries the header of an Access (Jet or ACE) database.
bool isAccessFile(const QString& path);

// Refuses, from its first page alone, an Access file that cannot be read: one encrypted with a
// password (Access 2007 and later), whose pages are unreadable without it.
Status checkAccessHeader(const QString& path);

} // namespace korvane::access
