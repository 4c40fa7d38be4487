#include "common/Clock.h"
#include "platform/Prompts.h"
#include "platform/Services.h"
#include "platform/Session.h"
#include "reports/PrintDialog.h"
#include "shell/HelpViewer.h"
#include "shell/MainWindow.h"

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
    korvane::HelpViewerService help(session, windows, pointer);
    korvane::PrintDialogShower reports;
    korvane::Services services{prompts, clock, printers, windows, pointer, help, reports};

    korvane::MainWindow window(session, services);
    window.show();
    return QApplication::exec();
}
