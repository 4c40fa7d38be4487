#include "support/PdfText.h"

#include <QProcess>
#include <QRegularExpression>

namespace korvane::test {

QString runTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitCode() != 0)
        return QStringLiteral("<%1 failed: %2>").arg(program, process.readAllStandardError());
    return QString::fromUtf8(process.readAllStandardOutput());
}

QStringList pdfPages(const QString& pdf) {
    QStringList pages =
        runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")})
            .split(u'\f');
    if (!pages.isEmpty() && pages.back().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

std::vector<PdfPage> pdfWordBoxes(const QString& pdf) {
    const QString html =
        runTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    static const QRegularExpression tag(
        QStringLiteral("<page width=\"[\\d.]+\" height=\"([\\d.]+)\">|"
                       "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                       "yMax=\"([\\d.]+)\">([^<]*)</word>"));
    std::vector<PdfPage> pages;
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.capturedLength(1) > 0) {
            pages.push_back({m.captured(1).toDouble(), {}});
        } else if (!pages.empty()) {
            pages.back().words.push_back({m.captured(6), m.captured(3).toDouble(),
                                          m.captured(5).toDouble(), m.captured(2).toDouble(),
                                          m.captured(4).toDouble()});
        }
    }
    return pages;
}

} // namespace korvane::test
