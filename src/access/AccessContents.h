#pragma once

#include "access/AccessFile.h"
#include "common/Result.h"

#include <QIODevice>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>
#include <vector>

namespace korvane::access {

// One table of an old database as the reader found it: its columns, the number of rows the file
// says it holds and, for the tables a Korvane database has, every row read.
struct TableContents {
    QString name;
    std::vector<SourceColumn> columns;
    qint64 storedRows = -1; // -1: not known
    bool rowsRead = false;  // false for a table whose rows were not asked for
    std::vector<QVariantList> rows;
};

// What the reader read of an old database.
struct AccessContents {
    std::vector<TableContents> tables;
    std::vector<LinkedTable> linked;

    // One line for each table read whose rows differ in number from what the file says it
    // holds: "Tank: 0 of 2 records read".
    QStringList losses() const;
};

// The contents read, as a source of tables for the import.
class ContentsSource final : public TableSource {
public:
    explicit ContentsSource(const AccessContents& contents) : contents_(contents) {}
    Result<QStringList> tableNames() override;
    Result<std::vector<SourceColumn>> columns(const QString& table) override;
    Status readRows(const QString& table, const RowHandler& each) override;
    std::vector<LinkedTable> linkedTables() override { return contents_.linked; }

private:
    const TableContents* find(const QString& table) const;
    const AccessContents& contents_;
};

// The reader's report, a stream of records written by the reader process as it reads and taken
// in by the importing program as they arrive.
namespace stream {

// Writes what an Access file holds: its linked tables, every table with its columns and stored
// row count, and the rows of the tables a Korvane database has (named by wantsRows). A failure
// to read is written too, as the last record. Returns false when out could not be written.
bool writeContents(const QString& path, QIODevice& out,
                   const std::function<bool(const QString& table)>& wantsRows);

// Writes a record as a reader does, for the tests that simulate a reader that stops half way.
bool writeHeader(QIODevice& out);
bool writeTable(QIODevice& out, const QString& name, qint64 storedRows,
                const std::vector<SourceColumn>& columns, bool rowsFollow);
bool writeRow(QIODevice& out, const QVariantList& values);

// Takes in the records of a reader's stream as they arrive.
class Parser {
public:
    enum class State { Reading, Done, Failed };

    // Reads every whole record that has arrived; a record cut short waits for the rest.
    State take(QIODevice& in);
    State state() const { return state_; }
    // Why the reading failed: the reader's own message, or what was wrong with the stream.
    const QString& failure() const { return failure_; }
    AccessContents& contents() { return contents_; }
    // The table being read and the rows read of it so far, for a progress display.
    QString progressText() const;

private:
    State fail(const QString& why);

    State state_ = State::Reading;
    bool headerRead_ = false;
    TableContents* reading_ = nullptr;
    AccessContents contents_;
    QString failure_;
};

} // namespace stream

} // namespace korvane::access
