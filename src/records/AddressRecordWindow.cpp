#include "records/AddressRecordWindow.h"

#include "platform/Keyboard.h"
#include "platform/WindowControls.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvane {

namespace {

const AddressRecordWindow::Kind CompanyKind{"Form9",
                                            "Company",
                                            "CompanyID",
                                            "Data_Company",
                                            "Company",
                                            "Label1",
                                            "Company Name",
                                            "Label7",
                                            "Add Company Information",
                                            "Change Company Information",
                                            "Company Information"};

const AddressRecordWindow::Kind LocationKind{"Form10",
                                             "Location",
                                             "LocationID",
                                             "Data_Location",
                                             "Location",
                                             "Label7",
                                             "Location Name",
                                             "Label8",
                                             "Add Location Information",
                                             "Change Location Information",
                                             "Location Information"};

QString latin(const char* text) {
    return QString::fromLatin1(text);
}

} // namespace

AddressRecordWindow::AddressRecordWindow(const Kind& kind, Session& session, Services& services,
                                         QWidget* parent)
    : QDialog(parent), kind_(kind), session_(session), services_(services) {
    setObjectName(latin(kind.formName));
    setWindowTitle(latin(kind.baseCaption));
    setModal(true);
    data_ = new DataSource(this);
    data_->setObjectName(latin(kind.dataName));
    buildLayout();
}

void AddressRecordWindow::buildLayout() {
    auto* grid = new QGridLayout;
    int row = 0;
    const auto addLabel = [&](const char* name, const QString& caption, int gridRow, int column) {
        auto* label = new QLabel(caption, this);
        label->setObjectName(latin(name));
        grid->addWidget(label, gridRow, column);
        return label;
    };
    const auto addBox = [&](const char* field, const QString& boxName) {
        auto* box = new QLineEdit(this);
        box->setObjectName(boxName);
        data_->bind(box, latin(field));
        return box;
    };

    // Name, contact and address take the whole width; city, state and zip share one line, as do
    // the telephone and fax numbers.
    auto* name = addBox(kind_.nameField, QStringLiteral("Text_") + latin(kind_.nameField));
    addLabel(kind_.nameLabel, latin(kind_.nameCaption), row, 0)->setBuddy(name);
    grid->addWidget(name, row++, 1, 1, 4);

    auto* contact = addBox("Contact", QStringLiteral("Text_Contact"));
    addLabel("Label2", QStringLiteral("Contact Name"), row, 0)->setBuddy(contact);
    grid->addWidget(contact, row++, 1, 1, 4);

    auto* address = addBox("Address", QStringLiteral("Text_Address"));
    addLabel("Label3", QStringLiteral("Address"), row, 0)->setBuddy(address);
    grid->addWidget(address, row++, 1, 1, 4);

    auto* city = addBox("City", QStringLiteral("Text_City"));
    auto* state = addBox("State", QStringLiteral("Text_State"));
    auto* zip = addBox("Zip", QStringLiteral("Text_Zip"));
    addLabel("Label4", QStringLiteral("City, State and Zip"), row, 0)->setBuddy(city);
    state->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("MMMMMM")));
    zip->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("000000-00000")));
    auto* cityLine = new QHBoxLayout;
    cityLine->addWidget(city, 3);
    cityLine->addWidget(state, 1);
    cityLine->addWidget(zip, 1);
    grid->addLayout(cityLine, row++, 1, 1, 4);

    auto* phone = addBox("Phone", QStringLiteral("Text_Phone"));
    auto* fax = addBox("Fax", QStringLiteral("Text_Fax"));
    addLabel("Label5", QStringLiteral("Telephone"), row, 0)->setBuddy(phone);
    grid->addWidget(phone, row, 1);
    addLabel(kind_.faxLabel, QStringLiteral("Fax"), row, 2)->setBuddy(fax);
    grid->addWidget(fax, row++, 3, 1, 2);

    auto* comments = new QPlainTextEdit(this);
    comments->setObjectName(QStringLiteral("Text_Comment"));
    comments->setTabChangesFocus(true);
    comments->setMinimumHeight(fontMetrics().lineSpacing() * 5);
    data_->bind(comments, QStringLiteral("Comments"), "plainText");
    auto* commentsLabel = addLabel("Label6", QStringLiteral("Comments"), row, 0);
    commentsLabel->setBuddy(comments);
    commentsLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    grid->addWidget(comments, row++, 1, 1, 4);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(3, 1);

    Cmd_OK = commandButton(this, "Cmd_OK", QStringLiteral("OK"));
    Cmd_Cancel = commandButton(this, "Cmd_Cancel", QStringLiteral("Cancel"));
    Cmd_Help = commandButton(this, "Cmd_Help", QStringLiteral("Help"));
    // Enter in a box stores the record, as in any small dialog.
    Cmd_OK->setDefault(true);
    connect(Cmd_OK, &QPushButton::clicked, this, &AddressRecordWindow::Cmd_OK_Click);
    connect(Cmd_Cancel, &QPushButton::clicked, this, &AddressRecordWindow::Cmd_Cancel_Click);
    connect(Cmd_Help, &QPushButton::clicked, this, &AddressRecordWindow::Cmd_Help_Click);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Cmd_OK);
    buttons->addWidget(Cmd_Cancel);
    buttons->addWidget(Cmd_Help);

    auto* outer = new QVBoxLayout(this);
    outer->addLayout(grid);
    outer->addSpacing(6);
    outer->addLayout(buttons);
    resize(sizeHint().expandedTo(QSize(520, 0)));
    orderFocusByLayout(*this);
}

