#include "platform/Prompts.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace korvane {
namespace {

using Answer = Prompts::Answer;
using Buttons = Prompts::Buttons;
using Icon = Prompts::Icon;

// Answers the next message box by a key, as a user at the keyboard does.
Answer answerByKey(Icon icon, Buttons buttons, Qt::Key key) {
    QTimer::singleShot(0, [key] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(qobject_cast<QMessageBox*>(box), nullptr);
        QTest::keyClick(box, key);
    });
    WidgetPrompts prompts;
    return prompts.message(QStringLiteral("This will cause all changes to be ignored!"),
                           QStringLiteral("Cancel Update"), icon, buttons);
}

// Enter takes the button that loses nothing: a warning's Cancel keeps the work, a notice goes on.
// Escape always takes the answer that changes nothing.
TEST(PromptsTest, EnterAndEscapeTakeTheSafeAnswer) {
    const struct {
        Icon icon;
        Buttons buttons;
        Qt::Key key;
        Answer expected;
    } cases[] = {
        {Icon::Exclamation, Buttons::OkCancel, Qt::Key_Return, Answer::Cancel},
        {Icon::Stop, Buttons::OkCancel, Qt::Key_Enter, Answer::Cancel},
        {Icon::Information, Buttons::OkCancel, Qt::Key_Return, Answer::Ok},
        {Icon::Exclamation, Buttons::OkCancel, Qt::Key_Escape, Answer::Cancel},
        {Icon::Question, Buttons::YesNo, Qt::Key_Return, Answer::Yes},
        {Icon::Question, Buttons::YesNo, Qt::Key_Escape, Answer::No},
        {Icon::Exclamation, Buttons::Ok, Qt::Key_Return, Answer::Ok},
    };
    for (const auto& c : cases)
        EXPECT_EQ(answerByKey(c.icon, c.buttons, c.key), c.expected)
            << int(c.icon) << " " << int(c.buttons) << " " << c.key;
}

} // namespace
} // namespace korvane
