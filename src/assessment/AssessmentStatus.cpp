#include "assessment/AssessmentStatus.h"

namespace korvane {

using assessment::PointStatus;

QColor statusColor(PointStatus status) {
    switch (status) {
    case PointStatus::BelowMinimum:
        return QColor(204, 0, 0);
    case PointStatus::LifeShorterThanUt:
        return QColor(230, 140, 0);
    case PointStatus::Sound:
        return QColor(0, 150, 60);
    case PointStatus::NoMinimum:
    case PointStatus::NoReading:
        return QColor(150, 150, 150);
    }
    return {};
}

QString statusLegend(bool stacked) {
    QStringList entries;
    for (PointStatus status : {PointStatus::BelowMinimum, PointStatus::LifeShorterThanUt,
                               PointStatus::Sound, PointStatus::NoReading})
        entries << QStringLiteral("<span style=\"color:%1\">&#9679;</span>&nbsp;%2")
                       .arg(statusColor(status).name(), assessment::statusText(status));
    return entries.join(stacked ? QStringLiteral("<br>") : QStringLiteral("&nbsp;&nbsp;&nbsp; "));
}

} // namespace korvane
