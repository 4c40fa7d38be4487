#pragma once

// Lets GoogleTest print Qt values readably in failure messages.

#include <QString>
#include <QStringList>
#include <QVariant>

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList& list, std::ostream* out) {
    *out << '{';
    for (qsizetype i = 0; i < list.size(); ++i)
        *out << (i ? ", " : "") << '"' << list[i].toStdString() << '"';
    *out << '}';
}

inline void PrintTo(const QVariant& value, std::ostream* out) {
    if (!value.isValid())
        *out << "QVariant(invalid)";
    else
        *out << "QVariant(" << value.typeName() << ", \"" << value.toString().toStdString()
             << "\")";
}
