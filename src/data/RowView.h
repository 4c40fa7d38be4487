#pragma once

#include "common/Result.h"

#include <QByteArrayView>
#include <QString>

#include <functional>

namespace korvane {

// One row of a query as the engine reads it, for a reader that goes through many thousands of
// rows and keeps only what it needs of each: nothing is made of a cell that is not asked for.
// Valid only while the handler it is given to runs.
class RowView {
public:
    virtual ~RowView() = default;
    virtual int columnCount() const = 0;
    virtual bool isNull(int column) const = 0;
    // A whole number; a real number is rounded, a text read as a number (0 when it is not one),
    // and Null is 0, as QueryResult's values convert.
    virtual qint64 integer(int column) const = 0;
    // A number; Null and a text that is not a number are 0.
    virtual double real(int column) const = 0;
    // The cell as text in UTF-8 (a number as the engine writes it); empty for Null.
    virtual QByteArrayView utf8(int column) const = 0;

    QString text(int column) const { return QString::fromUtf8(utf8(column)); }
};

// Takes one row; an error stops the reading and is its result.
using RowHandler = std::function<Status(const RowView&)>;

} // namespace korvane
