#pragma once

#include "common/Result.h"
#include "engineering/CorrosionAssessment.h"

#include <QString>

namespace korvane::assessment {

// Reads the tank's readings, minimums and schedule and assesses it.
Result<TankAssessment> readAssessment(const QString& databaseName, qint32 tankId);

} // namespace korvane::assessment
