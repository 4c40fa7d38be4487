#include "tank/TankInformationWindow.h"

#include "common/DateText.h"
#include "common/NumberFormat.h"
#include "common/Rounding.h"
#include "common/TextValue.h"
#include "data/Database.h"
#include "data/Select.h"
#include "engineering/Dimension.h"
#include "engineering/InspectionSchedule.h"
#include "engineering/MaxFill.h"
#include "engineering/ShellCourses.h"
#include "engineering/TankLists.h"
#include "engineering/UnitEntry.h"
#include "platform/BusyScope.h"
#include "platform/DateBox.h"
#include "platform/FormState.h"
#include "platform/Keyboard.h"
#include "platform/SelectionChain.h"
#include "platform/TagBox.h"
#include "platform/WindowControls.h"
#include "records/AddressRecordWindow.h"
#include "selection/TankGrid.h"
#include "tank/CourseDataPanel.h"
#include "tank/CustomFieldsPanel.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include <tuple>
#include <utility>

namespace korvane {

namespace {

const QString WindowCaption = QStringLiteral("Tank Information");
const QString DateToolTip = QStringLiteral("Date format dd/mmm/yyyy");

QString latin(const char* text) {
    return QString::fromLatin1(text);
}

// Positions of the window's tabs, left to right.
enum Tab { TabSelect = 0, TabGeneral = 1, TabDesign = 2, TabCustom = 3, TabMaxFill = 4 };

// A group box whose contents sit in a grid.
QGridLayout* groupGrid(QWidget* parent, const QString& title, QGroupBox** group = nullptr) {
    auto* box = new QGroupBox(title, parent);
    auto* grid = new QGridLayout(box);
    if (group)
        *group = box;
    return grid;
}

} // namespace

TankInformationWindow::TankInformationWindow(Session& session, Services& services, QWidget* parent)
    : QDialog(parent), session_(session), services_(services) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(WindowCaption);
    setModal(true);

    const auto dataSource = [this](const char* name) {
        auto* source = new DataSource(this);
        source->setObjectName(latin(name));
        return source;
    };
    Data_Tank = dataSource("Data_Tank");
    Data_Preferences = dataSource("Data_Preferences");

    SelectionChain::Options chainOptions;
    chainOptions.caption = WindowCaption;
    chain_ = new SelectionChain(session_, services_, *this, chainOptions);
    chain_->setGuard([this] { return mayCloseOpenTank(); });
    connect(chain_, &SelectionChain::companyChosen, this, &TankInformationWindow::companyChosen);
    connect(chain_, &SelectionChain::locationChosen, this, &TankInformationWindow::locationChosen);

    buildLayout();
    connectUnitBoxes();
    Form_Load();
    orderFocusByLayout(*this);
}

TankInformationWindow::~TankInformationWindow() = default;

// ---------------------------------------------------------------------------------------------
// Building the window

void TankInformationWindow::buildLayout() {
    Tabs = new QTabWidget(this);
    Tabs->setObjectName(QStringLiteral("Tabs"));
    Tabs->addTab(buildSelectTab(), QStringLiteral("Tank Select"));
    Tabs->addTab(buildGeneralTab(), QStringLiteral("General Info"));
    Tabs->addTab(buildDesignTab(), QStringLiteral("Design Info"));
    Tabs->addTab(buildCustomTab(), QStringLiteral("Custom Info"));
    Tabs->addTab(buildMaxFillTab(), QStringLiteral("Max. Fill"));

    const WindowButtons buttons = layOutTabbedWindow(*this, *Tabs);
    Cmd_Print = buttons.print;
    Cmd_Help = buttons.help;
    Cmd_Cancel = buttons.cancel;
    Cmd_OK = buttons.ok;
    connect(Cmd_Help, &QPushButton::clicked, this, &TankInformationWindow::Cmd_Help_Click);
    connect(Cmd_Print, &QPushButton::clicked, this, &TankInformationWindow::Cmd_Print_Click);
    connect(Cmd_Cancel, &QPushButton::clicked, this, &TankInformationWindow::Cmd_Cancel_Click);
    connect(Cmd_OK, &QPushButton::clicked, this, &TankInformationWindow::Cmd_OK_Click);
    Cmd_History = addCommandAfter(*this, *Cmd_Help, "Cmd_History", QStringLiteral("&History"),
                                  QStringLiteral("Every recorded change to the open tank, its "
                                                 "inspections, readings and drawings"));
    connect(Cmd_History, &QPushButton::clicked, this, &TankInformationWindow::Cmd_History_Click);
    resize(880, 600);
}

QWidget* TankInformationWindow::buildSelectTab() {
    auto* page = new QWidget;
    // A list of the selection chain with its Add, Edit and Delete buttons below it.
    struct Chooser {
        QGroupBox* group;
        QPushButton* add;
        QPushButton* edit;
        QPushButton* remove;
    };
    const auto chooser = [page](QListWidget* list, const QString& title, const char* addName,
                                const QString& addCaption, const QString& addTip,
                                const char* editName, const QString& editTip,
                                const char* deleteName, const QString& deleteTip) {
        list->setParent(page);
        QGroupBox* group = nullptr;
        auto* grid = groupGrid(page, title, &group);
        auto* add = commandButton(page, addName, addCaption, addTip);
        auto* edit = commandButton(page, editName, QStringLiteral("Edit"), editTip);
        auto* remove = commandButton(page, deleteName, QStringLiteral("Delete"), deleteTip);
        grid->addWidget(list, 0, 0, 1, 3);
        grid->addWidget(add, 1, 0);
        grid->addWidget(edit, 1, 1);
        grid->addWidget(remove, 1, 2);
        return Chooser{group, add, edit, remove};
    };
    const Chooser companies =
        chooser(chain_->companyList(), QStringLiteral("Companies"), "Cmd_AddCompany",
                QStringLiteral("Add Company"), QStringLiteral("Add Another Company"),
                "Cmd_EditCompany", QStringLiteral("Edit Existing Company"), "Cmd_DeleteCompany",
                QStringLiteral("Delete the Highlighted Company, when it holds no locations"));
    Cmd_AddCompany = companies.add;
    Cmd_EditCompany = companies.edit;
    Cmd_DeleteCompany = companies.remove;
    const Chooser locations =
        chooser(chain_->locationList(), QStringLiteral("Locations"), "Cmd_AddLocation",
                QStringLiteral("Add Location"), QStringLiteral("Add Another Location"),
                "Cmd_EditLocation", QStringLiteral("Edit Existing Location"), "Cmd_DeleteLocation",
                QStringLiteral("Delete the Highlighted Location, when it holds no tanks"));
    Cmd_AddLocation = locations.add;
    Cmd_EditLocation = locations.edit;
    Cmd_DeleteLocation = locations.remove;

    tankGrid_ = new TankGridModel(TankGridModel::Kind::Editing, this);
    Grid_Tanks = new QTableView(page);
    Grid_Tanks->setObjectName(QStringLiteral("Grid_Tanks"));
    Grid_Tanks->setToolTip(QStringLiteral("Tank Selection Grid"));
    Grid_Tanks->setModel(tankGrid_);
    setUpRowGrid(*Grid_Tanks);
    Grid_Tanks->setColumnWidth(0, 190);
    Grid_Tanks->setColumnWidth(1, 170);
    Grid_Tanks->installEventFilter(this);
    QGroupBox* tanks = nullptr;
    auto* tankGrid = groupGrid(page, QStringLiteral("Tanks at this Location"), &tanks);
    Cmd_DeleteTank = commandButton(
        page, "Cmd_DeleteTank", QStringLiteral("Delete Tank"),
        QStringLiteral("Delete the Highlighted Tank, when it holds no inspections, drawings or "
                       "TML points"));
    tankGrid->addWidget(Grid_Tanks, 0, 0, 1, 2);
    tankGrid->addWidget(Cmd_DeleteTank, 1, 1);
    tankGrid->setColumnStretch(0, 1);

    connect(Grid_Tanks->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &TankInformationWindow::Grid_Tanks_Click);
    connect(Grid_Tanks, &QTableView::doubleClicked, this,
            &TankInformationWindow::Grid_Tanks_DblClick);
    connect(Cmd_AddCompany, &QPushButton::clicked, this,
            &TankInformationWindow::Cmd_AddCompany_Click);
    connect(Cmd_EditCompany, &QPushButton::clicked, this,
            &TankInformationWindow::Cmd_EditCompany_Click);
    connect(Cmd_AddLocation, &QPushButton::clicked, this,
            &TankInformationWindow::Cmd_AddLocation_Click);
    connect(Cmd_EditLocation, &QPushButton::clicked, this,
            &TankInformationWindow::Cmd_EditLocation_Click);
    connect(Cmd_DeleteCompany, &QPushButton::clicked, this,
            &TankInformationWindow::Cmd_DeleteCompany_Click);
    connect(Cmd_DeleteLocation, &QPushButton::clicked, this,
            &TankInformationWindow::Cmd_DeleteLocation_Click);
    connect(Cmd_DeleteTank, &QPushButton::clicked, this,
            &TankInformationWindow::Cmd_DeleteTank_Click);

    auto* hint = new QLabel(QStringLiteral("Double-click a company, then one of its locations, "
                                           "then a tank or \"%1\".")
                                .arg(TankGridModel::NewTankText),
                            page);
    hint->setObjectName(QStringLiteral("LabelSelectHint"));
    hint->setWordWrap(true);

    auto* lists = new QVBoxLayout;
    lists->addWidget(companies.group, 1);
    lists->addWidget(locations.group, 1);
    auto* columns = new QHBoxLayout;
    columns->addLayout(lists, 2);
    columns->addWidget(tanks, 3);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(columns, 1);
    layout->addWidget(hint);
    return page;
}

