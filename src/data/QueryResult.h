#pragma once

#include "data/RowView.h"

#include <QString>
#include <QVariant>

#include <memory>

namespace korvane {

// The rows one statement gave, read forward: next() moves onto the first row, then each
// following one. Values come back as the engine holds them: whole numbers as qlonglong, other
// numbers as double, texts as QString, Null as an invalid QVariant. The same on every engine.
//
// An engine reads every row of the statement before it hands the result over, so a failure
// anywhere in the statement (a damaged page, a cancelled or broken query) is the error of the
// call that ran it: when next() gives false, the rows read were all the rows there are.
class QueryResult {
public:
    // What an engine supplies behind a result.
    class Source {
    public:
        virtual ~Source() = default;
        // False after the last row only; the rows are read in full before the result exists.
        virtual bool next() = 0;
        virtual QVariant value(int column) const = 0;
        virtual int columnCount() const = 0;
        virtual QString columnName(int column) const = 0;
        virtual qint64 rowsAffected() const = 0;
    };

    QueryResult() = default;
    explicit QueryResult(std::unique_ptr<Source> source) : source_(std::move(source)) {}

    bool next() { return source_ && source_->next(); }
    QVariant value(int column) const { return source_ ? source_->value(column) : QVariant(); }
    int columnCount() const { return source_ ? source_->columnCount() : 0; }
    // The position of a column by its name (letter case does not count), or -1.
    int columnIndex(const QString& name) const;
    // Rows a change touched (INSERT, UPDATE, DELETE).
    qint64 numRowsAffected() const { return source_ ? source_->rowsAffected() : 0; }
    // Hands the rows not yet gone through to `each`, one by one, until one gives an error.
    Status eachRow(const RowHandler& each);

private:
    std::unique_ptr<Source> source_;
};

} // namespace korvane
