#include "fleet/DueWindow.h"

#include "assessment/AssessmentWindow.h"
#include "common/DateText.h"
#include "support/DueDemo.h"
#include "support/TempDir.h"
#include "support/TestServices.h"
#include "support/XlsxCells.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

namespace korvane {
namespace {

using due::ColumnCount;

const QDate Today(2024, 6, 15);
const char* const NextBoxes[] = {"Text_Ext_Next", "Text_Int_Next", "Text_Pri_Next", "Text_Sec_Next",
                                 "Text_UT_Next"};

class DueWindowTest : public testing::Test {
protected:
    void SetUp() override {
        path = dir.filePath(QStringLiteral("demo.mdb"));
        test::writeDueDemo(path, Today);
        session.DatabaseName = path;
        t.assessment.shower = &assessments;
    }
    void open() {
        window = std::make_unique<DueWindow>(session, t.services);
        ASSERT_TRUE(window->load());
        window->resize(1200, 600);
        window->show();
        grid = window->findChild<QTableView*>(QStringLiteral("Grid_Due"));
        ASSERT_NE(grid, nullptr);
    }
    QStringList rowTexts(int row) const {
        QStringList cells;
        for (int c = 0; c < ColumnCount; ++c)
            cells << grid->model()->index(row, c).data().toString();
        return cells;
    }
    QColor background(int row, int column) const {
        return grid->model()->index(row, column).data(Qt::BackgroundRole).value<QColor>();
    }
    // Enter on a cell, as a double click on it.
    void enterOn(int row, int column) {
        grid->setCurrentIndex(grid->model()->index(row, column));
        QTest::keyClick(grid, Qt::Key_Return);
    }
    template <typename T> T* control(const char* name) const {
        auto* found = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    test::TempDir dir;
    QString path;
    Session session;
    test::TestServices t;
    AssessmentWindowShower assessments;
    std::unique_ptr<DueWindow> window;
    QTableView* grid = nullptr;
};

// The first and the last row, every cell, against Tank Information's next due dates and the
// Corrosion Assessment's shortest life, point and points below minimum, opened from the row as a
// user opens them; the same in both unit systems.
TEST_F(DueWindowTest, TheFirstAndLastRowsShowWhatTheTanksOwnWindowsShow) {
    std::map<bool, std::vector<QStringList>> shown;
    for (const bool us : {true, false}) {
        SCOPED_TRACE(us ? "US" : "metric");
        session.UnitsUS = us;
        open();
        const int last = grid->model()->rowCount() - 1;
        ASSERT_EQ(last + 1, 26);
        for (const int row : {0, last}) {
            SCOPED_TRACE(row);
            const QStringList cells = rowTexts(row);
            shown[us].push_back(cells);

            QStringList nextDates;
            QString tankId;
            t.windows.expect([&](QDialog& form3) {
                for (const char* box : NextBoxes)
                    nextDates << form3.findChild<QLineEdit*>(QString::fromLatin1(box))->text();
                tankId = form3.findChild<QLineEdit*>(QStringLiteral("Text_TankID"))->text();
                return 0;
            });
            enterOn(row, due::TankColumn);
            EXPECT_EQ(tankId, cells[due::TankColumn]);
            EXPECT_EQ(nextDates, cells.mid(due::FirstScheduleColumn, 5));

            if (cells[due::BelowColumn].isEmpty()) {
                // No readings: the life cell opens the tank, as every other cell does.
                EXPECT_TRUE(cells[due::LifeColumn].isEmpty());
                t.windows.expect([](QDialog& form3) {
                    EXPECT_EQ(form3.objectName(), QStringLiteral("Form3"));
                    return 0;
                });
                enterOn(row, due::LifeColumn);
                continue;
            }
            QString life;
            int below = 0;
            t.windows.expect([&](QDialog& assessment) {
                life = assessment.findChild<QLabel*>(QStringLiteral("Label_Life"))->text();
                const QAbstractItemModel* points =
                    assessment.findChild<QTableView*>(QStringLiteral("Grid_Assessment"))->model();
                for (int r = 0; r < points->rowCount(); ++r)
                    below += points->index(r, 1).data().toString() == QLatin1String("Below minimum")
                                 ? 1
                                 : 0;
                return 0;
            });
            enterOn(row, due::LifeColumn);
            EXPECT_EQ(life, QStringLiteral("Shortest remaining life: %1 years, at point %2")
                                .arg(cells[due::LifeColumn], cells[due::PointColumn]));
            EXPECT_EQ(QString::number(below), cells[due::BelowColumn]);
        }
        EXPECT_EQ(t.windows.shown(), us ? 4 : 8);

        // The worst tank leads in red, the last has nothing to mark.
        EXPECT_EQ(background(0, due::FirstScheduleColumn), QColor::fromRgb(0xF4C7C3));
        EXPECT_FALSE(rowTexts(0)[due::AttentionColumn].isEmpty());
        EXPECT_TRUE(rowTexts(last)[due::AttentionColumn].isEmpty());
        for (int c = 0; c < ColumnCount; ++c)
            EXPECT_FALSE(background(last, c).isValid()) << c;
        EXPECT_EQ(control<QLabel>("Label_Count")->text(),
                  QStringLiteral("26 of 26 tanks shown; 20 need attention"));
    }
    EXPECT_EQ(shown[true], shown[false]);

    // The titles of two or more words stand on two lines, so the columns are as narrow as
    // their values.
    QStringList titles;
    for (int c = 0; c < grid->model()->columnCount(); ++c)
        titles << grid->model()->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(titles.join(u'|'),
              QStringLiteral("Company|Location|Tank|Product|External|Internal|Primary\nSeal|"
                             "Secondary\nSeal|Ultrasonic|Shortest\nLife (yr)|At\nPoint|"
                             "Below\nMin.|Last Shell\nSurvey|Last\nInspection|Needs\nAttention"));
}

// The lists narrow the rows, the horizon marks them anew, a title sorts them; what is shown is
// exported as it is shown and printed for the company chosen.
TEST_F(DueWindowTest, FiltersHorizonSortingExportAndPrint) {
    open();
    auto* companies = control<QComboBox>("List_Company");
    auto* locations = control<QComboBox>("List_Location");
    auto* attention = control<QCheckBox>("Chk_Attention");
    auto* horizon = control<QSpinBox>("Text_Horizon");
    ASSERT_EQ(companies->count(), 4); // all, and the three companies
    companies->setCurrentIndex(companies->findText(QStringLiteral("Blue Heron Fuels, Inc.")));
    EXPECT_EQ(locations->count(), 3);
    const auto column = [&](int c) {
        QStringList texts;
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            texts << grid->model()->index(r, c).data().toString();
        return texts;
    };
    EXPECT_EQ(column(due::CompanyColumn).size(), 5);
    EXPECT_EQ(column(due::CompanyColumn).removeDuplicates(), 4);
    locations->setCurrentIndex(locations->findText(QStringLiteral("Rensselaer Bulk Plant")));
    EXPECT_EQ(column(due::TankColumn), QStringList({"T-801", "T-802"}));
    attention->setChecked(true);
    EXPECT_EQ(column(due::TankColumn), QStringList({"T-801"}));
    EXPECT_EQ(control<QLabel>("Label_Count")->text(),
              QStringLiteral("1 of 26 tanks shown; 1 need attention"));

    // Printed: the location chosen, with the horizon and the attention filter.
    horizon->setValue(30);
    QTest::mouseClick(control<QPushButton>("Cmd_Print"), Qt::LeftButton);
    ASSERT_EQ(t.reports.runs.size(), 1u);
    EXPECT_EQ(t.reports.runs[0].first, QStringLiteral("due.rpt"));
    EXPECT_TRUE(t.reports.runs[0].second.startsWith(QStringLiteral("{Tank.LocationID} = ")));
    EXPECT_EQ(session.DueHorizonDays, 30);
    EXPECT_TRUE(session.DueAttentionOnly);

    // No horizon leaves only the overdue in colour; a long one marks more amber.
    attention->setChecked(false);
    companies->setCurrentIndex(0);
    const auto amber = [&] {
        int n = 0;
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            for (int c = due::FirstScheduleColumn; c < due::LifeColumn; ++c)
                n += background(r, c) == QColor::fromRgb(0xFCE8B2) ? 1 : 0;
        return n;
    };
    horizon->setValue(0);
    EXPECT_EQ(amber(), 0);
    horizon->setValue(400);
    EXPECT_GT(amber(), 5);

    // A click on "Tank" sorts by tank; one on "Needs Attention" puts the worst first again.
    const QStringList worstFirst = column(due::TankColumn);
    QHeaderView* header = grid->horizontalHeader();
    const auto clickTitle = [&](int c) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(c) + 5, header->height() / 2));
    };
    clickTitle(due::TankColumn);
    QStringList byName = worstFirst;
    std::sort(byName.begin(), byName.end());
    EXPECT_EQ(column(due::TankColumn), byName);
    grid->scrollTo(grid->model()->index(0, due::AttentionColumn));
    clickTitle(due::AttentionColumn);
    EXPECT_EQ(column(due::TankColumn), worstFirst);

