#pragma once

#include "common/Result.h"
#include "data/Database.h"
#include "data/FieldValue.h"
#include "data/Layout.h"
#include "data/RecordLock.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <variant>
#include <vector>

namespace korvane {

class Select;
class StoredRows;

// The rows a query selected, read whole when opened, with a current row and the editing
// operations the windows use: add new, edit, update, cancel update and delete.
//
// Field values come back with the type of their field: QString for texts, int for 32-bit
// integers, qint16, quint8, float, double, bool, and dates as "dd/mmm/yyyy" text. A Null field
// gives an invalid QVariant.
class Recordset {
public:
    enum class EditMode { None, Edit, AddNew };

    Recordset();
    ~Recordset();
    Recordset(Recordset&&) noexcept;
    Recordset& operator=(Recordset&&) noexcept;
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    static Result<Recordset> open(const Database& db, const Select& query, bool lockEdits = false);

    bool isOpen() const { return db_.isOpen(); }
    // The connection the rows were read through and changes are written through.
    const Database& database() const { return db_; }
    // Drops the rows and any pending change, and gives up the record lock.
    void close();

    // Navigation: eof() is true after the last row and when there are no rows.
    int recordCount() const { return static_cast<int>(rows_.size()); }
    bool eof() const { return current_ >= recordCount(); }
    bool bof() const { return current_ < 0 || rows_.empty(); }
    void moveFirst();
    void moveNext();
    void movePrevious();
    void moveLast();
    int absolutePosition() const { return eof() ? -1 : current_; }
    void setAbsolutePosition(int row);

    // Positions on the first row whose field equals value; noMatch() tells when there is none
    // (the current row is then left where it was).
    bool findFirst(const QString& field, const QVariant& value);
    bool noMatch() const { return noMatch_; }

    int fieldCount() const { return static_cast<int>(columns_.size()); }
    QStringList fieldNames() const;
    bool hasField(const QString& name) const { return columnIndex(name) >= 0; }
    layout::FieldType fieldType(const QString& name) const;

    // The value of a field of the current row, or of the pending edit while one is open.
    QVariant value(const QString& field) const;
    QString text(const QString& field) const;
    // The same by position, for loops over many rows: fieldIndex gives the position of a field
    // once (-1 when there is none), value and text read it from each row.
    int fieldIndex(const QString& field) const { return columnIndex(field); }
    QVariant value(int column) const;
    QString text(int column) const;
    bool isNull(const QString& field) const { return !value(field).isValid(); }
    // Sets a field of the pending edit; texts are converted to the field's type, and a value
    // that does not fit (a number too large, a text that is not a date) is refused.
    Status setValue(const QString& field, const QVariant& value);

    EditMode editMode() const { return mode_; }
    // Starts a new row; its counter key is assigned at once and can be read back.
    Status addNew();
    // Starts changing the current row. On a recordset opened with lockEdits, the row is claimed
    // for this program until update or cancelUpdate; another program is then refused.
    Status edit();
    // Writes the pending new row or change. On failure the edit stays open.
    Status update();
    void cancelUpdate();
    // Deletes the current row; the next row becomes current. A row claimed by edit() stays
    // claimed until the recordset edits again or is closed.
    Status deleteRecord();

    const QString& tableName() const { return table_; }

private:
    struct Column {
        QString name;
        QString qualified; // Table.Field
        layout::FieldType type;
    };

    int columnIndex(const QString& name) const;
    using Row = std::vector<QVariant>; // stored values, one per column
    QVariant stored(int row, int column) const;
    Row storedRow(int row) const;
    int keyColumn() const;
    QString recordDescription() const;
    Status requireTable() const;

    Database db_;
    QString table_; // empty when the rows cannot be changed (a join)
    bool lockEdits_ = false;
    std::vector<Column> columns_;
    QHash<QString, int> columnByName_; // exact, qualified and lower-case names; first wins
    mutable int lastColumn_ = -1;      // the column asked for last, to guess the next
    // Each row as read (its position in read_), or as written through this recordset.
    std::shared_ptr<const StoredRows> read_;
    std::vector<std::variant<int, Row>> rows_;
    std::vector<qint64> rowids_;
    int current_ = 0;
    bool noMatch_ = false;

    EditMode mode_ = EditMode::None;
    std::vector<QVariant> buffer_; // stored values of the pending row
    std::vector<bool> changed_;
    RecordLock lock_;
};

} // namespace korvane
