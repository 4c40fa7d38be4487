#pragma once

#include "common/Result.h"
#include "platform/Services.h"
#include "platform/Session.h"
#include "tank/TankBoxes.h"

#include <QStringList>
#include <QWidget>

#include <vector>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace korvane {

class DataSource;
class DateBox;
class Recordset;
class TagBox;
class TankDesignPanel;

// The "Max. Fill" tab of the Tank Information window: the product, its specific gravity, the
// course with the critical reading, that reading and the corrosion allowance, and the NEW design
// level, which "Calculate" works out from them and the design data of the tank.
//
// The three numbers are shown in the units of the preferences and kept in one unit beside what
// they show; a record kept by an older version without its unit is read as its shell height
// tells, and written in the one unit only once one of its numbers is changed.
class MaxFillPanel : public QWidget {
    Q_OBJECT

public:
    MaxFillPanel(Session& session, Services& services, DataSource& tank,
                 const TankDesignPanel& design, QWidget* parent = nullptr);

    const std::vector<DateBox*>& dateBoxes() const { return boxes_.dates(); }

    // Empties the course list, as a new choice of company or location does.
    void clearCourseList();
    // Empties the boxes the tank's data source does not fill.
    void clear();
    // Shows the course chosen and the numbers of the tank in the recordset.
    void showTank(const Recordset& rs);
    // Whether the numbers typed are numbers; says which is not.
    bool checkTypedNumbers();
    Status saveTank(Recordset& rs) const;

public slots:
    // Fills List_MFCourse for a number of courses, keeping the position chosen when it remains.
    void FillMFCourseList(int courses);

private slots:
    void Cmd_CalcFill_Click();

private:
    // The numbers of the maximum fill record, converted from the units they are stored in; and
    // written back, in one unit, when they changed or are so stored already.
    void ShowMaxFillNumbers(const Recordset& rs);
    Status SaveMaxFillNumbers(Recordset& rs) const;
    // What a typed maximum fill number is in the unit it is stored in.
    void MaxFillNumberChange(TagBox& box, bool level);

    Session& session_;
    Services& services_;
    const TankDesignPanel& design_;
    TankBoxes boxes_;

    QComboBox* List_MFCourse = nullptr;
    QLineEdit* Text_MFSGravity = nullptr;
    TagBox* Text_MFCriticalRead = nullptr;
    TagBox* Text_MFCorrosion = nullptr;
    TagBox* Text_MFLevel = nullptr;
    QPushButton* Cmd_CalcFill = nullptr;
    // The hidden values of the three boxes as the tank was shown.
    QStringList shownMaxFillTags_;
};

} // namespace korvane
