#include "inspection/ShellSurveyPanel.h"

#include "common/NumberFormat.h"
#include "data/DataSource.h"
#include "data/Select.h"
#include "engineering/ThicknessRules.h"
#include "inspection/LengthPrompt.h"
#include "platform/BusyScope.h"
#include "platform/DateBox.h"
#include "platform/WindowControls.h"
#include "storage/ShellSurveyRecords.h"

#include <QBrush>
#include <QFocusEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace korvane {

namespace {

using Icon = Prompts::Icon;

const QString SurveyTitle = QStringLiteral("Shell Settlement Survey");

enum Column {
    PointColumn = 0,
    AngleColumn,
    ActualColumn,
    OutOfPlaneColumn,
    DeflectionColumn,
    AllowedColumn,
    WorkingColumn, // the reading in inches, "0.0000": the working copy of the actual column
    ColumnCount
};

QTableWidgetItem* cell(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

// The number a text stands for as a whole; none for anything else.
std::optional<int> wholeNumber(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || std::abs(value) > 1e6)
        return std::nullopt;
    return static_cast<int>(value);
}

} // namespace

ShellSurveyPanel::ShellSurveyPanel(Session& session, Services& services, QWidget* parent)
    : QWidget(parent), session_(session), services_(services) {
    Data_ShellSurvey = new DataSource(this);
    Data_ShellSurvey->setObjectName(QStringLiteral("Data_ShellSurvey"));

    const auto boundBox = [this](const char* name, const char* field, const QString& tip) {
        auto* box = new QLineEdit(this);
        box->setObjectName(QString::fromLatin1(name));
        box->setToolTip(tip);
        Data_ShellSurvey->bind(box, QString::fromLatin1(field));
        return box;
    };
    Text_STakenBy = boundBox("Text_STakenBy", "TakenBy", QStringLiteral("Who took the survey"));
    Text_SDateTaken = new DateBox(services_, this);
    Text_SDateTaken->setObjectName(QStringLiteral("Text_SDateTaken"));
    Text_SDateTaken->setToolTip(QStringLiteral("Date format dd/mmm/yyyy"));
    Data_ShellSurvey->bind(Text_SDateTaken, QStringLiteral("DateTaken"));
    Text_SNum = boundBox("Text_SNum", "InspectionNum", QStringLiteral("Survey identifier"));
    Text_SurveyPoints = boundBox("Text_SurveyPoints", "SurveyPoints",
                                 QStringLiteral("Number of points around the tank"));
    Text_SurveyPoints->installEventFilter(this);
    Text_SComments = new QPlainTextEdit(this);
    Text_SComments->setObjectName(QStringLiteral("Text_SComments"));
    Text_SComments->setToolTip(QStringLiteral("Comments on the survey"));
    Text_SComments->setTabChangesFocus(true);
    Data_ShellSurvey->bind(Text_SComments, QStringLiteral("Comments"), "plainText");

    Cmd_SurveyPoints = commandButton(this, "Cmd_SurveyPoints", QStringLiteral("Survey Points"),
                                     QStringLiteral("Enter the settlement of every point"));
    Cmd_Graph = commandButton(this, "Cmd_Graph", QStringLiteral("Graph"),
                              QStringLiteral("Graphs of the settlement and the deflection"));
    connect(Cmd_SurveyPoints, &QPushButton::clicked, this,
            &ShellSurveyPanel::Cmd_SurveyPoints_Click);
    connect(Cmd_Graph, &QPushButton::clicked, this, &ShellSurveyPanel::graphClicked);

    Grid_Edge = new QTableWidget(0, ColumnCount, this);
    Grid_Edge->setObjectName(QStringLiteral("Grid_Edge"));
    setUpRowGrid(*Grid_Edge);
    Grid_Edge->setColumnHidden(WorkingColumn, true);
    Grid_Edge->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    connect(Grid_Edge, &QTableWidget::cellDoubleClicked, this,
            &ShellSurveyPanel::Grid_Edge_DblClick);
    LabelAllowance = new QLabel(this);
    LabelAllowance->setObjectName(QStringLiteral("LabelAllowance"));
    LabelFit = new QLabel(this);
    LabelFit->setObjectName(QStringLiteral("LabelFit"));
    LabelFit->setWordWrap(true);

    auto* survey = new QGroupBox(QStringLiteral("Survey"), this);
    auto* form = new QFormLayout(survey);
    form->addRow(QStringLiteral("Taken By"), Text_STakenBy);
    form->addRow(QStringLiteral("Date Taken"), Text_SDateTaken);
    form->addRow(QStringLiteral("Survey No."), Text_SNum);
    auto* pointsRow = new QHBoxLayout;
    pointsRow->addWidget(Text_SurveyPoints);
    pointsRow->addWidget(Cmd_SurveyPoints);
    form->addRow(QStringLiteral("Survey Points"), pointsRow);
    form->addRow(QStringLiteral("Comments"), Text_SComments);
    auto* right = new QVBoxLayout;
    right->addWidget(Grid_Edge, 1);
    right->addWidget(LabelAllowance);
    right->addWidget(LabelFit);
    auto* graphRow = new QHBoxLayout;
    graphRow->addStretch();
    graphRow->addWidget(Cmd_Graph);
    right->addLayout(graphRow);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(survey, 2);
    layout->addLayout(right, 5);
    SetToolTipsByUnits();
    reset();
}

