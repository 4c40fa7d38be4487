#include "reports/ReportDefinition.h"

#include "common/DataFolders.h"
#include "reports/ReportRenderer.h"

#include <QByteArrayView>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringList>

#include <algorithm>

namespace korvane::reports {
namespace {

Error lineError(qsizetype line, const QString& problem) {
    return Error{QStringLiteral("Line %1: %2").arg(QString::number(line), problem)};
}

// A piece of the file quoted in a message, short enough for a message box.
QString quoted(const QString& text) {
    constexpr qsizetype Longest = 40;
    return u'"' + (text.size() > Longest ? text.left(Longest) + QStringLiteral("...") : text) +
           u'"';
}

// The file's lines without their line ends, each decoded on its own: no byte of a UTF-8
// sequence is a newline, so a broken sequence is found on the line that holds it.
Result<QStringList> decodeLines(QByteArrayView bytes) {
    QStringList lines;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = bytes.indexOf('\n', start);
        QByteArrayView raw = bytes.sliced(start, (end < 0 ? bytes.size() : end) - start);
        if (raw.endsWith('\r'))
            raw.chop(1);
        const qsizetype line = lines.size() + 1;
        if (raw.indexOf('\0') >= 0)
            return lineError(line, QStringLiteral("the file holds a NUL character; a report "
                                                  "file is plain text."));
        decoder.resetState();
        QString text = decoder(raw);
        if (decoder.hasError())
            return lineError(line, QStringLiteral("the text is not valid UTF-8."));
        lines << std::move(text);
        if (end < 0)
            return lines;
        start = end + 1;
    }
}

bool isPlainReportName(const QString& name) {
    if (name.size() <= 4 || !name.endsWith(QStringLiteral(".rpt"), Qt::CaseInsensitive))
        return false;
    if (name.contains(u'/') || name.contains(u'\\') || name.contains(QStringLiteral("..")))
        return false;
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    }
    return true;
}

// Looked up as the help documents are: the current folder, the program's folder, the source
// tree when the program or the tool runs from where the build put it, the installed data folder.
QStringList reportFolders() {
    return datafiles::folders(QStringLiteral("reports"));
}

// "A, B or C", for a message.
QString listOfFolders(const QStringList& folders) {
    QStringList shown;
    for (const QString& folder : folders)
        shown << QDir::toNativeSeparators(folder);
    const QString last = shown.takeLast();
    return shown.isEmpty() ? last
                           : shown.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

} // namespace

