#pragma once

#include "common/Result.h"
#include "engineering/ShellCourses.h"
#include "platform/Services.h"
#include "platform/Session.h"

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
//
// The minimums never lag behind the rule's other inputs: the window calls recomputeMinimums
// whenever one of them changes, and a tank opened with minimums its data does not give says so
// and offers to work them out again.
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

    // Works the minimums of the courses held out again, without a question, from the rule's
    // inputs as they stand (strengths as typed, however weak). When they cannot be worked out
    // (no courses, a value missing) the minimums the tank had before are shown again.
    void recomputeMinimums();
    // Says so, above the grid, when the minimums loaded are not those the tank's data gives.
    void checkStoredMinimums();
    bool minimumsStale() const;

    const courses::CourseData& data() const { return data_; }

signals:
    // After "Change Course Measurements" has run, with the number of courses it left.
    void coursesChanged(int courses);
    // The minimums shown were found not to agree with the tank's data, or agree again.
    void staleChanged(bool stale);

private slots:
    void Cmd_ChangeCourse_Click();
    void Cmd_Recompute_Click();

private:
    void AskCourseHeights();
    void CalcMinWall();
    // The rule's inputs as the boxes and the course data hold them; the strengths are left for
    // the caller, which decides what a strength that is no whole psi means.
    MinWallInput typedInput() const;
    // The minimums the rule gives with the inputs as they stand, bottom course first; empty
    // when it cannot give them. Asks nothing and changes nothing.
    std::vector<float> workedOutMinimums() const;
    // Takes minimums worked out as the tank's, and keeps them as those it falls back on.
    void takeMinimums(const std::vector<float>& walls);
    void setStale(const QString& message);
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
    // The minimums as loaded, or as last set on the user's request: shown again when a change
    // leaves the rule without the inputs it needs.
    std::array<float, MaxShellCourses> keptMinWall_{};

    QPushButton* Cmd_ChangeCourse = nullptr;
    QWidget* staleNotice_ = nullptr;
    QLabel* LabelStale = nullptr;
    QPushButton* Cmd_Recompute = nullptr;
    QLabel* LabelCourses = nullptr;
    QTableWidget* Grid_MinWall = nullptr;
};

} // namespace korvane
