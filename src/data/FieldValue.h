#pragma once

#include "common/Result.h"
#include "data/Layout.h"

#include <QString>
#include <QVariant>

namespace korvane::fieldvalue {

// Conversions between field values as the program uses them and as they are stored.
//
// fromStored gives a field's value with the type of its field: QString for texts, int for
// 32-bit integers and keys, qint16, quint8, float, double, bool, and dates as "dd/mmm/yyyy" text.
// A Null gives an invalid QVariant.
QVariant fromStored(const QVariant& stored, layout::FieldType type);
Result<QVariant> toStored(const QVariant& value, layout::FieldType type, const QString& field);

// The same as fromStored of a whole number, a number or a UTF-8 text as an engine read it,
// without making the stored value first: lists of thousands of rows are read often.
QVariant fromStoredInteger(qint64 stored, layout::FieldType type);
QVariant fromStoredReal(double stored, layout::FieldType type);
QVariant fromStoredText(const char* utf8, qsizetype bytes, layout::FieldType type);

} // namespace korvane::fieldvalue
