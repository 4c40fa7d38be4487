#include "common/Csv.h"

#include <QRegularExpression>

namespace korvane {

QString csvField(const QString& text) {
    QString cell = text;
    static const QRegularExpression number(
        QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    if (!cell.isEmpty() && QStringLiteral("=+-@\t\r").contains(cell.front()) &&
        !number.match(cell).hasMatch())
        cell.prepend(QLatin1Char('\''));
    static const QRegularExpression special(QStringLiteral("[,\"\r\n]"));
    if (!cell.contains(special))
        return cell;
    cell.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + cell + QLatin1Char('"');
}

QString csvLine(const QStringList& fields) {
    QString line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += QLatin1Char(',');
        line += csvField(fields[i]);
    }
    return line + QStringLiteral("\r\n");
}

} // namespace korvane
