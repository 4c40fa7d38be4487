#include "storage/AssessmentRecords.h"

#include "storage/InspectionRecords.h"

namespace korvane::assessment {

Result<TankAssessment> readAssessment(const QString& databaseName, qint32 tankId) {
    auto inputs = readTankInputs(databaseName, tankId);
    if (!inputs)
        return inputs.takeError();
    return assessTank(inputs->readings, inputs->courses.minimums,
                      {inputs->utFrequency, inputs->externalFrequency});
}

Result<PointTrend> readPointTrend(const QString& databaseName, qint32 tankId,
                                  const QString& pointId) {
    auto inputs = readTankInputs(databaseName, tankId);
    if (!inputs)
        return inputs.takeError();
    return pointTrend(pointId, inputs->readings, inputs->courses.minimums, inputs->utLast,
                      inputs->utFrequency);
}

} // namespace korvane::assessment
