#pragma once

#include "common/Result.h"
#include "data/Layout.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <map>
#include <optional>
#include <vector>

namespace korvane {

class EngineConnection;
class StoredRows;

namespace history {

// A row as the database holds it: the stored value of each field of its table.
struct RowImage {
    const std::vector<layout::FieldDef>* fields = nullptr;
    std::vector<QVariant> values;

    bool exists() const { return fields != nullptr; }
    int indexOf(const QString& field) const;
    QVariant value(const QString& field) const;
};

// Writes the History rows of the changes made through one connection, inside the transaction
// of each change. Keeps what it looked up (the fields of each table, the tank of each
// inspection) for the connection's next changes.
class ChangeRecorder {
public:
    explicit ChangeRecorder(EngineConnection& engine);

    // Whether changes to a table are recorded: every table but the History itself.
    static bool records(const QString& table);
    // Looks the tables' fields up again, after a field was added to one.
    void forgetFields();

    // The row with a rowid as stored now; an image that does not exist when no row has it.
    Result<RowImage> read(const QString& table, qint64 rowid);
    // The row with a rowid just added with these fields and stored values: in a file, made from
    // them without reading the row back; on a server, read.
    Result<RowImage> written(const QString& table, qint64 rowid, const QStringList& fields,
                             const QVariantList& values);

    Status added(const QString& table, const RowImage& after);
    // The same for many rows added to one table, their history written a few hundred rows to a
    // statement.
    Status addedRows(const QString& table, const std::vector<RowImage>& rows);
    // A row before it was changed, and the fields and stored values written to it: one entry for
    // each field whose value is not what it was.
    Status changed(const QString& table, const RowImage& before, const QStringList& fields,
                   const QVariantList& values);
    Status deleted(const QString& table, const RowImage& before);

private:
    struct Line {
        QString action;
        QString field;
        QVariant before;
        QVariant after;
    };

    // A table's fields, and the statement that reads a row of them by its rowid.
    struct TableFields {
        std::vector<layout::FieldDef> fields;
        QString readRow;
    };
    Result<const TableFields*> fieldsOf(const QString& table);
    // The first row read, as the image of a row of the table.
    static RowImage image(const TableFields& table, const StoredRows& rows);
    Status write(const QString& table, const RowImage& row, const std::vector<Line>& lines);
    // Writes one line for each of many rows of a table.
    Status write(const QString& table, const std::vector<std::pair<const RowImage*, Line>>& lines);
    Result<std::optional<qint32>> tankOfInspection(qint32 inspectionId);
    Status requireTable();

    // For each of a table's fields, its place among the fields last written to the table, or -1:
    // many rows are added with the same fields.
    struct WrittenPlaces {
        const TableFields* table = nullptr;
        QStringList names;
        std::vector<int> places;
    };
    const std::vector<int>& placesOf(const TableFields& table, const QStringList& names);

    EngineConnection& engine_;
    std::map<QString, TableFields> fields_; // nodes stay where they are
    WrittenPlaces written_;
    QHash<qint32, qint32> inspectionTanks_;
    bool tableChecked_ = false;
};

} // namespace history
} // namespace korvane
