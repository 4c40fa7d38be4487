#include "inspection/AssessmentWindow.h"

#include "common/DateText.h"
#include "common/NumberFormat.h"
#include "common/Units.h"
#include "inspection/AssessmentStatus.h"
#include "platform/BusyScope.h"
#include "platform/WindowControls.h"

#include <QAbstractTableModel>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace korvane {

using assessment::PointAssessment;
using assessment::PointStatus;

namespace {

enum Column {
    Point,
    StatusColumn,
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
    RemainingLife,
    UtInterval,
    ExternalInterval,
    ColumnCount
};

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
        if (role == Qt::ToolTipRole && column == Rate && p.scatter)
            return QStringLiteral("A thickness grew between readings (measurement scatter); "
                                  "that rate counts as 0");
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
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return QAbstractTableModel::headerData(section, orientation, role);
        const QString t = us_ ? QStringLiteral("\n(in.)") : QStringLiteral("\n(mm)");
        const QString r = us_ ? QStringLiteral("\n(in/yr)") : QStringLiteral("\n(mm/yr)");
        const QString titles[ColumnCount] = {
            QStringLiteral("Point"),         QStringLiteral("Status"),
            QStringLiteral("Course"),        QStringLiteral("First") + t,
            QStringLiteral("Taken"),         QStringLiteral("Previous") + t,
            QStringLiteral("Taken"),         QStringLiteral("Latest") + t,
            QStringLiteral("Taken"),         QStringLiteral("Minimum") + t,
            QStringLiteral("Long-Term") + r, QStringLiteral("Short-Term") + r,
            QStringLiteral("Rate") + r,      QStringLiteral("RCA") + t,
            QStringLiteral("Life\n(yr)"),    QStringLiteral("UT\n(yr)"),
            QStringLiteral("External\n(yr)")};
        return section >= 0 && section < ColumnCount ? titles[section] : QString();
    }

private:
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
    : QDialog(parent), session_(session), services_(services) {
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
    Grid_Assessment->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);

    Cmd_Print = commandButton(this, "Cmd_Print", QStringLiteral("Print"),
                              QStringLiteral("The assessment as a report"));
    Cmd_Close = commandButton(this, "Cmd_Close", QStringLiteral("Close"));
    connect(Cmd_Print, &QPushButton::clicked, this, &AssessmentWindow::Cmd_Print_Click);
    connect(Cmd_Close, &QPushButton::clicked, this, &QDialog::accept);

    auto* summary = new QVBoxLayout;
    summary->addWidget(Label_Life);
    summary->addWidget(Label_UT);
    summary->addWidget(Label_External);
    summary->addWidget(legend);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Cmd_Print);
    buttons->addStretch();
    buttons->addWidget(Cmd_Close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(summary);
    layout->addWidget(Grid_Assessment, 1);
    layout->addLayout(buttons);
    resize(1240, 600);
}

AssessmentWindow::~AssessmentWindow() = default;

Status AssessmentWindow::load() {
    auto tank = assessment::readAssessment(session_.DatabaseName, session_.CurTankID);
    if (!tank)
        return tank.takeError();
    showSummary(*tank);
    model_->setPoints(std::move(tank->points));
    return {};
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
