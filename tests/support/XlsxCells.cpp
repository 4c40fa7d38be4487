#include "support/XlsxCells.h"

#include <QDate>
#include <QProcess>
#include <QXmlStreamReader>

#include <vector>

namespace korvane::test {

namespace {

QByteArray member(const QString& path, const QString& name) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), path, name});
    if (!unzip.waitForFinished(-1) || unzip.exitCode() != 0)
        return {};
    return unzip.readAllStandardOutput();
}

QStringList sharedStrings(const QByteArray& xml) {
    QStringList strings;
    QXmlStreamReader r(xml);
    QString current;
    bool inItem = false;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == QLatin1String("si")) {
            inItem = true;
            current.clear();
        } else if (r.isStartElement() && r.name() == QLatin1String("t") && inItem) {
            current += r.readElementText();
        } else if (r.isEndElement() && r.name() == QLatin1String("si")) {
            strings << current;
            inItem = false;
        }
    }
    return strings;
}

// The pattern and fill of each cell style (cellXfs), by index.
std::vector<std::pair<QString, QString>> styles(const QByteArray& xml) {
    QMap<int, QString> patterns{{14, QStringLiteral("m/d/yyyy")}};
    QStringList fills;
    std::vector<std::pair<QString, QString>> xfs;
    QXmlStreamReader r(xml);
    QString section;
    while (!r.atEnd()) {
        r.readNext();
        if (!r.isStartElement())
            continue;
        const auto name = r.name();
        if (name == QLatin1String("numFmt"))
            patterns.insert(r.attributes().value(QLatin1String("numFmtId")).toInt(),
                            r.attributes().value(QLatin1String("formatCode")).toString());
        else if (name == QLatin1String("fills") || name == QLatin1String("cellXfs") ||
                 name == QLatin1String("cellStyleXfs"))
            section = name.toString();
        else if (name == QLatin1String("fill") && section == QLatin1String("fills"))
            fills << QString();
        else if (name == QLatin1String("fgColor") && section == QLatin1String("fills") &&
                 !fills.isEmpty())
            fills.back() = r.attributes().value(QLatin1String("rgb")).toString();
        else if (name == QLatin1String("xf") && section == QLatin1String("cellXfs")) {
            const int fmt = r.attributes().value(QLatin1String("numFmtId")).toInt();
            const int fill = r.attributes().value(QLatin1String("fillId")).toInt();
            xfs.emplace_back(patterns.value(fmt), fill < fills.size() ? fills[fill] : QString());
        }
    }
    return xfs;
}

} // namespace

std::optional<XlsxCell> XlsxContents::cell(const QString& ref) const {
    if (const auto found = cells.constFind(ref); found != cells.constEnd())
        return *found;
    return std::nullopt;
}

XlsxContents readXlsx(const QString& path) {
    XlsxContents contents;
    {
        QXmlStreamReader r(member(path, QStringLiteral("xl/workbook.xml")));
        while (!r.atEnd())
            if (r.readNext() == QXmlStreamReader::StartElement &&
                r.name() == QLatin1String("sheet"))
                contents.sheets << r.attributes().value(QLatin1String("name")).toString();
    }
    const QStringList strings = sharedStrings(member(path, QStringLiteral("xl/sharedStrings.xml")));
    const auto xfs = styles(member(path, QStringLiteral("xl/styles.xml")));
    QXmlStreamReader r(member(path, QStringLiteral("xl/worksheets/sheet1.xml")));
    QString ref;
    XlsxCell cell;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == QLatin1String("pane") &&
            r.attributes().value(QLatin1String("state")) == QLatin1String("frozen"))
            contents.frozenRows = r.attributes().value(QLatin1String("ySplit")).toInt();
        if (r.isStartElement() && r.name() == QLatin1String("c")) {
            ref = r.attributes().value(QLatin1String("r")).toString();
            cell = {};
            cell.type = r.attributes().value(QLatin1String("t")).toString();
            const auto style =
                static_cast<std::size_t>(r.attributes().value(QLatin1String("s")).toInt());
            if (style < xfs.size()) {
                cell.numFmt = xfs[style].first;
                cell.fill = xfs[style].second;
            }
        } else if (r.isStartElement() && r.name() == QLatin1String("f")) {
            cell.formula = true;
        } else if (r.isStartElement() && r.name() == QLatin1String("v")) {
            cell.value = r.readElementText();
            if (cell.type == QLatin1String("s"))
                cell.value = strings.value(cell.value.toInt());
        } else if (r.isEndElement() && r.name() == QLatin1String("c")) {
            contents.cells.insert(ref, cell);
        }
    }
    return contents;
}

QString cellRef(int row, int column) {
    QString letters;
    for (int c = column + 1; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(u'A' + (c - 1) % 26));
    return letters + QString::number(row + 1);
}

QString serialDate(int year, int month, int day) {
    return QString::number(QDate(1899, 12, 30).daysTo(QDate(year, month, day)));
}

} // namespace korvane::test
