#include "graphics/TmlRecords.h"

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
    ASSERT_TRUE(tml::write(file.path(), tank, {odd, 1, 10, 20}));
    ASSERT_TRUE(tml::write(file.path(), other, {odd, 3, 1, 2}));
    // Accepting the point again moves it to another page with new coordinates.
    ASSERT_TRUE(tml::write(file.path(), tank, {odd, 2, 30.5, 40}));
    EXPECT_EQ(file.count(QStringLiteral("TML")), 2);

    const auto found = tml::find(file.path(), tank, odd);
    ASSERT_TRUE(found && found.value());
    EXPECT_EQ(found.value()->pointId, odd);
    EXPECT_EQ(found.value()->page, 2);
    EXPECT_EQ(found.value()->x, 30.5);
    EXPECT_EQ(found.value()->y, 40);
    EXPECT_FALSE(tml::find(file.path(), tank, QStringLiteral("O'Neil")).value());

    EXPECT_TRUE(tml::remove(file.path(), tank, odd).value());
    EXPECT_FALSE(tml::remove(file.path(), tank, odd).value());
    // The other tank's point of the same name stays.
    EXPECT_TRUE(tml::find(file.path(), other, odd).value());
}

TEST_F(TmlRecordsTest, TheLatestReadingOverAllTheTanksInspections) {
    const qint32 first = inspection(tank);
    const qint32 second = inspection(tank);
    reading(first, "A-1", "01/Mar/2021", 0.31);
    reading(second, "A-1", "02/May/2023", 0.27);
    reading(first, "A-1", "01/Apr/2022", 0.29);
    reading(second, "B-1", "01/Jan/2024", 0.5);
    reading(inspection(other), "A-1", "01/Jun/2024", 0.1);
    EXPECT_EQ(tml::latestReading(file.path(), tank, QStringLiteral("A-1")).value(), 0.27);
    // Two readings of one day: the one entered last.
    reading(first, "A-1", "02/May/2023", 0.26);
    EXPECT_EQ(tml::latestReading(file.path(), tank, QStringLiteral("A-1")).value(), 0.26);
    EXPECT_FALSE(tml::latestReading(file.path(), tank, QStringLiteral("C-1")).value());
}

} // namespace
} // namespace korvane
