#include "readingfile/ReadingTable.h"

#include "common/DateText.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>
#include <map>
#include <unzip.h>

namespace korvane::readingfile {

namespace {

// ---- CSV ---------------------------------------------------------------------------------

// The text of the bytes: UTF-8 or UTF-16 by their byte-order mark, UTF-8 when the bytes are valid
// UTF-8, Latin-1 otherwise (every byte is a Latin-1 character).
QString decode(const QByteArray& bytes, QString& format) {
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        format = QStringLiteral("UTF-16");
        QStringDecoder utf16(QStringDecoder::Utf16);
        return utf16(bytes);
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError()) {
        format = QStringLiteral("UTF-8");
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        return text;
    }
    format = QStringLiteral("Latin-1");
    return QString::fromLatin1(bytes);
}

struct Parsed {
    QList<QStringList> rows;
    QList<int> lines;
};

// Splits text into rows of cells: a field in double quotes may hold the delimiter, line breaks
// and doubled quotes; blanks around a field are dropped; rows without any text are left out.
// Stops after `limit` rows when limit > 0.
Parsed parse(const QString& text, QChar delimiter, int limit) {
    Parsed out;
    const QStringView all(text);
    QStringList row;
    QString cell;           // a quoted cell's text, and what follows its closing quote
    qsizetype start = 0;    // where the cell began, for one not quoted: it is taken whole
    bool quoted = false;    // inside quotes
    bool wasQuoted = false; // the cell began with a quote: its blanks are its own
    int line = 1;
    int rowLine = 1;
    const auto endCell = [&](qsizetype end) {
        row << (wasQuoted ? cell : all.mid(start, end - start).trimmed().toString());
        cell.clear();
        wasQuoted = false;
        start = end + 1;
    };
    const auto endRow = [&](qsizetype end) {
        endCell(end);
        const bool blank = std::all_of(row.begin(), row.end(), [](const QString& c) {
            return QStringView(c).trimmed().isEmpty();
        });
        if (!blank) {
            out.rows << row;
            out.lines << rowLine;
        }
        row.clear();
    };
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (limit > 0 && out.rows.size() >= limit)
            return out;
        const QChar c = all[i];
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < n && all[i + 1] == u'"') {
                    cell += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == u'\n')
                    ++line;
                cell += c;
            }
            continue;
        }
        if (c == u'"' && !wasQuoted && all.mid(start, i - start).trimmed().isEmpty()) {
            cell.clear();
            quoted = true;
            wasQuoted = true;
        } else if (c == delimiter) {
            endCell(i);
        } else if (c == u'\r' || c == u'\n') {
            const qsizetype end = i;
            if (c == u'\r' && i + 1 < n && all[i + 1] == u'\n')
                ++i;
            endRow(end);
            start = i + 1;
            ++line;
            rowLine = line;
        } else if (wasQuoted && !c.isSpace()) {
            cell += c;
        }
    }
    if (start < n || !row.isEmpty() || wasQuoted)
        endRow(n);
    return out;
}

// How well a delimiter splits the first rows: the number of rows of the most common cell count,
// when that count is more than one.
int fit(const QString& text, QChar delimiter) {
    const Parsed sample = parse(text, delimiter, 20);
    std::map<qsizetype, int> counts;
    for (const QStringList& row : sample.rows)
        ++counts[row.size()];
    int best = 0;
    for (const auto& [cells, rows] : counts)
        if (cells > 1)
            best = std::max(best, rows * 1000 + static_cast<int>(std::min<qsizetype>(cells, 999)));
    return best;
}

// ---- xlsx --------------------------------------------------------------------------------

// An open archive, closed when it goes.
class Archive {
public:
    explicit Archive(const QString& path) : zip_(unzOpen64(QFile::encodeName(path).constData())) {}
    ~Archive() {
        if (zip_)
            unzClose(zip_);
    }
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;
    bool isOpen() const { return zip_ != nullptr; }
    bool has(const QString& name) const {
        return unzLocateFile(zip_, name.toUtf8().constData(), 1) == UNZ_OK;
    }
    unzFile handle() const { return zip_; }

private:
    unzFile zip_;
};

