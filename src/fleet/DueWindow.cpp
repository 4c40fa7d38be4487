#include "fleet/DueWindow.h"

#include "common/DateText.h"
#include "due/DueRecords.h"
#include "engineering/UnitEntry.h"
#include "platform/BusyScope.h"
#include "platform/Keyboard.h"
#include "platform/SheetExport.h"
#include "platform/WindowControls.h"
#include "tank/TankInformationWindow.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMap>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

#include <cstdlib>
#include <limits>

namespace korvane {

using due::Mark;
using due::TankRow;

namespace {

const QString WindowCaption = QStringLiteral("Due and at Risk");
constexpr int SortRole = Qt::UserRole;
// The help topic of this window.
constexpr quint8 HelpTopic = 7;

// A title of more than one word on two lines, broken at the space nearest its middle, so that a
// column is as wide as its values rather than its title.
QString twoLines(QString title) {
    qsizetype best = -1;
    for (qsizetype at = title.indexOf(u' '); at >= 0; at = title.indexOf(u' ', at + 1))
        if (best < 0 || std::abs(title.size() - 2 * at) < std::abs(title.size() - 2 * best))
            best = at;
    if (best >= 0)
        title[best] = u'\n';
    return title;
}

bool opensAssessment(int column) {
    return column == due::LifeColumn || column == due::PointColumn || column == due::BelowColumn;
}

} // namespace

// The rows of the list, worst first as read; each cell as the sheet of the list shows it.
class DueModel final : public QAbstractTableModel {
public:
    DueModel(const std::vector<TankRow>& rows, QObject* parent)
        : QAbstractTableModel(parent), rows_(rows) {}

    void reset() {
        beginResetModel();
        endResetModel();
    }
    const TankRow& row(int r) const { return rows_[static_cast<std::size_t>(r)]; }
    void setHorizon(int days) { horizon_ = days; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : static_cast<int>(rows_.size());
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : due::ColumnCount;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
            section < due::ColumnCount)
            return twoLines(due::columnTitles().at(section));
        return QAbstractTableModel::headerData(section, orientation, role);
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount())
            return {};
        const TankRow& r = row(index.row());
        const int column = index.column();
        switch (role) {
        case Qt::DisplayRole:
            return text(r, column);
        case Qt::BackgroundRole:
            if (const auto colour = due::markColour(due::cellMark(r, column)))
                return QColor::fromRgb(*colour);
            return {};
        case Qt::ToolTipRole:
            return toolTip(r, column);
        case Qt::TextAlignmentRole:
            if (isSchedule(column) || column == due::LastInspectionColumn)
                return QVariant(Qt::AlignCenter);
            if (column == due::LifeColumn || column == due::BelowColumn)
                return QVariant(Qt::AlignRight | Qt::AlignVCenter);
            return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
        case SortRole:
            return sortKey(r, index.row(), column);
        default:
            return {};
        }
    }

    static QString text(const TankRow& r, int column) {
        if (isSchedule(column))
            return formatDate(schedule(r, column).next);
        switch (column) {
        case due::CompanyColumn:
            return r.company;
        case due::LocationColumn:
            return r.location;
        case due::TankColumn:
            return r.tank;
        case due::ProductColumn:
            return r.product;
        case due::LifeColumn:
            return due::lifeText(r.shortestLife);
        case due::PointColumn:
            return r.governingPoint;
        case due::BelowColumn:
            return r.pointCount > 0 ? QString::number(r.belowMinimum) : QString();
        case due::SurveyColumn:
            return due::surveyText(r.survey);
        case due::LastInspectionColumn:
            return formatDate(r.lastInspection);
        case due::AttentionColumn:
            return r.reasons();
        default:
            return {};
        }
    }

