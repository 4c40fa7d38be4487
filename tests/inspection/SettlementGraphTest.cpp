#include "inspection/SettlementGraphWindow.h"
#include "support/FocusChain.h"
#include "support/PdfText.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"
#include "support/TestServices.h"

#include <QAbstractAxis>
#include <QChart>
#include <QChartView>
#include <QFile>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPushButton>
#include <QRegularExpression>
#include <QScatterSeries>
#include <QScreen>
#include <QTest>
#include <QTextDocumentFragment>

#include <gtest/gtest.h>

namespace korvane {
namespace {

using test::runTool;

// An 8-point survey (P = 9, point 9 closing the circle on point 1), lowest reading 1.0 in,
// allowance 0.5 in. Point 4 is deflected beyond the allowance and point 8 beyond the negative
// allowance; points 1 and 9 stand at the allowance and point 3 at the negative one.
void fillSurvey(Session& session) {
    const float actual[] = {1.5f, 1.0f, 1.25f, 2.0f, 1.0f, 1.5f, 1.75f, 1.0f, 1.5f};
    const float optimum[] = {1.25f, 1.0f, 1.0f, 1.5f, 1.75f, 1.5f, 1.25f, 1.0f, 1.25f};
    const float deflection[] = {0.5f, -0.25f, -0.5f, 0.75f, 0, 0.125f, 0, -0.625f, 0.5f};
    for (int p = 1; p <= 9; ++p) {
        session.SettleActual[p] = actual[p - 1];
        session.SettleOptimum[p] = optimum[p - 1];
        session.SettleDeflection[p] = deflection[p - 1];
    }
    session.SettleActual[50] = 0.5f;
    session.SettleMinimum = 1.0f;
}

QChart* chartOf(const QDialog& window, const char* name) {
    auto* view = window.findChild<QChartView*>(QString::fromLatin1(name));
    return view ? view->chart() : nullptr;
}

QString axisTitle(QChart& chart, Qt::Orientation orientation) {
    const QList<QAbstractAxis*> axes = chart.axes(orientation);
    return axes.isEmpty() ? QString() : axes.first()->titleText();
}

struct Expected {
    int series;
    int point;
    double value;
};

struct GraphCase {
    const char* name;
    bool unitsUS;
    int points; // as the window is given
    int drawn;  // points in every line
    const char* settlementTitle;
    const char* deflectionTitle;
    std::vector<Expected> settlement; // set 1 optimum, set 2 measured
    std::vector<Expected> deflection; // set 1 +allowance, set 2 -allowance, set 3 deflection
    std::vector<QPointF> marked;      // the points beyond the allowance
};

// The values of every line of a graph, series by series.
std::vector<QList<QPointF>> linesOf(QChart& chart) {
    std::vector<QList<QPointF>> lines;
    for (QAbstractSeries* s : chart.series())
        if (const auto* line = qobject_cast<QLineSeries*>(s))
            lines.push_back(line->points());
    return lines;
}

// Both graphs draw P points per line, the settlement as measured, in inches or in millimetres
// alike; the deflection and its allowance are converted the same way, and the points beyond the
// allowance are marked.
TEST(SettlementGraph, DrawsEveryPointInTheUnitsChosen) {
    const GraphCase cases[] = {
        {"US",
         true,
         9,
         9,
         "Settlement (inches)",
         "Deflection (Si)(in)",
         {{0, 4, 1.5}, {1, 4, 2.0}, {1, 2, 1.0}, {0, 5, 1.75}, {1, 9, 1.5}},
         {{0, 1, 0.5}, {0, 9, 0.5}, {1, 3, -0.5}, {2, 3, -0.5}, {2, 8, -0.625}},
         {{4, 0.75}, {8, -0.625}}},
        {"metric",
         false,
         9,
         9,
         "Settlement (mm)",
         "Deflection (Si)(mm)",
         // The US case's points times 25.399986: the same curves.
         {{0, 4, 38.099979},
          {1, 4, 50.799972},
          {1, 2, 25.399986},
          {0, 5, 44.4499755},
          {1, 9, 38.099979}},
         {{0, 1, 12.699993},
          {0, 9, 12.699993},
          {1, 3, -12.699993},
          {2, 3, -12.699993},
          {2, 8, -15.87499125}},
         {{4, 19.0499895}, {8, -15.87499125}}},
        // P beyond the arrays is cut at 49 (element 50 is the allowance, never a point); a
        // survey without points still draws a line of two.
        {"too many points",
         true,
         60,
         49,
         "Settlement (inches)",
         "Deflection (Si)(in)",
         {},
         {},
         {{4, 0.75}, {8, -0.625}}},
        {"no points", true, 0, 2, "Settlement (inches)", "Deflection (Si)(in)", {}, {}, {}},
    };
    for (const GraphCase& c : cases) {
        SCOPED_TRACE(c.name);
        test::TestServices t;
        Session session;
        fillSurvey(session);
        session.UnitsUS = c.unitsUS;
        SettlementGraphWindow window(session, t.services, c.points, {}, {}, {});
        EXPECT_EQ(window.objectName(), QStringLiteral("Form7"));
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Shell Settlement Graphics"));

        struct Graph {
            const char* view;
            const char* title;
            const char* legendHeading;
            const char* leftTitle;
            int lines;
            const std::vector<Expected>& values;
        };
        const Graph graphs[] = {
            {"GSettlement", "Out of Plane Settlement", "Settlement Relative to Optimum",
             c.settlementTitle, 2, c.settlement},
            {"GDeflection", "Out of Plane Deflection", "Deflection Relative to Maximum",
             c.deflectionTitle, 3, c.deflection},
        };
        for (const Graph& g : graphs) {
            SCOPED_TRACE(g.view);
            QChart* chart = chartOf(window, g.view);
            ASSERT_NE(chart, nullptr);
            EXPECT_TRUE(chart->title().contains(QLatin1String(g.title)))
                << chart->title().toStdString();
            EXPECT_TRUE(chart->title().contains(QLatin1String(g.legendHeading)));
            EXPECT_EQ(axisTitle(*chart, Qt::Horizontal), QStringLiteral("Survey Points"));
            EXPECT_EQ(axisTitle(*chart, Qt::Vertical), QLatin1String(g.leftTitle));

            const std::vector<QList<QPointF>> lines = linesOf(*chart);
            ASSERT_EQ(static_cast<int>(lines.size()), g.lines);
            for (const QList<QPointF>& points : lines) {
                ASSERT_EQ(points.size(), c.drawn);
                for (int p = 1; p <= c.drawn; ++p)
                    EXPECT_EQ(points[p - 1].x(), p);
            }
            for (const Expected& e : g.values)
                EXPECT_NEAR(lines[static_cast<std::size_t>(e.series)][e.point - 1].y(), e.value,
                            1e-5)
                    << "set " << e.series + 1 << ", point " << e.point;
            // The legend names every series; the lower limit shares the upper one's entry.
            const QList<QAbstractSeries*> series = chart->series();
            for (QLegendMarker* marker : chart->legend()->markers()) {
                const bool lowerLimit = g.lines == 3 && marker->series() == series.value(1);
                EXPECT_EQ(marker->isVisible(), !lowerLimit) << marker->label().toStdString();
                EXPECT_FALSE(marker->label().isEmpty());
            }
        }

        std::vector<QPointF> marked;
        for (QAbstractSeries* s : chartOf(window, "GDeflection")->series())
            if (const auto* scatter = qobject_cast<QScatterSeries*>(s)) {
                EXPECT_EQ(scatter->name(), QStringLiteral("Not allowed (No)"));
                for (const QPointF& p : scatter->points())
                    marked.push_back(p);
            }
        ASSERT_EQ(marked.size(), c.marked.size());
        for (std::size_t i = 0; i < marked.size(); ++i) {
            EXPECT_EQ(marked[i].x(), c.marked[i].x());
            EXPECT_NEAR(marked[i].y(), c.marked[i].y(), 1e-5);
        }
    }
}

// At the size the window opens at, within the screen, every title and legend entry of both
// graphs is drawn whole, in both unit systems: a text that does not fit is cut short with "...".
TEST(SettlementGraph, TitlesAndLegendsAreWholeAtTheOpeningSize) {
    for (const bool unitsUS : {true, false}) {
        SCOPED_TRACE(unitsUS ? "US" : "metric");
        test::TestServices t;
        Session session;
        fillSurvey(session);
        session.UnitsUS = unitsUS;
        SettlementGraphWindow window(session, t.services, 9, {}, {},
                                     QStringLiteral("Fit of the cosine curve: R² = 0.97"));
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QApplication::processEvents();
        test::expectTabOrderFollowsLayout(window);
        const QRect screen = window.screen()->availableGeometry();
        EXPECT_LE(window.frameGeometry().width(), screen.width());
        EXPECT_LE(window.frameGeometry().height(), screen.height());

        for (const char* name : {"GSettlement", "GDeflection"}) {
            SCOPED_TRACE(name);
            QChart* chart = chartOf(window, name);
            ASSERT_NE(chart, nullptr);
            // The title's two lines are one text: its lines are joined by a blank.
            const auto oneLine = [](QString text) {
                return text.replace(QChar::LineSeparator, u' ').replace(u'\n', u' ');
            };
            QStringList drawn;
            for (QGraphicsItem* item : chart->scene()->items())
                if (const auto* text = dynamic_cast<QGraphicsTextItem*>(item);
                    text && text->isVisible())
                    drawn << oneLine(text->toPlainText());
            QStringList wanted{
                oneLine(QTextDocumentFragment::fromHtml(chart->title()).toPlainText()),
                axisTitle(*chart, Qt::Horizontal), axisTitle(*chart, Qt::Vertical)};
            for (QLegendMarker* marker : chart->legend()->markers())
                if (marker->isVisible())
                    wanted << marker->label();
            for (const QString& text : wanted)
                EXPECT_TRUE(drawn.contains(text))
                    << text.toStdString() << " in " << drawn.join(" | ").toStdString();
            EXPECT_FALSE(drawn.join(u' ').contains(QStringLiteral("...")))
                << drawn.join(" | ").toStdString();
        }
    }
}

// "Print Graph" prints one page: the heading, the identification lines, the fit and both graphs
// as vectors, with the busy pointer up while it prints. A printer that cannot start leaves a
// message and nothing else; OK closes the window.
TEST(SettlementGraph, PrintGraphPrintsHeadingLinesAndBothGraphs) {
    test::TempDir dir;
    test::TestServices t;
    const QString pdf = dir.filePath(QStringLiteral("graphs.pdf"));
    t.printers.setFallbackPdf(pdf);
    Session session;
    fillSurvey(session);
    const ReportHeading heading{QStringLiteral("Acme Storage"), QStringLiteral("North Terminal"),
                                QStringLiteral("Tank 7")};
    SettlementGraphWindow window(session, t.services, 9, heading, QStringLiteral("J. Ruiz"),
                                 QStringLiteral("R² = 0.97"));
    auto* fit = window.findChild<QLabel*>(QStringLiteral("LabelFit"));
    ASSERT_NE(fit, nullptr);
    EXPECT_EQ(fit->text(), QStringLiteral("R² = 0.97"));

    auto* print = window.findChild<QPushButton*>(QStringLiteral("Cmd_Graph"));
    ASSERT_NE(print, nullptr);
    EXPECT_EQ(print->text(), QStringLiteral("Print Graph"));
    print->click();
    EXPECT_EQ(t.pointer.changes, (std::vector<bool>{true, false}));
    EXPECT_TRUE(t.prompts.messages().empty());

    // The type's ligatures ("ﬂ") are read as their letters.
    const QString text = runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, "-"})
                             .replace(QChar(0xFB01), QLatin1String("fi"))
                             .replace(QChar(0xFB02), QLatin1String("fl"));
    SCOPED_TRACE(text.toStdString());
    for (const char* line :
         {"Shell Settlement Survey Graphics", "Company\\s+Acme Storage",
          "Location\\s+North Terminal", "Tank\\s+Tank 7", "Data\\s+J\\. Ruiz",
          "Printed\\s+15/Jun/2024", "R² = 0\\.97", "Out of Plane Settlement",
          "Settlement Relative to Optimum", "Out of Plane Deflection",
          "Deflection Relative to Maximum", "Settlement \\(inches\\)", "Survey Points"})
        EXPECT_TRUE(text.contains(QRegularExpression(QString::fromUtf8(line)))) << line;
    EXPECT_TRUE(runTool(QStringLiteral("pdfinfo"), {pdf})
                    .contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))));
    // The graphs are drawn, not pasted in as pictures: only the list's two heading lines.
    EXPECT_EQ(runTool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf}).count(u'\n'), 2);

    t.pointer.changes.clear();
    t.printers.setFallbackPdf(dir.filePath(QStringLiteral("no such folder/graphs.pdf")));
    t.prompts.answerMessage();
    print->click();
    ASSERT_EQ(t.prompts.messages().size(), 1u);
    EXPECT_EQ(t.prompts.messages()[0].title, QStringLiteral("Shell Settlement Graphics"));
    EXPECT_EQ(t.pointer.changes, (std::vector<bool>{true, false}));

    auto* ok = window.findChild<QPushButton*>(QStringLiteral("Cmd_OK"));
    ASSERT_NE(ok, nullptr);
    ok->click();
    EXPECT_EQ(window.result(), QDialog::Accepted);
}

} // namespace
} // namespace korvane
