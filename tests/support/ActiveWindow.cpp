#include "support/ActiveWindow.h"

#include <QApplication>
#include <QWidget>

namespace korvane::test {

void showActive(QWidget& window) {
    window.show();
    QApplication::setActiveWindow(&window);
    QApplication::processEvents();
}

} // namespace korvane::test
