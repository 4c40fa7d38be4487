#include "inspection/InspectionReportPanel.h"

#include "data/DataSource.h"
#include "data/Select.h"
#include "engineering/InspectionTypes.h"
#include "platform/DateBox.h"
#include "platform/FormState.h"
#include "platform/WindowControls.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvane {

namespace {

const QString ValidationTitle = QStringLiteral("Inspection Data Validation");

} // namespace

InspectionReportPanel::InspectionReportPanel(Session& session, Services& services, QWidget* parent)
    : QWidget(parent), session_(session), services_(services) {
    Data_Inspection = new DataSource(this);
    Data_Inspection->setObjectName(QStringLiteral("Data_Inspection"));
    Data_Inspection->setLockEdits(true);

    Text_IDate = new DateBox(services_, this);
    Text_IDate->setObjectName(QStringLiteral("Text_IDate"));
    Text_IDate->setToolTip(QStringLiteral("Date format dd/mmm/yyyy"));
    Text_IDate->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("00/MMM/00000")) +
                                16);
    Data_Inspection->bind(Text_IDate, QStringLiteral("InspectionDate"));
    Text_INum = boundBox("Text_INum", "InspectionNum", QStringLiteral("Inspection identifier"));
    Text_IBy = boundBox("Text_IBy", "InspectedBy", QStringLiteral("Who performed the inspection"));
    Text_IReason = boundBox("Text_IReason", "InspectionReason", QStringLiteral("Why inspected"));
    Text_IResults = new QPlainTextEdit(this);
    Text_IResults->setObjectName(QStringLiteral("Text_IResults"));
    Text_IResults->setToolTip(QStringLiteral("Inspection results"));
    Text_IResults->setTabChangesFocus(true);
    Data_Inspection->bind(Text_IResults, QStringLiteral("Results"), "plainText");

    List_InspType = new QComboBox(this);
    List_InspType->setObjectName(QStringLiteral("List_InspType"));
    List_InspType->setToolTip(QStringLiteral("Type of Inspection being recorded"));
    List_InspType->addItems(inspectiontype::listItems());
    List_InspType->setPlaceholderText(QStringLiteral("(choose a type)"));
    List_InspType->setCurrentIndex(-1);
    List_InspType->installEventFilter(this);

    Cmd_AddThickness = commandButton(this, "Cmd_AddThickness", QStringLiteral("Add Thickness"),
                                     QStringLiteral("Add Thickness Readings"));
    Cmd_AddBottom = commandButton(this, "Cmd_AddBottom", QStringLiteral("Add Bottom Survey"),
                                  QStringLiteral("Add Bottom Settlement Survey"));
    Cmd_AddShell = commandButton(this, "Cmd_AddShell", QStringLiteral("Add Shell Survey"),
                                 QStringLiteral("Add Shell Settlement Survey"));
    Cmd_AddThickness->setEnabled(false);
    Cmd_AddBottom->setEnabled(false);
    Cmd_AddShell->setEnabled(false);
    connect(Cmd_AddThickness, &QPushButton::clicked, this,
            &InspectionReportPanel::addThicknessClicked);
    connect(Cmd_AddShell, &QPushButton::clicked, this, &InspectionReportPanel::addShellClicked);

    auto* record = new QGroupBox(QStringLiteral("Inspection"), this);
    auto* form = new QFormLayout(record);
    form->addRow(QStringLiteral("Inspection Date"), Text_IDate);
    form->addRow(QStringLiteral("Inspection No."), Text_INum);
    form->addRow(QStringLiteral("Inspection Type"), List_InspType);
    form->addRow(QStringLiteral("Inspected By"), Text_IBy);
    form->addRow(QStringLiteral("Reason"), Text_IReason);
    auto* results = new QGroupBox(QStringLiteral("Results"), this);
    auto* resultsLayout = new QVBoxLayout(results);
    resultsLayout->addWidget(Text_IResults);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Cmd_AddThickness);
    buttons->addWidget(Cmd_AddBottom);
    buttons->addWidget(Cmd_AddShell);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(record);
    layout->addWidget(results, 1);
    layout->addLayout(buttons);
}

InspectionReportPanel::~InspectionReportPanel() = default;

QLineEdit* InspectionReportPanel::boundBox(const char* name, const char* field,
                                           const QString& toolTip) {
    auto* box = new QLineEdit(this);
    box->setObjectName(QString::fromLatin1(name));
    box->setToolTip(toolTip);
    Data_Inspection->bind(box, QString::fromLatin1(field));
    return box;
}

void InspectionReportPanel::setDatabaseName(const QString& path) {
    Data_Inspection->setDatabaseName(path);
}

void InspectionReportPanel::setLocked(bool locked) {
    // What an existing inspection holds is locked; a box it left empty (a number that "Needs
    // Entry") may still be filled in, or the inspection could never pass the check on OK.
    for (QLineEdit* box : {static_cast<QLineEdit*>(Text_IDate), Text_INum, Text_IBy, Text_IReason})
        box->setReadOnly(locked && !box->text().isEmpty());
    List_InspType->setEnabled(!locked);
}

