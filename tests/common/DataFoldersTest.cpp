#include "common/DataFolders.h"

#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <string>

namespace korvane::datafiles {
namespace {

// Run from an empty folder, so that nothing is found there by chance.
class FromEmptyFolder : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir::setCurrent(empty_.path())); }
    void TearDown() override { QDir::setCurrent(previous_); }

    test::TempDir empty_;

private:
    QString previous_ = QDir::currentPath();
};

QString sourceFile(const char* path) {
    return QFileInfo(QStringLiteral(KORVANE_SOURCE_DIR "/") + QLatin1String(path))
        .canonicalFilePath();
}

// The program and the tool started from where the build puts them (build/debug/src/app ...) find
// the help documents and reports of the source tree they were built from.
TEST_F(FromEmptyFolder, TheBuiltProgramsFindTheFilesOfTheirSourceTree) {
    for (const char* program : {KORVANE_APP_DIR, KORVANE_TOOL_DIR}) {
        SCOPED_TRACE(program);
        const QStringList help = folders(QStringLiteral("help"), QLatin1String(program));
        ASSERT_EQ(help.size(), 4);
        EXPECT_EQ(help[0], QDir::currentPath());
        EXPECT_EQ(help[1], QDir::cleanPath(QLatin1String(program)));
        EXPECT_EQ(QFileInfo(help[2]).canonicalFilePath(), sourceFile("resources/help"));
        for (const char* name : {"aboutkv.rtf", "kv_inst1.rtf", "kv_inst6.rtf"}) {
            const QString found = find(QLatin1String(name), help);
            EXPECT_EQ(QFileInfo(found).canonicalFilePath(),
                      sourceFile((std::string("resources/help/") + name).c_str()));
        }
        const QString report = find(QStringLiteral("tank_sum.rpt"),
                                    folders(QStringLiteral("reports"), QLatin1String(program)));
        EXPECT_EQ(QFileInfo(report).canonicalFilePath(),
                  sourceFile("resources/reports/tank_sum.rpt"));
        EXPECT_EQ(find(QStringLiteral("kv_inst9.rtf"), help), QString());
        EXPECT_EQ(find(QString(), help), QString());
    }
    // Any other program of the build (this test) does not look there.
    const QStringList own = folders(QStringLiteral("help"));
    EXPECT_EQ(own.value(1), QCoreApplication::applicationDirPath());
    for (const QString& folder : own)
        EXPECT_NE(QFileInfo(folder).canonicalFilePath(), sourceFile("resources/help"));
}

// An installed program looks beside itself and in its installation's data folder, never in a
// source tree.
TEST_F(FromEmptyFolder, AnInstalledProgramLooksInItsDataFolder) {
    test::TempDir prefix;
    ASSERT_TRUE(QDir(prefix.path()).mkpath(QStringLiteral("bin")));
    const QString bin = prefix.filePath(QStringLiteral("bin"));
    const QStringList list = folders(QStringLiteral("reports"), bin);
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list[0], QDir::currentPath());
    EXPECT_EQ(list[1], bin);
    EXPECT_TRUE(list[2].startsWith(prefix.path() + QLatin1Char('/'))) << list[2].toStdString();
    EXPECT_TRUE(list[2].endsWith(QStringLiteral("/korvane/reports"))) << list[2].toStdString();
}

} // namespace
} // namespace korvane::datafiles
