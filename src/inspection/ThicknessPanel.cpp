#include "inspection/ThicknessPanel.h"

#include "common/DateText.h"
#include "common/Units.h"
#include "data/DataSource.h"
#include "data/Database.h"
#include "data/Select.h"
#include "inspection/LengthPrompt.h"
#include "platform/BusyScope.h"
#include "platform/DateBox.h"
#include "platform/SheetExport.h"
#include "platform/TagBox.h"
#include "platform/WindowControls.h"
#include "selection/InspectionGrids.h"
#include "storage/InspectionDeletion.h"
#include "storage/InspectionRecords.h"
#include "storage/ReadingImport.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace korvane {

namespace {

using Icon = Prompts::Icon;

const QString ValidationTitle = QStringLiteral("Thickness Data Validation");
const QString MissingText = QStringLiteral("Data Missing.  All fields must be filled in.");
const QString CheckTitle = QStringLiteral("Check Reading");
const QString NotANumberText =
    QStringLiteral("The thickness must be a number greater than 0, such as 0.375 or 9.53.");

enum SessionColumn { DateColumn = 0, PointColumn = 1, ReadingColumn = 2 };

QStringList minWallCaptions() {
    QStringList captions{QString()};
    captions << QStringLiteral("Floor");
    for (int i = 1; i <= thickness::MaxCourses; ++i)
        captions << QStringLiteral("Course %1").arg(i);
    captions << QStringLiteral("Roof");
    return captions;
}

QTableWidgetItem* readOnlyItem(const QString& text, Qt::Alignment alignment = Qt::AlignLeft) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setTextAlignment(alignment | Qt::AlignVCenter);
    return item;
}

// A positive thickness in inches from a typed text, or nothing.
std::optional<double> typedThickness(const QString& text, bool unitsUS) {
    const auto inches = thickness::typedInches(text, unitsUS);
    if (!inches || !(*inches > 0))
        return std::nullopt;
    return inches;
}

void setUpReadingsGrid(QTableView& grid) {
    setUpRowGrid(grid);
    grid.setColumnWidth(DateColumn, 110);
    grid.setColumnWidth(PointColumn, 120);
}

} // namespace

