#include "assessment/AssessmentWindow.h"

#include "assessment/AssessmentStatus.h"
#include "assessment/TrendWindow.h"
#include "common/DateText.h"
#include "common/NumberFormat.h"
#include "common/Units.h"
#include "platform/BusyScope.h"
#include "platform/Keyboard.h"
#include "platform/SheetExport.h"
#include "platform/WindowControls.h"
#include "storage/AssessmentRecords.h"

#include <QAbstractTableModel>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QSortFilterProxyModel>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace korvane {

using assessment::PointAssessment;
using assessment::PointStatus;

namespace {

// The verdict of each point (its status, remaining life and the intervals it allows) stands
// beside its name, where it is seen without scrolling however narrow the screen; the readings
// and rates it comes from follow.
enum Column {
    Point,
    StatusColumn,
    RemainingLife,
    UtInterval,
    ExternalInterval,
    Course,
    First,
    FirstDate,
    Previous,
    PreviousDate,
    Latest,
    LatestDate,
    Minimum,
    LongTermRate,
    ShortTermRate,
    Rate,
    Rca,
    ColumnCount
};

// Columns that give up width first when the window cannot show every column whole: the history
// of the readings. Their texts are then elided, and their tooltips give them whole.
bool yieldsWidth(int column) {
    switch (column) {
    case First:
    case FirstDate:
    case Previous:
    case PreviousDate:
    case LatestDate:
    case LongTermRate:
    case ShortTermRate:
        return true;
    default:
        return false;
    }
}

constexpr int SortRole = Qt::UserRole;

QString years(std::optional<double> value) {
    return value ? formatNumber(*value, u"0.0") : QString();
}

QIcon disc(const QColor& colour) {
    QPixmap pixmap(12, 12);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::black);
    painter.setBrush(colour);
    painter.drawEllipse(QRectF(1, 1, 10, 10));
    return QIcon(pixmap);
}

} // namespace

// The points of the assessment, worst first: below minimum, then a life short of the next
// ultrasonic inspection, then by remaining life.
class AssessmentModel final : public QAbstractTableModel {
public:
    AssessmentModel(bool unitsUS, QObject* parent) : QAbstractTableModel(parent), us_(unitsUS) {}

    const PointAssessment& point(int row) const { return points_[static_cast<std::size_t>(row)]; }
    bool unitsUS() const { return us_; }

    void setPoints(std::vector<PointAssessment> points) {
        std::stable_sort(points.begin(), points.end(), [](const auto& a, const auto& b) {
            const int sa = assessment::severity(a.status), sb = assessment::severity(b.status);
            if (sa != sb)
                return sa < sb;
            return a.remainingLife.value_or(1e300) < b.remainingLife.value_or(1e300);
        });
        beginResetModel();
        points_ = std::move(points);
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : static_cast<int>(points_.size());
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : ColumnCount;
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount())
            return {};
        const PointAssessment& p = points_[static_cast<std::size_t>(index.row())];
        const int column = index.column();
        if (role == SortRole)
            return sortKey(p, index.row(), column);
        if (column == StatusColumn) {
            if (role == Qt::DecorationRole)
                return disc(statusColor(p.status));
            if (role == Qt::ForegroundRole && p.status == PointStatus::BelowMinimum)
                return statusColor(p.status);
        }
        if (role == Qt::ToolTipRole) {
            if (column == Rate && p.scatter)
                return QStringLiteral("A thickness grew between readings (measurement scatter); "
                                      "that rate counts as 0");
            // The whole text, for a column too narrow to show it.
            const QString shown = data(index, Qt::DisplayRole).toString();
            return shown.isEmpty() ? QVariant() : QVariant(shown);
        }
        if (role == Qt::TextAlignmentRole)
            return column == Point || column == Course || column == StatusColumn
                       ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                       : QVariant(Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole)
            return {};
        switch (column) {
        case Point:
            return p.pointId;
        case Course:
            return thickness::courseText(p.course);
        case First:
            return reading(p.first);
        case FirstDate:
            return date(p.first);
        case Previous:
            return reading(p.previous);
        case PreviousDate:
            return date(p.previous);
        case Latest:
            return reading(p.latest);
        case LatestDate:
            return date(p.latest);
        case Minimum:
            return p.minimum ? thickness::shownThickness(*p.minimum, us_) : QString();
        case LongTermRate:
            return rate(p.longTermRate);
        case ShortTermRate:
            return rate(p.shortTermRate);
        case Rate:
            return rate(p.rate) + (p.scatter ? QStringLiteral(" *") : QString());
        case Rca:
            return p.rca ? thickness::shownThickness(*p.rca, us_) : QString();
        case RemainingLife:
            return years(p.remainingLife);
        case UtInterval:
            return years(p.utInterval);
        case ExternalInterval:
            return years(p.externalInterval);
        case StatusColumn:
            return assessment::statusText(p.status);
        default:
            return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount ||
            (role != Qt::DisplayRole && role != Qt::ToolTipRole))
            return QAbstractTableModel::headerData(section, orientation, role);
        const ColumnTitle c = columnTitle(section);
        if (role == Qt::ToolTipRole)
            return c.unit.isEmpty() ? c.meaning : c.meaning + QStringLiteral(" (") + c.unit + u')';
        return c.unit.isEmpty() ? c.title : c.title + QStringLiteral("\n(") + c.unit + u')';
    }

