#pragma once

#include "data/DataSource.h"
#include "platform/Services.h"
#include "platform/Session.h"
#include "storage/RecordDeletion.h"

#include <QDialog>
#include <QStringList>

#include <vector>

class QComboBox;
class QLineEdit;
class QModelIndex;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTableView;

namespace korvane {

class AddressRecordWindow;
class CourseDataPanel;
class CustomFieldsPanel;
class DateBox;
class SelectionChain;
class TagBox;
class TankGridModel;

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
    TankInformationWindow(Session& session, Services& services, QWidget* parent = nullptr);
    ~TankInformationWindow() override;

public slots:
    void reject() override;

protected:
    // Enter on a list or the grid chooses the highlighted entry, as a double click does.
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void companyChosen();
    void locationChosen();
    void Grid_Tanks_Click(const QModelIndex& index);
    void Grid_Tanks_DblClick(const QModelIndex& index);
    void Cmd_AddCompany_Click();
    void Cmd_EditCompany_Click();
    void Cmd_AddLocation_Click();
    void Cmd_EditLocation_Click();
    void Cmd_DeleteCompany_Click();
    void Cmd_DeleteLocation_Click();
    void Cmd_DeleteTank_Click();
    void Cmd_OK_Click();
    void Cmd_Cancel_Click();
    void Cmd_Print_Click();
    void Cmd_Help_Click();
    void Cmd_CalcFill_Click();
    void Cmd_Assess_Click();
    void Cmd_History_Click();

private:
    // Building the window.
    void buildLayout();
    QWidget* buildSelectTab();
    QWidget* buildGeneralTab();
    QWidget* buildDesignTab();
    QWidget* buildCustomTab();
    QWidget* buildMaxFillTab();
    QLineEdit* boundBox(const char* name, const char* field, const QString& toolTip = {});
    DateBox* dateBox(const char* name, const char* field, const QString& toolTip);
    TagBox* tagBox(const char* name);
    void connectUnitBoxes();

    void Form_Load();
    void SetToolTipsByUnits();

    // Tank Select.
    void FillTankGrid();
    void InitTankGrid();
    void ResetTankView();
    void setTankTabsEnabled(bool enabled);
    // Lets a new choice of company or location go ahead while a tank is open, after asking
    // whether its changes may be discarded. False when the user keeps the tank.
    bool mayCloseOpenTank();
    // Asks whether the changes of the open tank may be discarded; a tank left as it was opened
    // has none, and nothing is asked.
    bool confirmDiscard();
    // What the tank's tabs hold, to tell whether anything was changed since the tank opened.
    QStringList tankState() const;
    // Shows the company or location dialog, to change the current row or to add one.
    void showRecordDialog(AddressRecordWindow& dialog, bool change);
    // Deletes a company, location or tank that holds nothing, after a question naming it;
    // refuses one that holds rows, or is open elsewhere, saying why. True when it was deleted.
    // `holdsOpenTank`: a tank open in this window belongs to it, and is given up first.
    bool deleteRecord(RecordDeletion::Level level, qint32 key, const QString& title,
                      bool holdsOpenTank);
    // Enables the buttons that act on the highlighted company, location or tank.
    void enableSelectButtons();

    // Opening, showing and saving a tank.
    bool openExistingTank(qint32 tankId);
    bool openNewTank();
    void showAccessError(const QString& message);
    void ClearUnboundBoxes();
    void ClearNewTank();
    void ShowTank();
    bool CheckTypedNumbers();
    Status SaveTank();
    void ShowNextDates();
    // Fills List_MFCourse for a number of courses, keeping the position chosen when it remains.
    void FillMFCourseList(int courses);
    // The numbers of the maximum fill record, converted from the units they are stored in; and
    // written back, in one unit, when they changed or are so stored already.
    void ShowMaxFillNumbers();
    Status SaveMaxFillNumbers();
    // What a typed maximum fill number is in the unit it is stored in.
    void MaxFillNumberChange(TagBox& box, bool level);

    // Unit entry.
    bool DimensionKeyPress(TagBox& box, qint16& inches, QChar key);
    void DimensionLeft(TagBox& box);
    bool Text_Capacity_KeyPress(QChar key);
    void Text_Capacity_LostFocus();
    bool FrequencyKeyPress(TagBox& box, QChar key);
    void FrequencyLostFocus(TagBox& box);
    void StrengthChange(TagBox& box);
    // An input of the minimum thickness rule was changed by the user: the course minimums are
    // worked out again at once.
    void shellInputChanged();

    Session& session_;
    Services& services_;

    DataSource* Data_Tank = nullptr;
    DataSource* Data_Preferences = nullptr;

    QTabWidget* Tabs = nullptr;
    QPushButton* Cmd_Print = nullptr;
    QPushButton* Cmd_Help = nullptr;
    QPushButton* Cmd_Cancel = nullptr;
    QPushButton* Cmd_OK = nullptr;
    QPushButton* Cmd_History = nullptr;

    // Tank Select.
    SelectionChain* chain_ = nullptr;
    QTableView* Grid_Tanks = nullptr;
    TankGridModel* tankGrid_ = nullptr;
    QPushButton* Cmd_AddCompany = nullptr;
    QPushButton* Cmd_EditCompany = nullptr;
    QPushButton* Cmd_AddLocation = nullptr;
    QPushButton* Cmd_EditLocation = nullptr;
    QPushButton* Cmd_DeleteCompany = nullptr;
    QPushButton* Cmd_DeleteLocation = nullptr;
    QPushButton* Cmd_DeleteTank = nullptr;

    // General Info.
    QLineEdit* Text_TankID = nullptr;
    struct ScheduleRow {
        TagBox* freq = nullptr;
        DateBox* last = nullptr;
        QLineEdit* next = nullptr;
    };
    std::vector<ScheduleRow> schedule_; // in the order of schedule::Kinds
    std::vector<DateBox*> dateBoxes_;

    // Design Info.
    TagBox* Text_Diameter = nullptr;
    TagBox* Text_Height = nullptr;
    TagBox* Text_Level = nullptr;
    TagBox* Text_Capacity = nullptr;
    TagBox* Text_Yield = nullptr;
    TagBox* Text_Tensile = nullptr;
    QComboBox* List_MfgType = nullptr;
    QComboBox* List_BottomType = nullptr;
    QComboBox* List_RoofType = nullptr;
    QLineEdit* Text_JointEff = nullptr;
    QLineEdit* Text_SGravity = nullptr;
    CourseDataPanel* courses_ = nullptr;

    // Custom Info.
    QPlainTextEdit* Text_Comments = nullptr;
    CustomFieldsPanel* customFields_ = nullptr;

    // Max. Fill.
    QComboBox* List_MFCourse = nullptr;
    QLineEdit* Text_MFSGravity = nullptr;
    TagBox* Text_MFCriticalRead = nullptr;
    TagBox* Text_MFCorrosion = nullptr;
    TagBox* Text_MFLevel = nullptr;
    // The hidden values of the three boxes as the tank was shown.
    QStringList shownMaxFillTags_;
    QPushButton* Cmd_CalcFill = nullptr;

    // The open tank's values in the units they are stored in, as the unit boxes set them.
    qint16 DiameterIn = 0;
    qint16 HeightIn = 0;
    qint16 LevelIn = 0;
    qint32 YieldPsi = 0;
    qint32 TensilePsi = 0;

    // What the tank's tabs held when it was opened.
    QStringList openedState_;
    // True while a tank is being put into the boxes: what that changes is no user's change.
    bool showingTank_ = false;
};

} // namespace korvane
