#include "readingfile/ReadingMapping.h"

#include "common/DateText.h"
#include "common/TextValue.h"
#include "common/Units.h"
#include "engineering/ThicknessRules.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>

namespace korvane::readingfile {

namespace {

QString cellOf(const QStringList& row, int column) {
    return column >= 0 && column < row.size() ? row[column].trimmed() : QString();
}

bool isNumber(const QString& text) {
    return plainNumber(QString(text).replace(QLatin1Char(','), QLatin1Char('.'))).has_value();
}

// A thickness cell: a number, with a decimal comma when the file's cells are not parted by
// commas, and perhaps a unit after it ("0.250 in", "6.35mm", "0.25\"").
struct Thickness {
    std::optional<double> value;
    std::optional<bool> unitUS;
    bool unknownUnit = false;
};

// Whether a text is digits, a decimal point and digits ("0.250") or digits alone: nearly every
// thickness a gauge writes, read here without the pattern.
bool plainDecimal(QStringView text) {
    const auto digit = [](QChar c) {
        return c >= u'0' && c <= u'9';
    };
    const qsizetype point = text.indexOf(u'.');
    const QStringView whole = point < 0 ? text : text.left(point);
    const QStringView fraction = point < 0 ? QStringView() : text.mid(point + 1);
    return !text.isEmpty() && std::all_of(whole.begin(), whole.end(), digit) &&
           std::all_of(fraction.begin(), fraction.end(), digit) &&
           (point < 0 || !fraction.isEmpty());
}

Thickness readThickness(const QString& cell, bool decimalComma) {
    if (plainDecimal(cell))
        return {plainNumber(cell), std::nullopt, false};
    static const QRegularExpression pattern(
        QStringLiteral("^([-+]?[0-9]*[.,]?[0-9]+(?:[eE][-+]?[0-9]+)?)\\s*(.*)$"));
    Thickness t;
    const auto match = pattern.match(cell.trimmed());
    if (!match.hasMatch())
        return t;
    QString number = match.captured(1);
    if (number.contains(QLatin1Char(','))) {
        if (!decimalComma)
            return t;
        number.replace(QLatin1Char(','), QLatin1Char('.'));
    }
    t.value = plainNumber(number);
    const QString unit = match.captured(2);
    if (!unit.isEmpty()) {
        t.unitUS = unitIsUS(unit);
        t.unknownUnit = !t.unitUS;
    }
    return t;
}

// The first column not taken whose title has a word beginning with one of the keys (short keys,
// such as "id" or "in", must be the whole word), trying the keys in order.
int titleColumn(const QStringList& titles, const QStringList& keys, const QList<int>& taken) {
    static const QRegularExpression between(QStringLiteral("[^\\p{L}\\p{N}]+"));
    for (const QString& key : keys)
        for (int c = 0; c < titles.size(); ++c) {
            if (taken.contains(c))
                continue;
            const QStringList words = titles[c].toCaseFolded().split(between, Qt::SkipEmptyParts);
            for (const QString& word : words)
                if (key.size() < 3 ? word == key : word.startsWith(key))
                    return c;
        }
    return NoColumn;
}

QString number(int value) {
    return QString::number(value);
}

} // namespace

QString Mapping::toText() const {
    return QStringLiteral("header=%1;point=%2;thickness=%3;unit=%4;course=%5;date=%6;"
                          "takenby=%7;fileunit=%8")
        .arg(number(headerRow), number(point), number(thickness), number(unit), number(course),
             number(date), number(takenBy),
             fileUnitUS ? QStringLiteral("in") : QStringLiteral("mm"));
}

std::optional<Mapping> Mapping::fromText(const QString& text) {
    Mapping m;
    int seen = 0;
    for (const QString& part : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString name = part.section(QLatin1Char('='), 0, 0);
        const QString value = part.section(QLatin1Char('='), 1);
        bool ok = false;
        const int n = value.toInt(&ok);
        if (name == u"fileunit") {
            if (value != u"in" && value != u"mm")
                return std::nullopt;
            m.fileUnitUS = value == u"in";
            ++seen;
            continue;
        }
        if (!ok || n < NoColumn || n > 16383)
            return std::nullopt;
        if (name == u"header")
            m.headerRow = n != 0;
        else if (name == u"point")
            m.point = n;
        else if (name == u"thickness")
            m.thickness = n;
        else if (name == u"unit")
            m.unit = n;
        else if (name == u"course")
            m.course = n;
        else if (name == u"date")
            m.date = n;
        else if (name == u"takenby")
            m.takenBy = n;
        else
            return std::nullopt;
        ++seen;
    }
    if (seen != 8)
        return std::nullopt;
    return m;
}

QString layoutKey(const Table& table, bool headerRow) {
    if (headerRow && !table.rows.isEmpty()) {
        QStringList titles;
        for (const QString& t : table.rows.first())
            titles << t.trimmed().toCaseFolded();
        return QStringLiteral("titles:") + titles.join(QLatin1Char('|'));
    }
    return QStringLiteral("columns:%1:%2")
        .arg(table.columnCount())
        .arg(table.delimiter.isNull() ? QStringLiteral("xlsx")
                                      : QString::number(table.delimiter.unicode()));
}

Mapping guessMapping(const Table& table) {
    Mapping m;
    if (table.rows.isEmpty())
        return m;
    const QStringList& first = table.rows.first();
    const bool firstHasNumber = std::any_of(first.begin(), first.end(), isNumber);
    const bool laterHasNumber =
        table.rows.size() > 1 && std::any_of(table.rows[1].begin(), table.rows[1].end(), isNumber);
    m.headerRow = !firstHasNumber && laterHasNumber;
    if (m.headerRow) {
        QList<int> taken;
        const auto pick = [&](const QStringList& words) {
            const int c = titleColumn(first, words, taken);
            if (c != NoColumn)
                taken << c;
            return c;
        };
        // The most telling titles first, so "Point ID" is not taken for a date or a unit.
        m.date = pick({QStringLiteral("date"), QStringLiteral("time")});
        m.takenBy = pick({QStringLiteral("by"), QStringLiteral("inspector"),
                          QStringLiteral("operator"), QStringLiteral("technician")});
        m.unit = pick({QStringLiteral("unit")});
        m.course =
            pick({QStringLiteral("course"), QStringLiteral("shell"), QStringLiteral("component")});
        m.point = pick({QStringLiteral("point"), QStringLiteral("tml"), QStringLiteral("cml"),
                        QStringLiteral("location"), QStringLiteral("id"), QStringLiteral("tag")});
        m.thickness = pick({QStringLiteral("thick"), QStringLiteral("thk"),
                            QStringLiteral("reading"), QStringLiteral("value"),
                            QStringLiteral("wall"), QStringLiteral("mm"), QStringLiteral("in")});
        if (m.point != NoColumn && m.thickness != NoColumn)
            return m;
    }
    // By the cells: the point is the first column of texts, the thickness the first column of
    // numbers that could be a plate in either unit.
    const int start = m.headerRow ? 1 : 0;
    const int columns = table.columnCount();
    for (int c = 0; c < columns; ++c) {
        int texts = 0, plates = 0, rows = 0;
        for (int r = start; r < std::min<qsizetype>(table.rows.size(), start + 20); ++r) {
            const QString cell = cellOf(table.rows[r], c);
            if (cell.isEmpty())
                continue;
            ++rows;
            const Thickness t = readThickness(cell, table.delimiter != u',');
            if (t.value && !t.unknownUnit && *t.value > 0 && *t.value < 80)
                ++plates;
            else if (!isNumber(cell) && !readsAsDate(cell))
                ++texts;
        }
        if (rows == 0)
            continue;
        if (m.point == NoColumn && texts * 2 > rows)
            m.point = c;
        else if (m.thickness == NoColumn && plates * 2 > rows && c != m.point)
            m.thickness = c;
    }
    return m;
}

std::optional<bool> unitIsUS(QString text) {
    text = text.trimmed().toCaseFolded();
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    if (text == u"in" || text == u"inch" || text == u"inches" || text == u"''" || text == u"\"" ||
        text == u"\u2033")
        return true;
    if (text == u"mm" || text == u"millimetre" || text == u"millimetres" || text == u"millimeter" ||
        text == u"millimeters")
        return false;
    return std::nullopt;
}

int courseCode(const QString& text, int courses) {
    static const QRegularExpression numbered(
        QStringLiteral("^(?:course|shell|crs|c|s)?\\s*[-#.]?\\s*([0-9]{1,2})$"),
        QRegularExpression::CaseInsensitiveOption);
    const QString t = text.trimmed().toCaseFolded();
    if (t == u"floor" || t == u"bottom")
        return thickness::FloorCode;
    if (t == u"roof")
        return thickness::RoofCode;
    const auto match = numbered.match(t);
    if (!match.hasMatch())
        return 0;
    const int course = match.captured(1).toInt();
    return course >= 1 && course <= std::min(courses, thickness::MaxCourses)
               ? thickness::courseCode(course)
               : 0;
}

std::vector<MappedRow> mapRows(const Table& table, const Mapping& mapping,
                               const SessionDefaults& session) {
    std::vector<MappedRow> out;
    const bool decimalComma = table.delimiter != u',';
    // A file repeats a few units, courses and dates on every line: each is read once.
    QHash<QString, std::optional<bool>> units;
    QHash<QString, int> courses;
    QHash<QString, std::optional<QDate>> dates;
    for (qsizetype r = mapping.headerRow ? 1 : 0; r < table.rows.size(); ++r) {
        const QStringList& row = table.rows[r];
        MappedRow m;
        m.line = r < table.lines.size() ? table.lines[r] : static_cast<int>(r + 1);
        m.pointId = cellOf(row, mapping.point);
        m.typed = cellOf(row, mapping.thickness);
        m.enteredUS = mapping.fileUnitUS;
        m.takenBy = mapping.takenBy == NoColumn ? session.takenBy : cellOf(row, mapping.takenBy);
        QStringList problems;
        if (m.pointId.isEmpty())
            problems << QStringLiteral("no point ID");

        const Thickness t = readThickness(m.typed, decimalComma);
        std::optional<bool> unit = t.unitUS;
        bool unitKnown = true;
        if (mapping.unit != NoColumn) {
            const QString named = cellOf(row, mapping.unit);
            if (!named.isEmpty()) {
                auto known = units.constFind(named);
                if (known == units.constEnd())
                    known = units.insert(named, unitIsUS(named));
                const std::optional<bool> u = *known;
                unitKnown = u && (!unit || *unit == *u);
                if (!u)
                    problems << QStringLiteral("unit \"%1\" not known").arg(named);
                else if (!unitKnown)
                    problems << QStringLiteral("two units given");
                else
                    unit = u;
            }
        }
        if (unit)
            m.enteredUS = *unit;
        if (m.typed.isEmpty())
            problems << QStringLiteral("no thickness");
        else if (t.unknownUnit)
            problems << QStringLiteral("thickness \"%1\" has a unit not known").arg(m.typed);
        else if (!t.value || !(*t.value > 0))
            problems << QStringLiteral("thickness \"%1\" is not a number above 0").arg(m.typed);
        else if (unitKnown) // a thickness whose unit is in doubt stands for nothing
            m.inches = m.enteredUS ? *t.value : *t.value / units::MillimetresPerInch;

        if (mapping.course != NoColumn) {
            const QString named = cellOf(row, mapping.course);
            if (!named.isEmpty()) {
                auto known = courses.constFind(named);
                if (known == courses.constEnd())
                    known = courses.insert(named, courseCode(named, session.courses));
                m.course = *known;
                if (m.course == 0)
                    problems << QStringLiteral("course \"%1\" is not one of the tank's").arg(named);
            }
        }

        if (mapping.date == NoColumn) {
            m.date = session.date;
        } else {
            const QString named = cellOf(row, mapping.date);
            auto known = dates.constFind(named);
            if (known == dates.constEnd()) {
                // A workbook's date and time, or a gauge's "2024-03-05 10:42", is its date.
                static const QRegularExpression withTime(
                    QStringLiteral("^([0-9]{4}-[0-9]{2}-[0-9]{2})[T ][0-9:.]+$"));
                const auto timed = withTime.match(named);
                known =
                    dates.insert(named, parseDate(timed.hasMatch() ? timed.captured(1) : named));
            }
            if (const auto d = *known)
                m.date = *d;
            else
                problems << (named.isEmpty()
                                 ? QStringLiteral("no date")
                                 : QStringLiteral("date \"%1\" not understood").arg(named));
        }
        if (m.date.isValid() && session.today.isValid() && m.date > session.today)
            problems << QStringLiteral("date %1 is beyond today").arg(formatDate(m.date));
        if (m.takenBy.isEmpty())
            problems << QStringLiteral("no taken-by");
        m.error = problems.join(QStringLiteral("; "));
        out.push_back(std::move(m));
    }
    return out;
}

} // namespace korvane::readingfile