private:
    // A column's title, the unit of its figures and what it holds (its header's tooltip).
    struct ColumnTitle {
        QString title, unit, meaning;
    };
    ColumnTitle columnTitle(int column) const {
        const QString t = us_ ? QStringLiteral("in.") : QStringLiteral("mm");
        const QString r = us_ ? QStringLiteral("in/yr") : QStringLiteral("mm/yr");
        const QString yr = QStringLiteral("yr");
        switch (column) {
        case Point:
            return {QStringLiteral("Point"), {}, QStringLiteral("Point ID")};
        case StatusColumn:
            return {QStringLiteral("Status"), {}, QStringLiteral("Status of the latest reading")};
        case RemainingLife:
            return {QStringLiteral("Life"), yr, QStringLiteral("Remaining life")};
        case UtInterval:
            return {QStringLiteral("UT"), yr,
                    QStringLiteral("Longest ultrasonic thickness inspection interval allowed")};
        case ExternalInterval:
            return {QStringLiteral("External"), yr,
                    QStringLiteral("Longest routine external inspection interval allowed")};
        case Course:
            return {QStringLiteral("Course"), {}, QStringLiteral("Course of the latest reading")};
        case First:
            return {QStringLiteral("First"), t, QStringLiteral("First reading")};
        case Previous:
            return {QStringLiteral("Previous"), t, QStringLiteral("Reading before the latest")};
        case Latest:
            return {QStringLiteral("Latest"), t, QStringLiteral("Latest reading")};
        case FirstDate:
        case PreviousDate:
        case LatestDate:
            return {QStringLiteral("Taken"), {}, QStringLiteral("Date the reading was taken")};
        case Minimum:
            return {QStringLiteral("Minimum"), t, QStringLiteral("Minimum thickness")};
        case LongTermRate:
            return {QStringLiteral("Long-Term"), r,
                    QStringLiteral("Corrosion rate from the first reading to the latest")};
        case ShortTermRate:
            return {QStringLiteral("Short-Term"), r,
                    QStringLiteral("Corrosion rate from the previous reading to the latest")};
        case Rate:
            return {QStringLiteral("Rate"), r, QStringLiteral("Corrosion rate used")};
        case Rca:
            return {QStringLiteral("RCA"), t, QStringLiteral("Remaining corrosion allowance")};
        default:
            return {};
        }
    }

    QString reading(const std::optional<assessment::Reading>& r) const {
        return r ? thickness::shownThickness(r->inches, us_) : QString();
    }
    static QString date(const std::optional<assessment::Reading>& r) {
        return r ? formatDate(r->date) : QString();
    }
    QString rate(std::optional<double> inchesPerYear) const {
        if (!inchesPerYear)
            return {};
        return us_ ? formatNumber(*inchesPerYear, u"0.0000")
                   : formatNumber(*inchesPerYear * units::MillimetresPerInch, u"0.000");
    }
    // Numbers sort as numbers, with missing values last; the status by the worst-first order.
    static QVariant sortKey(const PointAssessment& p, int row, int column) {
        const auto value = [](std::optional<double> v) {
            return v.value_or(1e300);
        };
        const auto when = [](const std::optional<assessment::Reading>& r) {
            return r ? QVariant(r->date) : QVariant(QDate(9999, 12, 31));
        };
        switch (column) {
        case Point:
            return p.pointId.toCaseFolded();
        case Course:
            return p.course;
        case First:
            return p.first ? p.first->inches : 1e300;
        case FirstDate:
            return when(p.first);
        case Previous:
            return p.previous ? p.previous->inches : 1e300;
        case PreviousDate:
            return when(p.previous);
        case Latest:
            return p.latest ? p.latest->inches : 1e300;
        case LatestDate:
            return when(p.latest);
        case Minimum:
            return value(p.minimum);
        case LongTermRate:
            return value(p.longTermRate);
        case ShortTermRate:
            return value(p.shortTermRate);
        case Rate:
            return value(p.rate);
        case Rca:
            return value(p.rca);
        case RemainingLife:
            return value(p.remainingLife);
        case UtInterval:
            return value(p.utInterval);
        case ExternalInterval:
            return value(p.externalInterval);
        default:
            return row;
        }
    }

    bool us_;
    std::vector<PointAssessment> points_;
};