ThicknessPanel::ThicknessPanel(Session& session, Services& services, QWidget* parent)
    : QWidget(parent), session_(session), services_(services) {
    Data_Thickness = new DataSource(this);
    Data_Thickness->setObjectName(QStringLiteral("Data_Thickness"));
    // Counter keys start at 1: an empty recordset over the table to add rows to.
    Data_Thickness->setRecordSource(
        Select::from(QStringLiteral("Thickness")).where(QStringLiteral("ThicknessID"), 0));

    const int rowHeight = fontMetrics().height() + 8;
    const QStringList captions = minWallCaptions();
    Grid_MinWall = new QTableWidget(1, static_cast<int>(captions.size()), this);
    Grid_MinWall->setObjectName(QStringLiteral("Grid_MinWall"));
    Grid_MinWall->setHorizontalHeaderLabels(captions);
    Grid_MinWall->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid_MinWall->setSelectionMode(QAbstractItemView::NoSelection);
    Grid_MinWall->setFocusPolicy(Qt::NoFocus);
    Grid_MinWall->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Grid_MinWall->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Grid_MinWall->verticalHeader()->hide();
    Grid_MinWall->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    Grid_MinWall->verticalHeader()->setDefaultSectionSize(rowHeight);
    Grid_MinWall->setFixedHeight(Grid_MinWall->horizontalHeader()->sizeHint().height() + rowHeight +
                                 2 * Grid_MinWall->frameWidth());
    Grid_MinWall->setItem(0, 0, readOnlyItem(QStringLiteral("Min. Wall")));

    List_Course = new QComboBox(this);
    List_Course->setObjectName(QStringLiteral("List_Course"));
    List_Course->setToolTip(QStringLiteral("Reading taken on what course?"));
    List_Course->addItems(thickness::courseEntries(0));

    Text_TTakenBy = new QLineEdit(this);
    Text_TTakenBy->setObjectName(QStringLiteral("Text_TTakenBy"));
    Text_TTakenBy->setToolTip(QStringLiteral("Who took the reading"));
    Text_TDateTaken = new DateBox(services_, this);
    Text_TDateTaken->setObjectName(QStringLiteral("Text_TDateTaken"));
    Text_TDateTaken->setToolTip(QStringLiteral("Date format dd/mmm/yyyy"));
    Text_PointID = new QLineEdit(this);
    Text_PointID->setObjectName(QStringLiteral("Text_PointID"));
    Text_PointID->setToolTip(QStringLiteral("PointID for this entry"));
    Text_Thickness = new TagBox(this);
    Text_Thickness->setObjectName(QStringLiteral("Text_Thickness"));
    // The box keeps the text as typed; its tag holds the inch value that is stored.
    connect(Text_Thickness, &QLineEdit::textChanged, this, [this](const QString& text) {
        const auto inches = typedThickness(text, session_.UnitsUS);
        Text_Thickness->setTag(inches ? QString::number(*inches, 'g', 17) : QString());
    });
    Text_Thickness->installEventFilter(this);
    Data_Thickness->bind(Text_TTakenBy, QStringLiteral("TakenBy"));
    Data_Thickness->bind(Text_TDateTaken, QStringLiteral("DateTaken"));
    Data_Thickness->bind(Text_PointID, QStringLiteral("PointID"));
    // The pending reading is checked as it is typed.
    for (QLineEdit* box : {static_cast<QLineEdit*>(Text_Thickness), Text_PointID,
                           static_cast<QLineEdit*>(Text_TDateTaken)})
        connect(box, &QLineEdit::textChanged, this, &ThicknessPanel::showPendingChecks);
    connect(List_Course, &QComboBox::currentIndexChanged, this, &ThicknessPanel::showPendingChecks);

    Cmd_Next =
        commandButton(this, "Cmd_Next", QStringLiteral("&Next"), QStringLiteral("Next Entry"));
    Cmd_Done = commandButton(this, "Cmd_Done", QStringLiteral("&Done"),
                             QStringLiteral("Finished Entries"));
    Cmd_TCancel = commandButton(this, "Cmd_TCancel", QStringLiteral("&Cancel"),
                                QStringLiteral("Drop the reading being entered; saved readings "
                                               "stay"));
    connect(Cmd_Next, &QPushButton::clicked, this, &ThicknessPanel::Cmd_Next_Click);
    connect(Cmd_Done, &QPushButton::clicked, this, &ThicknessPanel::Cmd_Done_Click);
    connect(Cmd_TCancel, &QPushButton::clicked, this, &ThicknessPanel::Cmd_TCancel_Click);

    Grid_ReportReadings = new QTableWidget(0, 3, this);
    Grid_ReportReadings->setObjectName(QStringLiteral("Grid_ReportReadings"));
    Grid_ReportReadings->setToolTip(QStringLiteral("Editable entries for this session"));
    Grid_ReportReadings->setHorizontalHeaderLabels(
        {QStringLiteral("Date"), QStringLiteral("PointID"), QStringLiteral("Reading")});
    setUpReadingsGrid(*Grid_ReportReadings);
    connect(Grid_ReportReadings, &QTableWidget::cellDoubleClicked, this,
            &ThicknessPanel::Grid_ReportReadings_DblClick);

    tankReadings_ = new TankReadingsModel(this);
    Grid_TankReadings = new QTableView(this);
    Grid_TankReadings->setObjectName(QStringLiteral("Grid_TankReadings"));
    Grid_TankReadings->setToolTip(QStringLiteral("Non-editable entries"));
    Grid_TankReadings->setModel(tankReadings_);
    setUpReadingsGrid(*Grid_TankReadings);

    auto* entry = new QGroupBox(QStringLiteral("Reading"), this);
    auto* form = new QFormLayout(entry);
    form->addRow(QStringLiteral("Taken By"), Text_TTakenBy);
    form->addRow(QStringLiteral("Date Taken"), Text_TDateTaken);
    form->addRow(QStringLiteral("Course"), List_Course);
    form->addRow(QStringLiteral("PointID"), Text_PointID);
    LabelThickness = new QLabel(this);
    LabelThickness->setObjectName(QStringLiteral("LabelThickness"));
    LabelThickness->setBuddy(Text_Thickness);
    form->addRow(LabelThickness, Text_Thickness);
    Label_Check = new QLabel(this);
    Label_Check->setObjectName(QStringLiteral("Label_Check"));
    Label_Check->setWordWrap(true);
    Label_Check->hide();
    form->addRow(Label_Check);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Cmd_Next);
    buttons->addWidget(Cmd_Done);
    buttons->addWidget(Cmd_TCancel);
    form->addRow(buttons);

    Cmd_DeleteReading =
        commandButton(this, "Cmd_DeleteReading", QStringLiteral("De&lete Reading"),
                      QStringLiteral("Delete the reading chosen in either list; only readings of "
                                     "this inspection can be deleted"));
    Cmd_DeleteReading->setEnabled(false);
    connect(Cmd_DeleteReading, &QPushButton::clicked, this,
            &ThicknessPanel::Cmd_DeleteReading_Click);
    // One reading is chosen at a time, in one list or the other.
    connect(Grid_ReportReadings->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { readingChosen(Grid_ReportReadings, Grid_TankReadings); });
    connect(Grid_TankReadings->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { readingChosen(Grid_TankReadings, Grid_ReportReadings); });

    auto* sessionTitle = new QHBoxLayout;
    sessionTitle->addWidget(new QLabel(QStringLiteral("Readings for this session:"), this));
    sessionTitle->addStretch();
    sessionTitle->addWidget(Cmd_DeleteReading);
    auto* sessionBox = new QVBoxLayout;
    sessionBox->addLayout(sessionTitle);
    sessionBox->addWidget(Grid_ReportReadings, 1);
    auto* assess = commandButton(this, "Cmd_Assess", QStringLiteral("Corrosion &Assessment"),
                                 QStringLiteral("Corrosion rates, remaining life and inspection "
                                                "intervals from this tank's readings"));
    connect(assess, &QPushButton::clicked, this, &ThicknessPanel::assessClicked);
    Cmd_ExportReadings =
        commandButton(this, "Cmd_ExportReadings", QStringLiteral("E&xport..."),
                      QStringLiteral("Write this tank's readings to a CSV file or an Excel "
                                     "workbook"));
    connect(Cmd_ExportReadings, &QPushButton::clicked, this,
            &ThicknessPanel::Cmd_ExportReadings_Click);
    Cmd_Import = commandButton(this, "Cmd_Import", QStringLiteral("&Import Readings..."),
                               QStringLiteral("Readings from a thickness gauge's file (CSV or "
                                              "Excel), checked before they are stored"));
    connect(Cmd_Import, &QPushButton::clicked, this, &ThicknessPanel::importClicked);
    auto* tankTitle = new QHBoxLayout;
    tankTitle->addWidget(new QLabel(QStringLiteral("Readings for this tank:"), this));
    tankTitle->addStretch();
    tankTitle->addWidget(Cmd_Import);
    tankTitle->addWidget(Cmd_ExportReadings);
    tankTitle->addWidget(assess);
    auto* tankBox = new QVBoxLayout;
    tankBox->addLayout(tankTitle);
    tankBox->addWidget(Grid_TankReadings, 1);

    auto* left = new QVBoxLayout;
    left->addWidget(entry);
    left->addLayout(sessionBox, 1);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(tankBox, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Grid_MinWall);
    layout->addLayout(columns, 1);

    setTabOrder(Text_TTakenBy, Text_TDateTaken);
    setTabOrder(Text_TDateTaken, List_Course);
    setTabOrder(List_Course, Text_PointID);
    setTabOrder(Text_PointID, Text_Thickness);
    setTabOrder(Text_Thickness, Cmd_Next);
    setTabOrder(Cmd_Next, Cmd_Done);
    setTabOrder(Cmd_Done, Cmd_TCancel);
    setEntryEnabled(false);
    SetToolTipsByUnits();
}

