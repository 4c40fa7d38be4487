#pragma once

#include "data/DataSource.h"
#include "platform/Services.h"
#include "platform/Session.h"

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace korvane {

// A small dialog that adds or changes one row of a table of names and addresses: "Company
// Information" (Form9) and "Location Information" (Form10). Which it does is the caller's
// choice, given through Session::RecordMode (True: change the current row; False: add one).
//
// Callers construct it, run Form_Load, and show it only when Form_Load says so.
class AddressRecordWindow : public QDialog {
    Q_OBJECT

public:
    // What tells the two dialogs apart.
    struct Kind {
        const char* formName;      // "Form9"
        const char* table;         // "Company"
        const char* keyField;      // "CompanyID"
        const char* dataName;      // "Data_Company"
        const char* nameField;     // "Company"; its box is Text_ + the field
        const char* nameLabel;     // "Label1"
        const char* nameCaption;   // "Company Name"
        const char* faxLabel;      // "Label7"
        const char* addCaption;    // "Add Company Information"
        const char* changeCaption; // "Change Company Information"
        const char* baseCaption;   // "Company Information", for messages
    };

    AddressRecordWindow(const Kind& kind, Session& session, Services& services,
                        QWidget* parent = nullptr);

    // Opens the table and starts a new row, or finds the row to change (the key comes from
    // currentKey()). Returns false when the dialog must not be shown: the row to change is not
    // there ("Record not Found"), or the engine failed; the message has been shown.
    bool Form_Load();

public slots:
    void reject() override;

protected:
    // The key of the row to change.
    virtual qint32 currentKey() const = 0;
    // Sets what a new row needs besides the boxes.
    virtual Status prepareNewRow(Recordset& row);

private slots:
    void Cmd_OK_Click();
    void Cmd_Cancel_Click();
    void Cmd_Help_Click();

private:
    void buildLayout();
    void showError(const QString& message);

    const Kind& kind_;
    Session& session_;
    Services& services_;
    DataSource* data_ = nullptr;
    QPushButton* Cmd_OK = nullptr;
    QPushButton* Cmd_Cancel = nullptr;
    QPushButton* Cmd_Help = nullptr;

protected:
    Session& session() { return session_; }
    const Session& session() const { return session_; }
};

// "Company Information" (Form9): adds a company, or changes the one of CurCompanyID.
class CompanyInformationWindow final : public AddressRecordWindow {
    Q_OBJECT

public:
    CompanyInformationWindow(Session& session, Services& services, QWidget* parent = nullptr);

protected:
    qint32 currentKey() const override;
};

// "Location Information" (Form10): adds a location to the company of CurCompanyID, or changes
// the location of CurLocationID.
class LocationInformationWindow final : public AddressRecordWindow {
    Q_OBJECT

public:
    LocationInformationWindow(Session& session, Services& services, QWidget* parent = nullptr);

protected:
    qint32 currentKey() const override;
    Status prepareNewRow(Recordset& row) override;
};

} // namespace korvane