AssessmentWindow::AssessmentWindow(Session& session, Services& services, const QString& tankName,
                                   QWidget* parent)
    : QDialog(parent), session_(session), services_(services), tankName_(tankName) {
    setObjectName(QStringLiteral("FormAssessment"));
    setWindowTitle(QStringLiteral("Corrosion Assessment - ") + tankName);
    setModal(true);

    Label_Life = new QLabel(this);
    Label_Life->setObjectName(QStringLiteral("Label_Life"));
    Label_UT = new QLabel(this);
    Label_UT->setObjectName(QStringLiteral("Label_UT"));
    Label_External = new QLabel(this);
    Label_External->setObjectName(QStringLiteral("Label_External"));
    auto* legend = new QLabel(statusLegend(), this);
    legend->setObjectName(QStringLiteral("Label_Legend"));

    model_ = new AssessmentModel(session_.UnitsUS, this);
    auto* sorted = new QSortFilterProxyModel(this);
    sorted->setSourceModel(model_);
    sorted->setSortRole(SortRole);
    Grid_Assessment = new QTableView(this);
    Grid_Assessment->setObjectName(QStringLiteral("Grid_Assessment"));
    Grid_Assessment->setModel(sorted);
    setUpRowGrid(*Grid_Assessment);
    Grid_Assessment->setSortingEnabled(true);
    Grid_Assessment->sortByColumn(StatusColumn, Qt::AscendingOrder);
    Grid_Assessment->setTextElideMode(Qt::ElideRight);
    Grid_Assessment->horizontalHeader()->setTextElideMode(Qt::ElideRight);
    Grid_Assessment->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    // The last column keeps its own width: stretched, it would take what the others need.
    Grid_Assessment->horizontalHeader()->setStretchLastSection(false);

    Cmd_Print = commandButton(this, "Cmd_Print", QStringLiteral("Print"),
                              QStringLiteral("The assessment as a report"));
    Cmd_Export = commandButton(this, "Cmd_Export", QStringLiteral("E&xport..."),
                               QStringLiteral("Write the points to a CSV file or an Excel "
                                              "workbook, in the order shown"));
    Cmd_Trend = commandButton(this, "Cmd_Trend", QStringLiteral("&Trend"),
                              QStringLiteral("The chosen point's readings over time, with its "
                                             "rates and the date it reaches its minimum"));
    Cmd_Close = commandButton(this, "Cmd_Close", QStringLiteral("Close"));
    connect(Cmd_Print, &QPushButton::clicked, this, &AssessmentWindow::Cmd_Print_Click);
    connect(Cmd_Export, &QPushButton::clicked, this, &AssessmentWindow::Cmd_Export_Click);
    connect(Cmd_Trend, &QPushButton::clicked, this, &AssessmentWindow::Cmd_Trend_Click);
    connect(Grid_Assessment, &QTableView::doubleClicked, this, &AssessmentWindow::Cmd_Trend_Click);
    connect(Cmd_Close, &QPushButton::clicked, this, &QDialog::accept);

    auto* summary = new QVBoxLayout;
    summary->addWidget(Label_Life);
    summary->addWidget(Label_UT);
    summary->addWidget(Label_External);
    summary->addWidget(legend);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Cmd_Print);
    buttons->addWidget(Cmd_Export);
    buttons->addWidget(Cmd_Trend);
    buttons->addStretch();
    buttons->addWidget(Cmd_Close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(summary);
    layout->addWidget(Grid_Assessment, 1);
    layout->addLayout(buttons);
    orderFocusByLayout(*this);
    sizeToContent();
}

