#pragma once

#include "common/Result.h"
#include "platform/Services.h"
#include "platform/Session.h"
#include "tank/TankBoxes.h"

#include <QWidget>

#include <vector>

class QComboBox;
class QLineEdit;

namespace korvane {

class CourseDataPanel;
class DataSource;
class DateBox;
class Recordset;
class TagBox;
namespace maxfill {
struct Input;
}

// The "Design Info" tab of the Tank Information window: the shell's dimensions, capacity and
// strengths, its construction, the cathodic protection and vapour detection equipment, and the
// shell courses with their minimum thicknesses (CourseDataPanel).
//
// Dimensions are typed in feet or meters and converted by a unit key (F or M), capacity takes B
// or G, and strengths are typed in the units of the preferences; each box keeps the stored value
// beside what it shows. The course minimums are worked out again whenever an input of the rule
// changes while a tank is open.
class TankDesignPanel : public QWidget {
    Q_OBJECT

public:
    TankDesignPanel(Session& session, Services& services, DataSource& tank,
                    QWidget* parent = nullptr);

    CourseDataPanel& courses() const { return *courses_; }
    const std::vector<DateBox*>& dateBoxes() const { return boxes_.dates(); }
    // True while the window puts a tank into the boxes: what that changes is no user's change.
    bool& showingTank() { return showingTank_; }
    // The open tank's shell height in whole inches, as the height box set it.
    qint16 heightIn() const { return HeightIn; }

    void SetToolTipsByUnits();
    // Empties the boxes the tank's data source does not fill, and the course data.
    void clear();
    // A new tank: the first entry of each construction list, and no courses.
    void clearForNewTank();
    // Shows the tank in the recordset: dimensions, course data, construction, strengths and
    // capacity.
    void showTank(const Recordset& rs);
    // Whether the capacity and strengths typed are numbers; says which is not.
    bool checkTypedNumbers();
    Status saveTank(Recordset& rs) const;
    // What the maximum fill calculation takes from this tab; an error when a strength is no
    // whole psi.
    Status maxFillInput(maxfill::Input& in) const;

private:
    bool DimensionKeyPress(TagBox& box, qint16& inches, QChar key);
    void DimensionLeft(TagBox& box);
    bool Text_Capacity_KeyPress(QChar key);
    void Text_Capacity_LostFocus();
    void StrengthChange(TagBox& box);
    // An input of the minimum thickness rule was changed by the user: the course minimums are
    // worked out again at once.
    void shellInputChanged();
    void connectUnitBoxes();

    Session& session_;
    Services& services_;
    TankBoxes boxes_;

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

    // The open tank's values in the units they are stored in, as the unit boxes set them.
    qint16 DiameterIn = 0;
    qint16 HeightIn = 0;
    qint16 LevelIn = 0;
    qint32 YieldPsi = 0;
    qint32 TensilePsi = 0;

    bool showingTank_ = false;
};

} // namespace korvane
