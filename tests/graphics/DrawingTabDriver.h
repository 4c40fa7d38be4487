#pragma once

#include "drawing/SurfaceDriver.h"
#include "graphics/DrawingTab.h"

#include <QLabel>
#include <QStringList>
#include <QWidget>

namespace korvane::test {

// Pages every drawing tab of a window on as far as it goes and gives the page counters then
// shown: roof and floor, shell, other.
inline QStringList countersPagedToTheEnd(QWidget& window) {
    for (DrawingTab* tab : window.findChildren<DrawingTab*>())
        tab->showPage(1000);
    QStringList shown;
    for (const char* counter : {"Label_RFPage", "Graph_CountS", "Graph_CountO"}) {
        const auto* label = window.findChild<QLabel*>(QLatin1String(counter));
        shown << (label ? label->text() : QStringLiteral("<no %1>").arg(QLatin1String(counter)));
    }
    return shown;
}

} // namespace korvane::test
