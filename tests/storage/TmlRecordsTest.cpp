#include "storage/TmlRecords.h"

#include "data/Database.h"
#include "data/Engine.h"
#include "storage/AreaRecords.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

class TmlRecordsTest : public testing::Test {
protected:
    TmlRecordsTest() {
        const qint32 location = file.addLocation(file.addCompany(QStringLiteral("Gulf")),
                                                 QStringLiteral("Port Arthur"));
        tank = file.addTank(location, QStringLiteral("T-1"));
        other = file.addTank(location, QStringLiteral("T-2"));
    }
    qint32 inspection(qint32 tankId) const {
        return file.add(QStringLiteral("Inspection"), {{"TankID", tankId}});
    }
    void reading(qint32 inspectionId, const char* point, const char* date, double inches) const {
        file.add(QStringLiteral("Thickness"), {{"InspectionID", inspectionId},
                                               {"PointID", point},
                                               {"DateTaken", date},
                                               {"Reading", inches}});
    }

    test::TestDatabase file;
    qint32 tank = 0;
    qint32 other = 0;
};

TEST_F(TmlRecordsTest, OneRowPerPointOfATankWhateverItsCharacters) {
    const QString odd = QStringLiteral("O'Neil \"7\"; DROP TABLE TML");
    Database db = file.open();
    ASSERT_TRUE(tml::write(db, tank, {odd, 1, 10, 20}));
    ASSERT_TRUE(tml::write(db, other, {odd, 3, 1, 2}));
    // Accepting the point again moves it to another page with new coordinates.
    ASSERT_TRUE(tml::write(db, tank, {odd, 2, 30.5, 40}));
    EXPECT_EQ(file.count(QStringLiteral("TML")), 2);

    const auto found = tml::find(db, tank, odd);
    ASSERT_TRUE(found && found.value());
    EXPECT_EQ(found.value()->pointId, odd);
    EXPECT_EQ(found.value()->page, 2);
    EXPECT_EQ(found.value()->x, 30.5);
    EXPECT_EQ(found.value()->y, 40);
    EXPECT_FALSE(tml::find(db, tank, QStringLiteral("O'Neil")).value());

    EXPECT_TRUE(tml::remove(db, tank, odd).value());
    EXPECT_FALSE(tml::remove(db, tank, odd).value());
    // The other tank's point of the same name stays.
    EXPECT_TRUE(tml::find(db, other, odd).value());
}

TEST_F(TmlRecordsTest, TheLatestReadingOverAllTheTanksInspections) {
    const qint32 first =
        file.add(QStringLiteral("Inspection"), {{"TankID", tank}, {"InspectionNum", "2021-01"}});
    const qint32 second = file.add(QStringLiteral("Inspection"),
                                   {{"TankID", tank}, {"InspectionDate", "01/May/2023"}});
    reading(first, "A-1", "01/Mar/2021", 0.31);
    reading(second, "A-1", "02/May/2023", 0.27);
    reading(first, "A-1", "01/Apr/2022", 0.29);
    reading(second, "B-1", "01/Jan/2024", 0.5);
    reading(inspection(other), "A-1", "01/Jun/2024", 0.1);
    const auto latest = [&](const char* point) {
        auto found = tml::latestMeasurement(file.path(), tank, QString::fromLatin1(point));
        EXPECT_TRUE(found) << found.error().toStdString();
        return found ? found.value() : std::nullopt;
    };
    const auto a1 = latest("A-1");
    ASSERT_TRUE(a1);
    EXPECT_EQ(a1->reading, 0.27);
    EXPECT_EQ(a1->date, QStringLiteral("02/May/2023"));
    EXPECT_EQ(a1->inspectionDate, QStringLiteral("01/May/2023"));
    // Two readings of one day: the one entered last.
    reading(first, "A-1", "02/May/2023", 0.26);
    EXPECT_EQ(latest("A-1")->reading, 0.26);
    EXPECT_EQ(latest("A-1")->inspectionNum, QStringLiteral("2021-01"));
    EXPECT_FALSE(latest("C-1"));
}