// Reads one member of the archive whole; a member larger than the limit is refused, and one
// whose bytes do not match their checksum is damaged.
Result<QByteArray> member(const Archive& zip, const QString& name) {
    if (!zip.has(name))
        return Error{QStringLiteral("The workbook has no part \"%1\".").arg(name)};
    const Error unreadable{
        QStringLiteral("The part \"%1\" of the workbook cannot be read.").arg(name)};
    if (unzOpenCurrentFile(zip.handle()) != UNZ_OK)
        return unreadable;
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const int got = unzReadCurrentFile(zip.handle(), buffer, sizeof buffer);
        if (got < 0) {
            unzCloseCurrentFile(zip.handle());
            return unreadable;
        }
        if (got == 0)
            break;
        bytes.append(buffer, got);
        if (bytes.size() > MaxFileBytes) {
            unzCloseCurrentFile(zip.handle());
            return Error{QStringLiteral("The workbook is too large to read (more than %1 MB).")
                             .arg(MaxFileBytes / (1024 * 1024))};
        }
    }
    if (unzCloseCurrentFile(zip.handle()) != UNZ_OK)
        return unreadable;
    return bytes;
}

Error xmlError(const QString& part, const QXmlStreamReader& xml) {
    return Error{QStringLiteral("The part \"%1\" of the workbook is damaged: %2")
                     .arg(part, xml.errorString())};
}

// The text of an element whose runs are <t> elements (a shared or inline string), read up to its
// end.
QString runsText(QXmlStreamReader& xml) {
    const QString end = xml.name().toString();
    QString text;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"t")
            text += xml.readElementText();
        else if (xml.isStartElement() && (xml.name() == u"rPh" || xml.name() == u"phoneticPr"))
            xml.skipCurrentElement(); // reading aids of East Asian text, not its content
        else if (xml.isEndElement() && xml.name() == end)
            break;
    }
    return text;
}

Result<QStringList> sharedStrings(const QByteArray& bytes) {
    QStringList strings;
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"si")
            strings << runsText(xml);
    }
    if (xml.hasError())
        return xmlError(QStringLiteral("xl/sharedStrings.xml"), xml);
    return strings;
}

// Whether a number format shows a date: the built-in date formats, or a format code with day,
// month or year parts outside quotes and brackets.
bool dateFormat(int id, const QString& code) {
    if ((id >= 14 && id <= 22) || (id >= 45 && id <= 47) || (id >= 27 && id <= 36) ||
        (id >= 50 && id <= 58))
        return true;
    if (code.isEmpty())
        return false;
    // Letters in quotes are text; in brackets, a colour or locale, or elapsed hours ("[h]").
    QString bare;
    bool time = false;
    bool inQuote = false;
    int bracket = 0;
    for (QChar c : code) {
        const QChar lower = c.toLower();
        if (c == u'"')
            inQuote = !inQuote;
        else if (inQuote)
            continue;
        else if (c == u'[')
            ++bracket;
        else if (c == u']')
            bracket = std::max(0, bracket - 1);
        else if (bracket == 0)
            bare += lower;
        if (!inQuote && (lower == u'h' || lower == u's'))
            time = true;
    }
    return bare.contains(u'd') || bare.contains(u'y') || (bare.contains(u'm') && !time);
}

// For each cell style (the s attribute of a cell), whether it shows a date.
Result<QList<bool>> dateStyles(const QByteArray& bytes) {
    QHash<int, QString> codes;
    QList<bool> styles;
    QXmlStreamReader xml(bytes);
    bool inCellXfs = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == u"numFmt")
                codes.insert(xml.attributes().value(QLatin1String("numFmtId")).toInt(),
                             xml.attributes().value(QLatin1String("formatCode")).toString());
            else if (xml.name() == u"cellXfs")
                inCellXfs = true;
            else if (inCellXfs && xml.name() == u"xf") {
                const int id = xml.attributes().value(QLatin1String("numFmtId")).toInt();
                styles << dateFormat(id, codes.value(id));
            }
        } else if (xml.isEndElement() && xml.name() == u"cellXfs") {
            inCellXfs = false;
        }
    }
    if (xml.hasError())
        return xmlError(QStringLiteral("xl/styles.xml"), xml);
    return styles;
}

