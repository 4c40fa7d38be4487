#pragma once

#include "common/Result.h"
#include "platform/Services.h"
#include "platform/Session.h"

#include <QDialog>

#include <array>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace korvane {

class DataSource;

// The "Preferences" window ("Form2"), modeless: the units of the open database, the names and
// kinds of its twenty custom tank fields, and the limits of the checks of thickness readings,
// kept in the one Preferences row. It shows itself
// only when that row has been read; otherwise it has said why and stays hidden.
class PreferencesWindow : public QDialog {
    Q_OBJECT

public:
    static constexpr int FieldCount = 20;
    // The kinds a custom field can be, by their stored code.
    static const QStringList& kindNames();

    PreferencesWindow(Session& session, Services& services, QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void Cmd_OK_Click();
    void Cmd_Cancel_Click();
    void Cmd_Help_Click();

private:
    void Form_Load();
    Status ShowPreferences();
    Status SavePreferences();
    // The limits of the reading checks, in the units of the open database.
    void showCheckLimits();
    Status saveCheckLimits();

    Session& session_;
    Services& services_;
    DataSource* Data_Preferences = nullptr;
    QGroupBox* Frame1 = nullptr;
    std::array<QRadioButton*, 2> Opt_Units{};
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    std::array<QLineEdit*, FieldCount + 1> Text1{};  // 1..20
    std::array<QComboBox*, FieldCount + 1> List_1{}; // 1..20
    QGroupBox* Frame_Checks = nullptr;
    QLineEdit* Text_GaugeTolerance = nullptr;
    QLineEdit* Text_PlausibleRate = nullptr;
    // The limits as the boxes showed them when the window opened: a box left as it was is not
    // written back, so a figure rounded for showing is never stored in place of the exact one.
    QString shownTolerance_, shownRate_;
    QPushButton* Cmd_OK = nullptr;
    QPushButton* Cmd_Cancel = nullptr;
    QPushButton* Cmd_Help = nullptr;
    bool closing_ = false;
};

} // namespace korvane
