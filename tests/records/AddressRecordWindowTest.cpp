#include "records/AddressRecordWindow.h"

#include "support/ActiveWindow.h"
#include "support/FocusChain.h"
#include "support/QtPrinters.h"
#include "support/TestDatabase.h"
#include "support/TestServices.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace korvane {
namespace {

using Icon = Prompts::Icon;

const QString Company = QStringLiteral("Company");
const QString Location = QStringLiteral("Location");

class AddressRecordWindowTest : public testing::Test {
protected:
    AddressRecordWindowTest() { session.DatabaseName = file.path(); }

    template <class Window> std::unique_ptr<Window> open(bool change) {
        session.RecordMode = change;
        auto window = std::make_unique<Window>(session, t.services);
        loaded = window->Form_Load();
        return window;
    }
    static void type(QWidget& window, const char* box, const QString& text) {
        auto* edit = window.findChild<QLineEdit*>(QString::fromLatin1(box));
        ASSERT_NE(edit, nullptr) << box;
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    static void click(QWidget& window, const char* button) {
        auto* b = window.findChild<QPushButton*>(QString::fromLatin1(button));
        ASSERT_NE(b, nullptr) << button;
        QTest::mouseClick(b, Qt::LeftButton);
    }
    QVariant companyField(qint32 id, const char* field) const {
        return file.value(Company, QStringLiteral("CompanyID"), id, QString::fromLatin1(field));
    }

    test::TestDatabase file;
    Session session;
    test::TestServices t;
    bool loaded = false;
};

TEST_F(AddressRecordWindowTest, CaptionsAndLabelsOfBothDialogs) {
    auto form9 = open<CompanyInformationWindow>(false);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(form9->objectName(), QStringLiteral("Form9"));
    EXPECT_EQ(form9->windowTitle(), QStringLiteral("Add Company Information"));
    auto form10 = open<LocationInformationWindow>(false);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(form10->objectName(), QStringLiteral("Form10"));
    EXPECT_EQ(form10->windowTitle(), QStringLiteral("Add Location Information"));

    const struct {
        QWidget* window;
        const char* label;
        const char* caption;
    } labels[] = {
        {form9.get(), "Label1", "Company Name"}, {form9.get(), "Label2", "Contact Name"},
        {form9.get(), "Label3", "Address"},      {form9.get(), "Label4", "City, State and Zip"},
        {form9.get(), "Label5", "Telephone"},    {form9.get(), "Label7", "Fax"},
        {form9.get(), "Label6", "Comments"},     {form10.get(), "Label7", "Location Name"},
        {form10.get(), "Label8", "Fax"},         {form10.get(), "Label2", "Contact Name"},
        {form10.get(), "Label6", "Comments"},
    };
    for (const auto& l : labels) {
        auto* label = l.window->findChild<QLabel*>(QString::fromLatin1(l.label));
        ASSERT_NE(label, nullptr) << l.label;
        EXPECT_EQ(label->text().toStdString(), l.caption);
    }
    for (const char* box : {"Text_Company", "Text_Contact", "Text_Address", "Text_City",
                            "Text_State", "Text_Zip", "Text_Phone", "Text_Fax"})
        EXPECT_NE(form9->findChild<QLineEdit*>(QString::fromLatin1(box)), nullptr) << box;
    EXPECT_NE(form10->findChild<QLineEdit*>(QStringLiteral("Text_Location")), nullptr);
    EXPECT_NE(form9->findChild<QPlainTextEdit*>(QStringLiteral("Text_Comment")), nullptr);
    for (const char* button : {"Cmd_OK", "Cmd_Cancel", "Cmd_Help"})
        EXPECT_NE(form9->findChild<QPushButton*>(QString::fromLatin1(button)), nullptr);
}

TEST_F(AddressRecordWindowTest, AddWritesOneRowOnOkAndNothingOnCancel) {
    auto form9 = open<CompanyInformationWindow>(false);
    ASSERT_TRUE(loaded);
    EXPECT_FALSE(session.RecordMode);
    type(*form9, "Text_Company", QStringLiteral("O'Brien Terminals"));
    type(*form9, "Text_City", QStringLiteral("Tulsa"));
    form9->findChild<QPlainTextEdit*>(QStringLiteral("Text_Comment"))
        ->setPlainText(QStringLiteral("Two lines\nof notes"));
    click(*form9, "Cmd_OK");
    EXPECT_EQ(form9->result(), QDialog::Accepted);
    ASSERT_EQ(file.count(Company), 1);
    EXPECT_EQ(companyField(1, "Company"), QVariant(QStringLiteral("O'Brien Terminals")));
    EXPECT_EQ(companyField(1, "City"), QVariant(QStringLiteral("Tulsa")));
    EXPECT_EQ(companyField(1, "Comments"), QVariant(QStringLiteral("Two lines\nof notes")));

    for (const auto leave : {+[](QDialog& w) { click(w, "Cmd_Cancel"); },
                             +[](QDialog& w) {
                                 w.close();
                             }}) {
        auto another = open<CompanyInformationWindow>(false);
        ASSERT_TRUE(loaded);
        type(*another, "Text_Company", QStringLiteral("Never Stored"));
        leave(*another);
        EXPECT_EQ(another->result(), QDialog::Rejected);
        EXPECT_FALSE(session.RecordMode);
        EXPECT_EQ(file.count(Company), 1);
    }
    // An empty company is taken as it is.
    auto empty = open<CompanyInformationWindow>(false);
    click(*empty, "Cmd_OK");
    EXPECT_EQ(file.count(Company), 2);
}

TEST_F(AddressRecordWindowTest, ChangeFindsTheRowAndWritesItBack) {
    const qint32 first = file.addCompany(QStringLiteral("Gulf Plains"));
    const qint32 second = file.addCompany(QStringLiteral("Prairie"));
    session.CurCompanyID = second;
    auto form9 = open<CompanyInformationWindow>(true);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(form9->windowTitle(), QStringLiteral("Change Company Information"));
    EXPECT_EQ(session.SQLString, QStringLiteral("CompanyID =%1").arg(second));
    EXPECT_FALSE(session.RecordMode);
    auto* name = form9->findChild<QLineEdit*>(QStringLiteral("Text_Company"));
    EXPECT_EQ(name->text(), QStringLiteral("Prairie"));
    type(*form9, "Text_Company", QStringLiteral("Prairie Midstream"));
    type(*form9, "Text_Phone", QStringLiteral("(405) 555-0100"));
    click(*form9, "Cmd_OK");
    EXPECT_EQ(companyField(second, "Company"), QVariant(QStringLiteral("Prairie Midstream")));
    EXPECT_EQ(companyField(second, "Phone"), QVariant(QStringLiteral("(405) 555-0100")));
    EXPECT_EQ(companyField(first, "Company"), QVariant(QStringLiteral("Gulf Plains")));
    EXPECT_EQ(file.count(Company), 2);

    auto cancelled = open<CompanyInformationWindow>(true);
    type(*cancelled, "Text_Company", QStringLiteral("Not This"));
    click(*cancelled, "Cmd_Cancel");
    EXPECT_EQ(companyField(second, "Company"), QVariant(QStringLiteral("Prairie Midstream")));
}

TEST_F(AddressRecordWindowTest, RowNoLongerThereIsReportedAndTheDialogNotShown) {
    file.addCompany(QStringLiteral("Gulf Plains"));
    session.CurCompanyID = 12;
    t.prompts.answerMessage();
    auto form9 = open<CompanyInformationWindow>(true);
    EXPECT_FALSE(loaded);
    ASSERT_EQ(t.prompts.messages().size(), 1u);
    const auto& m = t.prompts.messages()[0];
    EXPECT_EQ(m.text, QStringLiteral("Record not Found"));
    EXPECT_EQ(m.title, QStringLiteral("FindFirst CompanyID =12"));
    EXPECT_EQ(m.icon, Icon::Information);
    EXPECT_TRUE(session.RecordMode); // as the caller left it

    session.CurLocationID = 7;
    t.prompts.answerMessage();
    auto form10 = open<LocationInformationWindow>(true);
    EXPECT_FALSE(loaded);
    EXPECT_EQ(t.prompts.messages().back().title, QStringLiteral("FindFirst LocationID =7"));
}

TEST_F(AddressRecordWindowTest, NewLocationBelongsToTheCurrentCompany) {
    const qint32 gulf = file.addCompany(QStringLiteral("Gulf Plains"));
    const qint32 prairie = file.addCompany(QStringLiteral("Prairie"));
    session.CurCompanyID = prairie;
    auto form10 = open<LocationInformationWindow>(false);
    ASSERT_TRUE(loaded);
    type(*form10, "Text_Location", QStringLiteral("Cushing Hub"));
    type(*form10, "Text_Fax", QStringLiteral("555-0199"));
    click(*form10, "Cmd_OK");
    ASSERT_EQ(file.count(Location), 1);
    const auto field = [&](const char* name) {
        return file.value(Location, QStringLiteral("LocationID"), 1, QString::fromLatin1(name));
    };
    EXPECT_EQ(field("CompanyID"), QVariant(prairie));
    EXPECT_EQ(field("Location"), QVariant(QStringLiteral("Cushing Hub")));
    EXPECT_EQ(field("Fax"), QVariant(QStringLiteral("555-0199")));

    session.CurLocationID = 1;
    auto change = open<LocationInformationWindow>(true);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(change->windowTitle(), QStringLiteral("Change Location Information"));
    type(*change, "Text_Location", QStringLiteral("Cushing Tank Farm"));
    click(*change, "Cmd_OK");
    EXPECT_EQ(field("Location"), QVariant(QStringLiteral("Cushing Tank Farm")));
    EXPECT_EQ(field("CompanyID"), QVariant(prairie));
    EXPECT_NE(gulf, prairie);
}

TEST_F(AddressRecordWindowTest, HelpIsOnlyAMessageAndTheDialogStays) {
    auto form9 = open<CompanyInformationWindow>(false);
    form9->show();
    t.prompts.answerMessage();
    click(*form9, "Cmd_Help");
    ASSERT_EQ(t.prompts.messages().size(), 1u);
    EXPECT_EQ(t.prompts.messages()[0].text, QStringLiteral("This Feature is Not Yet Implemented"));
    EXPECT_EQ(t.prompts.messages()[0].title, QStringLiteral("Help"));
    EXPECT_EQ(t.prompts.messages()[0].icon, Icon::Information);
    EXPECT_TRUE(form9->isVisible());
}

TEST_F(AddressRecordWindowTest, EngineFailureIsShownAndNothingIsWritten) {
    session.DatabaseName = file.folder() + QStringLiteral("/missing.mdb");
    t.prompts.answerMessage();
    auto form9 = open<CompanyInformationWindow>(false);
    EXPECT_FALSE(loaded);
    ASSERT_EQ(t.prompts.messages().size(), 1u);
    EXPECT_EQ(t.prompts.messages()[0].title, QStringLiteral("Company Information"));
    EXPECT_TRUE(t.prompts.messages()[0].text.contains(QStringLiteral("missing.mdb")))
        << t.prompts.messages()[0].text.toStdString();

    // The table goes away while the dialog is open: OK says so and the dialog stays.
    session.DatabaseName = file.path();
    auto open9 = open<CompanyInformationWindow>(false);
    ASSERT_TRUE(loaded);
    ASSERT_TRUE(file.open().exec(QStringLiteral("DROP TABLE Company")).ok());
    open9->show();
    type(*open9, "Text_Company", QStringLiteral("Lost"));
    t.prompts.answerMessage();
    click(*open9, "Cmd_OK");
    EXPECT_EQ(t.prompts.messages().size(), 2u);
    EXPECT_TRUE(open9->isVisible());
}

// Typed from top to bottom with Tab between the boxes, a company is stored by Enter; Escape
// in another one drops it.
TEST_F(AddressRecordWindowTest, TheKeyboardFillsTheDialogInReadingOrder) {
    auto form9 = open<CompanyInformationWindow>(false);
    test::showActive(*form9);
    form9->findChild<QLineEdit*>(QStringLiteral("Text_Company"))->setFocus();
    const QStringList order = test::readingOrder(*form9);
    EXPECT_EQ(order, (QStringList{"Text_Company", "Text_Contact", "Text_Address", "Text_City",
                                  "Text_State", "Text_Zip", "Text_Phone", "Text_Fax",
                                  "Text_Comment", "Cmd_OK", "Cmd_Cancel", "Cmd_Help"}));
    EXPECT_EQ(test::tabChain(*form9), order);

    for (const char* text : {"Bayou Storage", "J. Doe", "1 Main St", "Tulsa", "OK", "74101"}) {
        QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(text));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(form9->result(), QDialog::Accepted);
    ASSERT_EQ(file.count(Company), 1);
    EXPECT_EQ(companyField(1, "Contact"), QVariant(QStringLiteral("J. Doe")));
    EXPECT_EQ(companyField(1, "Zip"), QVariant(QStringLiteral("74101")));

    auto another = open<CompanyInformationWindow>(false);
    test::showActive(*another);
    type(*another, "Text_Company", QStringLiteral("Never Stored"));
    QTest::keyClick(another->findChild<QLineEdit*>(QStringLiteral("Text_Company")), Qt::Key_Escape);
    EXPECT_EQ(another->result(), QDialog::Rejected);
    EXPECT_EQ(file.count(Company), 1);
}

} // namespace
} // namespace korvane
