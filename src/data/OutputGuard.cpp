#include "data/OutputGuard.h"

#include "data/ServerAddress.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace korvane {

bool isSameFile(const QString& a, const QString& b) {
#ifdef Q_OS_UNIX
    // The device and file number tell one file by itself, whatever leads to it.
    struct stat first {};
    struct stat second {};
    if (::stat(QFile::encodeName(a).constData(), &first) != 0 ||
        ::stat(QFile::encodeName(b).constData(), &second) != 0)
        return false;
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
#else
    const QString first = QFileInfo(a).canonicalFilePath();
    return !first.isEmpty() &&
           first.compare(QFileInfo(b).canonicalFilePath(), Qt::CaseInsensitive) == 0;
#endif
}

Status checkNotAnInput(const QString& path, const std::vector<InputFile>& inputs) {
    for (const InputFile& input : inputs)
        if (!server::isServerName(input.path) && isSameFile(path, input.path))
            return Error{QStringLiteral("\"%1\" is the same file as %2 \"%3\"; nothing was "
                                        "written.")
                             .arg(path, input.role, input.path)};
    return {};
}

Status checkOutputFile(const QString& path, const std::vector<InputFile>& inputs,
                       const OutputKind& kind, bool replace) {
    if (Status apart = checkNotAnInput(path, inputs); !apart)
        return apart;
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    if (info.isDir())
        return Error{QStringLiteral("\"%1\" is a folder; nothing was written.").arg(path)};
    if (!kind.isOwn)
        return Error{
            QStringLiteral("The file \"%1\" already exists; it was not overwritten.").arg(path)};
    if (replace || info.size() == 0)
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Error{QStringLiteral("\"%1\" exists and cannot be read: %2; nothing was written.")
                         .arg(path, file.errorString())};
    if (!kind.isOwn(file.read(4096)))
        return Error{QStringLiteral("\"%1\" exists and is not %2; it was not overwritten. Give "
                                    "--force to replace it.")
                         .arg(path, kind.name)};
    return {};
}

OutputKind pdfOutput() {
    return {QStringLiteral("a PDF file"), [](const QByteArray& head) {
                return head.startsWith("%PDF-");
            }};
}

OutputKind csvOutput(const QString& name, const QString& headerLine) {
    return {name, [header = headerLine.toUtf8()](const QByteArray& head) {
                return head.startsWith(header) &&
                       (head.size() == header.size() || head.at(header.size()) == '\n' ||
                        head.at(header.size()) == '\r');
            }};
}

} // namespace korvane