ShellSurveyPanel::~ShellSurveyPanel() = default;

void ShellSurveyPanel::setDatabaseName(const QString& path) {
    Data_ShellSurvey->setDatabaseName(path);
}

void ShellSurveyPanel::SetToolTipsByUnits() {
    const QString unit = session_.UnitsUS ? QStringLiteral("(in.)") : QStringLiteral("(mm)");
    Grid_Edge->setToolTip(QStringLiteral("Survey Readings ") + unit);
    // The three lengths name their unit below their two-line titles.
    Grid_Edge->setHorizontalHeaderLabels({QStringLiteral("Survey\nPoint"),
                                          QStringLiteral("Location\n(Degrees)"),
                                          QStringLiteral("Actual\nSettlement\n") + unit,
                                          QStringLiteral("Out-of-Plane\nSettlement\n") + unit,
                                          QStringLiteral("Out-of-Plane\nDeflection\n") + unit,
                                          QStringLiteral("Allowable\nDeflection"), QString()});
}

QString ShellSurveyPanel::shownLength(double inches) const {
    return formatThickness(inches, session_.UnitsUS);
}

QString ShellSurveyPanel::lengthWithUnit(double inches) const {
    return shownLength(inches) +
           (session_.UnitsUS ? QStringLiteral(" in.") : QStringLiteral(" mm"));
}

void ShellSurveyPanel::setBoxesLocked(bool locked) {
    for (QLineEdit* box :
         {Text_STakenBy, static_cast<QLineEdit*>(Text_SDateTaken), Text_SNum, Text_SurveyPoints})
        box->setReadOnly(locked);
    Text_SComments->setReadOnly(locked && !adding_);
}

void ShellSurveyPanel::reset() {
    discard();
    Data_ShellSurvey->recordset().close();
    Data_ShellSurvey->setConnection(Database());
    Data_ShellSurvey->showCurrentRow();
    points_ = 0;
    readings_.clear();
    analysis_ = {};
    changed_ = false;
    Grid_Edge->setRowCount(0);
    Grid_Edge->hide();
    LabelAllowance->clear();
    LabelFit->clear();
    Cmd_SurveyPoints->setEnabled(false);
    Cmd_Graph->setEnabled(false);
    setBoxesLocked(true);
}

Result<bool> ShellSurveyPanel::LoadShellSurvey() {
    reset();
    Data_ShellSurvey->setRecordSource(
        Select::from(QStringLiteral("ShellSurvey"))
            .where(QStringLiteral("InspectionID"), session_.CurInspectionID));
    if (Status opened = Data_ShellSurvey->refresh(); !opened)
        return opened.takeError();
    const Recordset& rs = Data_ShellSurvey->recordset();
    if (rs.eof())
        return false;
    auto tank = readSurveyTank(session_.DatabaseName, session_.CurTankID);
    if (!tank)
        return tank.takeError();
    tank_ = tank.value();
    const int points =
        std::clamp(rs.value(QStringLiteral("SurveyPoints")).toInt(), 0, settlement::MaximumPoints);
    for (int i = 1; i <= points; ++i)
        readings_.push_back(rs.value(settleField(i)).toDouble());
    points_ = points;
    if (points_ > 0) {
        CalcSettlementGrid();
        Grid_Edge->show();
        Cmd_Graph->setEnabled(true);
    }
    setBoxesLocked(true);
    return true;
}

