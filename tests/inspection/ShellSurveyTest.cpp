#include "inspection/InspectionWindowFixture.h"
#include "storage/ShellSurveyRecords.h"
#include "support/PdfText.h"
#include "support/TempDir.h"

#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QXYSeries>

#include <cmath>
#include <numbers>

namespace korvane {
namespace {

using Icon = Prompts::Icon;
using Answer = Prompts::Answer;

// The shell survey of T-101: 80 ft across, so at least 8 points; its allowance for 8 points is
// (80 x 3.14159 / 8)^2 x 30,000 x 11 / (80 x 60,000,000) ft = 0.814 in.
class ShellSurveyTest : public test::InspectionWindowTest {
protected:
    QTableWidget* surveyGrid() const { return find<QTableWidget>("Grid_Edge"); }
    QStringList surveyColumn(int column) const { return gridColumn(surveyGrid(), column); }

    // Stores a survey of eight points with i2023, level at 0.5 in but for point 3.
    void storeSurvey(double point3) {
        QVariantMap row{{"InspectionID", i2023},
                        {"InspectionNum", "SV-7"},
                        {"DateTaken", "02/Mar/2023"},
                        {"TakenBy", "L. Ng"},
                        {"SurveyPoints", 8}};
        for (int i = 1; i <= 8; ++i)
            row.insert(settleField(i), i == 3 ? point3 : 0.5);
        file.add(QStringLiteral("ShellSurvey"), row);
    }
    QVariant surveyField(qint32 inspection, const QString& field) const {
        return file.value(QStringLiteral("ShellSurvey"), QStringLiteral("InspectionID"), inspection,
                          field);
    }
    // The text of the PDF the printer fell back to.
    QString printedText() const { return test::pdfPages(pdfPath).join(u'\f'); }