QLineEdit* TankInformationWindow::boundBox(const char* name, const char* field,
                                           const QString& toolTip) {
    auto* box = new QLineEdit(this);
    box->setObjectName(latin(name));
    box->setToolTip(toolTip);
    Data_Tank->bind(box, latin(field));
    return box;
}

DateBox* TankInformationWindow::dateBox(const char* name, const char* field,
                                        const QString& toolTip) {
    auto* box = new DateBox(services_, this);
    box->setObjectName(latin(name));
    box->setToolTip(toolTip);
    box->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("00/MMM/00000")) + 16);
    Data_Tank->bind(box, latin(field));
    dateBoxes_.push_back(box);
    return box;
}

TagBox* TankInformationWindow::tagBox(const char* name) {
    auto* box = new TagBox(this);
    box->setObjectName(latin(name));
    return box;
}

QWidget* TankInformationWindow::buildGeneralTab() {
    auto* page = new QWidget;

    // Identification: two columns of captioned boxes, the Tab key going down the left column
    // first.
    auto* ident = groupGrid(page, QStringLiteral("Tank"));
    QGroupBox* identBox = qobject_cast<QGroupBox*>(ident->parentWidget());
    const auto put = [&](QWidget* box, const QString& caption, int row, int column) {
        auto* label = new QLabel(caption, page);
        label->setBuddy(box);
        ident->addWidget(label, row, column * 2);
        ident->addWidget(box, row, column * 2 + 1);
    };
    Text_TankID = boundBox("Text_TankID", "Name", QStringLiteral("What identified the Tank"));
    put(Text_TankID, QStringLiteral("Tank ID"), 0, 0);
    put(boundBox("Text_Physical", "PhysLoc", QStringLiteral("Where is the Tank at the Location")),
        QStringLiteral("Physical Location"), 1, 0);
    put(boundBox("Text_Product", "Product", QStringLiteral("Tank Contents")),
        QStringLiteral("Product"), 2, 0);
    put(boundBox("Text_Manufacturer", "Manufacturer", QStringLiteral("Who Made the Tank")),
        QStringLiteral("Manufacturer"), 3, 0);
    put(boundBox("Text_Year", "MfgYear", QStringLiteral("Year of Manufacturing")),
        QStringLiteral("Year Built"), 4, 0);
    put(boundBox("Text_Serial", "SerialNum"), QStringLiteral("Serial No."), 0, 1);
    put(boundBox("Text_State", "StateNum"), QStringLiteral("State No."), 1, 1);
    put(boundBox("Text_Code", "MfgCode", QStringLiteral("Tank Construction Code")),
        QStringLiteral("Construction Code"), 2, 1);
    put(dateBox("Text_Tested", "Tested", DateToolTip), QStringLiteral("Date Hydro'd"), 3, 1);
    put(dateBox("Text_Strapped", "Strapped", DateToolTip), QStringLiteral("Date Strapped"), 4, 1);
    ident->setColumnStretch(1, 1);
    ident->setColumnStretch(3, 1);

    // The inspection schedule: one line per kind of inspection.
    QGroupBox* scheduleBox = nullptr;
    auto* grid = groupGrid(page, QStringLiteral("Inspection Schedule"), &scheduleBox);
    const QStringList titles{QStringLiteral("Inspection Type"), QStringLiteral("Frequency"),
                             QStringLiteral("Last Inspection"), QStringLiteral("Next Inspection")};
    for (int c = 0; c < titles.size(); ++c) {
        auto* title = new QLabel(QStringLiteral("<b>%1</b>").arg(titles[c]), page);
        grid->addWidget(title, 0, c);
    }
    int row = 1;
    for (const auto& kind : schedule::Kinds) {
        ScheduleRow line;
        line.freq = tagBox(kind.freqBox);
        line.freq->setToolTip(QStringLiteral("Inspection Frequency"));
        line.last = dateBox(kind.lastBox, kind.lastField, DateToolTip);
        line.next = new QLineEdit(this);
        line.next->setObjectName(latin(kind.nextBox));
        line.next->setReadOnly(true);
        line.next->setFocusPolicy(Qt::ClickFocus);
        line.next->setMaximumWidth(line.last->maximumWidth());
        auto* label = new QLabel(latin(kind.label), page);
        label->setBuddy(line.freq);
        grid->addWidget(label, row, 0);
        grid->addWidget(line.freq, row, 1);
        grid->addWidget(line.last, row, 2);
        grid->addWidget(line.next, row, 3);
        schedule_.push_back(line);
        ++row;
    }
    grid->setColumnStretch(4, 1);

    // How long the readings say the shell may go between inspections, beside the schedule.
    auto* assess = commandButton(page, "Cmd_Assess", QStringLiteral("Corrosion &Assessment"),
                                 QStringLiteral("Corrosion rates, remaining life and the "
                                                "inspection intervals they allow, from the "
                                                "tank's thickness readings"));
    connect(assess, &QPushButton::clicked, this, &TankInformationWindow::Cmd_Assess_Click);
    grid->addWidget(assess, row, 0, 1, 2, Qt::AlignLeft);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(identBox);
    layout->addWidget(scheduleBox);
    layout->addStretch();
    return page;
}

void TankInformationWindow::Cmd_Assess_Click() {
    // A new tank is not the tank last highlighted, whose key the session may still hold.
    if (session_.CurTankID <= 0 ||
        Data_Tank->recordset().editMode() == Recordset::EditMode::AddNew) {
        services_.prompts.message(QStringLiteral("A new tank has no readings yet: save it, and "
                                                 "record its inspections first."),
                                  QStringLiteral("Corrosion Assessment"),
                                  Prompts::Icon::Information);
        return;
    }
    services_.assessment.showAssessment(*this, session_, services_, Text_TankID->text());
}

void TankInformationWindow::Cmd_History_Click() {
    // Only a stored tank has a history; the button is enabled only while one is open.
    if (session_.CurTankID <= 0)
        return;
    services_.history.showHistory(*this, session_, services_, HistoryOf::Tank, session_.CurTankID,
                                  Text_TankID->text());
}

