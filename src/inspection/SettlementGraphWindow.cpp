#include "inspection/SettlementGraphWindow.h"

#include "charts/ChartDrawing.h"
#include "common/DateText.h"
#include "common/Units.h"
#include "engineering/ShellSettlement.h"
#include "platform/BusyScope.h"
#include "platform/Keyboard.h"
#include "platform/Printing.h"
#include "platform/WindowControls.h"

#include <QChart>
#include <QChartView>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScatterSeries>
#include <QScreen>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

namespace korvane {

namespace {

const QString WindowTitle = QStringLiteral("Shell Settlement Graphics");

// Point numbers run 1..P and element 50 of SettleActual holds the allowance, so at most 49
// points can be drawn; a graph needs at least two.
constexpr int MinPoints = 2;
constexpr int MaxPoints = Session::SettleSlots - 2;

constexpr double TwipsPerInch = 1440;
constexpr int ValueColumn = 10;

struct Line {
    QString name;
    std::vector<double> values; // one per point, point 1 first
    QPen pen;
    bool markers = false;
    bool inLegend = true;
};

// Points drawn as marks alone, over the lines.
struct Marks {
    QString name;
    std::vector<QPointF> points; // (point number, value)
    QColor colour;
};

// Steps of 1, 2 or 5 points between the labels of the bottom axis, so that about a dozen show.
double pointStep(int points) {
    for (double step : {1.0, 2.0, 5.0})
        if (points / step <= 13)
            return step;
    return 10;
}

// A line graph of one value per survey point, with marks over it. The second line of the title
// heads the legend, which stands beside the plot so that the plot keeps the height its left
// title needs.
QChart* lineChart(const QString& title, const QString& legendHeading, const QString& leftTitle,
                  const std::vector<Line>& lines, const Marks& marks = {}) {
    QChart* chart = charts::newChart(
        QStringLiteral("%1<br><span style=\"font-weight:normal; font-size:9pt\">%2</span>")
            .arg(title.toHtmlEscaped(), legendHeading.toHtmlEscaped()),
        Qt::AlignRight);
    // Dashed lines, solid lines and marks are told apart in the legend as on the plot.
    chart->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);

    int points = 0;
    double low = 0;
    double high = 0;
    bool first = true;
    for (const Line& line : lines) {
        auto* series = new QLineSeries(chart);
        series->setName(line.name);
        series->setPen(line.pen);
        series->setPointsVisible(line.markers);
        for (std::size_t i = 0; i < line.values.size(); ++i) {
            const double value = line.values[i];
            series->append(static_cast<double>(i + 1), value);
            low = first ? value : std::min(low, value);
            high = first ? value : std::max(high, value);
            first = false;
        }
        points = std::max(points, static_cast<int>(line.values.size()));
        chart->addSeries(series);
        if (!line.inLegend)
            for (QLegendMarker* marker : chart->legend()->markers(series))
                marker->setVisible(false);
    }
    if (!marks.points.empty()) {
        auto* series = new QScatterSeries(chart);
        series->setName(marks.name);
        series->setColor(marks.colour);
        series->setBorderColor(marks.colour.darker(150));
        series->setMarkerSize(11);
        for (const QPointF& point : marks.points)
            series->append(point);
        chart->addSeries(series);
    }

    auto* bottom = new QValueAxis(chart);
    bottom->setTitleText(QStringLiteral("Survey Points"));
    bottom->setRange(1, std::max(points, MinPoints));
    // Every point, or every other from point 1; longer surveys are labelled 5, 10, 15 ...
    const double step = pointStep(points);
    bottom->setTickType(QValueAxis::TicksDynamic);
    bottom->setTickAnchor(step <= 2 ? 1 : 0);
    bottom->setTickInterval(step);
    bottom->setLabelFormat(QStringLiteral("%d"));

    auto* left = new QValueAxis(chart);
    left->setTitleText(leftTitle);
    // Level readings give flat lines: open the range around them so they stand inside the plot.
    const double margin = high - low > 1e-6 ? (high - low) * 0.05 : std::max(std::abs(high), 1.0);
    left->setRange(low - margin, high + margin);
    left->applyNiceNumbers();
    const double interval = (left->max() - left->min()) / std::max(left->tickCount() - 1, 1);
    const int decimals = std::isfinite(interval) && interval > 0
                             ? std::clamp(static_cast<int>(-std::floor(std::log10(interval))), 0, 4)
                             : 2;
    left->setLabelFormat(QStringLiteral("%.%1f").arg(decimals));

