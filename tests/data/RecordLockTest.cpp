#include "EachEngine.h"
#include "data/Recordset.h"
#include "data/Select.h"
#include "support/LockHolderProcess.h"
#include "support/TestDatabase.h"

#include <QProcess>
#include <QSet>
#include <QSysInfo>
#include <QThread>

#include <gtest/gtest.h>

namespace korvane {
namespace {

class RecordLockTest : public test::EachEngine {};

// The second program, holding the tank row open for editing.
class Holder : public test::LockHolderProcess {
public:
    Holder(const QString& db, qint32 tank)
        : LockHolderProcess(QStringLiteral(LOCK_HOLDER_PATH), db, tank) {}
};

Result<Recordset> openTank(const test::TestDatabase& file, qint32 tank) {
    auto db = Database::open(file.path());
    if (!db)
        return db.takeError();
    return db->openRecordset(
        Select::from(QStringLiteral("Tank")).where(QStringLiteral("TankID"), tank), true);
}

TEST_P(RecordLockTest, SecondProgramIsRefusedWhileTheRowIsOpenForEditing) {
    test::TestDatabase file(GetParam());
    const qint32 tank = file.addTank(1, QStringLiteral("T-101"));
    const qint32 other = file.addTank(1, QStringLiteral("T-102"));
    Holder holder(file.path(), tank);
    ASSERT_EQ(holder.waitForLine(), QStringLiteral("locked"));

    auto rs = openTank(file, tank);
    ASSERT_TRUE(rs.ok());
    const Status refused = rs->edit();
    ASSERT_FALSE(refused.ok());
    EXPECT_TRUE(refused.error().contains(QStringLiteral("Tank \"T-101\" (TankID %1)").arg(tank)))
        << refused.error().toStdString();
    // On a server the message also names who holds the row: the database user and the computer.
    EXPECT_EQ(refused.error().endsWith(QStringLiteral(" It is open for editing by postgres on %1.")
                                           .arg(QSysInfo::machineHostName())),
              onServer())
        << refused.error().toStdString();
    EXPECT_EQ(rs->editMode(), Recordset::EditMode::None);

    // Other rows, and reading the locked one, are not held up.
    EXPECT_EQ(rs->text(QStringLiteral("Name")), QStringLiteral("T-101"));
    auto second = openTank(file, other);
    ASSERT_TRUE(second.ok());
    EXPECT_TRUE(second->edit().ok());

    holder.finishEdit();
    ASSERT_TRUE(rs->edit().ok());
    ASSERT_TRUE(rs->setValue(QStringLiteral("Product"), QStringLiteral("Diesel")).ok());
    ASSERT_TRUE(rs->update().ok());
}

TEST_P(RecordLockTest, LockOfACrashedProgramDoesNotBlock) {
    test::TestDatabase file(GetParam());
    const qint32 tank = file.addTank(1, QStringLiteral("T-101"));
    Holder holder(file.path(), tank);
    ASSERT_EQ(holder.waitForLine(), QStringLiteral("locked"));
    holder.crash();
    auto rs = openTank(file, tank);
    ASSERT_TRUE(rs.ok());
    // A server notices the lost connection a moment after the holder is gone.
    Status edit = rs->edit();
    for (int tries = 0; !edit && onServer() && tries < 100; ++tries) {
        QThread::msleep(50);
        edit = rs->edit();
    }
    EXPECT_TRUE(edit.ok()) << edit.error().toStdString();
}

TEST_P(RecordLockTest, HeldHereRefusesTheOtherProgramAndIsGivenUpOnEachUpdate) {
    test::TestDatabase file(GetParam());
    const qint32 tank = file.addTank(1, QStringLiteral("T-101"));
    auto rs = openTank(file, tank);
    ASSERT_TRUE(rs.ok());
    ASSERT_TRUE(rs->edit().ok());
    // The same row opened again in this program is refused as well.
    auto again = openTank(file, tank);
    ASSERT_TRUE(again.ok());
    EXPECT_FALSE(again->edit().ok());
    {
        Holder holder(file.path(), tank);
        EXPECT_TRUE(holder.waitForLine().startsWith(QStringLiteral("refused: Tank \"T-101\"")));
    }
    ASSERT_TRUE(rs->update().ok());
    // Given up inside this program too: the row is edited and saved a second time here, and
    // after that the other program has it.
    ASSERT_TRUE(rs->edit().ok());
    ASSERT_TRUE(rs->setValue(QStringLiteral("Product"), QStringLiteral("Diesel")).ok());
    ASSERT_TRUE(rs->update().ok());
    Holder after(file.path(), tank);
    EXPECT_EQ(after.waitForLine(), QStringLiteral("locked"));
    after.finishEdit();
}

class TwoProgramsTest : public test::EachEngine {};

// Two programs each add inspections as fast as they can, at the same time: every row is kept
// and every key is different.
TEST_P(TwoProgramsTest, AddingInspectionsAtOnceGivesEachRowItsOwnKey) {
    test::TestDatabase file(GetParam());
    const qint32 tank = file.addTank(1, QStringLiteral("T-101"));
    constexpr int Each = 40;
    QProcess first, second;
    for (QProcess* p : {&first, &second})
        p->start(QStringLiteral(ROW_ADDER_PATH),
                 {file.path(), QString::number(tank), QString::number(Each)});
    QSet<QString> keys;
    for (QProcess* p : {&first, &second}) {
        ASSERT_TRUE(p->waitForFinished(120000));
        EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
        const QStringList lines =
            QString::fromLatin1(p->readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        EXPECT_EQ(lines.size(), Each);
        for (const QString& line : lines)
            keys.insert(line);
    }
    EXPECT_EQ(keys.size(), 2 * Each);
    EXPECT_EQ(file.count(QStringLiteral("Inspection")), 2 * Each);
}

INSTANTIATE_TEST_SUITE_P(Engines, TwoProgramsTest, test::AllEngines, test::engineName);

INSTANTIATE_TEST_SUITE_P(Engines, RecordLockTest, test::AllEngines, test::engineName);

} // namespace
} // namespace korvane
