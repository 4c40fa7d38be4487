#include "platform/DateBox.h"

#include "support/ActiveWindow.h"
#include "support/QtPrinters.h"
#include "support/TestServices.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
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

// What people type, key by key through the box: after every key the box shows exactly what was
// typed, and only leaving it reads the date (a two-digit year by the century rule), rewrites it
// as dd/Mmm/yyyy or refuses it with the box keeping the focus. Today is 15/Jun/2024.
TEST_F(DateBoxTest, TypedKeyByKeyADateIsReadOnlyWhenTheBoxIsLeft) {
    const char* const invalid = "Entry Error: Invalid Date";
    const char* const beyond = "Entry Error: Date entered is beyond today!";
    const struct {
        const char* typed;
        const char* shown;   // after leaving
        const char* message; // "" when accepted
    } cases[] = {
        // Four-digit years, in each form.
        {"05/Mar/2021", "05/Mar/2021", ""},
        {"5/3/2021", "05/Mar/2021", ""},
        {"05/03/2021", "05/Mar/2021", ""},
        {"21-03-2021", "21/Mar/2021", ""},
        {"2021-03-05", "05/Mar/2021", ""},
        {"2021-3-5", "05/Mar/2021", ""},
        {"5 march 1999", "05/Mar/1999", ""},
        {"29/Feb/2000", "29/Feb/2000", ""},
        // Two-digit years: 00-29 this century, 30-99 the last.
        {"05/Mar/21", "05/Mar/2021", ""},
        {"5/3/21", "05/Mar/2021", ""},
        {"31/12/99", "31/Dec/1999", ""},
        {"1/1/30", "01/Jan/1930", ""},
        {"1/1/00", "01/Jan/2000", ""},
        // Today is the last day taken.
        {"15/6/24", "15/Jun/2024", ""},
        {"2024-06-15", "15/Jun/2024", ""},
        {"16/Jun/2024", "16/Jun/2024", beyond},
        {"16/6/24", "16/6/24", beyond},
        {"2024-06-16", "2024-06-16", beyond},
        {"1/1/29", "1/1/29", beyond},
        // No such date, or a year not finished.
        {"31/Feb/2001", "31/Feb/2001", invalid},
        {"29/2/2001", "29/2/2001", invalid},
        {"5/13/21", "5/13/21", invalid},
        {"2021-13-05", "2021-13-05", invalid},
        {"2020-20-20", "2020-20-20", invalid},
        {"2021-02-30", "2021-02-30", invalid},
        {"5/3/2", "5/3/2", invalid},
        {"5/3/202", "5/3/202", invalid},
        {"05/Mar/202021", "05/Mar/202021", invalid},
        {"today", "today", invalid},
        // Left empty.
        {"", "", ""},
    };
    QSignalSpy accepted(box, &DateBox::entryAccepted);
    std::size_t shown = 0;
    int taken = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const QString typed = QString::fromLatin1(c.typed);
        const bool refused = *c.message != '\0';
        box->clear();
        box->setFocus();
        for (qsizetype n = 1; n <= typed.size(); ++n) {
            QTest::keyClicks(box, typed.sliced(n - 1, 1));
            ASSERT_EQ(box->text(), typed.left(n));
        }
        if (refused)
            t.prompts.answerMessage();
        QTest::mouseClick(other, Qt::LeftButton);
        QApplication::processEvents();
        EXPECT_EQ(box->text().toStdString(), c.shown);
        EXPECT_EQ(box->isRefused(), refused);
        EXPECT_EQ(box->hasFocus(), refused);
        if (refused) {
            ASSERT_EQ(t.prompts.messages().size(), ++shown);
            EXPECT_EQ(messages().last().toStdString(), c.message);
            EXPECT_EQ(t.prompts.messages().back().icon, Icon::Exclamation);
        } else {
            EXPECT_EQ(t.prompts.messages().size(), shown);
            EXPECT_EQ(accepted.count(), ++taken);
        }
    }
}

// Return ends the entry as leaving does: a refused date does not press the default button.
TEST(DateBoxReturn, ARefusedDateStopsReturnBeforeTheDefaultButton) {
    test::TestServices t;
    QDialog dialog;
    auto* box = new DateBox(t.services, &dialog);
    auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(box);
    layout->addWidget(ok);
    test::showActive(dialog);
    box->setFocus();

    t.prompts.answerMessage();
    QTest::keyClicks(box, QStringLiteral("16/6/24"));
    QTest::keyClick(box, Qt::Key_Return);
    QApplication::processEvents();
    ASSERT_EQ(t.prompts.messages().size(), 1u);
    EXPECT_EQ(t.prompts.messages().back().text, QStringLiteral("Date entered is beyond today!"));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(box->hasFocus());

    box->selectAll();
    QTest::keyClicks(box, QStringLiteral("2024-06-14"));
    QTest::keyClick(box, Qt::Key_Enter);
    EXPECT_EQ(box->text(), QStringLiteral("14/Jun/2024"));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(t.prompts.messages().size(), 1u);
}

TEST_F(DateBoxTest, CorrectingTheTextClearsTheRefusal) {
    t.prompts.answerMessage();
    typeAndLeave(QStringLiteral("31/Feb/2001"));
    ASSERT_TRUE(box->isRefused());
    box->selectAll();
    QTest::keyClicks(box, QStringLiteral("28/2/01"));
    EXPECT_FALSE(box->isRefused());
    EXPECT_EQ(box->text(), QStringLiteral("28/2/01"));
    QTest::mouseClick(other, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(box->text(), QStringLiteral("28/Feb/2001"));
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
    box->setText(QStringLiteral("5/3/01"));
    EXPECT_EQ(box->text(), QStringLiteral("5/3/01"));
    EXPECT_TRUE(t.prompts.messages().empty());
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