Result<ReportDefinition> parseReportDefinition(const QByteArray& bytes) {
    if (bytes.size() > MaxReportFileSize)
        return Error{QStringLiteral("The report file is larger than 1 MiB; a report file is a "
                                    "short text.")};
    QByteArrayView text(bytes);
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    Result<QStringList> decoded = decodeLines(text);
    if (!decoded)
        return decoded.takeError();
    const QStringList& lines = *decoded;
    if (std::all_of(lines.begin(), lines.end(),
                    [](const QString& line) { return line.trimmed().isEmpty(); }))
        return lineError(1, QStringLiteral("the file is empty; a report file begins with the "
                                           "headers \"Title: ...\" and \"Data: ...\"."));

    ReportDefinition definition;
    bool haveTitle = false;
    bool haveData = false;
    qsizetype separator = -1; // the index of the empty line that ends the header
    for (qsizetype i = 0; i < lines.size() && separator < 0; ++i) {
        const qsizetype line = i + 1;
        const QString content = lines[i].trimmed();
        if (content.isEmpty()) {
            separator = i;
            continue;
        }
        if (content.startsWith(u'#'))
            continue;
        const qsizetype colon = content.indexOf(u':');
        const QString name = content.left(colon).trimmed();
        if (colon < 0 || name.isEmpty())
            return lineError(line, QStringLiteral("%1 is not a header line; header lines read "
                                                  "\"Name: value\".")
                                       .arg(quoted(content)));
        const QString value = content.mid(colon + 1).trimmed();
        if (name.compare(QStringLiteral("Title"), Qt::CaseInsensitive) == 0) {
            if (haveTitle)
                return lineError(line, QStringLiteral("the report has a second Title line."));
            if (value.isEmpty())
                return lineError(line, QStringLiteral("the title is empty."));
            definition.title = value;
            haveTitle = true;
        } else if (name.compare(QStringLiteral("Data"), Qt::CaseInsensitive) == 0) {
            if (haveData)
                return lineError(line, QStringLiteral("the report has a second Data line."));
            if (value.compare(QStringLiteral("tanks"), Qt::CaseInsensitive) == 0)
                definition.data = DataKind::Tanks;
            else if (value.compare(QStringLiteral("inspections"), Qt::CaseInsensitive) == 0)
                definition.data = DataKind::Inspections;
            else if (value.compare(QStringLiteral("tmls"), Qt::CaseInsensitive) == 0)
                definition.data = DataKind::Tmls;
            else if (value.compare(QStringLiteral("assessment"), Qt::CaseInsensitive) == 0)
                definition.data = DataKind::Assessment;
            else if (value.compare(QStringLiteral("due"), Qt::CaseInsensitive) == 0)
                definition.data = DataKind::Due;
            else
                return lineError(line, QStringLiteral("unknown data %1; use tanks, inspections, "
                                                      "tmls, assessment or due.")
                                           .arg(quoted(value)));
            haveData = true;
        } else {
            return lineError(line, QStringLiteral("unknown header %1; a report file has the "
                                                  "headers Title and Data.")
                                       .arg(quoted(name)));
        }
    }

    if (separator < 0)
        return lineError(lines.size(), QStringLiteral("the header is not followed by an empty "
                                                      "line and the template."));
    const qsizetype separatorLine = separator + 1;
    if (!haveTitle)
        return lineError(separatorLine, QStringLiteral("the header ends without a Title line."));
    if (!haveData)
        return lineError(separatorLine, QStringLiteral("the header ends without a Data line; "
                                                       "use Data: tanks, inspections, tmls or "
                                                       "assessment."));

    definition.templateLine = static_cast<int>(separatorLine + 1);
    definition.templateText = lines.sliced(separator + 1).join(u'\n');
    if (definition.templateText.trimmed().isEmpty())
        return lineError(definition.templateLine,
                         QStringLiteral("the template after the header is empty."));
    if (Status checked = checkTemplate(definition.templateText, definition.templateLine); !checked)
        return checked.takeError();
    return definition;
}

QString findReportFile(const QString& name) {
    if (!isPlainReportName(name))
        return {};
    return datafiles::find(name, reportFolders());
}

Result<ReportDefinition> loadReportDefinition(const QString& name) {
    if (!isPlainReportName(name))
        return Error{QStringLiteral("%1 is not the name of a report file: a report file is "
                                    "named like tank_sum.rpt, without a folder.")
                         .arg(quoted(name))};
    const QString path = findReportFile(name);
    if (path.isEmpty())
        return Error{QStringLiteral("The report file \"%1\" was not found in %2.")
                         .arg(name, listOfFolders(reportFolders()))};
    return readReportFile(path);
}

Result<ReportDefinition> readReportFile(const QString& path) {
    if (!QFileInfo(path).isFile())
        return Error{QStringLiteral("The report file %1 was not found.")
                         .arg(QDir::toNativeSeparators(path))};
    QFile file(path);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.read(MaxReportFileSize + 1); // one byte more shows a file too large
    if (file.error() != QFileDevice::NoError)
        return Error{QStringLiteral("The report file %1 could not be read: %2.")
                         .arg(QDir::toNativeSeparators(path), file.errorString())};
    Result<ReportDefinition> definition = parseReportDefinition(bytes);
    if (!definition)
        return Error{
            QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), definition.error())};
    return definition;
}

} // namespace korvane::reports
