#include "assessment/TrendWindow.h"

#include "charts/ChartDrawing.h"
#include "common/DateText.h"
#include "common/NumberFormat.h"
#include "common/Units.h"
#include "data/Database.h"
#include "engineering/ThicknessRules.h"
#include "platform/BusyScope.h"
#include "platform/Keyboard.h"
#include "platform/Printing.h"
#include "platform/WindowControls.h"
#include "storage/AssessmentRecords.h"

#include <QChart>
#include <QChartView>
#include <QDateTimeAxis>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPushButton>
#include <QScatterSeries>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>

namespace korvane {

namespace {

const QString WindowTitle = QStringLiteral("Trend");

QDateTime at(const QDate& date) {
    return QDateTime(date, QTime(12, 0));
}

// Milliseconds since the epoch, as a date axis places a point.
qreal msecs(const QDate& date) {
    return static_cast<qreal>(at(date).toMSecsSinceEpoch());
}

QString rateText(double inchesPerYear, bool us) {
    return us ? formatNumber(inchesPerYear, u"0.0000") + QStringLiteral(" in/yr")
              : formatNumber(inchesPerYear * units::MillimetresPerInch, u"0.000") +
                    QStringLiteral(" mm/yr");
}

} // namespace

TrendWindow::TrendWindow(Session& session, Services& services, const QString& tankName,
                         QWidget* parent)
    : QDialog(parent), session_(session), services_(services), tankName_(tankName) {
    setObjectName(QStringLiteral("FormTrend"));
    setModal(true);
    Label_Summary = new QLabel(this);
    Label_Summary->setObjectName(QStringLiteral("Label_Summary"));
    Label_Summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Chart_Trend = new QChartView(this);
    Chart_Trend->setObjectName(QStringLiteral("Chart_Trend"));
    Chart_Trend->setRenderHint(QPainter::Antialiasing);
    Chart_Trend->setMinimumSize(640, 380);
    Cmd_Print = commandButton(this, "Cmd_Print", QStringLiteral("&Print"),
                              QStringLiteral("Print the chart"));
    Cmd_Export = commandButton(this, "Cmd_Export", QStringLiteral("&Export..."),
                               QStringLiteral("Save the chart as a PNG image or a PDF file"));
    Cmd_Close = commandButton(this, "Cmd_Close", QStringLiteral("Close"));
    connect(Cmd_Print, &QPushButton::clicked, this, &TrendWindow::Cmd_Print_Click);
    connect(Cmd_Export, &QPushButton::clicked, this, &TrendWindow::Cmd_Export_Click);
    connect(Cmd_Close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Cmd_Print);
    buttons->addWidget(Cmd_Export);
    buttons->addStretch();
    buttons->addWidget(Cmd_Close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label_Summary);
    layout->addWidget(Chart_Trend, 1);
    layout->addLayout(buttons);
    orderFocusByLayout(*this);
    resize(900, 620);
}

TrendWindow::~TrendWindow() = default;

Status TrendWindow::load(const QString& pointId) {
    auto trend = assessment::readPointTrend(session_.DatabaseName, session_.CurTankID, pointId);
    if (!trend)
        return trend.takeError();
    if (trend->readings.empty())
        return Error{QStringLiteral("The point %1 has no reading on this tank.").arg(pointId)};
    trend_ = std::move(trend.value());
    pointId_ = trend_.point.pointId;
    if (tankName_.isEmpty())
        if (auto db = Database::open(session_.DatabaseName))
            if (auto name = db->firstValue(QStringLiteral("SELECT \"Name\" FROM \"Tank\" WHERE "
                                                          "\"TankID\" = ?"),
                                           {session_.CurTankID}))
                tankName_ = name->toString();
    setWindowTitle(QStringLiteral("%1 - %2 - %3").arg(WindowTitle, tankName_, pointId_));
    showTrend();
    return {};
}

QChart* TrendWindow::chart() const {
    return Chart_Trend->chart();
}

void TrendWindow::showTrend() {
    const bool us = session_.UnitsUS;
    const auto thick = [us](double inches) {
        return thickness::shownThickness(inches, us) +
               (us ? QStringLiteral(" in.") : QStringLiteral(" mm"));
    };
    const assessment::PointAssessment& p = trend_.point;
    const assessment::Reading& latest = trend_.readings.back();
    summary_.clear();
    QString where = thickness::courseText(p.course);
    summary_ << QStringLiteral("Point %1%2: %3 readings, the latest %4 on %5")
                    .arg(pointId_, where.isEmpty() ? QString() : QStringLiteral(", ") + where)
                    .arg(trend_.readings.size())
                    .arg(thick(latest.inches), formatDate(latest.date));
    QStringList rates;
    if (trend_.longTerm)
        rates << QStringLiteral("long-term rate %1").arg(rateText(trend_.longTerm->rate, us));
    if (trend_.shortTerm)
        rates << QStringLiteral("short-term rate %1").arg(rateText(trend_.shortTerm->rate, us));
    summary_ << (rates.isEmpty() ? QStringLiteral("No corrosion rate: the readings are less than "
                                                  "six months apart, or there is only one.")
                                 : rates.join(QStringLiteral("; ")));
    QString minimum = p.minimum ? QStringLiteral("Minimum %1").arg(thick(*p.minimum))
                                : QStringLiteral("No minimum for this course");
    if (trend_.reachesMinimum)
        minimum += QStringLiteral(", reached about %1").arg(formatDate(*trend_.reachesMinimum));
    else if (p.minimum && p.rate)
        minimum += QStringLiteral(", not reached at the rate used");
    minimum +=
        trend_.nextUt
            ? QStringLiteral("; next ultrasonic inspection %1").arg(formatDate(*trend_.nextUt))
            : QStringLiteral("; no ultrasonic inspection on the schedule");
    summary_ << minimum;
    Label_Summary->setText(summary_.join(QLatin1Char('\n')));
    QChart* old = Chart_Trend->chart();
    Chart_Trend->setChart(makeChart());
    delete old;
}

QChart* TrendWindow::makeChart() const {
    const bool us = session_.UnitsUS;
    const double factor = us ? 1.0 : units::MillimetresPerInch;
    QChart* chart = charts::newChart(
        QStringLiteral("%1 - %2").arg(tankName_, pointId_).toHtmlEscaped(), Qt::AlignBottom);
    if (trend_.readings.empty())
        return chart;
    QDate first = trend_.readings.front().date;
    QDate last = trend_.readings.back().date;
    double low = 1e300, high = -1e300;
    const auto reach = [&](const QDate& d, double inches) {
        first = std::min(first, d);
        last = std::max(last, d);
        low = std::min(low, inches * factor);
        high = std::max(high, inches * factor);
    };

    auto* readings = new QLineSeries;
    readings->setName(QStringLiteral("Readings"));
    const QColor readingColour(20, 40, 140);
    readings->setPen(charts::linePen(readingColour, 2));
    auto* marks = new QScatterSeries;
    marks->setName(QStringLiteral("Readings"));
    marks->setMarkerSize(9);
    marks->setColor(readingColour);
    marks->setBorderColor(readingColour);
    for (const assessment::Reading& r : trend_.readings) {
        readings->append(msecs(r.date), r.inches * factor);
        marks->append(msecs(r.date), r.inches * factor);
        reach(r.date, r.inches);
    }
    std::vector<QAbstractSeries*> all{readings, marks};
    const auto rateLine = [&](const std::optional<assessment::RateLine>& l, const QString& name,
                              Qt::PenStyle style, const QColor& colour) {
        if (!l)
            return;
        auto* s = new QLineSeries;
        s->setName(name);
        s->append(msecs(l->from), l->fromInches * factor);
        s->append(msecs(l->to), l->toInches * factor);
        s->setPen(charts::linePen(colour, 1.5, style));
        reach(l->from, l->fromInches);
        reach(l->to, l->toInches);
        all.push_back(s);
    };
    rateLine(trend_.longTerm, QStringLiteral("Long-term rate"), Qt::DashLine, QColor(0, 110, 0));
    rateLine(trend_.shortTerm, QStringLiteral("Short-term rate"), Qt::DotLine, QColor(180, 90, 0));
    if (trend_.nextUt)
        reach(*trend_.nextUt, trend_.readings.back().inches);
    if (trend_.reachesMinimum)
        reach(*trend_.reachesMinimum, trend_.point.minimum.value_or(0));
    if (const auto minimum = trend_.point.minimum) {
        reach(first, *minimum);
        auto* s = new QLineSeries;
        s->setName(QStringLiteral("Minimum %1").arg(thickness::shownThickness(*minimum, us)));
        s->append(msecs(first), *minimum * factor);
        s->append(msecs(last), *minimum * factor);
        s->setPen(charts::linePen(QColor(204, 0, 0), 2));
        all.push_back(s);
        if (trend_.reachesMinimum) {
            auto* when = new QScatterSeries;
            when->setName(
                QStringLiteral("Reaches minimum %1").arg(formatDate(*trend_.reachesMinimum)));
            when->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
            when->setColor(QColor(204, 0, 0));
            when->append(msecs(*trend_.reachesMinimum), *minimum * factor);
            all.push_back(when);
        }
    }
    const double margin = std::max((high - low) * 0.08, us ? 0.005 : 0.1);
    if (trend_.nextUt) {
        auto* s = new QLineSeries;
        s->setName(QStringLiteral("Next UT %1").arg(formatDate(*trend_.nextUt)));
        s->append(msecs(*trend_.nextUt), low - margin);
        s->append(msecs(*trend_.nextUt), high + margin);
        s->setPen(charts::linePen(QColor(120, 60, 160), 1.5, Qt::DashDotLine));
        all.push_back(s);
    }

    auto* dates = new QDateTimeAxis;
    dates->setFormat(QStringLiteral("MMM yyyy"));
    dates->setTitleText(QStringLiteral("Date"));
    // A little room either side, and at least a year shown.
    const qint64 days = std::max<qint64>(first.daysTo(last), 365);
    dates->setRange(at(first.addDays(-days / 20)), at(last.addDays(days / 20)));
    dates->setTickCount(6);
    auto* values = new QValueAxis;
    values->setTitleText(us ? QStringLiteral("Thickness (in.)") : QStringLiteral("Thickness (mm)"));
    values->setRange(low - margin, high + margin);
    values->setLabelFormat(us ? QStringLiteral("%.3f") : QStringLiteral("%.2f"));
    for (QAbstractSeries* s : all)
        chart->addSeries(s);
    charts::addAxes(*chart, dates, values);
    // One legend entry for the readings: their line and their marks are one series to a reader.
    chart->legend()->markers(readings).first()->setVisible(false);
    return chart;
}

void TrendWindow::paint(QPainter& painter, const QRectF& area) {
    QFont font = painter.font();
    font.setPointSizeF(11);
    painter.setFont(font);
    const QFontMetricsF metrics(font, painter.device());
    double top = area.top();
    for (const QString& line : summary_) {
        painter.drawText(QRectF(area.left(), top, area.width(), metrics.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, line);
        top += metrics.height() * 1.2;
    }
    top += metrics.height() * 0.5;
    const double height = std::min(area.bottom() - top, area.width() * 0.75);
    if (height > 0)
        charts::renderChart(painter, makeChart(), QRectF(area.left(), top, area.width(), height));
}

void TrendWindow::Cmd_Print_Click() {
    const QString subject = tankName_ + QStringLiteral(" ") + pointId_;
    PrintJob job(QStringLiteral("Thickness Trend"),
                 printFileName(QStringLiteral("Thickness Trend"), subject));
    printPages(services_, *this, job, [this](QPrinter& printer) -> Status {
        printer.setPageOrientation(QPageLayout::Landscape);
        QPainter painter;
        if (!painter.begin(&printer))
            return Error{QStringLiteral("The printer could not start printing. The trend was "
                                        "not printed.")};
        paint(
            painter,
            QRectF(printer.pageLayout()
                       .paintRectPixels(printer.resolution())
                       .translated(
                           -printer.pageLayout().paintRectPixels(printer.resolution()).topLeft())));
        if (!painter.end())
            return Error{QStringLiteral("The printer could not finish printing the trend.")};
        return {};
    });
}

void TrendWindow::Cmd_Export_Click() {
    const QString title = QStringLiteral("Export Trend");
    const QString suggestion =
        printFileName(QStringLiteral("Trend"), tankName_ + QStringLiteral(" ") + pointId_)
            .replace(QStringLiteral(".pdf"), QStringLiteral(".png"));
    const QString path = services_.prompts.saveFileName(
        title, QStringLiteral("PNG image (*.png);;PDF document (*.pdf)"), suggestion);
    if (path.isEmpty())
        return;
    const QString kind = QFileInfo(path).suffix().toLower();
    const auto refuse = [&](const QString& text) {
        services_.prompts.message(text, title, Prompts::Icon::Exclamation);
    };
    if (kind != u"png" && kind != u"pdf") {
        refuse(QStringLiteral("Give the file a name ending in .png for an image or .pdf for a "
                              "PDF document."));
        return;
    }
    if (QFileInfo::exists(path)) {
        refuse(QStringLiteral("\"%1\" exists already.  Choose another name.").arg(path));
        return;
    }
    BusyScope busy(services_.pointer, *this);
    bool written = false;
    if (kind == u"png") {
        QImage image(1600, 1100, QImage::Format_ARGB32);
        image.setDotsPerMeterX(3780); // 96 per inch
        image.setDotsPerMeterY(3780);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            paint(painter, QRectF(24, 24, image.width() - 48, image.height() - 48));
        }
        written = image.save(path, "PNG");
    } else {
        QPdfWriter pdf(path);
        pdf.setPageSize(QPageSize(QPageSize::Letter));
        pdf.setPageOrientation(QPageLayout::Landscape);
        pdf.setResolution(300);
        pdf.setTitle(windowTitle());
        QPainter painter;
        if (painter.begin(&pdf)) {
            paint(painter, QRectF(QPointF(0, 0), QSizeF(pdf.width(), pdf.height())));
            written = painter.end();
        }
    }
    if (!written) {
        QFile::remove(path);
        refuse(QStringLiteral("\"%1\" could not be written.").arg(path));
        return;
    }
    services_.prompts.message(savedMessage(path), title, Prompts::Icon::Information);
}

void showTrend(QWidget& opener, Session& session, Services& services, const QString& tankName,
               const QString& pointId) {
    TrendWindow window(session, services, tankName, &opener);
    Status loaded = [&] {
        BusyScope busy(services.pointer, opener);
        return window.load(pointId);
    }();
    if (!loaded) {
        services.prompts.message(loaded.error(), WindowTitle, Prompts::Icon::Exclamation);
        return;
    }
    showChildWindow(services, opener, window);
}

} // namespace korvane
