#pragma once

#include "common/Result.h"
#include "platform/Services.h"
#include "platform/Session.h"
#include "tank/ShellCourses.h"

#include <QGroupBox>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace korvane {

class Recordset;
class TagBox;

// The shell courses of the open tank, on the Design Info tab of the Tank Information window:
// "Change Course Measurements" asks for the number of courses and their heights and works out
// each course's minimum thickness; the grid shows heights and minimums, and a label how many
// courses the tank has. Nothing reaches the database before the window's "OK" saves the tank.
class CourseDataPanel : public QGroupBox {
    Q_OBJECT

public:
    // What the calculation reads from the rest of the tab: the boxes, and the window's values
    // in stored units that the unit boxes keep (whole inches, psi).
    struct ShellInputs {
        TagBox* height = nullptr;
        TagBox* yield = nullptr;
        TagBox* tensile = nullptr;
        QComboBox* mfgType = nullptr;
        QLineEdit* specGravity = nullptr;
        QLineEdit* jointEff = nullptr;
        const qint16* diameterIn = nullptr;
        const qint16* heightIn = nullptr;
        const qint16* levelIn = nullptr;
        qint32* yieldPsi = nullptr;
        qint32* tensilePsi = nullptr;
    };

    CourseDataPanel(Session& session, Services& services, const ShellInputs& inputs,
                    QWidget* parent = nullptr);

    // The empty grid with its captions in the units of the session.
    void InitMinWallGrid();
    // Course data of the tank shown: the number of courses, heights and minimums.
    void LoadCourseData(const Recordset& rs);
    // Writes the number of courses and the heights and minimums of courses 1..N.
    Status SaveCourseData(Recordset& rs) const;
    // Forgets the course data: a new tank has "0" courses, a tank without a stored number "".
    void clear(const QString& count);

    const courses::CourseData& data() const { return data_; }

signals:
    // After "Change Course Measurements" has run, with the number of courses it left.
    void coursesChanged(int courses);

private slots:
    void Cmd_ChangeCourse_Click();

private:
    void AskCourseHeights();
    void CalcMinWall();
    // Offers to raise a strength below the least accepted; on OK the box shows the least.
    void offerRaise(TagBox& box, qint32& psi, const courses::StrengthOffer& offer);
    void ShowCourseHeights();
    void ShowMinWall();
    void showCourseData();
    void tell(const QString& message, const char* title);

    Session& session_;
    Services& services_;
    ShellInputs in_;
    courses::CourseData data_;

    QPushButton* Cmd_ChangeCourse = nullptr;
    QLabel* LabelCourses = nullptr;
    QTableWidget* Grid_MinWall = nullptr;
};

} // namespace korvane
