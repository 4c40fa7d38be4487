#pragma once

#include "common/Result.h"
#include "engineering/TankReading.h"
#include "engineering/ThicknessRules.h"

#include <QDate>
#include <QString>

#include <vector>

namespace korvane {

class Database;
class Select;

// One inspection as the inspection grids list it.
struct InspectionListRow {
    qint32 inspectionId = 0;
    QString date;   // "dd/mmm/yyyy"
    QString number; // InspectionNum as stored; may be empty
    int type = 0;   // the stored InspectionType code; 0 when none is stored
    QString reason;
};

// The inspections of one tank, in the order the table holds them.
Select inspectionListQuery(qint32 tankId);
Result<std::vector<InspectionListRow>> readInspections(const QString& databaseName, qint32 tankId);

// Every reading of every inspection of one tank, by point, each point's readings oldest first.
// The tank is a bound value, so a tank without inspections simply has no readings.
Select tankReadingsQuery(qint32 tankId);
Result<std::vector<TankReading>> readTankReadings(const QString& databaseName, qint32 tankId);
// Whether the Thickness table has the Checks field (a file made before readings were checked
// has not, until the field is added).
Result<bool> hasChecksField(const Database& db);

// The tank's number of shell courses and the minimum thickness of each (Course1_Min onwards),
// by course code.
struct CourseMinimums {
    int courses = 0;
    thickness::Minimums minimums{};
};
Result<CourseMinimums> readCourseMinimums(const QString& databaseName, qint32 tankId);

// What a tank's readings are judged by: its courses and their minimums, its ultrasonic and
// external schedules (stored frequencies, 0 for none), and every reading of every inspection
// with its flags, by point (letter case of ASCII letters not counting, as a file compares IDs),
// date as stored and key.
struct TankInputs {
    CourseMinimums courses;
    double utFrequency = 0;
    double externalFrequency = 0;
    QDate utLast; // invalid when none
    std::vector<TankReading> readings;
};
Result<TankInputs> readTankInputs(const QString& databaseName, qint32 tankId);

} // namespace korvane
