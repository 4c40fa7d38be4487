#include "shell/HelpViewer.h"

#include "common/DataFolders.h"
#include "shell/MainWindow.h"
#include "support/ActiveWindow.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"
#include "support/TestServices.h"

#include <QAction>
#include <QDir>
#include <QPushButton>
#include <QTextBrowser>

#include <gtest/gtest.h>

namespace korvane {
namespace {

// The viewer looks documents up in the current folder first.
class InHelpFolder : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir::setCurrent(QStringLiteral(KORVANE_HELP_DIR))); }
    void TearDown() override { QDir::setCurrent(previous_); }

private:
    QString previous_ = QDir::currentPath();
};

QString shownText(const HelpViewer& viewer) {
    return viewer.findChild<QTextBrowser*>(QStringLiteral("RichTextBox1"))->toPlainText();
}

TEST_F(InHelpFolder, EachTopicHasItsCaptionAndDocument) {
    struct Topic {
        int topic;
        const char* caption;
        const char* document;
        const char* heading;
    };
    const Topic topics[] = {
        {0, "About Korvane 2000", "aboutkv.rtf", "Korvane 2000"},
        {1, "Main Screen Instructions", "kv_inst1.rtf", "Main Screen"},
        {2, "Tank Information Instructions", "kv_inst2.rtf", "Tank Information"},
        {3, "Inspection & Thickness Instructions", "kv_inst3.rtf", "Inspection & Thickness"},
        {4, "Inspection Graphics Instructions", "kv_inst4.rtf", "Inspection Graphics"},
        {5, "Tank Graphics Instructions", "kv_inst5.rtf", "Tank Graphics"},
        {6, "Preferences Instructions", "kv_inst6.rtf", "Preferences"},
        {7, "Due and at Risk Instructions", "kv_inst7.rtf", "Due and at Risk"},
    };
    for (const auto& topic : topics) {
        Session session;
        session.HelpTopic = static_cast<quint8>(topic.topic);
        HelpViewer viewer(session);
        EXPECT_EQ(viewer.objectName(), QStringLiteral("Form5"));
        EXPECT_EQ(viewer.windowTitle(), QString::fromLatin1(topic.caption));
        EXPECT_EQ(HelpViewer::topicDocument(topic.topic), QString::fromLatin1(topic.document));
        EXPECT_TRUE(shownText(viewer).startsWith(QString::fromLatin1(topic.heading)))
            << shownText(viewer).left(80).toStdString();
    }
}

TEST_F(InHelpFolder, UnknownTopicShowsAnEmptyBox) {
    Session session;
    session.HelpTopic = 20; // the Print Dialog's caller code, not a help topic
    HelpViewer unknown(session);
    EXPECT_EQ(unknown.windowTitle(), QStringLiteral("About Korvane 2000"));
    EXPECT_TRUE(shownText(unknown).isEmpty());
}

// A document found nowhere is named in the box with every folder it was looked for in, and the
// viewer works on as usual.
TEST(HelpViewer, AMissingDocumentIsNamedWithWhereItWasLookedFor) {
    test::TempDir empty;
    const QStringList folders{empty.path(), empty.filePath(QStringLiteral("program")),
                              empty.filePath(QStringLiteral("share/korvane/help"))};
    Session session;
    for (const int topic : {3, 0}) {
        session.HelpTopic = static_cast<quint8>(topic);
        HelpViewer missing(session, folders);
        test::showActive(missing);
        EXPECT_EQ(missing.windowTitle(), HelpViewer::topicCaption(topic));
        const QStringList lines = shownText(missing).split(u'\n');
        ASSERT_FALSE(lines.isEmpty());
        EXPECT_EQ(lines[0], QStringLiteral("The help document \"%1\" was not found.")
                                .arg(HelpViewer::topicDocument(topic)));
        for (const QString& folder : folders)
            EXPECT_TRUE(lines.contains(QStringLiteral("    ") + folder)) << folder.toStdString();
        missing.findChild<QPushButton*>(QStringLiteral("Cmd_OK"))->click();
        EXPECT_EQ(missing.result(), QDialog::Accepted);
    }
}

// The program started from where the build puts it finds the documents of its source tree,
// whatever the current folder.
TEST(HelpViewer, TheBuiltProgramShowsTheDocumentsOfItsSourceTree) {
    test::TempDir empty;
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(empty.path()));
    Session session;
    session.HelpTopic = 1;
    HelpViewer viewer(session,
                      datafiles::folders(QStringLiteral("help"), QStringLiteral(KORVANE_APP_DIR)));
    QDir::setCurrent(previous);
    EXPECT_EQ(viewer.windowTitle(), QStringLiteral("Main Screen Instructions"));
    EXPECT_TRUE(shownText(viewer).startsWith(QStringLiteral("Main Screen")))
        << shownText(viewer).left(80).toStdString();
}

TEST_F(InHelpFolder, HelpMenuOpensTheViewerWithItsTopicEachTimeAfresh) {
    Session session;
    test::TestServices t;
    HelpViewerService help(session, t.windows, t.pointer);
    Services services{t.prompts, t.clock,   t.printers, t.windows,   t.pointer,
                      help,      t.reports, t.history,  t.assessment};
    MainWindow window(session, services);
    std::vector<QString> captions;
    for (int i = 0; i < 3; ++i)
        t.windows.expect([&](QDialog& dialog) {
            captions.push_back(dialog.windowTitle());
            EXPECT_FALSE(shownText(static_cast<HelpViewer&>(dialog)).isEmpty());
            dialog.accept();
            return dialog.result();
        });
    window.findChild<QAction*>(QStringLiteral("mnuHelpTOC"))->trigger();
    window.findChild<QAction*>(QStringLiteral("mnuHelpAbout"))->trigger();
    window.findChild<QAction*>(QStringLiteral("mnuHelpAbout"))->trigger();
    EXPECT_EQ(captions, (std::vector<QString>{QStringLiteral("Main Screen Instructions"),
                                              QStringLiteral("About Korvane 2000"),
                                              QStringLiteral("About Korvane 2000")}));
    EXPECT_EQ(session.HelpTopic, 0);
    // Busy over the main window while each viewer is up: start-up, then three times on and off.
    EXPECT_EQ(t.pointer.changes, (std::vector<bool>{false, true, false, true, false, true, false}));
}

} // namespace
} // namespace korvane
