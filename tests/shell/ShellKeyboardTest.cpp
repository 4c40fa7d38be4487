#include "shell/HelpViewer.h"
#include "shell/OpenDatabaseWindow.h"
#include "shell/PreferencesWindow.h"
#include "shell/ServerWindow.h"
#include "support/ActiveWindow.h"
#include "support/FocusChain.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"
#include "support/TestServices.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace korvane {
namespace {

// Each window of the shell is walked with Tab from its first control: every control is reached
// once, in reading order, and the walk comes round to the start.
TEST(ShellKeyboard, TabRunsThroughEveryWindowInReadingOrder) {
    test::TestDatabase file;
    test::TempDir folder;
    Session session;
    session.DatabaseName = file.path();
    test::TestServices t;

    PreferencesWindow preferences(session, t.services);
    OpenDatabaseWindow open(session, t.services, folder.path());
    ServerWindow server(t.services);
    HelpViewer help(session);
    for (QDialog* window : std::initializer_list<QDialog*>{&preferences, &open, &server, &help}) {
        SCOPED_TRACE(window->windowTitle().toStdString());
        test::showActive(*window);
        test::expectTabOrderFollowsLayout(*window);
        window->hide();
    }
}

// Enter in a box of a small dialog presses its OK; Escape is Cancel.
TEST(ShellKeyboard, EnterIsOkAndEscapeIsCancelInTheServerWindow) {
    test::TestServices t;
    for (const auto key : {Qt::Key_Return, Qt::Key_Escape}) {
        ServerWindow server(t.services);
        test::showActive(server);
        // Nothing typed: OK refuses with its message and the window stays.
        if (key == Qt::Key_Return)
            t.prompts.answerMessage();
        QTest::keyClick(QApplication::focusWidget(), key);
        EXPECT_EQ(server.isVisible(), key == Qt::Key_Return);
        EXPECT_EQ(t.prompts.messages().size(), 1u);
    }
}

} // namespace
} // namespace korvane
