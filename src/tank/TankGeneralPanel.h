#pragma once

#include "common/Result.h"
#include "platform/Services.h"
#include "tank/TankBoxes.h"

#include <QWidget>

#include <vector>

class QLineEdit;

namespace korvane {

class DataSource;
class DateBox;
class Recordset;
class TagBox;

// The "General Info" tab of the Tank Information window: what identifies the tank (bound to its
// fields) and its inspection schedule, one line per kind of inspection with its frequency, the
// date of the last inspection and the next one worked out from them.
//
// A frequency is typed as a number followed by Y (years) or M (months); the box keeps the unit
// as its hidden value and is saved by the window's OK, like the other boxes of the tank.
class TankGeneralPanel : public QWidget {
    Q_OBJECT

public:
    TankGeneralPanel(Services& services, DataSource& tank, QWidget* parent = nullptr);

    QLineEdit* tankIdBox() const { return Text_TankID; }
    const std::vector<DateBox*>& dateBoxes() const { return boxes_.dates(); }

    void SetToolTipsByUnits();
    // Empties the frequencies and next dates, which the tank's data source does not fill.
    void clear();
    // Shows the frequencies of the tank in the recordset.
    void showTank(const Recordset& rs);
    // Writes the frequencies typed; one never given and left empty is not written.
    Status saveTank(Recordset& rs) const;
    // Works out each next inspection from its frequency and last inspection.
    void ShowNextDates();

signals:
    void assessClicked();

private:
    struct ScheduleRow {
        TagBox* freq = nullptr;
        DateBox* last = nullptr;
        QLineEdit* next = nullptr;
    };

    bool FrequencyKeyPress(TagBox& box, QChar key);
    void FrequencyLostFocus(TagBox& box);

    TankBoxes boxes_;
    QLineEdit* Text_TankID = nullptr;
    std::vector<ScheduleRow> schedule_; // in the order of schedule::Kinds
};

} // namespace korvane
