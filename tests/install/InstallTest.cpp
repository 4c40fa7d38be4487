#include "shell/HelpViewer.h"
#include "support/AccessFiles.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include <string>

namespace korvane {
namespace {

// Runs a program to its end: empty when it succeeds, else what it said on stderr.
std::string failure(const QString& program, const QStringList& args, const QString& dir = {}) {
    QProcess process;
    process.setWorkingDirectory(dir);
    process.start(program, args);
    if (process.waitForFinished(300000) && process.exitStatus() == QProcess::NormalExit &&
        process.exitCode() == 0)
        return {};
    return (program + ": " + QString::fromLocal8Bit(process.readAllStandardError())).toStdString();
}

// The build installed into a fresh prefix, as `cmake --install` puts it.
class Installed : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(
            failure(KORVANE_CMAKE, {"--install", KORVANE_BUILD_DIR, "--prefix", prefix_.path()}),
            "");
    }
    QDir bin() const { return QDir(prefix_.filePath(KORVANE_BINDIR)); }

    test::TempDir prefix_;
};

// Run from a folder without report files, with none beside the program either, so every report
// must be read from the installed data folder.
TEST_F(Installed, ToolRendersEveryStoredReportFromTheInstalledDataFolder) {
    EXPECT_EQ(bin().entryList(QDir::Files, QDir::Name), QStringList({"korvane", "korvane-db"}));
    test::TempDir work;
    const QString tool = bin().filePath("korvane-db");
    ASSERT_EQ(failure(tool, {"demo", "demo.mdb"}, work.path()), "");
    const QStringList reports = QDir(KORVANE_REPORT_FILES).entryList({"*.rpt"});
    EXPECT_EQ(reports.size(), 7);
    for (const QString& report : reports)
        EXPECT_EQ(failure(tool, {"report", "demo.mdb", report, "", report + ".pdf"}, work.path()),
                  "");
}

// The installed programs read Access files through the reader installed with them, off the
// user's path: the installed tool imports the renamed table of a public Access file.
TEST_F(Installed, ToolImportsThroughTheInstalledReader) {
    EXPECT_TRUE(QFileInfo(prefix_.filePath(KORVANE_LIBEXECDIR "/korvane/korvane-mdb-reader"))
                    .isExecutable());
    test::TempDir work;
    test::writeAccessFile(test::AccessFile::Jet3Location, work.filePath("old.mdb"));
    EXPECT_EQ(failure(bin().filePath("korvane-db"), {"import", "old.mdb", "new.mdb"}, work.path()),
              "");
    EXPECT_TRUE(QFileInfo::exists(work.filePath("new.mdb")));
}

TEST_F(Installed, HelpOfEveryTopicLiesWhereTheViewerLooksFromTheProgram) {
    const QDir help(bin().filePath(KORVANE_HELP_FROM_BIN));
    int topic = 0;
    for (; !HelpViewer::topicDocument(topic).isEmpty(); ++topic)
        EXPECT_TRUE(help.exists(HelpViewer::topicDocument(topic))) << topic;
    EXPECT_GT(topic, 0);
}

} // namespace
} // namespace korvane