    charts::addAxes(*chart, bottom, left);
    return chart;
}

// Gives both graphs the wider legend, so that their plots stand one above the other and a point
// of one is read straight down on the other.
void alignLegends(QChart& first, QChart& second) {
    const qreal width = std::max(first.legend()->effectiveSizeHint(Qt::PreferredSize).width(),
                                 second.legend()->effectiveSizeHint(Qt::PreferredSize).width());
    first.legend()->setPreferredWidth(width);
    second.legend()->setPreferredWidth(width);
}

// Text lines painted one below the other from the top of the printable area, with the value of
// an identification line at column 10 (120 twips a column).
class PageLines {
public:
    explicit PageLines(QPainter& painter) : painter_(painter) {}

    void setFontSize(double points) {
        QFont font(QStringLiteral("Arial"));
        font.setPointSizeF(points);
        painter_.setFont(font);
    }
    double column(int n) const { return n * 120 * painter_.device()->logicalDpiX() / TwipsPerInch; }
    double width() const { return painter_.device()->width(); }
    double height() const { return painter_.device()->height(); }
    double top() const { return y_; }

    void centred(const QString& text) {
        const QFontMetricsF metrics(painter_.font(), painter_.device());
        painter_.drawText(
            QPointF((width() - metrics.horizontalAdvance(text)) / 2, y_ + metrics.ascent()), text);
        y_ += metrics.lineSpacing();
    }
    // A label at the margin and its value at the value column, wrapped within the page.
    void labelled(const QString& label, const QString& value) {
        const QFontMetricsF metrics(painter_.font(), painter_.device());
        painter_.drawText(QPointF(0, y_ + metrics.ascent()), label);
        const double x = column(ValueColumn);
        QRectF used;
        painter_.drawText(QRectF(x, y_, width() - x, height() - y_),
                          Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, value, &used);
        y_ += std::max(metrics.lineSpacing(), used.height());
    }
    void skip(double lines) {
        y_ += lines * QFontMetricsF(painter_.font(), painter_.device()).lineSpacing();
    }

private:
    QPainter& painter_;
    double y_ = 0;
};

} // namespace

SettlementGraphWindow::SettlementGraphWindow(Session& session, Services& services, int points,
                                             const ReportHeading& heading, const QString& takenBy,
                                             const QString& fitText, QWidget* parent)
    : QDialog(parent), session_(session), services_(services),
      points_(std::clamp(points, MinPoints, MaxPoints)), heading_(heading), takenBy_(takenBy),
      fitText_(fitText) {
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(WindowTitle);
    setModal(true);

    const auto chartView = [this](const char* name, QChart* chart) {
        auto* view = new QChartView(chart, this);
        view->setObjectName(QString::fromLatin1(name));
        view->setRenderHint(QPainter::Antialiasing);
        view->setMinimumSize(480, 220);
        return view;
    };
    GSettlement = chartView("GSettlement", settlementChart());
    GDeflection = chartView("GDeflection", deflectionChart());
    alignLegends(*GSettlement->chart(), *GDeflection->chart());

    LabelFit = new QLabel(fitText_, this);
    LabelFit->setObjectName(QStringLiteral("LabelFit"));
    LabelFit->setWordWrap(true);
    LabelFit->setVisible(!fitText_.isEmpty());

    Cmd_Graph = commandButton(this, "Cmd_Graph", QStringLiteral("Print Graph"));
    Cmd_OK = commandButton(this, "Cmd_OK", QStringLiteral("OK"));
    connect(Cmd_Graph, &QPushButton::clicked, this, &SettlementGraphWindow::Cmd_Graph_Click);
    connect(Cmd_OK, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Cmd_Graph);
    buttons->addStretch();
    buttons->addWidget(Cmd_OK);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(GSettlement, 1);
    outer->addWidget(GDeflection, 1);
    outer->addWidget(LabelFit);
    outer->addLayout(buttons);
    orderFocusByLayout(*this);

    // As large as the graphs read well, within the screen it opens on.
    const QScreen* where = parentWidget() ? parentWidget()->screen() : screen();
    const QRect available = where ? where->availableGeometry() : QRect(0, 0, 1024, 768);
    resize(std::min(940, available.width() - 32), std::min(880, available.height() * 9 / 10));
}

SettlementGraphWindow::~SettlementGraphWindow() = default;