ThicknessPanel::~ThicknessPanel() = default;

void ThicknessPanel::setDatabaseName(const QString& path) {
    Data_Thickness->setDatabaseName(path);
}

void ThicknessPanel::SetToolTipsByUnits() {
    const bool us = session_.UnitsUS;
    const QString unit = us ? QStringLiteral("in.") : QStringLiteral("mm");
    Grid_MinWall->setToolTip(QStringLiteral("Min. Wall Data (%1)").arg(unit));
    Text_Thickness->setToolTip(QStringLiteral("Thickness for this PointID (%1)").arg(unit));
    // Every thickness on the tab is in the one unit, named where the numbers stand.
    Grid_MinWall->setHorizontalHeaderItem(0,
                                          new QTableWidgetItem(QStringLiteral("(%1)").arg(unit)));
    LabelThickness->setText(QStringLiteral("Thickness (%1)").arg(unit));
    Grid_ReportReadings->setHorizontalHeaderItem(
        ReadingColumn, new QTableWidgetItem(QStringLiteral("Reading (%1)").arg(unit)));
    tankReadings_->setUnitsUS(us);
}

void ThicknessPanel::setEntryEnabled(bool enabled) {
    for (QWidget* control :
         std::initializer_list<QWidget*>{Text_TTakenBy, Text_TDateTaken, List_Course, Text_PointID,
                                         Text_Thickness, Cmd_Next, Cmd_Done, Cmd_TCancel})
        control->setEnabled(enabled);
}

