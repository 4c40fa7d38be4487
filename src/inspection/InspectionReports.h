#pragma once

#include "common/Result.h"
#include "engineering/ThicknessRules.h"
#include "storage/InspectionRecords.h"

#include <QString>
#include <QStringList>

#include <array>
#include <vector>

class QPrinter;

namespace korvane {

// The company, location and tank a report is of, as the window's lists show them.
struct ReportHeading {
    QString company;
    QString location;
    QString tank;
};

// "Tank Thickness Readings": the heading, the minimum thickness of every course the tank has
// (the texts of the minimum-wall grid: captions and values, floor first), and every reading of
// the tank by point with its course, date, who took it and the thickness in the units given,
// "Below min." beside a reading below the minimum of its course. Every page repeats the title,
// the company, location and tank, and the column header.
struct ThicknessReport {
    ReportHeading heading;
    QStringList minWallCaptions;    // "Floor", "Course 1", ... one per printed column
    QStringList minWallTexts;       // the grid's texts, same order
    thickness::Minimums minimums{}; // by course code, inches, for the below-minimum mark
    std::vector<TankReading> readings;
    bool unitsUS = true;
};
Status printThicknessReport(QPrinter& printer, const ThicknessReport& report);

// "Shell Settlement Survey Readings": the heading, the survey's date, number, inspector and
// points, the N + 1 rows of the survey grid as shown (point, angle, actual, out-of-plane
// settlement, deflection, "Yes"/"No") under the unit of their lengths, the allowance they are
// judged by, the quality of the fit, and the changed-data line when readings were changed after
// the survey was stored.
struct SurveyReport {
    ReportHeading heading;
    QString date;
    QString number;
    QString inspector;
    int points = 0;
    std::vector<std::array<QString, 6>> rows;
    QString unit;          // of the three lengths: "in." or "mm"
    QString allowanceText; // "Allowable deflection: 0.814 in. ..."; empty when none
    QString fitText;       // "R² = 0.97", with its warning when the fit is poor; empty when none
    bool changed = false;
};
Status printSurveyReport(QPrinter& printer, const SurveyReport& report);

} // namespace korvane
