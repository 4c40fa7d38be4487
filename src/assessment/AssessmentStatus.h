#pragma once

#include "engineering/CorrosionAssessment.h"

#include <QColor>
#include <QString>

namespace korvane {

// How a point's status is shown: its colour, always beside its words, and the legend of them.
QColor statusColor(assessment::PointStatus status);
// The coloured discs, each followed by its status in words (rich text), on one line or one
// below the other.
QString statusLegend(bool stacked = false);

} // namespace korvane