void ThicknessPanel::reset() {
    if (sessionOpen_)
        endSession();
    Data_Thickness->recordset().close();
    Data_Thickness->showCurrentRow();
    Text_Thickness->clear();
    courses_ = 0;
    minimums_ = {};
    List_Course->clear();
    List_Course->addItems(thickness::courseEntries(0));
    for (int column = 1; column < Grid_MinWall->columnCount(); ++column)
        Grid_MinWall->setItem(0, column, readOnlyItem(QString(), Qt::AlignRight));
    Grid_ReportReadings->setRowCount(0);
    SessionThicknessIDs.clear();
    tankReadings_->clear();
    Cmd_DeleteReading->setEnabled(false);
}

Status ThicknessPanel::FillMinWallGrid() {
    auto tank = readCourseMinimums(session_.DatabaseName, session_.CurTankID);
    if (!tank)
        return tank.takeError();
    courses_ = tank->courses;
    minimums_ = tank->minimums;
    List_Course->clear();
    List_Course->addItems(thickness::courseEntries(courses_));
    List_Course->setCurrentIndex(0);
    for (int column = 1; column < Grid_MinWall->columnCount(); ++column) {
        const double minimum = minimums_[static_cast<std::size_t>(column)];
        // Only the tank's courses have a minimum; the floor, the roof and missing courses
        // stay empty.
        const bool shown = column > thickness::FloorCode && column <= courses_ + 1;
        Grid_MinWall->setItem(
            0, column,
            readOnlyItem(shown ? thickness::shownThickness(minimum, session_.UnitsUS) : QString(),
                         Qt::AlignRight));
    }
    return {};
}

Status ThicknessPanel::FillTankReadings() {
    BusyScope busy(services_.pointer, *this);
    auto readings = readTankReadings(session_.DatabaseName, session_.CurTankID);
    if (!readings) {
        tankReadings_->clear();
        return readings.takeError();
    }
    facts_.courses = courses_;
    facts_.minimums = minimums_;
    facts_.history = readingcheck::PointHistory(*readings);
    if (auto db = Database::open(session_.DatabaseName)) {
        if (auto settings = readingimport::readCheckSettings(*db))
            facts_.settings = *settings;
    }
    tankReadings_->setReadings(std::move(readings.value()), minimums_, session_.UnitsUS);
    showPendingChecks();
    return {};
}

