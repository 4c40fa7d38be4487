#include "platform/Printing.h"

#include "support/TempDir.h"
#include "support/TestServices.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QWidget>

#include <gtest/gtest.h>

namespace korvane {
namespace {

// What a user would type as a tank or a page is made fit to be a file name, and nothing more.
TEST(Printing, FileNamesKeepWhatAFileNameCanHold) {
    const struct {
        const char* title;
        const char* subject;
        const char* name;
    } cases[] = {
        {"Tank Thickness Readings", "Tank 101", "Tank Thickness Readings - Tank 101.pdf"},
        {"Tank Graphics", "T/2 \"East\" Roof", "Tank Graphics - T_2 _East_ Roof.pdf"},
        {"Tank Graphics", "O'Brien #3: a\tb", "Tank Graphics - O'Brien #3_ a_b.pdf"},
        {"Shell Settlement Survey Graphics", "  ", "Shell Settlement Survey Graphics.pdf"},
        {"..", "", "Printout.pdf"},
        {"", "", "Printout.pdf"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(printFileName(QString::fromUtf8(c.title), QString::fromUtf8(c.subject)),
                  QString::fromUtf8(c.name))
            << c.subject;
}

// The road of every Print: nothing happens when the dialog is cancelled; a printer takes the
// pages without a word; a file is named afterwards; a failure is said under the job's title and
// leaves no half-written file.
TEST(Printing, TheRoadAsksPaintsAndNamesOnlyAFile) {
    test::TestServices t;
    test::TempDir dir;
    QWidget parent;
    const PrintJob job{QStringLiteral("Tank Thickness Readings"), QStringLiteral("r.pdf"), true};
    int painted = 0;
    const auto paint = [&painted](QPrinter& printer) -> Status {
        ++painted;
        QPainter painter(&printer);
        painter.drawText(QPointF(100, 100), QStringLiteral("page"));
        return {};
    };

    t.printers.answerCancel();
    EXPECT_FALSE(printPages(t.services, parent, job, paint));
    EXPECT_EQ(painted, 0);

    const QString printed = dir.filePath(QStringLiteral("printer.pdf"));
    t.printers.answerPrinter(printed);
    EXPECT_TRUE(printPages(t.services, parent, job, paint));
    EXPECT_EQ(painted, 1);
    EXPECT_TRUE(QFile::exists(printed));
    EXPECT_TRUE(t.prompts.messages().empty());

    const QString mine = dir.filePath(QStringLiteral("mine.pdf"));
    t.printers.answerFile(mine);
    t.prompts.answerMessage();
    EXPECT_TRUE(printPages(t.services, parent, job, paint));
    EXPECT_TRUE(QFile::exists(mine));
    ASSERT_EQ(t.prompts.messages().size(), 1u);
    EXPECT_EQ(t.prompts.messages()[0].text,
              QStringLiteral("The pages were saved in ") + QDir::toNativeSeparators(mine));
    EXPECT_EQ(t.prompts.messages()[0].title, job.title);
    EXPECT_EQ(t.prompts.messages()[0].icon, Prompts::Icon::Information);

    const QString half = dir.filePath(QStringLiteral("half.pdf"));
    t.printers.answerFile(half);
    t.prompts.answerMessage();
    EXPECT_FALSE(printPages(t.services, parent, job, [](QPrinter& printer) -> Status {
        QPainter painter(&printer);
        painter.drawText(QPointF(100, 100), QStringLiteral("first page"));
        printer.newPage();
        return Error{QStringLiteral("The printer could not finish printing.")};
    }));
    EXPECT_FALSE(QFile::exists(half));
    ASSERT_EQ(t.prompts.messages().size(), 2u);
    EXPECT_EQ(t.prompts.messages()[1].text,
              QStringLiteral("The printer could not finish printing."));
    EXPECT_EQ(t.prompts.messages()[1].icon, Prompts::Icon::Exclamation);

    ASSERT_EQ(t.printers.jobs().size(), 4u);
    EXPECT_EQ(t.printers.jobs()[3].fileName, job.fileName);
}

} // namespace
} // namespace korvane