Status ShellSurveyPanel::beginNew(const Database& db) {
    reset();
    Data_ShellSurvey->setConnection(db);
    auto tank = readSurveyTank(session_.DatabaseName, session_.CurTankID);
    if (!tank)
        return tank.takeError();
    tank_ = tank.value();
    MinSurveyPoints = settlement::minimumSurveyPoints(tank_.diameterFt);
    // The inspection has no survey yet, so this opens an empty recordset to add it to.
    Data_ShellSurvey->setRecordSource(
        Select::from(QStringLiteral("ShellSurvey"))
            .where(QStringLiteral("InspectionID"), session_.CurInspectionID));
    Status begun = Data_ShellSurvey->refresh();
    if (begun)
        begun = Data_ShellSurvey->recordset().addNew();
    if (!begun)
        return begun;
    adding_ = true;
    Data_ShellSurvey->showCurrentRow();
    setBoxesLocked(false);
    Text_SurveyPoints->setText(QString::number(MinSurveyPoints));
    begun_ = boxTexts();
    Cmd_SurveyPoints->setEnabled(true);
    Text_STakenBy->setFocus();
    return {};
}

QStringList ShellSurveyPanel::boxTexts() const {
    return {Text_STakenBy->text(), Text_SDateTaken->text(), Text_SNum->text(),
            Text_SurveyPoints->text(), Text_SComments->toPlainText()};
}

bool ShellSurveyPanel::isChanged() const {
    return adding_ && (points_ > 0 || boxTexts() != begun_);
}

void ShellSurveyPanel::Text_SurveyPoints_LostFocus() {
    if (!adding_ || Text_SurveyPoints->isReadOnly())
        return;
    const int points = wholeNumber(Text_SurveyPoints->text()).value_or(0);
    QString text;
    QString title;
    if (points < MinSurveyPoints) {
        text = QStringLiteral("The minimum number of survey points is %1").arg(MinSurveyPoints);
        title = QStringLiteral("Minimum Survey Points");
    } else if (points > settlement::MaximumPoints) {
        text = QStringLiteral("The maximum number  of survey points is %1")
                   .arg(settlement::MaximumPoints);
        title = QStringLiteral("Maximum Survey Points");
    }
    // The button stays enabled, so that Tab reaches it from the count: pressed with a count
    // out of range, it says so as leaving the box does.
    if (text.isEmpty())
        return;
    services_.prompts.message(text, title, Icon::Exclamation);
    bringForwardAndFocus(*Text_SurveyPoints);
}

double ShellSurveyPanel::askReading(int point) {
    const QString prompt = QStringLiteral("Enter the settlement value (%1) for survey point %2")
                               .arg(session_.UnitsUS ? QStringLiteral("in.") : QStringLiteral("mm"))
                               .arg(point);
    for (;;) {
        QString answer = services_.prompts.input(prompt, SurveyTitle);
        if (answer.trimmed().isEmpty())
            answer = services_.prompts.input(prompt + QStringLiteral(" AGAIN!!!"), SurveyTitle);
        if (answer.trimmed().isEmpty())
            return 0;
        if (const auto inches = thickness::typedInches(answer, session_.UnitsUS))
            return *inches;
        services_.prompts.message(
            QStringLiteral("\"%1\" is not a number.  Enter the settlement as a number, such as "
                           "0.25 or -0.125.")
                .arg(answer),
            SurveyTitle, Icon::Exclamation);
    }
}

