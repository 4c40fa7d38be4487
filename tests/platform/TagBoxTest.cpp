#include "platform/TagBox.h"

#include "platform/WindowControls.h"
#include "support/ActiveWindow.h"
#include "support/QtPrinters.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace korvane {
namespace {

class TagBoxTest : public testing::Test {
protected:
    TagBoxTest() {
        auto* layout = new QVBoxLayout(&window);
        box = new TagBox(&window);
        other = new QLineEdit(&window);
        layout->addWidget(box);
        layout->addWidget(other);
        test::showActive(window);
    }
    QWidget window;
    TagBox* box = nullptr;
    QLineEdit* other = nullptr;
};

TEST_F(TagBoxTest, KeyHandlerSeesEachCharacterAndMaySwallowIt) {
    QString seen;
    box->setKeyHandler([&](QChar key) {
        seen += key;
        if (key == u'F')
            box->setTag(QStringLiteral("1446"));
        return key == u'F' || key == u',';
    });
    box->setFocus();
    QTest::keyClicks(box, QStringLiteral("1,20F"));
    EXPECT_EQ(seen, QStringLiteral("1,20F"));
    EXPECT_EQ(box->text(), QStringLiteral("120"));
    EXPECT_EQ(box->tag(), QStringLiteral("1446"));
    EXPECT_EQ(box->property("tag").toString(), QStringLiteral("1446"));
    // Editing keys and shortcuts are not characters for the handler.
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(seen, QStringLiteral("1,20F"));
    EXPECT_EQ(box->text(), QStringLiteral("12"));
}

TEST_F(TagBoxTest, SelectsAllWhenEnteredOrClickedWhenAsked) {
    box->setText(QStringLiteral("120.50"));
    other->setFocus();
    box->setSelectAllOnEntry(true);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    EXPECT_TRUE(box->hasFocus());
    EXPECT_EQ(box->selectedText(), QStringLiteral("120.50"));
    box->deselect();
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    EXPECT_EQ(box->selectedText(), QStringLiteral("120.50"));

    box->setSelectAllOnEntry(false);
    other->setFocus();
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    EXPECT_TRUE(box->selectedText().isEmpty());
}

TEST_F(TagBoxTest, LeftOnlyWhenTheFocusMovesWithinTheWindow) {
    QSignalSpy left(box, &TagBox::left);
    box->setFocus();
    other->setFocus();
    EXPECT_EQ(left.count(), 1);
    box->setFocus();
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(box, &away);
    EXPECT_EQ(left.count(), 1);
}

// In a dialog, Enter presses the button neither when a box has the focus nor when the button
// has it; Space does.
// Enter in a box of a window without a default button presses nothing: it must not save or
// close a window behind the user's back. Enter on the focused button presses it, as Space does.
TEST(CommandButton, IsPressedByEnterOnlyWhenItHasTheFocus) {
    QDialog window;
    auto* edit = new QLineEdit(&window);
    QPushButton* button =
        commandButton(&window, "Cmd_OK", QStringLiteral("OK"), QStringLiteral("Save"));
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(edit);
    layout->addWidget(button);
    test::showActive(window);
    QSignalSpy pressed(button, &QPushButton::clicked);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(pressed.count(), 0);
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Return);
    EXPECT_EQ(pressed.count(), 1);
    QTest::keyClick(button, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(pressed.count(), 2);
    QTest::keyClick(button, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(pressed.count(), 2);
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_EQ(pressed.count(), 3);
    button->setEnabled(false);
    QTest::keyClick(button, Qt::Key_Return);
    EXPECT_EQ(pressed.count(), 3);
    EXPECT_TRUE(window.isVisible());
}

} // namespace
} // namespace korvane
