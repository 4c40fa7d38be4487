#include "shell/PreferencesWindow.h"

#include "data/Recordset.h"
#include "data/Select.h"
#include "shell/MainWindow.h"
#include "support/LockHolderProcess.h"
#include "support/TestDatabase.h"
#include "support/TestServices.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

namespace korvane {
namespace {

class PreferencesWindowTest : public testing::Test {
protected:
    void SetUp() override {
        session.DatabaseName = file.path();
        session.DBFile = QStringLiteral("plant.mdb");
        ASSERT_TRUE(window.AcceptDatabase());
    }
    // File > Preferences; the window it left open, or null.
    PreferencesWindow* open() {
        window.findChild<QAction*>(QStringLiteral("mnuFilePreferences"))->trigger();
        return window.findChild<PreferencesWindow*>(QStringLiteral("Form2"));
    }
    template <class T> static T* child(QWidget* w, const QString& name) {
        T* found = w->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    test::TestDatabase file;
    Session session;
    test::TestServices t;
    MainWindow window{session, t.services};
};

TEST_F(PreferencesWindowTest, ShowsTheStoredRow) {
    PreferencesWindow* prefs = open();
    ASSERT_NE(prefs, nullptr);
    EXPECT_TRUE(prefs->isVisible());
    EXPECT_FALSE(prefs->isModal());
    EXPECT_EQ(prefs->windowTitle(), QStringLiteral("Preferences"));
    EXPECT_TRUE(child<QRadioButton>(prefs, QStringLiteral("Opt_Units(0)"))->isChecked());
    EXPECT_EQ(child<QRadioButton>(prefs, QStringLiteral("Opt_Units(1)"))->text(),
              QStringLiteral("SI"));
    for (int i : {1, 10, 11, 20}) {
        auto* name = child<QLineEdit>(prefs, QStringLiteral("Text1(%1)").arg(i));
        auto* kind = child<QComboBox>(prefs, QStringLiteral("List_1(%1)").arg(i));
        EXPECT_EQ(name->text(), QStringLiteral("Custom Field %1").arg(i));
        EXPECT_EQ(name->toolTip(), QStringLiteral("Field %1 - Name").arg(i));
        EXPECT_EQ(kind->toolTip(), QStringLiteral("Field %1 - Type").arg(i));
        EXPECT_EQ(kind->currentText(), QStringLiteral("Text"));
        EXPECT_EQ(kind->count(), 5);
    }
    // A second request brings the same window forward.
    EXPECT_EQ(open(), prefs);
    EXPECT_EQ(window.findChildren<PreferencesWindow*>().size(), 1);
}

TEST_F(PreferencesWindowTest, OkStoresNamesKindsAndUnitsAtOnce) {
    PreferencesWindow* prefs = open();
    ASSERT_NE(prefs, nullptr);
    auto* name = child<QLineEdit>(prefs, QStringLiteral("Text1(3)"));
    name->selectAll();
    QTest::keyClicks(name, QStringLiteral("Inspector's note"));
    child<QComboBox>(prefs, QStringLiteral("List_1(3)"))->setCurrentIndex(2);
    child<QComboBox>(prefs, QStringLiteral("List_1(20)"))->setCurrentIndex(-1);
    child<QRadioButton>(prefs, QStringLiteral("Opt_Units(1)"))->click();
    child<QPushButton>(prefs, QStringLiteral("Cmd_OK"))->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    EXPECT_FALSE(session.UnitsUS);
    EXPECT_EQ(window.findChild<PreferencesWindow*>(), nullptr);
    Database db = file.open();
    auto rs = db.openRecordset(Select::from(QStringLiteral("Preferences")));
    ASSERT_TRUE(rs.ok());
    EXPECT_EQ(rs->text(QStringLiteral("Custom3_Label")), QStringLiteral("Inspector's note"));
    EXPECT_EQ(rs->value(QStringLiteral("Custom3_Type")).toInt(), 2);
    EXPECT_EQ(rs->value(QStringLiteral("Custom20_Type")).toInt(), -1); // nothing chosen
    EXPECT_EQ(rs->value(QStringLiteral("USUnits")), QVariant(false));

    // Shown again as stored, the unchosen kind included.
    prefs = open();
    ASSERT_NE(prefs, nullptr);
    EXPECT_TRUE(child<QRadioButton>(prefs, QStringLiteral("Opt_Units(1)"))->isChecked());
    EXPECT_EQ(child<QComboBox>(prefs, QStringLiteral("List_1(20)"))->currentIndex(), -1);
    EXPECT_EQ(child<QComboBox>(prefs, QStringLiteral("List_1(3)"))->currentText(),
              QStringLiteral("Date/Time"));
}

TEST_F(PreferencesWindowTest, CancelAndCloseBoxKeepTheRow) {
    const QByteArray before = test::fileBytes(file.path());
    for (const char* how : {"Cmd_Cancel", "close box"}) {
        PreferencesWindow* prefs = open();
        ASSERT_NE(prefs, nullptr);
        child<QLineEdit>(prefs, QStringLiteral("Text1(1)"))->setText(QStringLiteral("Owner"));
        child<QComboBox>(prefs, QStringLiteral("List_1(1)"))->setCurrentIndex(4);
        child<QRadioButton>(prefs, QStringLiteral("Opt_Units(1)"))->click();
        if (QString::fromLatin1(how) == QLatin1String("Cmd_Cancel"))
            child<QPushButton>(prefs, QStringLiteral("Cmd_Cancel"))->click();
        else
            prefs->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(session.UnitsUS) << how;
        EXPECT_EQ(test::fileBytes(file.path()), before) << how;
    }
}

TEST_F(PreferencesWindowTest, RowItCannotShowIsReportedAndNothingIsWritten) {
    const struct {
        const char* change;
        const char* text;
    } cases[] = {
        {"UPDATE Preferences SET Custom7_Type = 9", "custom field 7 is 9"},
        {"UPDATE Preferences SET Custom2_Type = NULL", "custom field 2 is empty"},
        {"DELETE FROM Preferences", "no row"},
        {"DROP TABLE Preferences", "Preferences"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(file.open().exec(QString::fromLatin1(c.change)).ok());
        const QByteArray before = test::fileBytes(file.path());
        t.prompts.answerMessage();
        EXPECT_EQ(open(), nullptr) << c.change;
        const auto& m = t.prompts.messages().back();
        EXPECT_EQ(m.title, QStringLiteral("Table In Use"));
        EXPECT_EQ(m.icon, Prompts::Icon::Exclamation);
        EXPECT_TRUE(m.text.contains(QString::fromLatin1(c.text))) << m.text.toStdString();
        EXPECT_EQ(test::fileBytes(file.path()), before);
    }
}

// Names and kinds stored by OK are what the Tank Information window shows the next time.
TEST_F(PreferencesWindowTest, TankWindowOpenedNextShowsTheNewNamesAndKinds) {
    PreferencesWindow* prefs = open();
    ASSERT_NE(prefs, nullptr);
    child<QLineEdit>(prefs, QStringLiteral("Text1(3)"))->setText(QStringLiteral("Permit No."));
    child<QComboBox>(prefs, QStringLiteral("List_1(4)"))->setCurrentIndex(4);
    child<QPushButton>(prefs, QStringLiteral("Cmd_OK"))->click();

    t.windows.expect([](QDialog& form3) {
        const auto label = [&](int i) {
            return form3.findChild<QLabel*>(QStringLiteral("CustomLabel(%1)").arg(i));
        };
        EXPECT_EQ(label(3)->text(), QStringLiteral("Permit No."));
        EXPECT_FALSE(label(3)->isHidden());
        EXPECT_TRUE(label(4)->isHidden());
        EXPECT_TRUE(form3.findChild<QLineEdit*>(QStringLiteral("CustomText(4)"))->isHidden());
        return int(QDialog::Rejected);
    });
    window.findChild<QAction*>(QStringLiteral("mnuEditTank"))->trigger();
    EXPECT_EQ(t.windows.shown(), 1);
}

// The limits of the reading checks: the defaults in a file made before they existed (which gains
// their fields), shown in the database's units; a limit changed is stored in inches, one left as
// shown is not rewritten from its rounded figure, and a limit that is no number is refused.
TEST_F(PreferencesWindowTest, ReadingCheckLimitsInEitherUnit) {
    ASSERT_TRUE(file.open()
                    .exec(QStringLiteral("ALTER TABLE Preferences DROP COLUMN GaugeTolerance"))
                    .ok());
    ASSERT_TRUE(
        file.open().exec(QStringLiteral("ALTER TABLE Preferences DROP COLUMN PlausibleRate")).ok());
    const auto limits = [&] {
        auto rs = file.open().openRecordset(Select::from(QStringLiteral("Preferences")));
        EXPECT_TRUE(rs.ok());
        return std::pair{rs->value(QStringLiteral("GaugeTolerance")),
                         rs->value(QStringLiteral("PlausibleRate"))};
    };
    for (const bool us : {true, false}) {
        session.UnitsUS = us;
        PreferencesWindow* prefs = open();
        ASSERT_NE(prefs, nullptr);
        auto* tolerance = child<QLineEdit>(prefs, QStringLiteral("Text_GaugeTolerance"));
        auto* rate = child<QLineEdit>(prefs, QStringLiteral("Text_PlausibleRate"));
        EXPECT_EQ(tolerance->text(), us ? QStringLiteral("0.010") : QStringLiteral("0.25"));
        // The metric pass shows the rate the US pass stored: 0.040 in is 1.02 mm.
        EXPECT_EQ(rate->text(), us ? QStringLiteral("0.050") : QStringLiteral("1.02"));
        EXPECT_EQ(child<QWidget>(prefs, QStringLiteral("Frame_Checks"))->property("title"),
                  us ? QStringLiteral("Thickness Reading Checks (in., in. per year)")
                     : QStringLiteral("Thickness Reading Checks (mm, mm per year)"));
        if (us) {
            rate->setText(QStringLiteral("fast"));
            t.prompts.answerMessage();
            child<QPushButton>(prefs, QStringLiteral("Cmd_OK"))->click();
            EXPECT_EQ(t.prompts.messages().back().text,
                      QStringLiteral("The plausible corrosion rate must be a number greater "
                                     "than 0."));
            EXPECT_TRUE(prefs->isVisible());
            EXPECT_FALSE(limits().second.isValid()); // nothing written
            rate->setText(QStringLiteral("0.040"));
        } else {
            tolerance->setText(QStringLiteral("0.5"));
        }
        child<QPushButton>(prefs, QStringLiteral("Cmd_OK"))->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(window.findChild<PreferencesWindow*>(), nullptr);
    }
    const auto [tolerance, rate] = limits();
    EXPECT_NEAR(tolerance.toDouble(), 0.5 / 25.399986, 1e-12);
    EXPECT_DOUBLE_EQ(rate.toDouble(), 0.040); // shown as 1.02 mm, not rewritten from it
}

TEST_F(PreferencesWindowTest, HelpShowsThePreferencesTopic) {
    PreferencesWindow* prefs = open();
    ASSERT_NE(prefs, nullptr);
    child<QPushButton>(prefs, QStringLiteral("Cmd_Help"))->click();
    EXPECT_EQ(t.help.topics, std::vector<int>{6});
    EXPECT_EQ(session.HelpTopic, 6);
    EXPECT_TRUE(prefs->isVisible());
}

} // namespace
} // namespace korvane

namespace korvane {
namespace {

TEST_F(PreferencesWindowTest, OpeningAnotherDatabaseDiscardsThePendingPreferences) {
    PreferencesWindow* prefs = open();
    ASSERT_NE(prefs, nullptr);
    child<QRadioButton>(prefs, QStringLiteral("Opt_Units(1)"))->click();
    const QByteArray before = test::fileBytes(file.path());
    test::TestDatabase other(QStringLiteral("other.mdb"));
    session.DatabaseName = other.path();
    session.DBFile = QStringLiteral("other.mdb");
    ASSERT_TRUE(window.AcceptDatabase());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window.findChild<PreferencesWindow*>(), nullptr);
    EXPECT_TRUE(session.UnitsUS);
    EXPECT_EQ(test::fileBytes(file.path()), before);
}

TEST_F(PreferencesWindowTest, RowHeldByAnotherProgramIsTableInUse) {
    test::LockHolderProcess holder(QStringLiteral(LOCK_HOLDER_PATH), file.path(),
                                   QStringLiteral("Preferences"));
    ASSERT_EQ(holder.waitForLine(), QStringLiteral("locked"));
    t.prompts.answerMessage();
    EXPECT_EQ(open(), nullptr);
    EXPECT_EQ(t.prompts.messages().back().title, QStringLiteral("Table In Use"));
}

} // namespace
} // namespace korvane