QWidget* TankInformationWindow::buildDesignTab() {
    auto* page = new QWidget;

    // Dimensions and strengths, each with the unit it is shown in.
    QGroupBox* shellBox = nullptr;
    auto* shell = groupGrid(page, QStringLiteral("Shell Design"), &shellBox);
    int row = 0;
    const auto put = [&](QWidget* box, const QString& caption, const char* unitName) {
        auto* label = new QLabel(caption, page);
        label->setBuddy(box);
        shell->addWidget(label, row, 0);
        shell->addWidget(box, row, 1);
        if (unitName) {
            auto* unit = new QLabel(page);
            unit->setObjectName(latin(unitName));
            shell->addWidget(unit, row, 2);
        }
        ++row;
    };
    Text_Diameter = tagBox("Text_Diameter");
    Text_Height = tagBox("Text_Height");
    Text_Level = tagBox("Text_Level");
    Text_Capacity = tagBox("Text_Capacity");
    Text_Yield = tagBox("Text_Yield");
    Text_Tensile = tagBox("Text_Tensile");
    List_MfgType = new QComboBox(page);
    List_MfgType->setObjectName(QStringLiteral("List_MfgType"));
    List_MfgType->addItems(tanklists::shellConstructions());
    List_MfgType->setToolTip(QStringLiteral("Shell Construction Type"));
    put(Text_Diameter, QStringLiteral("Diameter"), "LabelDiameterUnit");
    put(Text_Height, QStringLiteral("Shell Height"), "LabelHeightUnit");
    put(Text_Level, QStringLiteral("Design Level"), "LabelLevelUnit");
    put(Text_Capacity, QStringLiteral("Capacity"), nullptr);
    put(List_MfgType, QStringLiteral("Shell Construction"), nullptr);
    put(Text_Yield, QStringLiteral("Yield Strength"), "LabelYieldUnit");
    put(Text_Tensile, QStringLiteral("Tensile Strength"), "LabelTensileUnit");
    Text_JointEff = boundBox("Text_JointEff", "JointEff", QStringLiteral("Joint Efficiency"));
    Text_SGravity =
        boundBox("Text_SGravity", "SpecGravity", QStringLiteral("Product Specific Gravity"));
    put(Text_JointEff, QStringLiteral("Joint Efficiency"), nullptr);
    put(Text_SGravity, QStringLiteral("Specific Gravity"), nullptr);
    shell->setColumnStretch(1, 1);
    shell->setRowStretch(row, 1);

    QGroupBox* constructionBox = nullptr;
    auto* construction = groupGrid(page, QStringLiteral("Construction"), &constructionBox);
    List_BottomType = new QComboBox(page);
    List_BottomType->setObjectName(QStringLiteral("List_BottomType"));
    List_BottomType->addItems(tanklists::bottomTypes());
    List_BottomType->setToolTip(QStringLiteral("Bottom Construction Type"));
    List_RoofType = new QComboBox(page);
    List_RoofType->setObjectName(QStringLiteral("List_RoofType"));
    List_RoofType->addItems(tanklists::roofTypes());
    List_RoofType->setToolTip(QStringLiteral("Roof Construction Type"));
    construction->addWidget(new QLabel(QStringLiteral("Bottom"), page), 0, 0);
    construction->addWidget(List_BottomType, 0, 1);
    construction->addWidget(new QLabel(QStringLiteral("Roof"), page), 1, 0);
    construction->addWidget(List_RoofType, 1, 1);
    construction->setColumnStretch(1, 1);

    const auto frame = [&](const QString& title, const char* frameName) {
        QGroupBox* box = nullptr;
        auto* grid = groupGrid(page, title, &box);
        box->setObjectName(latin(frameName));
        grid->setColumnStretch(1, 1);
        return std::pair{box, grid};
    };
    const auto line = [&](QGridLayout* grid, int at, const QString& caption, QWidget* box) {
        auto* label = new QLabel(caption, page);
        label->setBuddy(box);
        grid->addWidget(label, at, 0);
        grid->addWidget(box, at, 1);
    };
    auto [cpsBox, cps] = frame(QStringLiteral("Cathodic Protection System"), "Frame_CPS");
    line(cps, 0, QStringLiteral("Installed"),
         dateBox("Text_CPSInstalled", "CPSInstalled", QStringLiteral("System Installation Date")));
    line(cps, 1, QStringLiteral("Manufacturer"),
         boundBox("Text_CPSMfgBy", "CPSMfgBy", QStringLiteral("System Manufacturer")));
    line(cps, 2, QStringLiteral("Type"),
         boundBox("Text_CPSType", "CPSType", QStringLiteral("System Type")));
    auto [vdeBox, vde] = frame(QStringLiteral("Vapor Detection Equipment"), "Frame_VDE");
    line(vde, 0, QStringLiteral("Installed"),
         dateBox("Text_VDEInstalled", "VDEInstalled",
                 QStringLiteral("Equipment Installation Date")));
    line(vde, 1, QStringLiteral("Manufacturer"),
         boundBox("Text_VDEMfgBy", "VDEMfgBy", QStringLiteral("Equipment Manufacturer")));

    CourseDataPanel::ShellInputs inputs;
    inputs.height = Text_Height;
    inputs.yield = Text_Yield;
    inputs.tensile = Text_Tensile;
    inputs.mfgType = List_MfgType;
    inputs.specGravity = Text_SGravity;
    inputs.jointEff = Text_JointEff;
    inputs.diameterIn = &DiameterIn;
    inputs.heightIn = &HeightIn;
    inputs.levelIn = &LevelIn;
    inputs.yieldPsi = &YieldPsi;
    inputs.tensilePsi = &TensilePsi;
    courses_ = new CourseDataPanel(session_, services_, inputs, page);
    connect(courses_, &CourseDataPanel::coursesChanged, this,
            &TankInformationWindow::FillMFCourseList);
    // The notice about minimums that disagree with the data stands on this tab; its caption
    // carries a warning sign, so that it is seen from the other tabs too.
    connect(courses_, &CourseDataPanel::staleChanged, this, [this](bool stale) {
        Tabs->setTabIcon(TabDesign,
                         stale ? style()->standardIcon(QStyle::SP_MessageBoxWarning) : QIcon());
        Tabs->setTabToolTip(TabDesign, stale ? QStringLiteral("The stored minimum thicknesses "
                                                              "do not agree with the design data")
                                             : QString());
    });

    auto* right = new QVBoxLayout;
    right->addWidget(constructionBox);
    right->addWidget(cpsBox);
    right->addWidget(vdeBox);
    right->addStretch();
    auto* columns = new QHBoxLayout;
    columns->addWidget(shellBox, 1);
    columns->addLayout(right, 1);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(columns, 1);
    layout->addWidget(courses_);
    return page;
}

QWidget* TankInformationWindow::buildCustomTab() {
    auto* page = new QWidget;
    customFields_ = new CustomFieldsPanel(*Data_Tank, page);
    Text_Comments = new QPlainTextEdit(page);
    Text_Comments->setObjectName(QStringLiteral("Text_Comments"));
    Text_Comments->setTabChangesFocus(true);
    Data_Tank->bind(Text_Comments, QStringLiteral("Comments"), "plainText");
    QGroupBox* commentsBox = nullptr;
    groupGrid(page, QStringLiteral("Comments"), &commentsBox)->addWidget(Text_Comments, 0, 0);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(customFields_);
    layout->addWidget(commentsBox, 1);
    return page;
}

