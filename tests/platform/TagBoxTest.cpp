#include "platform/TagBox.h"

#include "platform/Keyboard.h"
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

// A plain push button of a window that has had the focus does not take Enter from the boxes
// afterwards: in a window without a default button Enter in a box presses nothing, and in one
// with a default button it presses that one.
TEST(CommandButton, AButtonOnceFocusedNeverTakesEnterFromABox) {
    for (const bool withDefault : {false, true}) {
        QDialog window;
        auto* edit = new QLineEdit(&window);
        auto* page = new QPushButton(QStringLiteral("Next page"), &window);
        QPushButton* ok = commandButton(&window, "Cmd_OK", QStringLiteral("OK"));
        ok->setDefault(withDefault);
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(edit);
        layout->addWidget(page);
        layout->addWidget(ok);
        orderFocusByLayout(window);
        test::showActive(window);
        QSignalSpy turned(page, &QPushButton::clicked);
        QSignalSpy accepted(ok, &QPushButton::clicked);
        page->setFocus();
        QTest::keyClick(page, Qt::Key_Return);
        EXPECT_EQ(turned.count(), 1);
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_EQ(turned.count(), 1) << withDefault;
        EXPECT_EQ(accepted.count(), withDefault ? 1 : 0);
    }
}

} // namespace
} // namespace korvane
