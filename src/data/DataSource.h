#pragma once

#include "common/Result.h"
#include "data/Recordset.h"
#include "data/Select.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>
#include <vector>

namespace korvane {

// A window's data source: a database name and a record source (a table or a query), whose
// recordset lives as long as the window. Boxes bound to a field show that field of the current
// row after refresh and after each move, and their text is written back by update.
//
// A box is any QObject with a text-like property ("text" for line edits, "plainText" for text
// edits), so this layer needs no widget.
class DataSource : public QObject {
    Q_OBJECT

public:
    explicit DataSource(QObject* parent = nullptr);
    ~DataSource() override;

    void setDatabaseName(const QString& path) { databaseName_ = path; }
    QString databaseName() const { return databaseName_; }
    // A table name, or a query.
    void setRecordSource(const QString& table) { recordSource_ = Select::from(table); }
    void setRecordSource(const Select& query) { recordSource_ = query; }
    void setLockEdits(bool lock) { lockEdits_ = lock; }
    // Reads and writes through this connection instead of one of its own, so that its changes
    // can go in the same transaction as another source's; a closed one (the default) restores
    // the source's own.
    void setConnection(const Database& db) { connection_ = db; }

    // Opens the recordset anew on the database and record source, on its first row, and fills
    // the bound boxes. On failure the previous recordset and boxes are left as they were.
    Status refresh();
    bool isOpen() const { return recordset_.isOpen(); }
    Recordset& recordset() { return recordset_; }
    const Recordset& recordset() const { return recordset_; }

    void bind(QObject* box, const QString& field, const QByteArray& property = "text");
    // Changes the field a bound box shows (the box's data field set at run time).
    void rebind(QObject* box, const QString& field);
    void unbind(QObject* box);

    // Moves and fills the bound boxes from the new current row.
    void moveFirst();
    void moveNext();
    void setAbsolutePosition(int row);
    // Writes every bound box into the pending edit, then the pending edit into the database.
    // A box whose text does not fit its field stops the update with a message naming it.
    Status update();
    void cancelUpdate();

    // Fills the bound boxes from the current row (empty when there is none).
    void showCurrentRow();

private:
    struct Binding {
        QPointer<QObject> box;
        QString field;
        QByteArray property;
    };

    std::optional<Select> recordSource_;
    QString databaseName_;
    Database connection_;
    bool lockEdits_ = false;
    Recordset recordset_;
    std::vector<Binding> bindings_;
};

} // namespace korvane