private:
    static bool isSchedule(int column) {
        return column >= due::FirstScheduleColumn && column < due::LifeColumn;
    }
    static const due::Scheduled& schedule(const TankRow& r, int column) {
        return r.schedule[static_cast<std::size_t>(column - due::FirstScheduleColumn)];
    }

    QVariant toolTip(const TankRow& r, int column) const {
        if (isSchedule(column)) {
            const due::Scheduled& s = schedule(r, column);
            if (!s.next.isValid())
                return QStringLiteral("Not scheduled");
            QString tip = QStringLiteral("Last %1, every %2")
                              .arg(formatDate(s.last), unitentry::frequencyShown(s.frequency).text);
            if (s.mark == Mark::Red)
                tip += QStringLiteral(": overdue");
            else if (s.mark == Mark::Amber)
                tip += QStringLiteral(": due within %1 days").arg(horizon_);
            return tip;
        }
        switch (column) {
        case due::LifeColumn:
        case due::PointColumn:
        case due::BelowColumn:
            if (r.pointCount == 0)
                return QStringLiteral("No thickness readings");
            return QStringLiteral("%1 points: %2 below minimum, %3 short of life before the next "
                                  "ultrasonic inspection. Double-click for the Corrosion "
                                  "Assessment.")
                .arg(r.pointCount)
                .arg(r.belowMinimum)
                .arg(r.lifeShort);
        case due::SurveyColumn:
            return r.survey.taken ? QStringLiteral("Survey of the inspection of %1")
                                        .arg(formatDate(r.survey.date))
                                  : QStringLiteral("No shell settlement survey");
        default: {
            const QString shown = text(r, column);
            return shown.isEmpty() ? QVariant() : QVariant(shown);
        }
        }
    }

    // Texts sort without letter case, dates and numbers as such with the missing ones last; the
    // last column sorts worst first, the order the rows were read in.
    static QVariant sortKey(const TankRow& r, int sourceRow, int column) {
        const auto day = [](const QDate& d) {
            return d.isValid() ? d.toJulianDay() : std::numeric_limits<qint64>::max();
        };
        if (isSchedule(column))
            return day(schedule(r, column).next);
        switch (column) {
        case due::LifeColumn:
            return r.shortestLife.value_or(std::numeric_limits<double>::max());
        case due::BelowColumn:
            return r.pointCount > 0 ? r.belowMinimum : -1;
        case due::SurveyColumn:
            return r.survey.taken ? -(r.survey.beyond * 2 + (r.survey.poorFit ? 1 : 0)) : 1;
        case due::LastInspectionColumn:
            return day(r.lastInspection);
        case due::AttentionColumn:
            return sourceRow;
        default:
            return text(r, column).toCaseFolded();
        }
    }

    const std::vector<TankRow>& rows_;
    int horizon_ = due::DefaultHorizonDays;
};

// Narrows the list to a company, a location and the tanks that need attention.
class DueFilter final : public QSortFilterProxyModel {
public:
    explicit DueFilter(QObject* parent) : QSortFilterProxyModel(parent) {}

    void set(qint32 companyId, qint32 locationId, bool attentionOnly) {
        companyId_ = companyId;
        locationId_ = locationId;
        attentionOnly_ = attentionOnly;
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex&) const override {
        const TankRow& r = static_cast<const DueModel*>(sourceModel())->row(sourceRow);
        return (companyId_ == 0 || r.companyId == companyId_) &&
               (locationId_ == 0 || r.locationId == locationId_) &&
               (!attentionOnly_ || r.needsAttention());
    }

private:
    qint32 companyId_ = 0;
    qint32 locationId_ = 0;
    bool attentionOnly_ = false;
};