AssessmentWindow::~AssessmentWindow() = default;

Status AssessmentWindow::load() {
    auto tank = assessment::readAssessment(session_.DatabaseName, session_.CurTankID);
    if (!tank)
        return tank.takeError();
    showSummary(*tank);
    model_->setPoints(std::move(tank->points));
    sizeToContent();
    return {};
}

void AssessmentWindow::sizeToContent() {
    // A column is as wide as its widest cell or its title's longer line with room for the sort
    // mark; the header's own size hint would give every column room for the mark beside the
    // whole two-line title, and the grid would not fit a screen.
    QHeaderView* header = Grid_Assessment->horizontalHeader();
    const QFontMetrics titleMetrics(header->font());
    const int titleRoom = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header) +
                          style()->pixelMetric(QStyle::PM_HeaderMarkSize, nullptr, header) + 4;
    header->setSortIndicatorShown(false);
    Grid_Assessment->resizeColumnsToContents();
    header->setSortIndicatorShown(true);
    preferredWidths_.assign(ColumnCount, 0);
    int columnsWidth = 0;
    for (int c = 0; c < ColumnCount; ++c) {
        int title = 0;
        const QString text = model_->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        for (const QString& line : text.split(u'\n'))
            title = std::max(title, titleMetrics.horizontalAdvance(line));
        int width = std::max(header->sectionSize(c), title + titleRoom);
        // A point ID may be long; beyond a sensible width it is elided, whole in its tooltip.
        if (c == Point)
            width = std::min(width, Grid_Assessment->fontMetrics().averageCharWidth() * 20);
        preferredWidths_[static_cast<std::size_t>(c)] = width;
        Grid_Assessment->setColumnWidth(c, width);
        columnsWidth += width;
    }
    const QMargins margins = layout()->contentsMargins();
    const int frame = 2 * Grid_Assessment->frameWidth();
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const int rows = std::clamp(model_->rowCount(), 8, 40);
    const int gridHeight = header->sizeHint().height() +
                           rows * Grid_Assessment->verticalHeader()->defaultSectionSize() + frame +
                           scrollBar;
    const QSize wanted(columnsWidth + frame + scrollBar + margins.left() + margins.right(),
                       sizeHint().height() - Grid_Assessment->sizeHint().height() + gridHeight);
    // Within the screen, leaving room for the window's frame and the desktop's panels.
    const QScreen* where = parentWidget() ? parentWidget()->screen() : screen();
    const QRect available = where ? where->availableGeometry() : QRect(0, 0, 1024, 768);
    resize(std::min(wanted.width(), available.width() - 32),
           std::min(wanted.height(), available.height() * 9 / 10));
    fitted_ = false;
}