Status InspectionReportPanel::openNew() {
    // An empty recordset over the Inspection table (counter keys start at 1) to add the row to.
    Data_Inspection->setRecordSource(
        Select::from(QStringLiteral("Inspection")).where(QStringLiteral("InspectionID"), 0));
    Status opened = Data_Inspection->refresh();
    Recordset& rs = Data_Inspection->recordset();
    if (opened)
        opened = rs.addNew();
    if (opened)
        opened = rs.setValue(QStringLiteral("TankID"), session_.CurTankID);
    if (!opened) {
        clear();
        return opened;
    }
    session_.CurInspectionID = rs.value(QStringLiteral("InspectionID")).toInt();
    Data_Inspection->showCurrentRow();
    setLocked(false);
    List_InspType->setCurrentIndex(-1);
    opened_ = shownValues();
    return {};
}

Status InspectionReportPanel::openExisting() {
    const Select query = Select::from(QStringLiteral("Inspection"))
                             .where(QStringLiteral("InspectionID"), session_.CurInspectionID);
    session_.SQLString = query.text();
    Data_Inspection->setRecordSource(query);
    Status opened = Data_Inspection->refresh();
    Recordset& rs = Data_Inspection->recordset();
    if (opened && rs.eof())
        opened = Error{QStringLiteral("The inspection is no longer in the database; another user "
                                      "may have deleted it.")};
    if (opened)
        opened = rs.edit(); // claims the row, or says who holds it
    if (!opened) {
        clear();
        return opened;
    }
    Data_Inspection->showCurrentRow();
    List_InspType->setCurrentIndex(
        inspectiontype::listPosition(rs.value(QStringLiteral("InspectionType"))));
    setLocked(true);
    opened_ = shownValues();
    return {};
}

void InspectionReportPanel::focusFirstBox() {
    Text_IDate->setFocus();
}

void InspectionReportPanel::clear() {
    Data_Inspection->recordset().close();
    Data_Inspection->showCurrentRow();
    List_InspType->setCurrentIndex(-1);
    setLocked(false);
    opened_.clear();
}

QString InspectionReportPanel::inspectionNumber() const {
    return Text_INum->text().trimmed();
}

QString InspectionReportPanel::inspectedBy() const {
    return Text_IBy->text();
}

QString InspectionReportPanel::inspectionDate() const {
    return Text_IDate->text();
}

int InspectionReportPanel::inspectionType() const {
    const int position = List_InspType->currentIndex();
    if (position < 0)
        return List_InspType->isEnabled() ? inspectiontype::storedCode(0) : 0;
    return inspectiontype::storedCode(position);
}

QStringList InspectionReportPanel::shownValues() const {
    return formState({this});
}

bool InspectionReportPanel::isChanged() const {
    return !opened_.isEmpty() && shownValues() != opened_;
}

bool InspectionReportPanel::isNew() const {
    return Data_Inspection->recordset().editMode() == Recordset::EditMode::AddNew;
}

bool InspectionReportPanel::checkInspection() {
    if (Text_IDate->isRefused()) {
        bringForwardAndFocus(*Text_IDate);
        return false;
    }
    if (Text_INum->text().isEmpty()) {
        bringForwardAndFocus(*Text_INum);
        services_.prompts.message(QStringLiteral("Data Missing.  All fields must be filled in."),
                                  ValidationTitle, Prompts::Icon::Exclamation);
        return false;
    }
    return true;
}

Status InspectionReportPanel::writeInspection() {
    if (List_InspType->isEnabled()) {
        if (List_InspType->currentIndex() < 0)
            List_InspType->setCurrentIndex(0);
        const int code = inspectiontype::storedCode(List_InspType->currentIndex());
        if (auto typed =
                Data_Inspection->recordset().setValue(QStringLiteral("InspectionType"), code);
            !typed)
            return typed;
    }
    return Data_Inspection->update();
}

Status InspectionReportPanel::storeAsItStands() {
    // One statement, written at once; the row then stays claimed for the changes that follow.
    Status stored = writeInspection();
    if (stored)
        stored = Data_Inspection->recordset().edit();
    return stored;
}

void InspectionReportPanel::markStored() {
    opened_ = shownValues();
}

Database InspectionReportPanel::database() const {
    return Data_Inspection->recordset().database();
}

void InspectionReportPanel::discard() {
    Data_Inspection->cancelUpdate();
}

void InspectionReportPanel::List_InspType_LostFocus() {
    if (List_InspType->currentIndex() >= 0 || !List_InspType->isEnabled())
        return;
    services_.prompts.message(QStringLiteral("Please select an Inspection Type"), ValidationTitle,
                              Prompts::Icon::Exclamation);
}

bool InspectionReportPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == List_InspType && event->type() == QEvent::FocusOut &&
        movesWithinWindow(*static_cast<QFocusEvent*>(event))) {
        if (!movesToCancel())
            List_InspType_LostFocus();
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace korvane