QWidget* TankInformationWindow::buildMaxFillTab() {
    auto* page = new QWidget;
    QGroupBox* fillBox = nullptr;
    auto* grid = groupGrid(page, QStringLiteral("Maximum Fill Height"), &fillBox);
    List_MFCourse = new QComboBox(page);
    List_MFCourse->setObjectName(QStringLiteral("List_MFCourse"));
    List_MFCourse->setToolTip(QStringLiteral("Course with the critical reading"));
    // Room for a product name; numbers and the course need less.
    QLineEdit* product = boundBox("Text_MFProduct", "MFProduct");
    product->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('M')) * 24);
    Text_MFSGravity = boundBox("Text_MFSGravity", "MFSGravity");
    // The lengths are kept in one unit and shown in those of the preferences, like the others.
    Text_MFCriticalRead = tagBox("Text_MFCriticalRead");
    Text_MFCorrosion = tagBox("Text_MFCorrosion");
    Text_MFLevel = tagBox("Text_MFLevel");
    // The units the window works in are those of the preferences, fixed while it is open.
    const bool us = session_.UnitsUS;
    const QString thickness = us ? QStringLiteral("in.") : QStringLiteral("mm");
    const QString length = us ? QStringLiteral("ft.") : QStringLiteral("meters");
    const struct {
        const char* caption;
        QWidget* box;
        const char* unitName;
        QString unit;
    } lines[] = {
        {"Product", product, nullptr, {}},
        {"Specific Gravity", Text_MFSGravity, nullptr, {}},
        {"Course", List_MFCourse, nullptr, {}},
        {"Critical Reading", Text_MFCriticalRead, "LabelMFReadingUnit", thickness},
        {"Corrosion Allowance", Text_MFCorrosion, "LabelMFAllowanceUnit", thickness},
        {"NEW Design Level", Text_MFLevel, "LabelMFLevelUnit", length},
        {"Date", dateBox("Text_MFDate", "MFDate", DateToolTip), nullptr, {}},
    };
    Cmd_CalcFill = commandButton(
        page, "Cmd_CalcFill", QStringLiteral("Calculate"),
        QStringLiteral("Highest level at which the course's minimum thickness is no more than "
                       "the critical reading less the corrosion allowance"));
    connect(Cmd_CalcFill, &QPushButton::clicked, this, &TankInformationWindow::Cmd_CalcFill_Click);
    int row = 0;
    for (const auto& line : lines) {
        auto* label = new QLabel(latin(line.caption), page);
        label->setBuddy(line.box);
        grid->addWidget(label, row, 0);
        grid->addWidget(line.box, row, 1);
        if (line.unitName) {
            auto* unit = new QLabel(line.unit, page);
            unit->setObjectName(latin(line.unitName));
            grid->addWidget(unit, row, 2);
        }
        if (line.box == Text_MFLevel)
            grid->addWidget(Cmd_CalcFill, row, 3, Qt::AlignLeft);
        ++row;
    }
    grid->setColumnStretch(3, 1);
    auto* note = new QLabel(QStringLiteral("Calculate works out the highest level the critical "
                                           "reading, less the corrosion allowance, leaves the "
                                           "course enough metal for."),
                            page);
    note->setObjectName(QStringLiteral("LabelMFNote"));
    note->setWordWrap(true);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(fillBox);
    layout->addWidget(note);
    layout->addStretch();
    return page;
}

void TankInformationWindow::connectUnitBoxes() {
    for (auto [box, inches] :
         {std::pair{Text_Diameter, &DiameterIn}, std::pair{Text_Height, &HeightIn},
          std::pair{Text_Level, &LevelIn}}) {
        box->setSelectAllOnEntry(true);
        box->setKeyHandler(
            [this, box, inches](QChar key) { return DimensionKeyPress(*box, *inches, key); });
        connect(box, &TagBox::left, this, [this, box] { DimensionLeft(*box); });
    }
    Text_Capacity->setKeyHandler([this](QChar key) { return Text_Capacity_KeyPress(key); });
    connect(Text_Capacity, &TagBox::left, this, &TankInformationWindow::Text_Capacity_LostFocus);
    for (TagBox* box : {Text_Yield, Text_Tensile})
        connect(box, &QLineEdit::textChanged, this, [this, box] {
            StrengthChange(*box);
            shellInputChanged();
        });
    for (QLineEdit* box : {Text_JointEff, Text_SGravity})
        connect(box, &QLineEdit::textChanged, this, &TankInformationWindow::shellInputChanged);
    for (auto [box, level] : {std::pair{Text_MFCriticalRead, false},
                              std::pair{Text_MFCorrosion, false}, std::pair{Text_MFLevel, true}})
        connect(box, &QLineEdit::textChanged, this,
                [this, box, level] { MaxFillNumberChange(*box, level); });
    connect(List_MfgType, &QComboBox::currentIndexChanged, this,
            &TankInformationWindow::shellInputChanged);
    for (const ScheduleRow& line : schedule_) {
        TagBox* box = line.freq;
        box->setKeyHandler([this, box](QChar key) { return FrequencyKeyPress(*box, key); });
        connect(box, &TagBox::left, this, [this, box] { FrequencyLostFocus(*box); });
        connect(line.last, &DateBox::entryAccepted, this, &TankInformationWindow::ShowNextDates);
    }
}

// ---------------------------------------------------------------------------------------------
// Loading

void TankInformationWindow::Form_Load() {
    QStringList failures;
    const auto open = [&](DataSource* source, const char* table) {
        source->setDatabaseName(session_.DatabaseName);
        source->setRecordSource(latin(table));
        if (auto opened = source->refresh(); !opened)
            failures << opened.error();
    };
    if (auto listed = chain_->open(); !listed) {
        failures << listed.error();
    } else if (auto db = Database::open(session_.DatabaseName)) {
        // A file made by an older version is given the fields this one keeps tanks with. One
        // that cannot be changed (read only) goes without: the maximum fill numbers are then
        // kept as older versions kept them, and saving says what stops it.
        (void)db->addMissingFields(QStringLiteral("Tank"));
    }
    open(Data_Preferences, "Preferences");
    Data_Tank->setDatabaseName(session_.DatabaseName);
    Data_Tank->setLockEdits(true);
    customFields_->SetupCustomFields(Data_Preferences->recordset());
    courses_->InitMinWallGrid();

    chain_->locationList()->setEnabled(false);
    Cmd_AddLocation->setEnabled(false);
    Cmd_EditLocation->setEnabled(false);
    Cmd_EditCompany->setEnabled(false);
    Cmd_Print->setEnabled(false);
    Cmd_History->setEnabled(false);
    InitTankGrid();
    Grid_Tanks->setEnabled(false);
    setTankTabsEnabled(false);
    session_.RecordMode = false;

    Cmd_EditCompany->setEnabled(chain_->companyList()->count() > 0);
    enableSelectButtons();
    SetToolTipsByUnits();
    Tabs->setCurrentIndex(TabSelect);

    if (!failures.isEmpty())
        services_.prompts.message(failures.join(QLatin1Char('\n')), WindowCaption,
                                  Prompts::Icon::Exclamation);
}

void TankInformationWindow::SetToolTipsByUnits() {
    const bool us = session_.UnitsUS;
    const auto set = [this](TagBox* box, const char* unitLabel, const QString& tip,
                            const QString& unit) {
        box->setToolTip(tip);
        if (auto* label = findChild<QLabel*>(latin(unitLabel)))
            label->setText(unit);
    };
    const QString length = us ? QStringLiteral("ft.") : QStringLiteral("meters");
    const QString strength = us ? QStringLiteral("psi") : QStringLiteral("KPa");
    set(Text_Diameter, "LabelDiameterUnit", QStringLiteral("Tank Diameter (%1)").arg(length),
        length);
    set(Text_Height, "LabelHeightUnit", QStringLiteral("Tank Height (%1)").arg(length), length);
    set(Text_Level, "LabelLevelUnit", QStringLiteral("Design Level (%1)").arg(length), length);
    set(Text_Yield, "LabelYieldUnit", QStringLiteral("Yield Strength (%1)").arg(strength),
        strength);
    set(Text_Tensile, "LabelTensileUnit", QStringLiteral("Tensile Strength (%1)").arg(strength),
        strength);
    Text_Capacity->setToolTip(QStringLiteral("Tank Capacity (bbls or gal)"));
    // The unit keys are not obvious; an empty dimension box says which to press.
    const QString dimensionHint =
        us ? QStringLiteral("feet, then F") : QStringLiteral("meters, then M");
    for (TagBox* box : {Text_Diameter, Text_Height, Text_Level})
        box->setPlaceholderText(dimensionHint);
    Text_Capacity->setPlaceholderText(QStringLiteral("number, then B or G"));
    const QString frequencyHint = QStringLiteral("e.g. 5Y or 18M");
    for (const ScheduleRow& line : schedule_) {
        line.freq->setPlaceholderText(frequencyHint);
        line.freq->setMinimumWidth(fontMetrics().horizontalAdvance(frequencyHint) + 24);
    }
}