void AssessmentWindow::fitColumns() {
    if (preferredWidths_.size() != ColumnCount)
        return;
    const int room = Grid_Assessment->viewport()->width();
    int wanted = 0;
    int slack = 0;
    std::vector<int> minimum(ColumnCount);
    for (int c = 0; c < ColumnCount; ++c) {
        const int preferred = preferredWidths_[static_cast<std::size_t>(c)];
        minimum[static_cast<std::size_t>(c)] =
            yieldsWidth(c) ? std::min(preferred, std::max(preferred / 2, 40)) : preferred;
        wanted += preferred;
        slack += preferred - minimum[static_cast<std::size_t>(c)];
    }
    const int excess = std::max(wanted - room, 0);
    for (int c = 0; c < ColumnCount; ++c) {
        const int preferred = preferredWidths_[static_cast<std::size_t>(c)];
        const int give = preferred - minimum[static_cast<std::size_t>(c)];
        // Shares of the excess by what each column can give, rounded up so that they cover it.
        const int cut =
            slack > 0 ? std::min(give, (std::min(excess, slack) * give + slack - 1) / slack) : 0;
        Grid_Assessment->setColumnWidth(c, preferred - cut);
    }
}

void AssessmentWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (fitted_)
        return;
    // The grid has its width once the window is laid out at its opening size.
    layout()->activate();
    fitColumns();
    fitted_ = true;
}

void AssessmentWindow::showSummary(const assessment::TankAssessment& tank) {
    Label_Life->setText(
        tank.shortestLife
            ? QStringLiteral("Shortest remaining life: %1 years, at point %2")
                  .arg(years(tank.shortestLife), tank.governingPoint.toHtmlEscaped())
            : QStringLiteral("Shortest remaining life: none known (no point has a corrosion "
                             "rate yet)"));
    const auto interval = [](QLabel* label, const QString& kind, std::optional<double> allowed,
                             std::optional<double> scheduled, bool tooLong) {
        QString text = QStringLiteral("%1 interval allowed: %2")
                           .arg(kind, allowed ? years(allowed) + QStringLiteral(" years")
                                              : QStringLiteral("none known"));
        text += scheduled ? QStringLiteral("; on the schedule: %1 years").arg(years(scheduled))
                          : QStringLiteral("; none on the schedule");
        if (tooLong)
            text += QStringLiteral(" &mdash; <span style=\"color:%1\"><b>longer than "
                                   "allowed</b></span>")
                        .arg(statusColor(PointStatus::BelowMinimum).name());
        label->setText(text);
    };
    interval(Label_UT, QStringLiteral("Ultrasonic thickness"), tank.utInterval, tank.utFrequency,
             tank.utTooLong);
    interval(Label_External, QStringLiteral("Routine external"), tank.externalInterval,
             tank.externalFrequency, tank.externalTooLong);
}

void AssessmentWindow::Cmd_Print_Click() {
    session_.SQLString = QStringLiteral("{Tank.TankID} = %1").arg(session_.CurTankID);
    services_.reports.showReport(*this, session_, services_, QStringLiteral("tml_rate.rpt"));
}