QChart* SettlementGraphWindow::settlementChart() const {
    // The settlement as measured, in either unit: the values the survey grid shows.
    const bool us = session_.UnitsUS;
    const double factor = us ? 1.0 : units::MillimetresPerInch;
    Line optimum{QStringLiteral("Optimum cosine curve"),
                 {},
                 charts::linePen(Qt::darkGreen, 2, Qt::DashLine)};
    Line measured{
        QStringLiteral("Actual settlement"), {}, charts::linePen(Qt::blue, 2, Qt::SolidLine), true};
    for (int p = 1; p <= points_; ++p) {
        optimum.values.push_back(session_.SettleOptimum[p] * factor);
        measured.values.push_back(session_.SettleActual[p] * factor);
    }
    return lineChart(QStringLiteral("Out of Plane Settlement"),
                     QStringLiteral("Settlement Relative to Optimum"),
                     us ? QStringLiteral("Settlement (inches)") : QStringLiteral("Settlement (mm)"),
                     {std::move(optimum), std::move(measured)});
}

QChart* SettlementGraphWindow::deflectionChart() const {
    const bool us = session_.UnitsUS;
    const double factor = us ? 1.0 : units::MillimetresPerInch;
    const float allowanceIn = session_.SettleActual[Session::SettleSlots - 1];
    const double allowance = allowanceIn * factor;
    // One legend entry for the pair of limits.
    Line above{QStringLiteral("Allowable deflection (\u00b1)"),
               std::vector<double>(points_, allowance), charts::linePen(Qt::red, 2, Qt::DashLine)};
    Line below{QStringLiteral("Allowable deflection (-)"),
               std::vector<double>(points_, -1 * allowance),
               charts::linePen(Qt::red, 2, Qt::DashLine), false, false};
    Line deflection{QStringLiteral("Out-of-plane deflection"),
                    {},
                    charts::linePen(Qt::blue, 2, Qt::SolidLine),
                    true};
    // The points the survey grid marks "No", by the grid's own comparison.
    Marks failing{QStringLiteral("Not allowed (No)"), {}, QColor(220, 0, 0)};
    for (int p = 1; p <= points_; ++p) {
        const float inches = session_.SettleDeflection[p];
        deflection.values.push_back(inches * factor);
        if (!settlement::withinAllowance(inches, allowanceIn))
            failing.points.emplace_back(p, inches * factor);
    }
    return lineChart(
        QStringLiteral("Out of Plane Deflection"), QStringLiteral("Deflection Relative to Maximum"),
        us ? QStringLiteral("Deflection (Si)(in)") : QStringLiteral("Deflection (Si)(mm)"),
        {std::move(above), std::move(below), std::move(deflection)}, failing);
}

void SettlementGraphWindow::Cmd_Graph_Click() {
    printPages(services_, *this, {WindowTitle, printFileName(WindowTitle, heading_.tank)},
               [this](QPrinter& printer) { return printGraphs(printer); });
}

Status SettlementGraphWindow::printGraphs(QPrinter& printer) const {
    QPainter painter;
    if (!painter.begin(&printer))
        return Error{tr("The printer could not start printing. The graphs were not printed.")};

    PageLines page(painter);
    page.setFontSize(16);
    page.centred(QStringLiteral("Shell Settlement Survey Graphics"));
    page.skip(0.5);
    page.setFontSize(12);
    page.labelled(QStringLiteral("Company"), heading_.company);
    page.labelled(QStringLiteral("Location"), heading_.location);
    page.labelled(QStringLiteral("Tank"), heading_.tank);
    page.labelled(QStringLiteral("Data"), takenBy_);
    page.labelled(QStringLiteral("Printed"), formatDate(services_.clock.today()));
    if (!fitText_.isEmpty())
        page.labelled(QStringLiteral("Fit"), fitText_);
    page.skip(1);

    // The graphs share what is left of the page, each no taller than two thirds of its width.
    const double gap = page.column(2);
    const double height = std::min((page.height() - page.top() - gap) / 2, page.width() * 2 / 3);
    if (height > 0) {
        const QRectF first(0, page.top(), page.width(), height);
        QChart* settlement = settlementChart();
        QChart* deflection = deflectionChart();
        alignLegends(*settlement, *deflection);
        charts::renderChart(painter, settlement, first);
        charts::renderChart(painter, deflection, first.translated(0, height + gap));
    }
    if (!painter.end())
        return Error{tr("The printer could not finish printing the graphs.")};
    return {};
}

} // namespace korvane