// Points held by a window, each changed by another program afterwards in its own way: OK names
// each point whose row is no longer what the window read (keys in any letter case), leaves the
// others, and after naming them stores the window's rows over theirs.
TEST_F(TmlRecordsTest, HeldPointsNameWhatAnotherProgramChangedMeanwhile) {
    Database db = file.open();
    for (const char* point : {"Kept", "Changed", "Gone"})
        ASSERT_TRUE(tml::write(db, tank, {QString::fromLatin1(point), 1, 1, 1}));
    LinkedRows<TmlPoint> held(tml::access());
    for (const char* point : {"KEPT", "changed", "gone", "New"}) {
        const QString key = QString::fromLatin1(point);
        auto change = held.change(file.path(), tank, key, TmlPoint{key, 2, 5, 5});
        ASSERT_TRUE(change);
        held.apply(change.value(), true);
    }
    EXPECT_EQ(held.find(file.path(), tank, QStringLiteral("new")).value()->x, 5);

    ASSERT_TRUE(tml::write(db, tank, {QStringLiteral("Changed"), 1, 9, 9}));
    ASSERT_TRUE(tml::remove(db, tank, QStringLiteral("Gone")));
    ASSERT_TRUE(tml::write(db, tank, {QStringLiteral("NEW"), 3, 7, 7}));
    EXPECT_EQ(held.conflicts(db).value(),
              QStringList({"Point \"changed\" was changed.", "Point \"gone\" was deleted.",
                           "Point \"New\" was added."}));
    EXPECT_EQ(held.conflicts(db).value(), QStringList());
    ASSERT_TRUE(db.transaction([&] { return held.store(db); }));
    for (const char* point : {"Kept", "Changed", "Gone", "New"})
        EXPECT_EQ(tml::find(db, tank, QString::fromLatin1(point)).value()->x, 5) << point;
    EXPECT_EQ(file.count(QStringLiteral("TML")), 4);
}

// What "Current Thickness" says, in both unit systems, with what is known of the reading.
TEST(CurrentThickness, TheReadingWithItsUnitDateAndInspection) {
    const struct {
        std::optional<tml::Measurement> measurement;
        bool unitsUS;
        const char* shown;
    } cases[] = {
        {tml::Measurement{0.25, "05/Mar/2021", "2021-01", "01/Mar/2021"}, true,
         "0.250 in. on 05/Mar/2021, inspection 2021-01"},
        {tml::Measurement{0.25, "05/Mar/2021", "2021-01", ""}, false,
         "6.35 mm on 05/Mar/2021, inspection 2021-01"},
        {tml::Measurement{0.0625, "", "", "01/Mar/2021"}, true,
         "0.063 in., inspection of 01/Mar/2021"},
        {tml::Measurement{1.5, "05/Mar/2021", "", ""}, false, "38.10 mm on 05/Mar/2021"},
        {std::nullopt, true, "never measured"},
        {std::nullopt, false, "never measured"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(tml::currentThicknessText(c.measurement, c.unitsUS), QLatin1String(c.shown));
}

// An area another window or user is editing is not written over: the write fails with the
// message of the lock, and the stored row stays as it was.
TEST_F(TmlRecordsTest, AnAreaBeingEditedElsewhereIsNotWrittenOver) {
    const qint32 inspectionId = inspection(tank);
    file.add(QStringLiteral("EdgeSettle"),
             {{"InspectionID", inspectionId}, {"AreaID", "E-1"}, {"Radius", 12.0}});
    Database elsewhere = file.open();
    auto rowid = elsewhere.firstValue(QStringLiteral("SELECT rowid FROM EdgeSettle"));
    ASSERT_TRUE(rowid && rowid->isValid());
    auto held = elsewhere.engine()->lock(QStringLiteral("EdgeSettle"), rowid->toLongLong(),
                                         QStringLiteral("E-1 is being edited elsewhere."));
    ASSERT_TRUE(held) << held.error().toStdString();

    Database db = file.open();
    AreaRow area;
    area.areaId = QStringLiteral("E-1");
    area.measures = {24, 0, 0};
    const Status written = areas::write(db, AreaTable::EdgeSettle, inspectionId, area);
    ASSERT_FALSE(written);
    EXPECT_TRUE(written.error().contains(QStringLiteral("being edited")))
        << written.error().toStdString();
    auto stored = areas::find(db, AreaTable::EdgeSettle, inspectionId, QStringLiteral("E-1"));
    ASSERT_TRUE(stored && stored->has_value());
    EXPECT_EQ((*stored)->measures[0], 12.0);
}

} // namespace
} // namespace korvane
