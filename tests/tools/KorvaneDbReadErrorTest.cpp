#include "data/Database.h"
#include "data/Recordset.h"
#include "data/Select.h"
#include "support/DamagedFile.h"
#include "support/TempDir.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace korvane {
namespace {

// A demo database whose History is damaged half way through its rows: history, assess and
// survey each fail with status 1 and the engine's words, and print no rows as if they were all.
TEST(KorvaneDbReadError, ADamagedFileIsAnErrorForEveryCommandThatReadsIt) {
    test::TempDir dir;
    const QString path = dir.filePath(QStringLiteral("h.mdb"));
    const auto run = [&](const QStringList& args) {
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.start(QStringLiteral(KORVANE_DB_PATH), args);
        EXPECT_TRUE(process.waitForFinished(-1));
        return std::tuple{process.exitCode(),
                          QString::fromLocal8Bit(process.readAllStandardOutput()),
                          QString::fromLocal8Bit(process.readAllStandardError())};
    };
    ASSERT_EQ(std::get<0>(run({QStringLiteral("demo"), path})), 0);
    qint32 inspection = 0, tank = 0;
    {
        auto db = Database::open(path);
        ASSERT_TRUE(db.ok());
        auto survey = db->openRecordset(Select::from(QStringLiteral("ShellSurvey")));
        ASSERT_TRUE(survey.ok() && !survey->eof());
        inspection = survey->value(QStringLiteral("InspectionID")).toInt();
        auto owner = db->firstValue(
            QStringLiteral("SELECT \"TankID\" FROM \"Inspection\" WHERE \"InspectionID\" = ?"),
            {inspection});
        ASSERT_TRUE(owner.ok() && owner->isValid());
        tank = owner->toInt();
    }
    auto readBefore = test::damageMiddleOfTable(path, QStringLiteral("History"));
    ASSERT_TRUE(readBefore.ok()) << readBefore.error().toStdString();
    ASSERT_GT(*readBefore, 0);

    for (const auto& [command, id] :
         {std::pair{"history", tank}, {"assess", tank}, {"survey", inspection}}) {
        const auto [status, out, err] = run({QLatin1String(command), path, QString::number(id)});
        EXPECT_EQ(status, 1) << command;
        EXPECT_TRUE(out.isEmpty()) << command << ": " << out.toStdString();
        EXPECT_TRUE(err.startsWith(QLatin1String("korvane-db: The database file is damaged.")))
            << command << ": " << err.toStdString();
    }
}

} // namespace
} // namespace korvane