sheet::Sheet AssessmentWindow::shownSheet() const {
    using sheet::Cell;
    const bool us = model_->unitsUS();
    // Thicknesses and rates as numbers in the units shown, with the patterns they are shown in.
    const double factor = us ? 1.0 : units::MillimetresPerInch;
    const QString thicknessPattern = us ? QStringLiteral("0.000") : QStringLiteral("0.00");
    const QString ratePattern = us ? QStringLiteral("0.0000") : QStringLiteral("0.000");
    const auto number = [](std::optional<double> v, double f, const QString& pattern) {
        return v ? Cell::ofNumber(*v * f, pattern) : Cell::empty();
    };
    const auto thicknessOf = [&](const std::optional<assessment::Reading>& r) {
        return r ? Cell::ofNumber(r->inches * factor, thicknessPattern) : Cell::empty();
    };
    const auto dateOf = [](const std::optional<assessment::Reading>& r) {
        return r ? Cell::ofDate(r->date) : Cell::empty();
    };
    sheet::Sheet out;
    out.name = QStringLiteral("Corrosion Assessment");
    for (int c = 0; c < ColumnCount; ++c)
        out.header << model_->headerData(c, Qt::Horizontal, Qt::DisplayRole)
                          .toString()
                          .replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QAbstractItemModel* shown = Grid_Assessment->model();
    const auto* sorted = static_cast<const QSortFilterProxyModel*>(shown);
    for (int r = 0; r < shown->rowCount(); ++r) {
        const PointAssessment& p = model_->point(sorted->mapToSource(shown->index(r, 0)).row());
        std::vector<Cell> cells(ColumnCount);
        cells[Point] = Cell::ofText(p.pointId);
        cells[StatusColumn] = Cell::ofText(assessment::statusText(p.status));
        if (p.status == PointStatus::BelowMinimum || p.status == PointStatus::LifeShorterThanUt)
            cells[StatusColumn].marked(statusColor(p.status).rgb() & 0xFFFFFF);
        cells[RemainingLife] = number(p.remainingLife, 1, QStringLiteral("0.0"));
        cells[UtInterval] = number(p.utInterval, 1, QStringLiteral("0.0"));
        cells[ExternalInterval] = number(p.externalInterval, 1, QStringLiteral("0.0"));
        cells[Course] = Cell::ofText(thickness::courseText(p.course));
        cells[First] = thicknessOf(p.first);
        cells[FirstDate] = dateOf(p.first);
        cells[Previous] = thicknessOf(p.previous);
        cells[PreviousDate] = dateOf(p.previous);
        cells[Latest] = thicknessOf(p.latest);
        cells[LatestDate] = dateOf(p.latest);
        cells[Minimum] = number(p.minimum, factor, thicknessPattern);
        cells[LongTermRate] = number(p.longTermRate, factor, ratePattern);
        cells[ShortTermRate] = number(p.shortTermRate, factor, ratePattern);
        cells[Rate] = number(p.rate, factor, ratePattern);
        cells[Rca] = number(p.rca, factor, thicknessPattern);
        out.rows.push_back(std::move(cells));
    }
    return out;
}

void AssessmentWindow::Cmd_Export_Click() {
    exportSheet(*this, services_, QStringLiteral("Export Corrosion Assessment"),
                exportSuggestion(session_.DatabaseName, windowTitle(), QStringLiteral("xlsx")),
                [this] { return shownSheet(); });
}

void AssessmentWindow::Cmd_Trend_Click() {
    const QModelIndex current = Grid_Assessment->currentIndex();
    if (!current.isValid()) {
        services_.prompts.message(QStringLiteral("Choose a point in the list first."),
                                  QStringLiteral("Trend"), Prompts::Icon::Information);
        return;
    }
    const QString pointId = Grid_Assessment->model()->index(current.row(), Point).data().toString();
    showTrend(*this, session_, services_, tankName_, pointId);
}

void showAssessment(QWidget& opener, Session& session, Services& services,
                    const QString& tankName) {
    AssessmentWindow window(session, services, tankName, &opener);
    Status loaded = [&] {
        BusyScope busy(services.pointer, opener);
        return window.load();
    }();
    if (!loaded) {
        services.prompts.message(loaded.error(), QStringLiteral("Corrosion Assessment"),
                                 Prompts::Icon::Exclamation);
        return;
    }
    showChildWindow(services, opener, window);
}

} // namespace korvane
