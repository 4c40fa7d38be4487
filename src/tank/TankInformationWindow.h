#pragma once

#include "data/DataSource.h"
#include "platform/Services.h"
#include "platform/Session.h"

#include <QDialog>
#include <QStringList>

class QPushButton;
class QTabWidget;

namespace korvane {

class MaxFillPanel;
class TankCustomPanel;
class TankDesignPanel;
class TankGeneralPanel;
class TankSelectPanel;

// The "Tank Information" window (Form3), where tanks are chosen, created and edited.
//
// On "Tank Select" the user double-clicks a company, then one of its locations, then a tank of
// that location or "New Tank for this Location"; the tank then opens on the other tabs, and
// "OK" writes it in one transaction and closes the window, "Cancel" discards it. Tanks with an
// inspection due this calendar year or earlier are marked red in the grid. Session::RecordMode
// is True while a tank is open.
class TankInformationWindow : public QDialog {
    Q_OBJECT

public:
    enum Tab { TabSelect = 0, TabGeneral, TabDesign, TabCustom, TabMaxFill };

    TankInformationWindow(Session& session, Services& services, QWidget* parent = nullptr);
    ~TankInformationWindow() override;

    // Opens a tank as if the user had chosen its company, location and row on "Tank Select"
    // (for a tank picked in another window); false, with the selection left where it stopped,
    // when one of them is not listed any more.
    bool openTank(qint32 companyId, qint32 locationId, qint32 tankId);

public slots:
    void reject() override;

private slots:
    void selectionCleared();
    void tankHighlighted(bool isTank);
    void tankChosen(qint32 tankId);
    void Cmd_OK_Click();
    void Cmd_Cancel_Click();
    void Cmd_Print_Click();
    void Cmd_Help_Click();
    void Cmd_Assess_Click();
    void Cmd_History_Click();

private:
    void buildLayout();
    void Form_Load();
    void SetToolTipsByUnits();

    void setTankTabsEnabled(bool enabled);
    // Lets a new choice of company or location go ahead while a tank is open, after asking
    // whether its changes may be discarded. False when the user keeps the tank.
    bool mayCloseOpenTank();
    // Asks whether the changes of the open tank may be discarded; a tank left as it was opened
    // has none, and nothing is asked.
    bool confirmDiscard();
    // What the tank's tabs hold, to tell whether anything was changed since the tank opened.
    QStringList tankState() const;

    // Opening, showing and saving a tank.
    bool openExistingTank(qint32 tankId);
    bool openNewTank();
    void showAccessError(const QString& message);
    void ClearUnboundBoxes();
    void ClearNewTank();
    void ShowTank();
    Status SaveTank();

    Session& session_;
    Services& services_;

    DataSource* Data_Tank = nullptr;
    DataSource* Data_Preferences = nullptr;

    QTabWidget* Tabs = nullptr;
    TankSelectPanel* select_ = nullptr;
    TankGeneralPanel* general_ = nullptr;
    TankDesignPanel* design_ = nullptr;
    TankCustomPanel* custom_ = nullptr;
    MaxFillPanel* maxFill_ = nullptr;
    QPushButton* Cmd_Print = nullptr;
    QPushButton* Cmd_Help = nullptr;
    QPushButton* Cmd_Cancel = nullptr;
    QPushButton* Cmd_OK = nullptr;
    QPushButton* Cmd_History = nullptr;

    // What the tank's tabs held when it was opened.
    QStringList openedState_;
};

} // namespace korvane
