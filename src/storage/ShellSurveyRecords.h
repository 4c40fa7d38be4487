#pragma once

#include "common/Result.h"
#include "engineering/ShellSettlement.h"

#include <QString>

#include <optional>
#include <vector>

namespace korvane {

// The shell settlement survey stored with an inspection (at most one per inspection).
struct StoredSurvey {
    qint32 inspectionId = 0;
    QString number; // InspectionNum of the survey
    QString date;   // DateTaken, "dd/mmm/yyyy"
    QString takenBy;
    QString comments;
    int points = 0;                 // SurveyPoints, N
    std::vector<double> readingsIn; // Point01_Settle .. PointNN_Settle, N values (0 for a Null);
                                    // none when N is outside 1 .. 48
};

// "Point01_Settle" .. "Point48_Settle".
QString settleField(int point);

// The survey of an inspection; no value when it has none.
Result<std::optional<StoredSurvey>> readShellSurvey(const QString& databaseName,
                                                    qint32 inspectionId);

// The tank an inspection belongs to; no value when there is no such inspection.
Result<std::optional<qint32>> readInspectionTankId(const QString& databaseName,
                                                   qint32 inspectionId);

// The tank's diameter and shell height in feet (stored in whole inches) and yield strength.
Result<settlement::TankValues> readSurveyTank(const QString& databaseName, qint32 tankId);

} // namespace korvane
