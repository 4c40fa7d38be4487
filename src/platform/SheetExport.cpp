#include "platform/SheetExport.h"

#include "platform/BusyScope.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace korvane {

namespace {

// Writes a file that must not exist yet; a file left half written is removed again, since it
// was made here.
Status writeNewFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return Error{QStringLiteral("\"%1\" could not be written: %2")
                         .arg(QDir::toNativeSeparators(path), file.errorString())};
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    const QString problem = file.errorString();
    file.close();
    if (!written || file.error() != QFileDevice::NoError) {
        file.remove();
        return Error{QStringLiteral("\"%1\" could not be written: %2")
                         .arg(QDir::toNativeSeparators(path), problem)};
    }
    return {};
}

} // namespace

void exportSheet(QWidget& window, Services& services, const QString& title,
                 const QString& suggestion, const std::function<sheet::Sheet()>& make) {
    QString path = services.prompts.saveFileName(
        title, QStringLiteral("CSV files (*.csv);;Excel workbooks (*.xlsx)"), suggestion);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QLatin1Char('.') + QFileInfo(suggestion).suffix();
    if (QFileInfo::exists(path)) {
        services.prompts.message(
            QStringLiteral("\"%1\" already exists. An export never replaces a file: choose "
                           "another name.")
                .arg(QFileInfo(path).fileName()),
            title, Prompts::Icon::Exclamation);
        return;
    }
    const bool workbook =
        QFileInfo(path).suffix().compare(QLatin1String("xlsx"), Qt::CaseInsensitive) == 0;
    Status written = [&] {
        BusyScope busy(services.pointer, window);
        const sheet::Sheet table = make();
        return workbook ? sheet::writeXlsx(table, path)
                        : writeNewFile(path, sheet::csv(table).toUtf8());
    }();
    if (!written)
        services.prompts.message(written.error(), title, Prompts::Icon::Exclamation);
}

QString exportSuggestion(const QString& databaseName, const QString& name, const QString& suffix) {
    QString plain = name;
    plain.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9 ._#()-]")), QStringLiteral("_"));
    const QFileInfo database(databaseName);
    const QString folder = database.isFile() ? database.absolutePath() : QDir::homePath();
    return QDir(folder).filePath(plain + QLatin1Char('.') + suffix);
}

} // namespace korvane
