#include "assessment/AssessmentWindow.h"
#include "common/Clock.h"
#include "data/ServerAddress.h"
#include "history/HistoryWindow.h"
#include "platform/Keyboard.h"
#include "platform/Prompts.h"
#include "platform/Services.h"
#include "platform/Session.h"
#include "printdialog/PrintDialog.h"
#include "shell/HelpViewer.h"
#include "shell/MainWindow.h"

#include <QApplication>
#include <QTimer>

#include <algorithm>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvane 2000"));
    QApplication::setOrganizationName(QStringLiteral("Korvane"));
    korvane::installKeyboardConventions(app);

    korvane::Session session;
    korvane::WidgetPrompts prompts;
    korvane::SystemClock clock;
    korvane::PrinterProvider printers;
    korvane::WindowShower windows;
    korvane::BusyPointer pointer;
    korvane::HelpViewerService help(session, windows, pointer);
    korvane::PrintDialogShower reports;
    korvane::HistoryWindowShower history;
    korvane::AssessmentWindowShower assessment;
    korvane::Services services{prompts, clock,   printers, windows,   pointer,
                               help,    reports, history,  assessment};

    korvane::MainWindow window(session, services);
    window.show();
    // A database named on the command line (as the desktop's launcher passes a file chosen in
    // the file manager, or a server URL such as postgresql://user@host/database) is opened as
    // soon as the window is up, with the checks of File > Open; a server that wants a password
    // asks for it then.
    const QStringList arguments = QApplication::arguments().mid(1);
    const auto named = std::find_if(arguments.cbegin(), arguments.cend(), [](const QString& a) {
        return !a.startsWith(QLatin1Char('-'));
    });
    if (named != arguments.cend()) {
        const QString path = *named;
        QTimer::singleShot(0, &window, [&window, path] { window.openDatabaseFile(path); });
    }
    const int code = QApplication::exec();
    // Connections to a server kept open between operations are closed before the program ends.
    korvane::server::closeIdleConnections();
    return code;
}