sheet::Sheet ThicknessPanel::tankReadingsSheet() const {
    using sheet::Cell;
    const bool us = session_.UnitsUS;
    sheet::Sheet out;
    out.name = QStringLiteral("Readings");
    out.header = {QStringLiteral("Date"), QStringLiteral("PointID"), QStringLiteral("Course"),
                  us ? QStringLiteral("Reading (in.)") : QStringLiteral("Reading (mm)")};
    const auto& readings = tankReadings_->readings();
    out.rows.reserve(readings.size());
    for (std::size_t i = 0; i < readings.size(); ++i) {
        const TankReading& r = readings[i];
        const auto date = parseDate(r.dateTaken);
        std::vector<Cell> cells{
            date ? Cell::ofDate(*date) : Cell::ofText(r.dateTaken), Cell::ofText(r.pointId),
            Cell::ofText(thickness::courseText(r.course)),
            Cell::ofNumber(us ? r.reading : r.reading * units::MillimetresPerInch,
                           us ? QStringLiteral("0.000") : QStringLiteral("0.00"))};
        // Below the minimum of its course, as the grid marks it.
        if (tankReadings_->belowMinimum(static_cast<int>(i)))
            cells[3].marked(0xFF0000);
        out.rows.push_back(std::move(cells));
    }
    return out;
}

void ThicknessPanel::Cmd_ExportReadings_Click() {
    exportSheet(*this, services_, QStringLiteral("Export Readings"),
                exportSuggestion(session_.DatabaseName,
                                 QStringLiteral("Readings - Tank %1").arg(session_.CurTankID),
                                 QStringLiteral("xlsx")),
                [this] { return tankReadingsSheet(); });
}

Status ThicknessPanel::beginSession() {
    // A file made before readings were checked gets the field their flags are kept in; one that
    // cannot be changed stores readings without them.
    if (auto db = Database::open(session_.DatabaseName))
        (void)readingimport::ensureChecksField(*db);
    Status begun = Data_Thickness->refresh();
    if (begun)
        begun = Data_Thickness->recordset().addNew();
    if (!begun)
        return begun;
    Data_Thickness->showCurrentRow();
    Text_Thickness->clear();
    sessionOpen_ = true;
    setEntryEnabled(true);
    List_Course->setCurrentIndex(0);
    Text_TTakenBy->setFocus();
    return {};
}

bool ThicknessPanel::hasPendingEntry() const {
    return sessionOpen_ && (!Text_PointID->text().isEmpty() || !Text_Thickness->text().isEmpty());
}

void ThicknessPanel::endSession() {
    Data_Thickness->cancelUpdate();
    // The closed entry shows no reading: the last point stored is in the grids.
    Text_PointID->clear();
    Text_Thickness->clear();
    sessionOpen_ = false;
    setEntryEnabled(false);
    emit sessionEnded();
}

ThicknessReport ThicknessPanel::thicknessReport(const ReportHeading& heading) const {
    ThicknessReport report;
    report.heading = heading;
    report.unitsUS = session_.UnitsUS;
    // The floor, every course the tank has, and the roof.
    std::vector<int> columns{thickness::FloorCode};
    for (int course = 1; course <= courses_; ++course)
        columns.push_back(thickness::courseCode(course));
    columns.push_back(thickness::RoofCode);
    for (int column : columns) {
        report.minWallCaptions << Grid_MinWall->horizontalHeaderItem(column)->text();
        const QTableWidgetItem* item = Grid_MinWall->item(0, column);
        report.minWallTexts << (item ? item->text() : QString());
    }
    report.minimums = minimums_;
    report.readings = tankReadings_->readings();
    return report;
}

bool ThicknessPanel::CheckThicknessEntry() {
    if (Text_TDateTaken->isRefused()) {
        bringForwardAndFocus(*Text_TDateTaken);
        return false;
    }
    if (Text_TTakenBy->text().isEmpty() || Text_TDateTaken->text().isEmpty() ||
        Text_PointID->text().isEmpty() || Text_Thickness->text().isEmpty() ||
        List_Course->currentIndex() < 1) {
        services_.prompts.message(MissingText, ValidationTitle, Icon::Exclamation);
        return false;
    }
    if (Text_Thickness->tag().isEmpty()) {
        // Never store a figure the user did not mean: "6,35" or "0.5 in" is asked for again.
        services_.prompts.message(NotANumberText, ValidationTitle, Icon::Exclamation);
        bringForwardAndFocus(*Text_Thickness);
        Text_Thickness->selectAll();
        return false;
    }
    return true;
}

