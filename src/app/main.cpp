#include "common/Clock.h"
#include "platform/Prompts.h"
#include "platform/Services.h"
#include "shell/MainWindow.h"
#include "shell/Session.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvane 2000"));
    QApplication::setOrganizationName(QStringLiteral("Korvane"));

    korvane::Session session;
    korvane::WidgetPrompts prompts;
    korvane::SystemClock clock;
    korvane::PrinterProvider printers;
    korvane::WindowShower windows;
    korvane::BusyPointer pointer;
    korvane::Services services{prompts, clock, printers, windows, pointer};

    korvane::MainWindow window(session, services);
    window.show();
    return QApplication::exec();
}