// ---------------------------------------------------------------------------------------------
// Tank Select

void TankInformationWindow::setTankTabsEnabled(bool enabled) {
    for (int tab = TabGeneral; tab <= TabMaxFill; ++tab)
        Tabs->setTabEnabled(tab, enabled);
}

void TankInformationWindow::InitTankGrid() {
    tankGrid_->clear();
}

void TankInformationWindow::ResetTankView() {
    InitTankGrid();
    List_MFCourse->clear();
    courses_->clear({});
}

void TankInformationWindow::FillTankGrid() {
    session_.SQLString = tankGridQuery(session_.CurLocationID).text();
    auto rows =
        readTankGrid(session_.DatabaseName, session_.CurLocationID, services_.clock.today());
    if (!rows) {
        tankGrid_->setTanks({});
        services_.prompts.message(rows.error(), WindowCaption, Prompts::Icon::Exclamation);
        return;
    }
    tankGrid_->setTanks(std::move(rows.value()));
}

QStringList TankInformationWindow::tankState() const {
    return formState({Tabs->widget(TabGeneral), Tabs->widget(TabDesign), Tabs->widget(TabCustom),
                      Tabs->widget(TabMaxFill)});
}

bool TankInformationWindow::confirmDiscard() {
    if (tankState() == openedState_)
        return true;

    return services_.prompts.message(QStringLiteral("This will cause all changes to be ignored!"),
                                     QStringLiteral("Cancel Update"), Prompts::Icon::Exclamation,
                                     Prompts::Buttons::OkCancel) == Prompts::Answer::Ok;
}

bool TankInformationWindow::mayCloseOpenTank() {
    if (!session_.RecordMode)
        return true;
    if (!confirmDiscard())
        return false;
    Data_Tank->cancelUpdate();
    session_.RecordMode = false;
    ClearUnboundBoxes();
    setTankTabsEnabled(false);
    Cmd_History->setEnabled(false);
    return true;
}

void TankInformationWindow::companyChosen() {
    // Whatever was chosen below the company no longer applies.
    Grid_Tanks->setEnabled(false);
    ResetTankView();
    setTankTabsEnabled(false);
    Cmd_Print->setEnabled(false);
    Cmd_AddLocation->setEnabled(true);
    Cmd_EditLocation->setEnabled(chain_->locationList()->count() > 0);
    enableSelectButtons();
}

void TankInformationWindow::locationChosen() {
    ResetTankView();
    Grid_Tanks->setEnabled(true);
    FillTankGrid();
    Grid_Tanks->setFocus();
    Grid_Tanks->setCurrentIndex(tankGrid_->index(TankGridModel::NewTankRow, 0));
    setTankTabsEnabled(false);
    Cmd_Print->setEnabled(false);
    enableSelectButtons();
}

void TankInformationWindow::Grid_Tanks_Click(const QModelIndex& index) {
    const TankGridRow* tank = index.isValid() ? tankGrid_->tank(index.row()) : nullptr;
    enableSelectButtons();
    if (!tank) {
        Cmd_Print->setEnabled(false);
        return;
    }
    session_.CurTankID = tank->tankId;
    session_.CurLocationID = chain_->chosenLocation();
    Cmd_Print->setEnabled(true);
}

void TankInformationWindow::enableSelectButtons() {
    Cmd_DeleteCompany->setEnabled(Cmd_EditCompany->isEnabled());
    Cmd_DeleteLocation->setEnabled(Cmd_EditLocation->isEnabled());
    // Not the tank open in this window: it is being edited.
    Cmd_DeleteTank->setEnabled(Grid_Tanks->isEnabled() && !session_.RecordMode &&
                               tankGrid_->tank(Grid_Tanks->currentIndex().row()) != nullptr);
}

void TankInformationWindow::Grid_Tanks_DblClick(const QModelIndex& index) {
    if (!index.isValid() || !Grid_Tanks->isEnabled())
        return;
    const TankGridRow* tank = tankGrid_->tank(index.row());
    if (!tank && index.row() != TankGridModel::NewTankRow)
        return;
    BusyScope busy(services_.pointer, *this);
    const bool opened = tank ? openExistingTank(tank->tankId) : openNewTank();
    if (!opened)
        return;
    setTankTabsEnabled(true);
    Grid_Tanks->setEnabled(false);
    enableSelectButtons();
    Tabs->setCurrentIndex(TabGeneral);
    Text_TankID->setFocus();
    openedState_ = tankState();
}

bool TankInformationWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched != Grid_Tanks)
                return QDialog::eventFilter(watched, event);
            Grid_Tanks_DblClick(Grid_Tanks->currentIndex());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// Companies and locations

void TankInformationWindow::showRecordDialog(AddressRecordWindow& dialog, bool change) {
    // The dialogs take RecordMode as their add-or-change order and reset it; an open tank's
    // pending edit must survive them.
    const bool tankOpen = session_.RecordMode;
    session_.RecordMode = change;
    if (dialog.Form_Load())
        showChildWindow(services_, *this, dialog);
    session_.RecordMode = tankOpen;
}

void TankInformationWindow::Cmd_AddCompany_Click() {
    {
        CompanyInformationWindow form9(session_, services_, this);
        showRecordDialog(form9, false);
    }
    BusyScope busy(services_.pointer, *this);
    if (auto listed = chain_->FillCompanyList(chain_->highlightedCompany()); !listed) {
        services_.prompts.message(listed.error(), WindowCaption, Prompts::Icon::Exclamation);
        return;
    }
    Cmd_EditCompany->setEnabled(chain_->companyList()->count() > 0);
    enableSelectButtons();
}

void TankInformationWindow::Cmd_EditCompany_Click() {
    if (chain_->companyList()->currentRow() < 0)
        return;
    session_.CurCompanyID = chain_->highlightedCompany();
    CompanyInformationWindow form9(session_, services_, this);
    showRecordDialog(form9, true);
}

void TankInformationWindow::Cmd_AddLocation_Click() {
    if (chain_->companyList()->currentRow() < 0)
        return;
    session_.CurCompanyID = chain_->highlightedCompany();
    {
        LocationInformationWindow form10(session_, services_, this);
        showRecordDialog(form10, false);
    }
    if (session_.CurCompanyID != chain_->chosenCompany()) {
        // Another company was highlighted since the locations were listed: list its locations,
        // as choosing it would.
        chain_->List_Company_DblClick();
        return;
    }
    BusyScope busy(services_.pointer, *this);
    Cmd_EditLocation->setEnabled(chain_->FillLocationList(chain_->chosenLocation()));
    enableSelectButtons();
}

void TankInformationWindow::Cmd_EditLocation_Click() {
    if (chain_->locationList()->currentRow() < 0)
        return;
    session_.CurCompanyID = chain_->companyList()->currentRow() >= 0 ? chain_->highlightedCompany()
                                                                     : chain_->chosenCompany();
    session_.CurLocationID = chain_->highlightedLocation();
    LocationInformationWindow form10(session_, services_, this);
    showRecordDialog(form10, true);
}