readingcheck::Flags ThicknessPanel::pendingFlags() const {
    const QString point = Text_PointID->text().trimmed();
    const auto date = parseDate(Text_TDateTaken->text());
    const int course = thickness::storedCourse(List_Course->currentIndex(), courses_);
    bool number = false;
    const double inches = Text_Thickness->tag().toDouble(&number);
    if (point.isEmpty() || !date || course == 0 || !number)
        return {};
    return readingcheck::checkReading({point, *date, inches, course, session_.UnitsUS}, facts_,
                                      session_.UnitsUS);
}

void ThicknessPanel::showPendingChecks() {
    const readingcheck::Flags flags = sessionOpen_ ? pendingFlags() : readingcheck::Flags{};
    Label_Check->setVisible(!flags.empty());
    Label_Check->setText(readingcheck::reasons(flags));
    QPalette palette = Label_Check->palette();
    palette.setColor(QPalette::WindowText, flagColour(readingcheck::hasRed(flags)));
    Label_Check->setPalette(palette);
}

bool ThicknessPanel::confirmFlags(readingcheck::Flags& flags) {
    const auto other = std::find_if(flags.begin(), flags.end(), [](const readingcheck::Flag& f) {
        return f.kind == readingcheck::Kind::OtherUnit && f.convertedInches;
    });
    if (other != flags.end()) {
        const bool us = session_.UnitsUS;
        const QString converted = thickness::shownThickness(*other->convertedInches, us);
        const QString question =
            QStringLiteral("This reading %1.\n\nStore it as %2 %3 instead?")
                .arg(other->reason, converted, us ? QStringLiteral("in") : QStringLiteral("mm"));
        if (services_.prompts.message(question, CheckTitle, Icon::Question,
                                      Prompts::Buttons::YesNo) == Prompts::Answer::Yes) {
            Text_Thickness->setText(converted);
            flags = pendingFlags();
        }
    }
    if (!readingcheck::hasRed(flags))
        return true;
    const QString question = readingcheck::reasons(flags) +
                             QStringLiteral("\n\nStore this reading anyway?  It is kept with "
                                            "these reasons.");
    if (services_.prompts.message(question, CheckTitle, Icon::Exclamation,
                                  Prompts::Buttons::OkCancel) == Prompts::Answer::Ok)
        return true;
    bringForwardAndFocus(*Text_Thickness);
    Text_Thickness->selectAll();
    return false;
}

bool ThicknessPanel::saveReading() {
    if (!CheckThicknessEntry())
        return false;
    readingcheck::Flags flags = pendingFlags();
    if (readingcheck::hasRed(flags) && !confirmFlags(flags))
        return false;
    const QString checks = readingcheck::flagsText(flags);
    BusyScope busy(services_.pointer, *this);
    Recordset& rs = Data_Thickness->recordset();
    // The key is taken anew just before writing: another program may have added readings
    // since the session began.
    Status saved = rs.addNew();
    if (saved)
        saved = rs.setValue(QStringLiteral("InspectionID"), session_.CurInspectionID);
    if (saved)
        saved = rs.setValue(QStringLiteral("Course"),
                            thickness::storedCourse(List_Course->currentIndex(), courses_));
    if (saved)
        saved = rs.setValue(QStringLiteral("Reading"), Text_Thickness->tag().toDouble());
    if (saved && rs.hasField(QStringLiteral("Checks")))
        saved =
            rs.setValue(QStringLiteral("Checks"), checks.isEmpty() ? QVariant() : QVariant(checks));
    const qint32 thicknessId = rs.value(QStringLiteral("ThicknessID")).toInt();
    if (saved) {
        Database db = rs.database();
        saved = db.transaction([this] { return Data_Thickness->update(); });
    }
    if (!saved) {
        showError(saved.error(), ValidationTitle);
        return false;
    }
    AddSessionRow(thicknessId, Text_TDateTaken->text(), Text_PointID->text(),
                  Text_Thickness->text());
    if (Status listed = FillTankReadings(); !listed)
        showError(listed.error(), ValidationTitle);
    return true;
}

