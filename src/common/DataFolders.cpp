#include "common/DataFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

// Set by the build; the defaults keep the file readable on its own.
#ifndef KORVANE_DATA_DIR_FROM_BIN
#define KORVANE_DATA_DIR_FROM_BIN "../share/korvane"
#endif
#ifndef KORVANE_DATA_DIR
#define KORVANE_DATA_DIR "/usr/local/share/korvane"
#endif
// The folders the build puts the program and the command-line tool in.
#ifndef KORVANE_BUILD_APP_DIR
#define KORVANE_BUILD_APP_DIR ""
#endif
#ifndef KORVANE_BUILD_TOOL_DIR
#define KORVANE_BUILD_TOOL_DIR ""
#endif
#ifndef KORVANE_SOURCE_RESOURCES_DIR
#define KORVANE_SOURCE_RESOURCES_DIR ""
#endif

namespace korvane::datafiles {

namespace {

// Whether the folder is where this build put the program or the tool, compared after links are
// resolved.
bool isBuildProgramFolder(const QString& folder) {
    const QString path = QFileInfo(folder).canonicalFilePath();
    if (path.isEmpty())
        return false;
    for (const char* built : {KORVANE_BUILD_APP_DIR, KORVANE_BUILD_TOOL_DIR}) {
        if (*built != '\0' && QFileInfo(QString::fromUtf8(built)).canonicalFilePath() == path)
            return true;
    }
    return false;
}

} // namespace

QStringList folders(const QString& kind) {
    if (!QCoreApplication::instance())
        return {QDir::currentPath(), QDir::cleanPath(QStringLiteral(KORVANE_DATA_DIR "/") + kind)};
    return folders(kind, QCoreApplication::applicationDirPath());
}

QStringList folders(const QString& kind, const QString& programFolder) {
    const QString program = QDir::cleanPath(programFolder);
    QStringList list{QDir::currentPath(), program};
    if (isBuildProgramFolder(program))
        list << QDir::cleanPath(QStringLiteral(KORVANE_SOURCE_RESOURCES_DIR "/") + kind);
    list << QDir::cleanPath(program + QStringLiteral("/" KORVANE_DATA_DIR_FROM_BIN "/") + kind);
    list.removeDuplicates();
    return list;
}

QString find(const QString& name, const QStringList& folders) {
    if (name.isEmpty())
        return {};
    for (const QString& folder : folders) {
        const QFileInfo candidate(QDir(folder).filePath(name));
        if (candidate.isFile())
            return candidate.absoluteFilePath();
    }
    return {};
}

} // namespace korvane::datafiles
