#include "platform/Services.h"

#include <QDialog>
#include <QWidget>

namespace korvane {

int WindowShower::showModal(QDialog& window) {
    return window.exec();
}

void BusyPointer::setBusy(QWidget& window, bool busy) {
    if (busy)
        window.setCursor(Qt::WaitCursor);
    else
        window.unsetCursor();
}

int showChildWindow(Services& services, QWidget& opener, QDialog& child) {
    services.pointer.setBusy(opener, true);
    const int result = services.windows.showModal(child);
    services.pointer.setBusy(opener, false);
    return result;
}

} // namespace korvane
