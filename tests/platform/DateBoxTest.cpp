#include "platform/DateBox.h"

#include "support/ActiveWindow.h"
#include "support/QtPrinters.h"
#include "support/TestServices.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace korvane {
namespace {

using Icon = Prompts::Icon;

// A window with a date box and another box to move the focus to; today is 15/Jun/2024.
class DateBoxTest : public testing::Test {
protected:
    DateBoxTest() {
        auto* layout = new QVBoxLayout(&window);
        box = new DateBox(t.services, &window);
        other = new QLineEdit(&window);
        layout->addWidget(box);
        layout->addWidget(other);
        test::showActive(window);
        box->setFocus();
    }
    // Types into the date box and leaves it for the other box.
    void typeAndLeave(const QString& keys) {
        box->setFocus();
        QTest::keyClicks(box, keys);
        QTest::mouseClick(other, Qt::LeftButton);
        QApplication::processEvents();
    }
    QStringList messages() const {
        QStringList texts;
        for (const auto& m : t.prompts.messages())
            texts << m.title + QStringLiteral(": ") + m.text;
        return texts;
    }

    test::TestServices t;
    QWidget window;
    DateBox* box = nullptr;
    QLineEdit* other = nullptr;
};

TEST_F(DateBoxTest, TypedKeyByKeyTheDateIsRewrittenOnceATwoDigitYearStands) {
    QTest::keyClicks(box, QStringLiteral("5/3/2"));
    EXPECT_EQ(box->text(), QStringLiteral("5/3/2"));
    QTest::keyClicks(box, QStringLiteral("0"));
    EXPECT_EQ(box->text(), QStringLiteral("05/Mar/2020"));
    EXPECT_EQ(box->cursorPosition(), 11);
    QTest::mouseClick(other, Qt::LeftButton);
    EXPECT_TRUE(t.prompts.messages().empty());
    EXPECT_EQ(box->text(), QStringLiteral("05/Mar/2020"));
}

TEST_F(DateBoxTest, LeavingRefusesWhatIsNoDateAndTakesTheFocusBack) {
    const struct {
        const char* typed;
        const char* message;
    } cases[] = {
        {"31/Feb/2001", "Entry Error: Invalid Date"},
        {"16/6/24", "Entry Error: Date entered is beyond today!"},
        {"1/7/24", "Entry Error: Date entered is beyond today!"},
        {"1/1/2025", "Entry Error: Invalid Date"}, // 01/Jan/2020, then 25
        {"5/3/2001", "Entry Error: Invalid Date"}, // 05/Mar/2020 and then 01
        {"today", "Entry Error: Invalid Date"},
    };
    std::size_t shown = 0;
    for (const auto& c : cases) {
        box->clear();
        t.prompts.answerMessage();
        typeAndLeave(QString::fromLatin1(c.typed));
        ASSERT_EQ(t.prompts.messages().size(), ++shown) << c.typed;
        EXPECT_EQ(messages().last().toStdString(), c.message);
        EXPECT_EQ(t.prompts.messages().back().icon, Icon::Exclamation);
        EXPECT_TRUE(box->hasFocus()) << c.typed;
        EXPECT_TRUE(box->isRefused());
    }
}

TEST_F(DateBoxTest, TodayAnEarlierDateAndAnEmptyBoxPass) {
    QSignalSpy accepted(box, &DateBox::entryAccepted);
    const struct {
        const char* typed;
        const char* kept;
    } cases[] = {
        {"15/6/24", "15/Jun/2024"},
        {"5-Mar-2001", "05/Mar/2001"}, // reformatted on leaving
        {"1 january 24", "01/Jan/2024"},
        {"", ""},
    };
    int leaves = 0;
    for (const auto& c : cases) {
        box->clear();
        typeAndLeave(QString::fromLatin1(c.typed));
        EXPECT_EQ(box->text().toStdString(), c.kept);
        EXPECT_TRUE(other->hasFocus()) << c.typed;
        EXPECT_FALSE(box->isRefused());
        EXPECT_EQ(accepted.count(), ++leaves);
    }
    EXPECT_TRUE(t.prompts.messages().empty());
}

TEST_F(DateBoxTest, CorrectingTheTextClearsTheRefusal) {
    t.prompts.answerMessage();
    typeAndLeave(QStringLiteral("31/Feb/2001"));
    ASSERT_TRUE(box->isRefused());
    box->selectAll();
    QTest::keyClicks(box, QStringLiteral("28/2/01"));
    EXPECT_FALSE(box->isRefused());
    EXPECT_EQ(box->text(), QStringLiteral("28/Feb/2001"));
    QTest::mouseClick(other, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_TRUE(other->hasFocus());
    EXPECT_EQ(t.prompts.messages().size(), 1u);
}

// Switching to another program is not leaving the box; nor is a text put in by the program.
TEST_F(DateBoxTest, OnlyLeavingWithinTheWindowIsChecked) {
    QTest::keyClicks(box, QStringLiteral("31/Feb"));
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(box, &away);
    EXPECT_TRUE(t.prompts.messages().empty());
    box->setText(QStringLiteral("2001-03-05"));
    EXPECT_TRUE(t.prompts.messages().empty());
    box->setText(QStringLiteral("5/3/01"));
    EXPECT_EQ(box->text(), QStringLiteral("05/Mar/2001"));
}

TEST_F(DateBoxTest, TheRefusingBoxIsBroughtToTheFrontOfItsTab) {
    QWidget tabbed;
    auto* tabs = new QTabWidget(&tabbed);
    auto* first = new QWidget;
    auto* second = new QWidget;
    auto* dated = new DateBox(t.services, second);
    auto* elsewhere = new QLineEdit(first);
    tabs->addTab(first, QStringLiteral("One"));
    tabs->addTab(second, QStringLiteral("Two"));
    (new QVBoxLayout(&tabbed))->addWidget(tabs);
    test::showActive(tabbed);
    tabs->setCurrentIndex(1);
    dated->setFocus();
    QTest::keyClicks(dated, QStringLiteral("32/1/2001"));
    t.prompts.answerMessage();
    tabs->setCurrentIndex(0); // the box is hidden with its page and loses the focus
    QApplication::processEvents();
    ASSERT_EQ(t.prompts.messages().size(), 1u);
    EXPECT_EQ(tabs->currentIndex(), 1);
    EXPECT_TRUE(dated->hasFocus());
    EXPECT_FALSE(elsewhere->hasFocus());
}

} // namespace
} // namespace korvane