// The column of a cell reference ("C12" is 2), or -1.
int columnOf(QStringView reference) {
    int column = 0;
    int letters = 0;
    for (QChar c : reference) {
        if (c >= u'A' && c <= u'Z') {
            column = column * 26 + (c.unicode() - u'A' + 1);
            if (++letters > 3)
                return -1;
        } else {
            break;
        }
    }
    return letters ? column - 1 : -1;
}

QString numberText(const QString& stored, bool date, bool base1904) {
    bool ok = false;
    const double value = stored.toDouble(&ok);
    if (!ok)
        return stored;
    if (date && value >= 0 && value < 2958466) {
        const QDate base = base1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
        return isoDate(base.addDays(static_cast<qint64>(std::floor(value))));
    }
    // The shortest text that reads back as the same number: 0.25, not 0.25000000000000001.
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

// The first sheet's part name and whether its dates count from 1904, from the workbook.
struct FirstSheet {
    QString part;
    bool base1904 = false;
};

Result<FirstSheet> firstSheet(const Archive& zip) {
    auto workbook = member(zip, QStringLiteral("xl/workbook.xml"));
    if (!workbook)
        return workbook.takeError();
    FirstSheet sheet;
    QString id;
    QXmlStreamReader xml(*workbook);
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"workbookPr") {
            const auto v = xml.attributes().value(QLatin1String("date1904"));
            sheet.base1904 = v == u"1" || v == u"true";
        } else if (xml.name() == u"sheet" && id.isEmpty()) {
            for (const QXmlStreamAttribute& a : xml.attributes())
                if (a.name() == u"id")
                    id = a.value().toString();
        }
    }
    if (xml.hasError())
        return xmlError(QStringLiteral("xl/workbook.xml"), xml);
    if (id.isEmpty())
        return Error{QStringLiteral("The workbook has no sheet.")};
    auto rels = member(zip, QStringLiteral("xl/_rels/workbook.xml.rels"));
    if (!rels)
        return rels.takeError();
    QXmlStreamReader r(*rels);
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == u"Relationship" &&
            r.attributes().value(QLatin1String("Id")) == id) {
            QString target = r.attributes().value(QLatin1String("Target")).toString();
            if (target.startsWith(u'/'))
                target.remove(0, 1);
            else
                target.prepend(QStringLiteral("xl/"));
            sheet.part = target;
        }
    }
    if (r.hasError())
        return xmlError(QStringLiteral("xl/_rels/workbook.xml.rels"), r);
    if (sheet.part.isEmpty())
        return Error{QStringLiteral("The workbook does not say where its first sheet is.")};
    return sheet;
}

} // namespace

int Table::columnCount() const {
    qsizetype most = 0;
    for (const QStringList& row : rows)
        most = std::max(most, row.size());
    return static_cast<int>(most);
}

Result<Table> readCsv(const QByteArray& bytes) {
    Table table;
    const QString text = decode(bytes, table.format);
    QChar best = u',';
    int bestFit = -1;
    for (QChar candidate : {QChar(u','), QChar(u';'), QChar(u'\t'), QChar(u'|')}) {
        const int f = fit(text, candidate);
        if (f > bestFit) {
            bestFit = f;
            best = candidate;
        }
    }
    table.delimiter = best;
    Parsed parsed = parse(text, best, MaxRows + 1);
    if (parsed.rows.size() > MaxRows)
        return Error{QStringLiteral("The file has more than %1 rows.").arg(MaxRows)};
    table.rows = std::move(parsed.rows);
    table.lines = std::move(parsed.lines);
    return table;
}