Status AddressRecordWindow::prepareNewRow(Recordset&) {
    return {};
}

void AddressRecordWindow::showError(const QString& message) {
    services_.prompts.message(message, latin(kind_.baseCaption), Prompts::Icon::Exclamation);
}

bool AddressRecordWindow::Form_Load() {
    data_->setDatabaseName(session_.DatabaseName);
    data_->setRecordSource(latin(kind_.table));
    if (auto opened = data_->refresh(); !opened) {
        showError(opened.error());
        return false;
    }
    Recordset& rs = data_->recordset();
    if (session_.RecordMode) {
        session_.SQLString =
            latin(kind_.keyField) + QStringLiteral(" =") + QString::number(currentKey());
        rs.findFirst(latin(kind_.keyField), currentKey());
        if (rs.noMatch()) {
            services_.prompts.message(QStringLiteral("Record not Found"),
                                      QStringLiteral("FindFirst ") + session_.SQLString,
                                      Prompts::Icon::Information);
            return false;
        }
        if (auto editing = rs.edit(); !editing) {
            showError(editing.error());
            return false;
        }
        setWindowTitle(latin(kind_.changeCaption));
    } else {
        Status started = rs.addNew();
        if (started)
            started = prepareNewRow(rs);
        if (!started) {
            rs.cancelUpdate();
            showError(started.error());
            return false;
        }
        setWindowTitle(latin(kind_.addCaption));
    }
    data_->showCurrentRow();
    session_.RecordMode = false;
    return true;
}

void AddressRecordWindow::Cmd_OK_Click() {
    if (auto saved = data_->update(); !saved) {
        showError(saved.error());
        return;
    }
    session_.RecordMode = false;
    accept();
}

void AddressRecordWindow::Cmd_Cancel_Click() {
    data_->cancelUpdate();
    session_.RecordMode = false;
    QDialog::reject();
}

// The window's close box and Escape discard the pending row, as Cancel does.
void AddressRecordWindow::reject() {
    Cmd_Cancel_Click();
}

void AddressRecordWindow::Cmd_Help_Click() {
    services_.prompts.message(QStringLiteral("This Feature is Not Yet Implemented"),
                              QStringLiteral("Help"), Prompts::Icon::Information);
}

CompanyInformationWindow::CompanyInformationWindow(Session& session, Services& services,
                                                   QWidget* parent)
    : AddressRecordWindow(CompanyKind, session, services, parent) {}

qint32 CompanyInformationWindow::currentKey() const {
    return session().CurCompanyID;
}

LocationInformationWindow::LocationInformationWindow(Session& session, Services& services,
                                                     QWidget* parent)
    : AddressRecordWindow(LocationKind, session, services, parent) {}

qint32 LocationInformationWindow::currentKey() const {
    return session().CurLocationID;
}

Status LocationInformationWindow::prepareNewRow(Recordset& row) {
    return row.setValue(QStringLiteral("CompanyID"), session().CurCompanyID);
}

} // namespace korvane