void ThicknessPanel::AddSessionRow(qint32 thicknessId, const QString& date, const QString& pointId,
                                   const QString& reading) {
    const int row = Grid_ReportReadings->rowCount();
    Grid_ReportReadings->insertRow(row);
    Grid_ReportReadings->setItem(row, DateColumn, readOnlyItem(date));
    Grid_ReportReadings->setItem(row, PointColumn, readOnlyItem(pointId));
    Grid_ReportReadings->setItem(row, ReadingColumn, readOnlyItem(reading, Qt::AlignRight));
    Grid_ReportReadings->scrollToItem(Grid_ReportReadings->item(row, DateColumn));
    SessionThicknessIDs.push_back(thicknessId);
}

void ThicknessPanel::Cmd_Next_Click() {
    if (!sessionOpen_ || !saveReading())
        return;
    const QString takenBy = Text_TTakenBy->text();
    const QString date = Text_TDateTaken->text();
    if (Status begun = Data_Thickness->recordset().addNew(); !begun) {
        showError(begun.error(), ValidationTitle);
        endSession();
        return;
    }
    Data_Thickness->showCurrentRow();
    Text_TTakenBy->setText(takenBy);
    Text_TDateTaken->setText(date);
    Text_Thickness->clear();
    List_Course->setCurrentIndex(0);
    List_Course->setFocus();
}

void ThicknessPanel::Cmd_Done_Click() {
    if (!sessionOpen_)
        return;
    // After Next the pending row holds only the carried-over name and date: nothing was
    // measured, so there is nothing to store or to complain about.
    if (!hasPendingEntry()) {
        endSession();
        return;
    }
    if (saveReading())
        endSession();
}

void ThicknessPanel::Cmd_TCancel_Click() {
    if (!sessionOpen_)
        return;
    endSession();
}

void ThicknessPanel::Grid_ReportReadings_DblClick(int row, int column) {
    if (row < 0 || row >= static_cast<int>(SessionThicknessIDs.size()))
        return;
    if (column == ReadingColumn)
        correctReading(row);
    else if (column == PointColumn)
        correctPointId(row);
}

Result<Recordset> ThicknessPanel::openReading(qint32 thicknessId, bool lockEdits) {
    auto db = Database::open(session_.DatabaseName);
    if (!db)
        return db.takeError();
    auto rs = db->openRecordset(
        Select::from(QStringLiteral("Thickness")).where(QStringLiteral("ThicknessID"), thicknessId),
        lockEdits);
    if (rs && rs->eof())
        return Error{QStringLiteral("The reading is no longer in the database; another user may "
                                    "have deleted it.")};
    return rs;
}

Result<QVariant> ThicknessPanel::storedValue(qint32 thicknessId, const QString& field) {
    auto rs = openReading(thicknessId, false);
    if (!rs)
        return rs.takeError();
    return rs->value(field);
}

void ThicknessPanel::correctReading(int row) {
    const qint32 id = SessionThicknessIDs[static_cast<std::size_t>(row)];
    auto stored = storedValue(id, QStringLiteral("Reading"));
    if (!stored) {
        showError(stored.error(), QStringLiteral("Editing Thickness Reading"));
        return;
    }
    const bool us = session_.UnitsUS;
    const auto inches = askInches(
        services_.prompts, QStringLiteral("Enter correct Thickness"),
        QStringLiteral("Editing Thickness Reading"),
        stored->isValid() ? thickness::shownThickness(stored->toDouble(), us) : QString(),
        [us](const QString& text) { return typedThickness(text, us); },
        [](const QString&) { return NotANumberText; });
    if (!inches)
        return;
    if (Status written = rewrite(id, QStringLiteral("Reading"), *inches); !written) {
        showError(written.error(), QStringLiteral("Editing Thickness Reading"));
        return;
    }
    Grid_ReportReadings->item(row, ReadingColumn)->setText(thickness::shownThickness(*inches, us));
    if (Status listed = FillTankReadings(); !listed)
        showError(listed.error(), QStringLiteral("Editing Thickness Reading"));
}