bool TankInformationWindow::deleteRecord(RecordDeletion::Level level, qint32 key,
                                         const QString& title, bool holdsOpenTank) {
    auto deletion = RecordDeletion::prepare(session_.DatabaseName, level, key);
    if (!deletion) {
        services_.prompts.message(deletion.error(), title, Prompts::Icon::Exclamation);
        return false;
    }
    if (services_.prompts.message(
            QStringLiteral("Delete %1? This cannot be undone.").arg(deletion->description()), title,
            Prompts::Icon::Question, Prompts::Buttons::YesNo) != Prompts::Answer::Yes)
        return false;
    // A new tank not yet saved would be left without its location: it is given up first, as
    // choosing another location would.
    if (holdsOpenTank && !mayCloseOpenTank())
        return false;
    BusyScope busy(services_.pointer, *this);
    if (auto deleted = deletion->commit(); !deleted) {
        services_.prompts.message(deleted.error(), title, Prompts::Icon::Exclamation);
        return false;
    }
    return true;
}

void TankInformationWindow::Cmd_DeleteCompany_Click() {
    const qint32 company = chain_->highlightedCompany();
    const bool wasChosen = company == chain_->chosenCompany();
    if (company == 0 || !deleteRecord(RecordDeletion::Level::Company, company,
                                      QStringLiteral("Delete Company"), wasChosen))
        return;
    if (auto listed = chain_->FillCompanyList(wasChosen ? 0 : chain_->chosenCompany()); !listed)
        services_.prompts.message(listed.error(), WindowCaption, Prompts::Icon::Exclamation);
    Cmd_EditCompany->setEnabled(chain_->companyList()->count() > 0);
    if (wasChosen) {
        // It held no locations, so nothing below it was listed; nothing can be added to it.
        ResetTankView();
        Grid_Tanks->setEnabled(false);
        Cmd_AddLocation->setEnabled(false);
        Cmd_EditLocation->setEnabled(false);
    }
    enableSelectButtons();
}

void TankInformationWindow::Cmd_DeleteLocation_Click() {
    const qint32 location = chain_->highlightedLocation();
    const bool wasChosen = location == chain_->chosenLocation();
    if (location == 0 || !deleteRecord(RecordDeletion::Level::Location, location,
                                       QStringLiteral("Delete Location"), wasChosen))
        return;
    // The list shows the locations of the chosen company, whichever company is highlighted.
    chain_->showChosen();
    Cmd_EditLocation->setEnabled(
        chain_->FillLocationList(wasChosen ? 0 : chain_->chosenLocation()));
    if (wasChosen) {
        // Its grid offered a new tank for a location that is gone.
        ResetTankView();
        Grid_Tanks->setEnabled(false);
        setTankTabsEnabled(false);
        Cmd_Print->setEnabled(false);
    }
    enableSelectButtons();
}

void TankInformationWindow::Cmd_DeleteTank_Click() {
    const TankGridRow* tank = tankGrid_->tank(Grid_Tanks->currentIndex().row());
    if (!tank || session_.RecordMode)
        return;
    if (!deleteRecord(RecordDeletion::Level::Tank, tank->tankId, QStringLiteral("Delete Tank"),
                      false))
        return;
    FillTankGrid();
    Grid_Tanks->setCurrentIndex(tankGrid_->index(TankGridModel::NewTankRow, 0));
    Cmd_Print->setEnabled(false);
    enableSelectButtons();
}

// ---------------------------------------------------------------------------------------------
// Opening and showing a tank

void TankInformationWindow::showAccessError(const QString& message) {
    services_.prompts.message(message, QStringLiteral("Error Accessing Record"),
                              Prompts::Icon::Exclamation);
}

bool TankInformationWindow::openExistingTank(qint32 tankId) {
    const QScopedValueRollback<bool> showing(showingTank_, true);
    session_.CurTankID = tankId;
    const Select query =
        Select::from(QStringLiteral("Tank")).where(QStringLiteral("TankID"), tankId);
    session_.SQLString = query.text();
    Data_Tank->setRecordSource(query);
    Status opened = Data_Tank->refresh();
    if (opened && Data_Tank->recordset().eof())
        opened = Error{QStringLiteral("The tank is no longer in the database; another user may "
                                      "have deleted it.")};
    if (opened)
        opened = Data_Tank->recordset().edit(); // claims the row, or says who holds it
    if (!opened) {
        Data_Tank->recordset().close();
        Data_Tank->showCurrentRow();
        showAccessError(opened.error());
        return false;
    }
    ClearUnboundBoxes();
    ShowTank();
    ShowNextDates();
    session_.RecordMode = true;
    Cmd_History->setEnabled(true);
    return true;
}

bool TankInformationWindow::openNewTank() {
    const QScopedValueRollback<bool> showing(showingTank_, true);
    // An empty recordset over the Tank table (counter keys start at 1), to add the new row to.
    Data_Tank->setRecordSource(
        Select::from(QStringLiteral("Tank")).where(QStringLiteral("TankID"), 0));
    Status opened = Data_Tank->refresh();
    if (opened)
        opened = Data_Tank->recordset().addNew();
    if (opened)
        opened =
            Data_Tank->recordset().setValue(QStringLiteral("LocationID"), session_.CurLocationID);
    if (!opened) {
        Data_Tank->recordset().close();
        Data_Tank->showCurrentRow();
        showAccessError(opened.error());
        return false;
    }
    session_.RecordMode = true;
    Cmd_History->setEnabled(false); // nothing is recorded of a tank until it is saved
    Data_Tank->showCurrentRow();
    ClearNewTank();
    return true;
}

void TankInformationWindow::ClearUnboundBoxes() {
    for (TagBox* box : {Text_Diameter, Text_Height, Text_Level, Text_Yield, Text_Tensile}) {
        box->clear();
        box->setTag({});
    }
    // A capacity or frequency box without a value carries the marker leaving it would give it,
    // so that walking through it changes nothing.
    Text_Capacity->clear();
    Text_Capacity->setTag(unitentry::NoUnit);
    for (const ScheduleRow& line : schedule_) {
        line.freq->clear();
        line.freq->setTag(unitentry::NoUnit);
        line.next->clear();
    }
    for (QComboBox* list : {List_MfgType, List_BottomType, List_RoofType})
        list->setCurrentIndex(-1);
    List_MFCourse->clear();
    for (TagBox* box : {Text_MFCriticalRead, Text_MFCorrosion, Text_MFLevel}) {
        box->clear();
        box->setTag({});
    }
    shownMaxFillTags_ = {QString(), QString(), QString()};
    DiameterIn = HeightIn = LevelIn = 0;
    YieldPsi = TensilePsi = 0;
    courses_->clear({});
}

// A new tank: the custom fields and the other bound boxes are empty already (the data source
// shows the new row); the unbound ones are emptied here.
void TankInformationWindow::ClearNewTank() {
    ClearUnboundBoxes();
    for (QComboBox* list : {List_MfgType, List_BottomType, List_RoofType})
        list->setCurrentIndex(0);
    courses_->clear(QStringLiteral("0"));
    FillMFCourseList(0);
}

void TankInformationWindow::FillMFCourseList(int courses) {
    const int chosen = List_MFCourse->currentIndex();
    List_MFCourse->clear();
    List_MFCourse->addItems(courses::maxFillCourseEntries(courses));
    // Filling an empty list chooses its first entry; only a choice that was made may stand.
    List_MFCourse->setCurrentIndex(chosen < List_MFCourse->count() ? chosen : -1);
}