void ShellSurveyPanel::Cmd_SurveyPoints_Click() {
    if (!adding_ || points_ > 0)
        return;
    const int points = wholeNumber(Text_SurveyPoints->text()).value_or(0);
    if (points < MinSurveyPoints || points > settlement::MaximumPoints) {
        // Leaving the box to reach the button has said what is wrong with the count.
        bringForwardAndFocus(*Text_SurveyPoints);
        return;
    }
    std::vector<double> readings;
    for (int i = 1; i <= points; ++i)
        readings.push_back(askReading(i));
    BusyScope busy(services_.pointer, *this);
    readings_ = std::move(readings);
    points_ = points;
    // The count now belongs to the readings: changing it would store a count that does not
    // match them.
    Text_SurveyPoints->setReadOnly(true);
    Cmd_SurveyPoints->setEnabled(false);
    changed_ = false;
    CalcSettlementGrid();
    Grid_Edge->show();
    Cmd_Graph->setEnabled(true);
}

void ShellSurveyPanel::CalcSettlementGrid() {
    analysis_ = settlement::analyse(readings_, tank_);
    FillSurveyGrid();
    storeInSession();
    // What "Yes" and "No" are judged against.
    LabelAllowance->setText(analysis_.analysed
                                ? QStringLiteral("Allowable deflection: %1 (a greater out-of-plane "
                                                 "deflection either way is marked No)")
                                      .arg(lengthWithUnit(analysis_.allowanceIn))
                                : QString());
    LabelFit->setText(fitText());
    if (!analysis_.analysed)
        services_.prompts.message(analysis_.missing, SurveyTitle, Icon::Exclamation);
}

void ShellSurveyPanel::FillSurveyGrid() {
    const int rows = static_cast<int>(analysis_.rows.size());
    Grid_Edge->setRowCount(rows);
    for (int r = 0; r < rows; ++r) {
        const settlement::SurveyRow& row = analysis_.rows[static_cast<std::size_t>(r)];
        Grid_Edge->setItem(r, PointColumn, cell(QString::number(row.point)));
        Grid_Edge->setItem(r, AngleColumn, cell(settlement::angleText(row.angle)));
        Grid_Edge->setItem(r, ActualColumn, cell(shownLength(row.actual)));
        Grid_Edge->setItem(r, WorkingColumn, cell(formatNumber(row.actual, u"0.0000")));
        const bool shown = analysis_.analysed;
        Grid_Edge->setItem(r, OutOfPlaneColumn,
                           cell(shown ? shownLength(row.outOfPlane) : QString()));
        Grid_Edge->setItem(r, DeflectionColumn,
                           cell(shown ? shownLength(row.deflection) : QString()));
        QTableWidgetItem* allowed =
            cell(shown ? (row.allowed ? QStringLiteral("Yes") : QStringLiteral("No")) : QString());
        if (shown && !row.allowed)
            allowed->setForeground(QBrush(QColor(192, 0, 0)));
        Grid_Edge->setItem(r, AllowedColumn, allowed);
    }
}

void ShellSurveyPanel::storeInSession() {
    session_.SettleActual.fill(0);
    session_.SettleOptimum.fill(0);
    session_.SettleDeflection.fill(0);
    for (std::size_t i = 0; i < analysis_.rows.size() && i + 1 < Session::SettleSlots - 1; ++i) {
        const settlement::SurveyRow& row = analysis_.rows[i];
        session_.SettleActual[i + 1] = static_cast<float>(row.actual);
        session_.SettleOptimum[i + 1] = static_cast<float>(row.optimum);
        session_.SettleDeflection[i + 1] = static_cast<float>(row.deflection);
    }
    session_.SettleActual[Session::SettleSlots - 1] = static_cast<float>(analysis_.allowanceIn);
    session_.SettleMinimum = static_cast<float>(analysis_.minimum);
    session_.TankDiameterFt = static_cast<float>(tank_.diameterFt);
    session_.TankHeightFt = static_cast<float>(tank_.heightFt);
    session_.TankYield = static_cast<qint32>(tank_.yieldPsi);
}