void ThicknessPanel::correctPointId(int row) {
    const qint32 id = SessionThicknessIDs[static_cast<std::size_t>(row)];
    auto stored = storedValue(id, QStringLiteral("PointID"));
    if (!stored) {
        showError(stored.error(), QStringLiteral("Editing PointID"));
        return;
    }
    const QString answer =
        services_.prompts.input(QStringLiteral("Enter correct PointID"),
                                QStringLiteral("Editing PointID"), stored->toString());
    if (answer.isEmpty())
        return;
    if (Status written = rewrite(id, QStringLiteral("PointID"), answer); !written) {
        showError(written.error(), QStringLiteral("Editing PointID"));
        return;
    }
    Grid_ReportReadings->item(row, PointColumn)->setText(answer);
    if (Status listed = FillTankReadings(); !listed)
        showError(listed.error(), QStringLiteral("Editing PointID"));
}

Status ThicknessPanel::rewrite(qint32 thicknessId, const QString& field, const QVariant& value) {
    BusyScope busy(services_.pointer, *this);
    auto rs = openReading(thicknessId, true);
    if (!rs)
        return rs.takeError();
    Status written = rs->edit(); // claims the row, or says who holds it
    if (written)
        written = rs->setValue(field, value);
    if (written) {
        Database db = rs->database();
        written = db.transaction([&rs] { return rs->update(); });
    }
    return written;
}

bool ThicknessPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Text_Thickness && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (Cmd_Next->isEnabled())
                Cmd_Next_Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ThicknessPanel::readingChosen(QAbstractItemView* chosenIn, QAbstractItemView* other) {
    if (chosenIn->selectionModel()->hasSelection())
        other->clearSelection();
    Cmd_DeleteReading->setEnabled(chosenReading() != 0);
}

qint32 ThicknessPanel::chosenReading() const {
    if (const QModelIndexList rows = Grid_ReportReadings->selectionModel()->selectedRows();
        !rows.isEmpty()) {
        const auto row = static_cast<std::size_t>(rows.first().row());
        return row < SessionThicknessIDs.size() ? SessionThicknessIDs[row] : 0;
    }
    if (const QModelIndexList rows = Grid_TankReadings->selectionModel()->selectedRows();
        !rows.isEmpty()) {
        const TankReading* reading = tankReadings_->reading(rows.first().row());
        return reading ? reading->thicknessId : 0;
    }
    return 0;
}

void ThicknessPanel::Cmd_DeleteReading_Click() {
    const qint32 id = chosenReading();
    if (id == 0)
        return;
    const QString title = QStringLiteral("Delete Reading");
    auto deletion = ReadingDeletion::claim(session_.DatabaseName, id);
    if (!deletion) {
        showError(deletion.error(), title);
        return;
    }
    if (deletion->inspectionId() != session_.CurInspectionID) {
        showError(QStringLiteral("This reading belongs to another inspection of the tank.  Only "
                                 "readings of the open inspection can be deleted here."),
                  title);
        return;
    }
    if (services_.prompts.message(deletion->question(session_.UnitsUS), title, Icon::Exclamation,
                                  Prompts::Buttons::OkCancel) != Prompts::Answer::Ok)
        return;
    BusyScope busy(services_.pointer, *this);
    if (Status deleted = deletion->deleteReading(); !deleted) {
        showError(deleted.error(), title);
        return;
    }
    const auto kept = std::find(SessionThicknessIDs.begin(), SessionThicknessIDs.end(), id);
    if (kept != SessionThicknessIDs.end()) {
        Grid_ReportReadings->removeRow(static_cast<int>(kept - SessionThicknessIDs.begin()));
        SessionThicknessIDs.erase(kept);
    }
    Grid_ReportReadings->clearSelection();
    if (Status listed = FillTankReadings(); !listed)
        showError(listed.error(), title);
    Cmd_DeleteReading->setEnabled(chosenReading() != 0);
}

void ThicknessPanel::showError(const QString& text, const QString& title) {
    services_.prompts.message(text, title, Icon::Exclamation);
}

} // namespace korvane