    test::TempDir printed;
    QString pdfPath = printed.filePath(QStringLiteral("print.pdf"));
};

TEST_F(ShellSurveyTest, ANewSurveyIsEnteredAndStoredWithTheInspectionByOK) {
    openInspection(0);
    typeKeys("Text_INum", QStringLiteral("I-2024"));
    click("Cmd_AddShell");
    const qint32 id = session.CurInspectionID;
    EXPECT_EQ(tabs()->currentIndex(), InspectionWindow::TabShell);
    EXPECT_FALSE(find<QWidget>("Cmd_AddShell")->isEnabled());
    EXPECT_EQ(text("Text_SurveyPoints"), QStringLiteral("8"));

    typeInto("Text_STakenBy", QStringLiteral("L. O'Neil"));
    typeInto("Text_SDateTaken", QStringLiteral("3/6/24"));
    typeInto("Text_SNum", QStringLiteral("SV-24"));
    t.prompts.answerMessage().answerMessage();
    typeInto("Text_SurveyPoints", QStringLiteral("7"));
    typeInto("Text_SurveyPoints", QStringLiteral("49"));
    EXPECT_EQ(t.prompts.messages()[0].text,
              QStringLiteral("The minimum number of survey points is 8"));
    EXPECT_EQ(t.prompts.messages()[1].title, QStringLiteral("Maximum Survey Points"));
    // Tab reaches the button from the count; pressed with the count out of range, it asks for
    // no reading and sends the user back to the count, which has said what is wrong.
    EXPECT_TRUE(find<QWidget>("Cmd_SurveyPoints")->isEnabled());
    t.prompts.answerMessage();
    click("Cmd_SurveyPoints");
    EXPECT_EQ(t.prompts.messages().size(), 3u);
    EXPECT_TRUE(t.prompts.inputs().empty());
    EXPECT_EQ(QApplication::focusWidget(), find<QWidget>("Text_SurveyPoints"));
    typeInto("Text_SurveyPoints", QStringLiteral("8"));

    // Point 3 needs a second asking, point 5 is refused once, point 8 is left empty twice.
    t.prompts.answerInput("0.5").answerInput("0.52").answerInput("").answerInput("0.55");
    t.prompts.answerInput("0.5").answerInput("0,48").answerMessage().answerInput("0.48");
    t.prompts.answerInput("0.47").answerInput("0.49").answerInput("").answerInput("");
    click("Cmd_SurveyPoints");
    const auto& asked = t.prompts.inputs();
    EXPECT_EQ(asked.at(0).prompt,
              QStringLiteral("Enter the settlement value (in.) for survey point 1"));
    EXPECT_EQ(asked.at(3).prompt,
              QStringLiteral("Enter the settlement value (in.) for survey point 3 AGAIN!!!"));
    EXPECT_EQ(surveyColumn(1), (QStringList{"0.0", "45.0", "90.0", "135.0", "180.0", "225.0",
                                            "270.0", "315.0", "360.0"}));
    EXPECT_EQ(surveyColumn(2), (QStringList{"0.500", "0.520", "0.550", "0.500", "0.480", "0.470",
                                            "0.490", "0.000", "0.500"}));
    EXPECT_TRUE(box("Text_SurveyPoints")->isReadOnly());
    EXPECT_FLOAT_EQ(session.SettleActual[9], session.SettleActual[1]);
    EXPECT_NEAR(session.SettleActual[50], 0.8142, 1e-4);
    EXPECT_TRUE(find<QWidget>("Cmd_Graph")->isEnabled());
    EXPECT_FALSE(find<QLabel>("LabelFit")->text().isEmpty());

    EXPECT_EQ(file.count(QStringLiteral("ShellSurvey")), 0);
    click("Cmd_OK");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(inspectionField(id, "InspectionNum"), QStringLiteral("I-2024"));
    EXPECT_EQ(surveyField(id, "SurveyPoints").toInt(), 8);
    EXPECT_EQ(surveyField(id, "TakenBy"), QStringLiteral("L. O'Neil"));
    EXPECT_EQ(surveyField(id, "DateTaken"), QStringLiteral("03/Jun/2024"));
    EXPECT_FLOAT_EQ(surveyField(id, "Point03_Settle").toFloat(), 0.55f);
    EXPECT_FLOAT_EQ(surveyField(id, "Point08_Settle").toFloat(), 0.0f);
    EXPECT_FALSE(surveyField(id, "Point09_Settle").isValid());

    // Opened again, in millimetres: the same readings, shown as stored, locked.
    session.UnitsUS = false;
    openWindow();
    chooseLocation(0, 0);
    doubleClickList("List_Tank", 0);
    doubleClickRow(inspectionGrid(), 3);
    ASSERT_EQ(session.CurInspectionID, id);
    EXPECT_EQ(surveyColumn(2), (QStringList{"12.70", "13.21", "13.97", "12.70", "12.19", "11.94",
                                            "12.45", "0.00", "12.70"}));
    EXPECT_TRUE(box("Text_SurveyPoints")->isReadOnly());
    EXPECT_FALSE(find<QWidget>("Cmd_AddShell")->isEnabled());
}

// A stored survey shows locked with its marks; a reading changed in the grid changes what is
// shown, the graphs and the printed report, never the stored row.
TEST_F(ShellSurveyTest, AStoredSurveyIsShownGraphedAndPrintedButNotChanged) {
    storeSurvey(0.5);
    openInspection(1);
    EXPECT_FALSE(find<QWidget>("Cmd_AddShell")->isEnabled());
    EXPECT_TRUE(tabs()->isTabEnabled(InspectionWindow::TabShell));
    EXPECT_EQ(text("Text_SNum"), QStringLiteral("SV-7"));
    EXPECT_TRUE(box("Text_STakenBy")->isReadOnly());
    // A stored text shows from its start, so a name longer than its box is not cut at the front.
    EXPECT_EQ(text("Text_STakenBy"), QStringLiteral("L. Ng"));
    EXPECT_EQ(box("Text_STakenBy")->cursorPosition(), 0);
    EXPECT_EQ(surveyGrid()->rowCount(), 9);
    EXPECT_EQ(surveyColumn(5), QStringList(9, QStringLiteral("Yes")));
    EXPECT_EQ(surveyColumn(3), QStringList(9, QStringLiteral("0.000")));

    tabs()->setCurrentIndex(InspectionWindow::TabShell);
    t.prompts.answerMessage();
    doubleClickRow(surveyGrid(), 0, 3);
    EXPECT_EQ(t.prompts.messages().back().text, QStringLiteral("These entries cannot be edited!"));
    t.prompts.answerInput("5,0").answerMessage().answerInput("5.0").answerMessage(Answer::Yes);
    doubleClickRow(surveyGrid(), 2, 2);
    EXPECT_EQ(t.prompts.inputs().at(0).title, QStringLiteral("Editing Survey Reading"));
    EXPECT_EQ(t.prompts.inputs().at(0).defaultText, QStringLiteral("0.500"));
    EXPECT_EQ(t.prompts.messages().back().title, QStringLiteral("Grid Recalcuation"));
    EXPECT_EQ(surveyGrid()->item(2, 2)->text(), QStringLiteral("5.000"));
    EXPECT_EQ(surveyGrid()->item(2, 5)->text(), QStringLiteral("No"));
    // The dips beside it go beyond the allowance the other way.
    EXPECT_EQ(surveyColumn(5),
              (QStringList{"Yes", "No", "No", "No", "Yes", "Yes", "Yes", "Yes", "Yes"}));
    // The closing row is point 1 again.
    t.prompts.answerInput("0.6").answerMessage(Answer::No);
    doubleClickRow(surveyGrid(), 8, 2);
    EXPECT_EQ(surveyGrid()->item(0, 2)->text(), QStringLiteral("0.600"));
    EXPECT_FLOAT_EQ(session.SettleActual[1], 0.6f);

    // The graphs draw every point, and mark on the deflection those the grid says "No" to.
    QStringList marked;
    t.windows.expect([&marked](QDialog& form7) {
        EXPECT_EQ(form7.objectName(), QStringLiteral("Form7"));
        for (const char* name : {"GSettlement", "GDeflection"}) {
            auto* view = form7.findChild<QChartView*>(QString::fromLatin1(name));
            EXPECT_NE(view, nullptr) << name;
            for (QAbstractSeries* series :
                 view ? view->chart()->series() : QList<QAbstractSeries*>()) {
                const auto* xy = static_cast<QXYSeries*>(series);
                if (series->type() != QAbstractSeries::SeriesTypeScatter) {
                    EXPECT_EQ(xy->count(), 9) << name;
                    continue;
                }
                for (const QPointF& p : xy->points())
                    marked << QString::number(p.x());
            }
        }
        return int(QDialog::Accepted);
    });
    click("Cmd_Graph");
    EXPECT_EQ(t.windows.shown(), 1);
    QStringList failing;
    for (int r = 0; r < surveyGrid()->rowCount(); ++r)
        if (surveyGrid()->item(r, 5)->text() == QStringLiteral("No"))
            failing << QString::number(r + 1);
    EXPECT_EQ(marked, (QStringList{"2", "3", "4"}));
    EXPECT_EQ(marked, failing);

    t.printers.setFallbackPdf(pdfPath);
    t.prompts.answerMessage(Answer::Ok);
    click("Cmd_Print");
    EXPECT_EQ(t.prompts.messages().back().title, QStringLiteral(" Print Notification"));
    const QString page = printedText();
    EXPECT_TRUE(page.contains(QStringLiteral("Shell Settlement Survey Readings")));
    EXPECT_TRUE(page.contains(QStringLiteral("SV-7")));
    EXPECT_TRUE(page.contains(QStringLiteral("Calculations may be inaccurate!!")));

    t.prompts.answerMessage(Answer::No); // the schedule's offer
    click("Cmd_OK");
    EXPECT_FALSE(window->isVisible());
    EXPECT_FLOAT_EQ(surveyField(i2023, "Point03_Settle").toFloat(), 0.5f);
    EXPECT_EQ(file.count(QStringLiteral("ShellSurvey")), 1);
}

// Every length on the Thickness and Shell Survey tabs says its unit, in the headers above the
// figures and beside the allowance the survey is judged by; shown here at the top course and
// the survey's closing point, in both unit systems.
TEST_F(ShellSurveyTest, EveryLengthShownNamesItsUnit) {
    storeSurvey(0.5); // level: nothing out of plane
    struct Case {
        bool unitsUS;
        const char* unit;
        const char* topCourse; // course 4: 0.20 in
        const char* reading;   // 0.29 in
        QStringList lastRow;   // the closing point, point 1 again
        const char* allowance;
    };
    const Case cases[] = {
        {true,
         "in.",
         "0.200",
         "0.290",
         {"9", "360.0", "0.500", "0.000", "0.000", "Yes"},
         "0.814 in."},
        {false, "mm", "5.08", "7.37", {"9", "360.0", "12.70", "0.00", "0.00", "Yes"}, "20.68 mm"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.unit);
        session.UnitsUS = c.unitsUS;
        openInspection(1);
        const QString unit = QStringLiteral("(%1)").arg(QLatin1String(c.unit));
        const auto header = [](const QAbstractItemView* grid, int column) {
            return grid->model()->headerData(column, Qt::Horizontal).toString();
        };

        auto* minWall = find<QTableWidget>("Grid_MinWall");
        EXPECT_EQ(header(minWall, 0), unit);
        EXPECT_EQ(minWall->item(0, 0)->text(), QStringLiteral("Min. Wall"));
        EXPECT_EQ(header(minWall, 5), QStringLiteral("Course 4"));
        EXPECT_EQ(minWall->item(0, 5)->text(), QLatin1String(c.topCourse));
        EXPECT_EQ(find<QLabel>("LabelThickness")->text(), QStringLiteral("Thickness ") + unit);
        EXPECT_EQ(header(sessionGrid(), 2), QStringLiteral("Reading ") + unit);
        EXPECT_EQ(header(tankReadings(), 2), QStringLiteral("Reading ") + unit);
        EXPECT_EQ(gridColumn(tankReadings(), 2).last(), QLatin1String(c.reading));

        const QStringList titles{"Survey\nPoint",
                                 "Location\n(Degrees)",
                                 "Actual\nSettlement\n" + unit,
                                 "Out-of-Plane\nSettlement\n" + unit,
                                 "Out-of-Plane\nDeflection\n" + unit,
                                 "Allowable\nDeflection"};
        QStringList shownTitles, lastRow;
        for (int column = 0; column < 6; ++column) {
            shownTitles << header(surveyGrid(), column);
            lastRow << surveyColumn(column).last();
        }
        EXPECT_EQ(shownTitles, titles);
        EXPECT_EQ(lastRow, c.lastRow);
        EXPECT_EQ(
            find<QLabel>("LabelAllowance")->text(),
            QStringLiteral("Allowable deflection: %1 (a greater out-of-plane deflection either "
                           "way is marked No)")
                .arg(QLatin1String(c.allowance)));
        click("Cmd_Cancel");
        EXPECT_FALSE(window->isVisible());
    }
}

// A surveyor may write elevations of the shell's edge or depths below a line (rod readings): the
// same survey either way gives the same verdicts. Eleven points on T-101 (allowance 0.431 in):
// a tilt and a dip of 0.6 in at point 6, whose deflection of 0.583 in (0.6 x (1 - 2/11 +
// 2 cos 32.7 / 11)) points down as elevations and up as depths; in both unit systems.
TEST_F(ShellSurveyTest, ElevationsAndDepthsOfOneSurveyGetTheSameVerdicts) {
    QStringList verdicts(12, QStringLiteral("Yes"));
    verdicts[5] = QStringLiteral("No");
    for (const bool us : {true, false}) {
        SCOPED_TRACE(us ? "US" : "metric");
        session.UnitsUS = us;
        for (const bool depths : {false, true}) {
            openInspection(0);
            typeKeys("Text_INum", QStringLiteral("I-S"));
            click("Cmd_AddShell");
            typeInto("Text_SurveyPoints", QStringLiteral("11"));
            for (int i = 1; i <= 11; ++i) {
                const double elevation =
                    10 + 0.8 * std::cos((360.0 * (i - 1) / 11 - 40) * std::numbers::pi / 180) -
                    (i == 6 ? 0.6 : 0);
                const double reading =
                    (depths ? 30 - elevation : elevation) * (us ? 1 : test::MmPerInch);
                t.prompts.answerInput(QString::number(reading, 'f', 4));
            }
            click("Cmd_SurveyPoints");
            EXPECT_EQ(surveyColumn(1).mid(0, 3), (QStringList{"0.0", "32.7", "65.5"}));
            EXPECT_EQ(surveyColumn(1).last(), QStringLiteral("360.0"));
            EXPECT_EQ(surveyColumn(5), verdicts) << depths;
            // Point 6 bends down as elevations, up as depths, by the same amount.
            EXPECT_EQ(surveyColumn(4)[5], (depths ? QString() : QStringLiteral("-")) +
                                              (us ? QStringLiteral("0.583") : "14.80"));
            t.prompts.answerMessage(Answer::Ok);
            click("Cmd_Cancel");
        }
    }
    EXPECT_EQ(file.count(QStringLiteral("ShellSurvey")), 0);
}

TEST_F(ShellSurveyTest, TheThicknessTabPrintsEveryReadingOfTheTank) {
    openInspection(1);
    tabs()->setCurrentIndex(InspectionWindow::TabThickness);
    t.printers.setFallbackPdf(pdfPath);
    t.prompts.answerMessage(Answer::Ok);
    click("Cmd_Print");
    EXPECT_EQ(t.prompts.messages().back().text,
              QStringLiteral("A Thickness Report for this Tank is being Printed"));
    const QString page = printedText();
    EXPECT_TRUE(page.contains(QStringLiteral("Tank Thickness Readings")));
    EXPECT_TRUE(page.contains(QStringLiteral("Port Arthur")));
    EXPECT_TRUE(page.contains(QStringLiteral("A-1")) && page.contains(QStringLiteral("0.290")))
        << page.toStdString();
    // The other tabs offer the stored reports of the Print Dialog.
    tabs()->setCurrentIndex(InspectionWindow::TabReport);
    click("Cmd_Print");
    EXPECT_EQ(t.reports.topics, std::vector<int>{20});

    // A tank without readings has nothing to print. The open inspection was left as it was, so
    // another tank is chosen without a question.
    tabs()->setCurrentIndex(InspectionWindow::TabSelect);
    doubleClickList("List_Tank", 1);
    doubleClickRow(inspectionGrid(), 0);
    tabs()->setCurrentIndex(InspectionWindow::TabThickness);
    t.prompts.answerMessage(Answer::Ok).answerMessage();
    click("Cmd_Print");
    EXPECT_EQ(t.prompts.messages().back().text, QStringLiteral("No Data to Print"));
    EXPECT_EQ(t.prompts.messages().back().title, QStringLiteral("Thickness Data Print Job"));
}

} // namespace
} // namespace korvane