void ShellSurveyPanel::Grid_Edge_DblClick(int row, int column) {
    if (row < 0 || row >= rowCount() || column == WorkingColumn)
        return;
    if (column != ActualColumn) {
        services_.prompts.message(QStringLiteral("These entries cannot be edited!"),
                                  QStringLiteral("Editing Reading"), Icon::Information);
        return;
    }
    const bool us = session_.UnitsUS;
    const auto inches = askInches(
        services_.prompts, QStringLiteral("Enter correct Reading"),
        QStringLiteral("Editing Survey Reading"), Grid_Edge->item(row, ActualColumn)->text(),
        [us](const QString& text) { return thickness::typedInches(text, us); },
        [](const QString& text) { return QStringLiteral("\"%1\" is not a number.").arg(text); });
    if (!inches)
        return;
    // The closing row is point 1 again: a change to it is a change to point 1.
    const int point = row == points_ ? 1 : row + 1;
    readings_[static_cast<std::size_t>(point - 1)] = *inches;
    for (int r : {point - 1, point == 1 ? points_ : -1}) {
        if (r < 0)
            continue;
        Grid_Edge->item(r, ActualColumn)->setText(shownLength(*inches));
        Grid_Edge->item(r, WorkingColumn)->setText(formatNumber(*inches, u"0.0000"));
        session_.SettleActual[static_cast<std::size_t>(r + 1)] = static_cast<float>(*inches);
    }
    if (!adding_)
        changed_ = true;
    if (services_.prompts.message(QStringLiteral("Do you want to recalculate the grid?"),
                                  QStringLiteral("Grid Recalcuation"), Icon::Question,
                                  Prompts::Buttons::YesNo) == Prompts::Answer::Yes)
        CalcSettlementGrid();
}

Status ShellSurveyPanel::SaveShellSurvey() {
    if (!adding_)
        return {};
    if (points_ == 0)
        return Error{QStringLiteral("The shell survey has no readings yet.  Press Survey Points "
                                    "on the Shell Survey tab to enter them.")};
    Recordset& rs = Data_ShellSurvey->recordset();
    Status saved = rs.setValue(QStringLiteral("InspectionID"), session_.CurInspectionID);
    if (saved)
        saved = rs.setValue(QStringLiteral("SurveyPoints"), points_);
    for (int i = 1; saved && i <= points_; ++i)
        saved = rs.setValue(settleField(i),
                            static_cast<float>(readings_[static_cast<std::size_t>(i - 1)]));
    if (saved)
        saved = Data_ShellSurvey->update();
    return saved;
}

void ShellSurveyPanel::discard() {
    if (adding_)
        Data_ShellSurvey->cancelUpdate();
    adding_ = false;
}

QString ShellSurveyPanel::fitText() const {
    if (points_ == 0 || !analysis_.analysed)
        return {};
    QString text = QStringLiteral("Fit of the cosine curve: R² = %1")
                       .arg(formatNumber(analysis_.rSquared, u"0.000"));
    if (analysis_.rSquared < settlement::SoundFit)
        text += QStringLiteral(".  The cosine curve fits these readings poorly: it is not a sound "
                               "basis for the allowable deflection, and the settlement should be "
                               "evaluated by a more rigorous method.");
    return text;
}

QString ShellSurveyPanel::takenBy() const {
    return Text_STakenBy->text();
}

SurveyReport ShellSurveyPanel::surveyReport(const ReportHeading& heading) const {
    SurveyReport report;
    report.heading = heading;
    report.date = Text_SDateTaken->text();
    report.number = Text_SNum->text();
    report.inspector = Text_STakenBy->text();
    report.points = points_;
    for (int r = 0; r < rowCount(); ++r) {
        std::array<QString, 6> texts;
        for (int c = 0; c < 6; ++c)
            texts[static_cast<std::size_t>(c)] = Grid_Edge->item(r, c)->text();
        report.rows.push_back(texts);
    }
    report.unit = session_.UnitsUS ? QStringLiteral("in.") : QStringLiteral("mm");
    report.allowanceText = LabelAllowance->text();
    report.fitText = fitText();
    report.changed = changed_;
    return report;
}

bool ShellSurveyPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Text_SurveyPoints && event->type() == QEvent::FocusOut &&
        movesWithinWindow(*static_cast<QFocusEvent*>(event)) && !movesToCancel())
        Text_SurveyPoints_LostFocus();
    return QWidget::eventFilter(watched, event);
}

} // namespace korvane