DueWindow::DueWindow(Session& session, Services& services, QWidget* parent)
    : QWidget(parent), session_(session), services_(services) {
    setObjectName(QStringLiteral("FormDue"));
    setWindowTitle(WindowCaption);

    auto* title = new QLabel(QStringLiteral("<b>%1</b>").arg(WindowCaption), this);
    title->setObjectName(QStringLiteral("Label_Title"));
    Text_Horizon = new QSpinBox(this);
    Text_Horizon->setObjectName(QStringLiteral("Text_Horizon"));
    Text_Horizon->setRange(0, due::MaxHorizonDays);
    Text_Horizon->setSuffix(QStringLiteral(" days"));
    Text_Horizon->setValue(std::clamp(session_.DueHorizonDays, 0, due::MaxHorizonDays));
    Text_Horizon->setToolTip(QStringLiteral("An inspection due within this many days from today "
                                            "is shown in amber"));
    auto* horizonLabel = new QLabel(QStringLiteral("Due &within"), this);
    horizonLabel->setBuddy(Text_Horizon);
    List_Company = new QComboBox(this);
    List_Company->setObjectName(QStringLiteral("List_Company"));
    List_Company->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    List_Company->setMinimumContentsLength(18);
    auto* companyLabel = new QLabel(QStringLiteral("&Company"), this);
    companyLabel->setBuddy(List_Company);
    List_Location = new QComboBox(this);
    List_Location->setObjectName(QStringLiteral("List_Location"));
    List_Location->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    List_Location->setMinimumContentsLength(18);
    auto* locationLabel = new QLabel(QStringLiteral("&Location"), this);
    locationLabel->setBuddy(List_Location);
    Chk_Attention = new QCheckBox(QStringLiteral("Only tanks that need &attention"), this);
    Chk_Attention->setObjectName(QStringLiteral("Chk_Attention"));
    Chk_Attention->setChecked(session_.DueAttentionOnly);

    model_ = new DueModel(rows_, this);
    filter_ = new DueFilter(this);
    filter_->setSourceModel(model_);
    filter_->setSortRole(SortRole);
    Grid_Due = new QTableView(this);
    Grid_Due->setObjectName(QStringLiteral("Grid_Due"));
    Grid_Due->setModel(filter_);
    setUpRowGrid(*Grid_Due);
    Grid_Due->setSortingEnabled(true);
    Grid_Due->sortByColumn(due::AttentionColumn, Qt::AscendingOrder);
    Grid_Due->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    Grid_Due->installEventFilter(this);

    Label_Count = new QLabel(this);
    Label_Count->setObjectName(QStringLiteral("Label_Count"));
    Cmd_Refresh = commandButton(this, "Cmd_Refresh", QStringLiteral("&Refresh"),
                                QStringLiteral("Read the list again from the database"));
    Cmd_Export = commandButton(this, "Cmd_Export", QStringLiteral("E&xport..."),
                               QStringLiteral("Write the rows shown to a CSV file or an Excel "
                                              "workbook"));
    Cmd_Print = commandButton(this, "Cmd_Print", QStringLiteral("&Print"),
                              QStringLiteral("Print the rows shown"));
    Cmd_Help = commandButton(this, "Cmd_Help", QStringLiteral("Help"));

    connect(Text_Horizon, &QSpinBox::valueChanged, this, &DueWindow::Text_Horizon_Changed);
    connect(List_Company, &QComboBox::currentIndexChanged, this, &DueWindow::List_Company_Changed);
    connect(List_Location, &QComboBox::currentIndexChanged, this, &DueWindow::filterChanged);
    connect(Chk_Attention, &QCheckBox::toggled, this, &DueWindow::filterChanged);
    connect(Grid_Due, &QTableView::doubleClicked, this, &DueWindow::Grid_Due_DblClick);
    connect(Cmd_Refresh, &QPushButton::clicked, this, &DueWindow::refresh);
    connect(Cmd_Export, &QPushButton::clicked, this, &DueWindow::Cmd_Export_Click);
    connect(Cmd_Print, &QPushButton::clicked, this, &DueWindow::Cmd_Print_Click);
    connect(Cmd_Help, &QPushButton::clicked, this, &DueWindow::Cmd_Help_Click);

    // Two rows, so that the window fits a small screen: the title with what is marked, then
    // which tanks are listed.
    auto* marks = new QHBoxLayout;
    marks->addWidget(title);
    marks->addSpacing(16);
    marks->addWidget(horizonLabel);
    marks->addWidget(Text_Horizon);
    marks->addSpacing(12);
    marks->addWidget(Chk_Attention);
    marks->addStretch(1);
    auto* places = new QHBoxLayout;
    places->addWidget(companyLabel);
    places->addWidget(List_Company, 1);
    places->addSpacing(12);
    places->addWidget(locationLabel);
    places->addWidget(List_Location, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Label_Count, 1);
    buttons->addWidget(Cmd_Refresh);
    buttons->addWidget(Cmd_Export);
    buttons->addWidget(Cmd_Print);
    buttons->addWidget(Cmd_Help);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(marks);
    layout->addLayout(places);
    layout->addWidget(Grid_Due, 1);
    layout->addLayout(buttons);
    orderFocusByLayout(*this);
}

DueWindow::~DueWindow() = default;

due::Options DueWindow::options() const {
    return {services_.clock.today(), Text_Horizon->value()};
}

Status DueWindow::load() {
    auto rows = [&] {
        BusyScope busy(services_.pointer, *this);
        return due::readDueList(session_.DatabaseName, options());
    }();
    rows_.clear();
    if (rows)
        rows_ = std::move(rows.value());
    model_->setHorizon(Text_Horizon->value());
    model_->reset();
    fillCompanies();
    Grid_Due->resizeColumnsToContents();
    for (int c = 0; c < due::ColumnCount; ++c)
        Grid_Due->setColumnWidth(c, std::min(Grid_Due->columnWidth(c), 320));
    showCount();
    if (!rows)
        return rows.takeError();
    return {};
}

void DueWindow::refresh() {
    if (Status loaded = load(); !loaded)
        services_.prompts.message(loaded.error(), WindowCaption, Prompts::Icon::Exclamation);
}

void DueWindow::fillCompanies() {
    const qint32 keepCompany = List_Company->currentData().toInt();
    const qint32 keepLocation = List_Location->currentData().toInt();
    QMap<QString, qint32> companies;
    for (const TankRow& r : rows_)
        companies.insert(r.company, r.companyId);
    {
        const QSignalBlocker quiet(List_Company);
        List_Company->clear();
        List_Company->addItem(QStringLiteral("(All companies)"), 0);
        for (auto it = companies.cbegin(); it != companies.cend(); ++it)
            List_Company->addItem(it.key(), it.value());
        List_Company->setCurrentIndex(std::max(List_Company->findData(keepCompany), 0));
    }
    List_Company_Changed();
    List_Location->setCurrentIndex(std::max(List_Location->findData(keepLocation), 0));
}