void TankInformationWindow::ShowTank() {
    const Recordset& rs = Data_Tank->recordset();
    const auto number = [&rs](const char* field) {
        return rs.value(latin(field)).toDouble();
    };

    // The dimensions first: the course heights are shown by the shell height they share.
    for (auto [box, field, inches] : {std::tuple{Text_Diameter, "Diameter", &DiameterIn},
                                      std::tuple{Text_Height, "Height", &HeightIn},
                                      std::tuple{Text_Level, "DesignLevel", &LevelIn}}) {
        const double value = number(field);
        if (value == 0)
            continue;
        box->setTag(numberText(value));
        box->setText(dimension::displayText(value, session_.UnitsUS));
        const auto whole = toInt16(value);
        *inches = whole ? *whole : 0;
    }

    courses_->LoadCourseData(rs);
    FillMFCourseList(courses_->data().courses());

    // A stored position the list does not have leaves it without a choice, so that OK keeps it.
    for (auto [list, field] :
         {std::pair{List_MfgType, "MfgType"}, std::pair{List_BottomType, "BottomType"},
          std::pair{List_RoofType, "RoofType"}, std::pair{List_MFCourse, "MFCourse"}}) {
        if (!rs.isNull(latin(field)))
            list->setCurrentIndex(rs.value(latin(field)).toInt());
    }

    for (auto [box, field, psi] : {std::tuple{Text_Yield, "Yield", &YieldPsi},
                                   std::tuple{Text_Tensile, "Tensile", &TensilePsi}}) {
        const double value = number(field);
        if (value == 0)
            continue;
        box->setText(unitentry::strengthText(value, session_.UnitsUS));
        box->setTag(numberText(value));
        const auto whole = toInt32(value);
        *psi = whole ? *whole : 0;
    }

    // A capacity or frequency never given stays empty, so that it is not stored as 0 either.
    const auto showSigned = [&rs](TagBox* box, const char* field, auto shown) {
        if (rs.isNull(latin(field)))
            return;
        const unitentry::Shown s = shown(rs.value(latin(field)).toDouble());
        box->setText(s.text);
        box->setTag(s.marker);
    };
    showSigned(Text_Capacity, "Capacity", unitentry::capacityShown);
    for (std::size_t k = 0; k < schedule::Kinds.size(); ++k)
        showSigned(schedule_[k].freq, schedule::Kinds[k].freqField, unitentry::frequencyShown);

    ShowMaxFillNumbers();

    // Minimums made by an older version or another program may not be those the data gives.
    courses_->checkStoredMinimums();
}

void TankInformationWindow::ShowMaxFillNumbers() {
    const Recordset& rs = Data_Tank->recordset();
    const bool us = session_.UnitsUS;
    const QString field = latin(maxfill::UnitsField);
    const std::optional<bool> mark =
        rs.isNull(field) ? std::nullopt : std::optional<bool>(rs.value(field).toBool());
    const maxfill::RecordUnits units =
        maxfill::recordUnits(mark, rs.value(QStringLiteral("MFDesignLevel")).toDouble(), HeightIn);
    const QString told =
        mark ? QString()
        : units == maxfill::RecordUnits::Unknown
            ? QStringLiteral("Kept by an earlier version without its unit, which the shell "
                             "height cannot tell: shown as stored")
            : QStringLiteral("Kept by an earlier version without its unit; read as %1, as the "
                             "shell height tells")
                  .arg(units == maxfill::RecordUnits::US ? QStringLiteral("feet and inches")
                                                         : QStringLiteral("metres and mm"));
    const QString thickness = us ? QStringLiteral("in.") : QStringLiteral("mm");
    const QString length = us ? QStringLiteral("ft.") : QStringLiteral("meters");
    for (auto [box, name, level, tip] :
         {std::tuple{Text_MFCriticalRead, "MFCReading", false,
                     QStringLiteral("Critical Reading (%1)").arg(thickness)},
          std::tuple{Text_MFCorrosion, "MFCAllowance", false,
                     QStringLiteral("Corrosion Allowance (%1)").arg(thickness)},
          std::tuple{Text_MFLevel, "MFDesignLevel", true,
                     QStringLiteral("NEW Design Level (%1)").arg(length)}}) {
        box->setToolTip(tip);
        box->clear();
        box->setTag({});
        if (rs.isNull(latin(name)))
            continue;
        const double stored = rs.value(latin(name)).toDouble();
        if (!told.isEmpty())
            box->setToolTip(tip + QStringLiteral(". ") + told + QLatin1Char('.'));
        if (units == maxfill::RecordUnits::Unknown) {
            // As it stands; the box reads it in the units shown, as if it had been typed.
            box->setText(numberText(stored));
            continue;
        }
        const double fixed = level ? maxfill::storedLevelFeet(stored, units)
                                   : maxfill::storedThicknessInches(stored, units);
        box->setText(level ? maxfill::levelShown(fixed, us) : formatThickness(fixed, us));
        // The text first: it sets the hidden value from what it shows, which must end exact (17
        // digits read back as the same number).
        box->setTag(QString::number(fixed, 'g', 17));
    }
    shownMaxFillTags_ = {Text_MFCriticalRead->tag(), Text_MFCorrosion->tag(), Text_MFLevel->tag()};
}

void TankInformationWindow::MaxFillNumberChange(TagBox& box, bool level) {
    const QString typed = box.text().trimmed();
    if (typed.isEmpty()) {
        box.setTag({});
        return;
    }
    const double value = numericValue(typed);
    const bool us = session_.UnitsUS;
    box.setTag(
        numberText(level ? maxfill::levelFeet(value, us) : maxfill::thicknessInches(value, us)));
}

void TankInformationWindow::ShowNextDates() {
    for (std::size_t k = 0; k < schedule::Kinds.size(); ++k) {
        const ScheduleRow& line = schedule_[k];
        if (line.freq->text().isEmpty() || line.last->text().isEmpty())
            continue;
        const auto n = toInt16(numericValue(line.freq->text()));
        const auto last = parseDate(line.last->text());
        if (!n || !last)
            continue;
        const QDate next =
            schedule::nextDate(*last, *n, line.freq->tag() == unitentry::PositiveUnit);
        if (next.isValid())
            line.next->setText(formatDate(next));
    }
}

// ---------------------------------------------------------------------------------------------
// Maximum fill height

// Works out the highest level the chosen course allows and puts it into the NEW Design Level
// box, where it is saved with the tank like a typed level. A value missing leaves the box alone.
void TankInformationWindow::Cmd_CalcFill_Click() {
    const bool us = session_.UnitsUS;
    const auto tell = [this](const QString& message) {
        services_.prompts.message(message, latin(maxfill::Title), Prompts::Icon::Exclamation);
    };
    maxfill::Input in;
    // The list begins with the empty entry and "Floor"; "Course 1" stands at position 2.
    in.course = List_MFCourse->currentIndex() - 1;
    in.courses = courses_->data().courses();
    in.mfgType = List_MfgType->currentIndex();
    in.diameterIn = DiameterIn;
    in.heightIn = HeightIn;
    // The strength boxes hold psi beside what they show, as typed so far.
    for (auto [box, psi] :
         {std::pair{Text_Yield, &in.yieldPsi}, std::pair{Text_Tensile, &in.tensilePsi}}) {
        const auto whole = toInt32(numericValue(box->tag()));
        if (!whole) {
            tell(whole.error());
            return;
        }
        *psi = *whole;
    }
    in.jointEff = numericValue(Text_JointEff->text());
    in.specGravity = numericValue(Text_MFSGravity->text());
    in.criticalIn = numericValue(Text_MFCriticalRead->tag());
    in.allowanceIn = numericValue(Text_MFCorrosion->tag());

    const maxfill::Outcome outcome = maxfill::maxFillLevel(in);
    if (!outcome.levelFt) {
        tell(outcome.message);
        return;
    }
    Text_MFLevel->setText(maxfill::levelText(*outcome.levelFt, us));
}

// ---------------------------------------------------------------------------------------------
// Unit entry

bool TankInformationWindow::DimensionKeyPress(TagBox& box, qint16& inches, QChar key) {
    if (!dimension::isUnitKey(key))
        return false;
    const auto outcome = dimension::convert(
        box.text(), session_.UnitsUS, [this](const QString& prompt, const QString& defaultText) {
            return services_.prompts.input(prompt, latin(dimension::ConversionTitle), defaultText);
        });
    switch (outcome.kind) {
    case dimension::Outcome::Kind::Cancelled:
        break;
    case dimension::Outcome::Kind::Refused:
        services_.prompts.message(outcome.message, latin(dimension::ConversionTitle),
                                  Prompts::Icon::Exclamation);
        break;
    case dimension::Outcome::Kind::Converted:
        inches = outcome.inches;
        box.clear();
        box.setTag(QString::number(outcome.inches));
        box.setText(dimension::displayText(outcome.inches, session_.UnitsUS));
        box.selectAll();
        shellInputChanged();
        break;
    }
    return true;
}