    // Exported as shown: a workbook, then CSV; an existing file is refused.
    const QString book = dir.filePath(QStringLiteral("due.xlsx"));
    t.prompts.answerSaveFile(book);
    QTest::mouseClick(control<QPushButton>("Cmd_Export"), Qt::LeftButton);
    const test::XlsxContents x = test::readXlsx(book);
    EXPECT_EQ(x.frozenRows, 1);
    const QStringList top = rowTexts(0);
    for (int c : {due::CompanyColumn, due::TankColumn, due::AttentionColumn})
        EXPECT_EQ(x.cell(test::cellRef(1, c))->value, top[c]) << c;
    const QDate external = *parseDate(top[due::FirstScheduleColumn]);
    const auto dateCell = x.cell(test::cellRef(1, due::FirstScheduleColumn));
    ASSERT_TRUE(dateCell);
    EXPECT_EQ(dateCell->value, test::serialDate(external.year(), external.month(), external.day()));
    EXPECT_EQ(dateCell->fill, QStringLiteral("FFF4C7C3"));
    const int lastRow = grid->model()->rowCount();
    EXPECT_EQ(x.cell(test::cellRef(lastRow, due::TankColumn))->value,
              rowTexts(lastRow - 1)[due::TankColumn]);
    EXPECT_FALSE(x.cell(test::cellRef(lastRow + 1, due::TankColumn)));

    const QString csv = dir.filePath(QStringLiteral("due.csv"));
    t.prompts.answerSaveFile(csv);
    QTest::mouseClick(control<QPushButton>("Cmd_Export"), Qt::LeftButton);
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
    EXPECT_EQ(lines.size(), lastRow + 2);
    EXPECT_TRUE(lines[1].contains(top[due::TankColumn]));
    t.prompts.answerSaveFile(csv).answerMessage();
    QTest::mouseClick(control<QPushButton>("Cmd_Export"), Qt::LeftButton);
    EXPECT_TRUE(t.prompts.messages().back().text.contains(QStringLiteral("already exists")));
}

} // namespace
} // namespace korvane
