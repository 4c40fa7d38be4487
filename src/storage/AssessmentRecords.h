#pragma once

#include "common/Result.h"
#include "engineering/CorrosionAssessment.h"
#include "engineering/PointTrend.h"

#include <QString>

namespace korvane::assessment {

// Reads the tank's readings, minimums and schedule and assesses it.
Result<TankAssessment> readAssessment(const QString& databaseName, qint32 tankId);

// Reads the tank's readings, minimums and ultrasonic schedule and gives one point's trend.
Result<PointTrend> readPointTrend(const QString& databaseName, qint32 tankId,
                                  const QString& pointId);

} // namespace korvane::assessment
