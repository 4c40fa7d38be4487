#include "support/DueDemo.h"

#include "DemoDatabase.h"
#include "data/Database.h"

#include <gtest/gtest.h>

namespace korvane::test {

void writeDueDemo(const QString& path, const QDate& today) {
    ASSERT_TRUE(createDemoDatabase(path, today));
    auto db = Database::open(path);
    ASSERT_TRUE(db);
    const auto run = [&](const char* sql, const QVariantList& values = {}) {
        auto done = db->exec(QString::fromLatin1(sql), values);
        ASSERT_TRUE(done) << done.error().toStdString();
    };
    run("UPDATE \"Tank\" SET \"ExternalLast\" = ? WHERE \"Name\" = 'T-202'",
        {today.addYears(-5).addDays(30).toString(Qt::ISODate)});
    run("UPDATE \"Thickness\" SET \"Reading\" = (SELECT \"Course1_Min\" + 0.01 FROM \"Tank\" "
        "WHERE \"Name\" = 'T-101') WHERE \"PointID\" = 'S1-N' AND \"InspectionID\" = (SELECT "
        "MAX(\"InspectionID\") FROM \"Inspection\" WHERE \"TankID\" = (SELECT \"TankID\" FROM "
        "\"Tank\" WHERE \"Name\" = 'T-101'))");
    run("UPDATE \"ShellSurvey\" SET \"Point05_Settle\" = \"Point05_Settle\" - 3");
}

} // namespace korvane::test