Result<Table> readXlsx(const QString& path) {
    const Archive zip(path);
    if (!zip.isOpen())
        return Error{QStringLiteral("\"%1\" is not a workbook that can be read.")
                         .arg(QFileInfo(path).fileName())};
    auto sheet = firstSheet(zip);
    if (!sheet)
        return sheet.takeError();
    QStringList strings;
    if (zip.has(QStringLiteral("xl/sharedStrings.xml"))) {
        auto bytes = member(zip, QStringLiteral("xl/sharedStrings.xml"));
        if (!bytes)
            return bytes.takeError();
        auto read = sharedStrings(*bytes);
        if (!read)
            return read.takeError();
        strings = std::move(read.value());
    }
    QList<bool> styles;
    if (zip.has(QStringLiteral("xl/styles.xml"))) {
        auto bytes = member(zip, QStringLiteral("xl/styles.xml"));
        if (!bytes)
            return bytes.takeError();
        auto read = dateStyles(*bytes);
        if (!read)
            return read.takeError();
        styles = std::move(read.value());
    }
    auto bytes = member(zip, sheet->part);
    if (!bytes)
        return bytes.takeError();

    Table table;
    table.format = QStringLiteral("xlsx");
    QXmlStreamReader xml(*bytes);
    QStringList row;
    int rowNumber = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"row") {
            row.clear();
            const int r = xml.attributes().value(QLatin1String("r")).toInt();
            rowNumber = r > 0 ? r : rowNumber + 1;
        } else if (xml.isEndElement() && xml.name() == u"row") {
            const bool blank = std::all_of(row.begin(), row.end(),
                                           [](const QString& c) { return c.trimmed().isEmpty(); });
            if (!blank) {
                if (table.rows.size() >= MaxRows)
                    return Error{QStringLiteral("The sheet has more than %1 rows.").arg(MaxRows)};
                table.rows << row;
                table.lines << rowNumber;
            }
        } else if (xml.isStartElement() && xml.name() == u"c") {
            const auto attributes = xml.attributes();
            const QString type = attributes.value(QLatin1String("t")).toString();
            const int style = attributes.value(QLatin1String("s")).toInt();
            int column = columnOf(attributes.value(QLatin1String("r")));
            if (column < 0)
                column = static_cast<int>(row.size());
            QString value;
            while (!xml.atEnd()) {
                xml.readNext();
                if (xml.isStartElement() && xml.name() == u"v")
                    value = xml.readElementText();
                else if (xml.isStartElement() && xml.name() == u"is")
                    value = runsText(xml);
                else if (xml.isEndElement() && xml.name() == u"c")
                    break;
            }
            if (type == u"s") {
                const int index = value.toInt();
                value = index >= 0 && index < strings.size() ? strings[index] : QString();
            } else if (type.isEmpty() || type == u"n") {
                value = numberText(value, style >= 0 && style < styles.size() && styles[style],
                                   sheet->base1904);
            } else if (type == u"b") {
                value = value == u"1" ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
            }
            if (column >= MaxColumns) {
                if (value.trimmed().isEmpty())
                    continue;
                return Error{QStringLiteral("The sheet has a cell beyond column %1 (row %2); "
                                            "save the readings in the first columns.")
                                 .arg(MaxColumns)
                                 .arg(rowNumber)};
            }
            while (row.size() <= column)
                row << QString();
            row[column] = value.trimmed();
        }
    }
    if (xml.hasError())
        return xmlError(sheet->part, xml);
    return table;
}

Result<Table> readTableFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Error{QStringLiteral("\"%1\" cannot be read: %2")
                         .arg(QFileInfo(path).fileName(), file.errorString())};
    if (file.size() > MaxFileBytes)
        return Error{QStringLiteral("\"%1\" is too large to read (more than %2 MB).")
                         .arg(QFileInfo(path).fileName())
                         .arg(MaxFileBytes / (1024 * 1024))};
    const QByteArray head = file.peek(4);
    if (head.startsWith("PK\x03\x04")) {
        file.close();
        return readXlsx(path);
    }
    return readCsv(file.readAll());
}

} // namespace korvane::readingfile