void TankInformationWindow::DimensionLeft(TagBox& box) {
    // Typing without a unit key changes nothing that is stored; the box goes back to showing
    // what is, so that it never shows a dimension that will not be saved.
    const QString shown = box.tag().isEmpty()
                              ? QString()
                              : dimension::displayText(numericValue(box.tag()), session_.UnitsUS);
    if (box.text() != shown)
        box.setText(shown);
}

bool TankInformationWindow::Text_Capacity_KeyPress(QChar key) {
    const auto effect = unitentry::capacityKey(key);
    if (effect.marker)
        Text_Capacity->setTag(*effect.marker);
    return effect.swallow;
}

void TankInformationWindow::Text_Capacity_LostFocus() {
    Text_Capacity->setTag(unitentry::markerOnLeave(Text_Capacity->tag()));
}

bool TankInformationWindow::FrequencyKeyPress(TagBox& box, QChar key) {
    const auto effect = unitentry::frequencyKey(key);
    if (effect.marker)
        box.setTag(*effect.marker);
    return effect.swallow;
}

void TankInformationWindow::FrequencyLostFocus(TagBox& box) {
    box.setTag(unitentry::markerOnLeave(box.tag()));
    const QString text = unitentry::frequencyTextOnLeave(box.text(), box.tag());
    if (text != box.text())
        box.setText(text);
    ShowNextDates();
}

void TankInformationWindow::StrengthChange(TagBox& box) {
    box.setTag(unitentry::strengthTag(box.text(), session_.UnitsUS));
}

void TankInformationWindow::shellInputChanged() {
    if (session_.RecordMode && !showingTank_)
        courses_->recomputeMinimums();
}

// ---------------------------------------------------------------------------------------------
// Saving and leaving

bool TankInformationWindow::CheckTypedNumbers() {
    struct Typed {
        TagBox* box;
        bool stored;
        const char* message;
    };
    const bool capacityStored = unitentry::storedValue(u"0", Text_Capacity->tag()).has_value();
    const Typed boxes[] = {
        {Text_Capacity, capacityStored,
         "The capacity must be a number followed by B (barrels) or G (gallons)."},
        {Text_Yield, true, "The yield strength must be a number."},
        {Text_Tensile, true, "The tensile strength must be a number."},
        {Text_MFCriticalRead, true, "The critical reading must be a number."},
        {Text_MFCorrosion, true, "The corrosion allowance must be a number."},
        {Text_MFLevel, true, "The NEW design level must be a number."},
    };
    for (const Typed& t : boxes) {
        if (!t.stored || t.box->text().trimmed().isEmpty() || beginsWithNumber(t.box->text()))
            continue;
        services_.prompts.message(latin(t.message), WindowCaption, Prompts::Icon::Exclamation);
        bringForwardAndFocus(*t.box);
        return false;
    }
    return true;
}

Status TankInformationWindow::SaveTank() {
    Recordset& rs = Data_Tank->recordset();
    const auto setSigned = [&rs](TagBox* box, const char* field) -> Status {
        if (const auto value = unitentry::storedValue(box->text(), box->tag()))
            return rs.setValue(latin(field), *value);
        return {};
    };
    if (auto s = setSigned(Text_Capacity, "Capacity"); !s)
        return s;
    for (std::size_t k = 0; k < schedule::Kinds.size(); ++k)
        if (auto s = setSigned(schedule_[k].freq, schedule::Kinds[k].freqField); !s)
            return s;

    // A list left without a choice keeps what was stored.
    for (auto [list, field] :
         {std::pair{List_MfgType, "MfgType"}, std::pair{List_BottomType, "BottomType"},
          std::pair{List_RoofType, "RoofType"}, std::pair{List_MFCourse, "MFCourse"}}) {
        if (list->currentIndex() >= 0)
            if (auto s = rs.setValue(latin(field), list->currentIndex()); !s)
                return s;
    }

    for (auto [box, field] :
         {std::pair{Text_Yield, "Yield"}, std::pair{Text_Tensile, "Tensile"},
          std::pair{Text_Diameter, "Diameter"}, std::pair{Text_Height, "Height"},
          std::pair{Text_Level, "DesignLevel"}}) {
        // An empty box over a value never given leaves it so: a 0 would show the same, but the
        // history would record it as a change nobody made.
        if (rs.editMode() == Recordset::EditMode::Edit && box->tag().trimmed().isEmpty() &&
            rs.isNull(latin(field)))
            continue;
        if (auto s = rs.setValue(latin(field), numericValue(box->tag())); !s)
            return s;
    }
    if (auto s = SaveMaxFillNumbers(); !s)
        return s;
    return courses_->SaveCourseData(rs);
}

Status TankInformationWindow::SaveMaxFillNumbers() {
    Recordset& rs = Data_Tank->recordset();
    const QString mark = latin(maxfill::UnitsField);
    const QStringList tags{Text_MFCriticalRead->tag(), Text_MFCorrosion->tag(),
                           Text_MFLevel->tag()};
    // Numbers left as they were shown are left as they are stored: a record an older version
    // kept as typed stays so until one of its numbers is changed, and is then written whole in
    // the one unit.
    if (rs.editMode() == Recordset::EditMode::Edit && tags == shownMaxFillTags_)
        return {};
    // A file whose table could not be given the mark keeps the numbers as older versions did.
    const bool marked = rs.hasField(mark);
    const bool us = session_.UnitsUS;
    for (auto [box, field, level] : {std::tuple{Text_MFCriticalRead, "MFCReading", false},
                                     std::tuple{Text_MFCorrosion, "MFCAllowance", false},
                                     std::tuple{Text_MFLevel, "MFDesignLevel", true}}) {
        QVariant value;
        if (!box->tag().isEmpty()) {
            const double fixed = numericValue(box->tag());
            value = marked ? fixed
                           : (level ? maxfill::levelInUnits(fixed, us)
                                    : maxfill::thicknessInUnits(fixed, us));
        } else if (rs.isNull(latin(field))) {
            continue; // never given: not written as a change
        }
        if (auto s = rs.setValue(latin(field), value); !s)
            return s;
    }
    return marked ? rs.setValue(mark, true) : Status{};
}

void TankInformationWindow::Cmd_OK_Click() {
    // A date box that refused its text has said so and holds the focus until it is corrected.
    for (DateBox* box : dateBoxes_) {
        if (box->isRefused()) {
            bringForwardAndFocus(*box);
            return;
        }
    }
    if (session_.RecordMode) {
        if (!CheckTypedNumbers())
            return;
        Status saved = SaveTank();
        if (saved)
            saved = Data_Tank->update();
        if (!saved) {
            services_.prompts.message(saved.error(), WindowCaption, Prompts::Icon::Exclamation);
            return;
        }
    }
    session_.RecordMode = false;
    accept();
}

void TankInformationWindow::Cmd_Cancel_Click() {
    if (session_.RecordMode) {
        if (!confirmDiscard())
            return;
        Data_Tank->cancelUpdate();
    }
    session_.RecordMode = false;
    QDialog::reject();
}

// The window's close box and Escape ask as Cancel does.
void TankInformationWindow::reject() {
    Cmd_Cancel_Click();
}

void TankInformationWindow::Cmd_Print_Click() {
    session_.HelpTopic = 10;
    services_.reports.showReports(*this, session_, services_);
}

void TankInformationWindow::Cmd_Help_Click() {
    session_.HelpTopic = 2;
    services_.help.showHelp(*this, 2);
}

} // namespace korvane