void DueWindow::List_Company_Changed() {
    const qint32 companyId = List_Company->currentData().toInt();
    QMap<QString, qint32> locations;
    for (const TankRow& r : rows_)
        if (companyId == 0 || r.companyId == companyId)
            locations.insert(r.location, r.locationId);
    {
        const QSignalBlocker quiet(List_Location);
        List_Location->clear();
        List_Location->addItem(QStringLiteral("(All locations)"), 0);
        for (auto it = locations.cbegin(); it != locations.cend(); ++it)
            List_Location->addItem(it.key(), it.value());
    }
    filterChanged();
}

void DueWindow::filterChanged() {
    session_.DueAttentionOnly = Chk_Attention->isChecked();
    filter_->set(List_Company->currentData().toInt(), List_Location->currentData().toInt(),
                 Chk_Attention->isChecked());
    showCount();
}

void DueWindow::Text_Horizon_Changed() {
    session_.DueHorizonDays = Text_Horizon->value();
    due::applyOptions(rows_, options());
    model_->setHorizon(Text_Horizon->value());
    model_->reset();
    showCount();
}

void DueWindow::showCount() {
    int attention = 0;
    for (const TankRow* r : shownRows())
        attention += r->needsAttention() ? 1 : 0;
    const int shown = filter_->rowCount();
    Label_Count->setText(QStringLiteral("%1 of %2 tanks shown; %3 need attention")
                             .arg(shown)
                             .arg(rows_.size())
                             .arg(attention));
    Cmd_Export->setEnabled(shown > 0);
    Cmd_Print->setEnabled(shown > 0);
}

std::vector<const TankRow*> DueWindow::shownRows() const {
    std::vector<const TankRow*> shown;
    for (int r = 0; r < filter_->rowCount(); ++r)
        shown.push_back(&model_->row(filter_->mapToSource(filter_->index(r, 0)).row()));
    return shown;
}

void DueWindow::Grid_Due_DblClick(const QModelIndex& index) {
    if (!index.isValid())
        return;
    const TankRow row = model_->row(filter_->mapToSource(index).row());
    session_.CurCompanyID = row.companyId;
    session_.CurLocationID = row.locationId;
    session_.CurTankID = row.tankId;
    if (opensAssessment(index.column()) && row.pointCount > 0) {
        services_.assessment.showAssessment(*this, session_, services_, row.tank);
        return;
    }
    {
        TankInformationWindow form3(session_, services_, this);
        if (!form3.openTank(row.companyId, row.locationId, row.tankId)) {
            services_.prompts.message(
                QStringLiteral("Tank %1 could not be opened; another user may have moved or "
                               "deleted it. The list is read again.")
                    .arg(row.tank),
                WindowCaption, Prompts::Icon::Exclamation);
        } else {
            showChildWindow(services_, *this, form3);
        }
    }
    // What was changed in the tank's window shows at once.
    refresh();
}

bool DueWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Grid_Due && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Grid_Due_DblClick(Grid_Due->currentIndex());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

sheet::Sheet DueWindow::shownSheet() const {
    std::vector<TankRow> shown;
    for (const TankRow* r : shownRows())
        shown.push_back(*r);
    return due::toSheet(shown);
}

void DueWindow::Cmd_Export_Click() {
    exportSheet(*this, services_, QStringLiteral("Export Due and at Risk"),
                exportSuggestion(session_.DatabaseName, WindowCaption, QStringLiteral("xlsx")),
                [this] { return shownSheet(); });
}

void DueWindow::Cmd_Print_Click() {
    // The tanks of the company or location chosen; the horizon and the attention filter go with
    // the session.
    QStringList locations;
    if (const qint32 location = List_Location->currentData().toInt(); location != 0) {
        locations << QString::number(location);
    } else if (List_Company->currentData().toInt() != 0) {
        for (int i = 1; i < List_Location->count(); ++i)
            locations << QString::number(List_Location->itemData(i).toInt());
    }
    QStringList conditions;
    for (const QString& id : locations)
        conditions << QStringLiteral("{Tank.LocationID} = ") + id;
    session_.SQLString = conditions.join(QStringLiteral(" OR "));
    session_.DueHorizonDays = Text_Horizon->value();
    session_.DueAttentionOnly = Chk_Attention->isChecked();
    services_.reports.showReport(*this, session_, services_, QStringLiteral("due.rpt"));
}

void DueWindow::Cmd_Help_Click() {
    services_.help.showHelp(*this, HelpTopic);
}

} // namespace korvane
