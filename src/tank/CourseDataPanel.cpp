#include "tank/CourseDataPanel.h"

#include "common/Rounding.h"
#include "common/TextValue.h"
#include "data/Recordset.h"
#include "platform/TagBox.h"
#include "platform/WindowControls.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace korvane {

namespace {

using Icon = Prompts::Icon;

QString latin(const char* text) {
    return QString::fromLatin1(text);
}

enum GridRow { HeightRow = 0, MinWallRow = 1 };
// Grid column of course k (1..10); column 0 is the floor, 11 the roof.
int courseColumn(int course) {
    return course;
}

} // namespace

CourseDataPanel::CourseDataPanel(Session& session, Services& services, const ShellInputs& inputs,
                                 QWidget* parent)
    : QGroupBox(QStringLiteral("Shell Courses"), parent), session_(session), services_(services),
      in_(inputs) {
    setObjectName(QStringLiteral("Frame_Courses"));
    Cmd_ChangeCourse =
        commandButton(this, "Cmd_ChangeCourse", QStringLiteral("Change Course Measurements"),
                      QStringLiteral("Number and heights of the courses, and their minimum "
                                     "thicknesses worked out again"));
    connect(Cmd_ChangeCourse, &QPushButton::clicked, this,
            &CourseDataPanel::Cmd_ChangeCourse_Click);
    LabelCourses = new QLabel(this);
    LabelCourses->setObjectName(QStringLiteral("LabelCourses"));

    // Shown only while the minimums of an opened tank disagree with its data.
    staleNotice_ = new QWidget(this);
    staleNotice_->setObjectName(QStringLiteral("Frame_Stale"));
    LabelStale = new QLabel(staleNotice_);
    LabelStale->setObjectName(QStringLiteral("LabelStale"));
    LabelStale->setWordWrap(true);
    LabelStale->setStyleSheet(QStringLiteral("color: #b00000"));
    Cmd_Recompute = commandButton(staleNotice_, "Cmd_Recompute", QStringLiteral("&Recompute"),
                                  QStringLiteral("Work the minimum thicknesses out again from "
                                                 "the design data; OK then stores them"));
    connect(Cmd_Recompute, &QPushButton::clicked, this, &CourseDataPanel::Cmd_Recompute_Click);
    auto* notice = new QHBoxLayout(staleNotice_);
    notice->setContentsMargins(0, 0, 0, 0);
    notice->addWidget(LabelStale, 1);
    notice->addWidget(Cmd_Recompute);
    staleNotice_->hide();

    const QStringList columns = courses::gridColumnCaptions();
    Grid_MinWall = new QTableWidget(2, static_cast<int>(columns.size()), this);
    Grid_MinWall->setObjectName(QStringLiteral("Grid_MinWall"));
    Grid_MinWall->setHorizontalHeaderLabels(columns);
    Grid_MinWall->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid_MinWall->setSelectionMode(QAbstractItemView::NoSelection);
    Grid_MinWall->setFocusPolicy(Qt::NoFocus);
    Grid_MinWall->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Grid_MinWall->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Grid_MinWall->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    Grid_MinWall->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    for (int r = 0; r < Grid_MinWall->rowCount(); ++r)
        for (int c = 0; c < Grid_MinWall->columnCount(); ++c) {
            auto* cell = new QTableWidgetItem;
            cell->setTextAlignment(Qt::AlignCenter);
            Grid_MinWall->setItem(r, c, cell);
        }
    // Both rows whole, with no room to scroll.
    const int rowHeight = fontMetrics().height() + 10;
    Grid_MinWall->verticalHeader()->setDefaultSectionSize(rowHeight);
    Grid_MinWall->setFixedHeight(Grid_MinWall->horizontalHeader()->sizeHint().height() +
                                 2 * rowHeight + 2 * Grid_MinWall->frameWidth());
    Grid_MinWall->setMinimumWidth(
        fontMetrics().horizontalAdvance(QStringLiteral("Height cm.")) +
        static_cast<int>(columns.size()) *
            fontMetrics().horizontalAdvance(QStringLiteral("Course 10  ")));

    auto* top = new QHBoxLayout;
    top->addWidget(Cmd_ChangeCourse);
    top->addWidget(LabelCourses, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(staleNotice_);
    layout->addWidget(Grid_MinWall);
}

void CourseDataPanel::InitMinWallGrid() {
    Grid_MinWall->setVerticalHeaderLabels(
        {courses::heightRowCaption(session_.UnitsUS), latin(courses::MinWallRowCaption)});
    Grid_MinWall->setToolTip(courses::gridToolTip(session_.UnitsUS));
    clear({});
}

void CourseDataPanel::clear(const QString& count) {
    data_ = {};
    data_.count = count;
    keptMinWall_ = {};
    setStale({});
    showCourseData();
}

// ---------------------------------------------------------------------------------------------
// With the database

void CourseDataPanel::LoadCourseData(const Recordset& rs) {
    data_ = {};
    if (!rs.isNull(QStringLiteral("Courses")))
        data_.count = rs.text(QStringLiteral("Courses"));
    for (int i = 1; i <= data_.courses(); ++i) {
        const auto slot = static_cast<std::size_t>(i - 1);
        // The height fields hold 16-bit numbers, so a stored height always fits its slot.
        if (const int height = rs.value(courses::heightField(i)).toInt(); height > 0)
            data_.heights[slot] = static_cast<qint16>(height);
        if (const float t = rs.value(courses::minWallField(i)).toFloat(); t >= MinimumCourseWall)
            data_.minWall[slot] = t;
    }
    keptMinWall_ = data_.minWall;
    setStale({});
    showCourseData();
}

Status CourseDataPanel::SaveCourseData(Recordset& rs) const {
    if (auto s = rs.setValue(QStringLiteral("Courses"), data_.count); !s)
        return s;
    for (int i = 1; i <= data_.courses(); ++i) {
        const auto slot = static_cast<std::size_t>(i - 1);
        if (auto s = rs.setValue(courses::heightField(i), data_.heights[slot]); !s)
            return s;
        if (auto s = rs.setValue(courses::minWallField(i), data_.minWall[slot]); !s)
            return s;
    }
    return {};
}

// ---------------------------------------------------------------------------------------------
// Changing the courses

void CourseDataPanel::tell(const QString& message, const char* title) {
    services_.prompts.message(message, latin(title), Icon::Exclamation);
}

void CourseDataPanel::Cmd_ChangeCourse_Click() {
    if (*in_.heightIn < courses::MinimumShellHeightIn) {
        services_.prompts.message(latin(courses::HeightMissingText),
                                  latin(courses::HeightDataTitle), Icon::Stop);
        bringForwardAndFocus(*in_.height);
        return;
    }
    const QString offered = data_.count.isEmpty() ? QStringLiteral("1") : data_.count;
    const auto answer = courses::readCourseCount(services_.prompts.input(
        latin(courses::CountPrompt), latin(courses::AdjustmentsTitle), offered));
    if (answer.kind == courses::CountAnswer::Kind::Cancelled)
        return;
    if (answer.kind == courses::CountAnswer::Kind::Refused) {
        tell(answer.message, courses::AdjustmentsTitle);
        return;
    }
    if (courses::countDiffers(data_.count, answer.count) &&
        services_.prompts.message(latin(courses::ConfirmCountText),
                                  latin(courses::AdjustmentsTitle), Icon::Question,
                                  Prompts::Buttons::YesNo) == Prompts::Answer::Yes)
        data_.count = QString::number(answer.count);
    if (data_.count.isEmpty())
        return;
    // No courses leave nothing to ask or work out; their data is cleared below.
    if (data_.courses() > 0) {
        AskCourseHeights();
        CalcMinWall();
    }
    data_.clearUnusedSlots();
    keptMinWall_ = data_.minWall;
    setStale({});
    showCourseData();
    emit coursesChanged(data_.courses());
}

void CourseDataPanel::AskCourseHeights() {
    courses::askCourseHeights(
        data_, courses::totalHeight(*in_.heightIn, session_.UnitsUS), session_.UnitsUS,
        [this](const QString& prompt, const QString& defaultText) {
            return services_.prompts.input(prompt, latin(courses::AdjustmentsTitle), defaultText);
        },
        [this](const QString& message) { tell(message, courses::AdjustmentsTitle); });
}

void CourseDataPanel::offerRaise(TagBox& box, qint32& psi, const courses::StrengthOffer& offer) {
    if (services_.prompts.message(offer.question, latin(MinWallTitle), Icon::Stop,
                                  Prompts::Buttons::OkCancel) != Prompts::Answer::Ok)
        return;
    // The text first: typing into the box sets its hidden value, which must end as the psi.
    box.setText(offer.boxText);
    box.setTag(QString::number(offer.psi));
    psi = offer.psi;
}

MinWallInput CourseDataPanel::typedInput() const {
    MinWallInput in;
    in.specGravity = static_cast<float>(numericValue(in_.specGravity->text()));
    in.jointEff = numericValue(in_.jointEff->text());
    in.courses = data_.courses();
    in.mfgType = in_.mfgType->currentIndex();
    in.diameterIn = *in_.diameterIn;
    in.heightIn = *in_.heightIn;
    in.levelIn = *in_.levelIn;
    return in;
}

void CourseDataPanel::CalcMinWall() {
    MinWallInput in = typedInput();
    session_.TankHeightFt = static_cast<float>(*in_.heightIn / 12.0);

    for (auto [box, psi] :
         {std::pair{in_.yield, in_.yieldPsi}, std::pair{in_.tensile, in_.tensilePsi}}) {
        const auto whole = toInt32(numericValue(box->tag()));
        if (!whole) {
            tell(whole.error(), MinWallTitle);
            return;
        }
        *psi = *whole;
    }

    if (const auto refusal = checkCoursesAndGravity(in); refusal != MinWallRefusal::None) {
        tell(refusalText(refusal), MinWallTitle);
        return;
    }
    if (needsYieldRaise(*in_.yieldPsi))
        offerRaise(*in_.yield, *in_.yieldPsi, courses::yieldOffer(session_.UnitsUS));
    if (needsTensileRaise(*in_.tensilePsi))
        offerRaise(*in_.tensile, *in_.tensilePsi, courses::tensileOffer(session_.UnitsUS));
    in.yieldPsi = *in_.yieldPsi;
    in.tensilePsi = *in_.tensilePsi;
    if (const auto refusal = checkDimensions(in); refusal != MinWallRefusal::None) {
        tell(refusalText(refusal), MinWallTitle);
        return;
    }
    const std::vector<float> walls = calcMinWall(in);
    for (std::size_t i = 0; i < walls.size() && i < data_.minWall.size(); ++i)
        data_.minWall[i] = walls[i];
}

// ---------------------------------------------------------------------------------------------
// Keeping the minimums true to the data

std::vector<float> CourseDataPanel::workedOutMinimums() const {
    MinWallInput in = typedInput();
    // The strengths as their boxes hold them in psi; one that is no whole psi leaves nothing to
    // work out.
    const auto yield = toInt32(numericValue(in_.yield->tag()));
    const auto tensile = toInt32(numericValue(in_.tensile->tag()));
    if (!yield || !tensile)
        return {};
    in.yieldPsi = *yield;
    in.tensilePsi = *tensile;
    return calcMinWall(in);
}

void CourseDataPanel::takeMinimums(const std::vector<float>& walls) {
    for (std::size_t i = 0; i < data_.minWall.size(); ++i)
        data_.minWall[i] = i < walls.size() ? walls[i] : 0.0f;
    keptMinWall_ = data_.minWall;
}

void CourseDataPanel::recomputeMinimums() {
    const std::vector<float> walls = workedOutMinimums();
    if (walls.empty()) {
        data_.minWall = keptMinWall_;
    } else {
        for (std::size_t i = 0; i < data_.minWall.size(); ++i)
            data_.minWall[i] = i < walls.size() ? walls[i] : 0.0f;
        session_.TankHeightFt = static_cast<float>(*in_.heightIn / 12.0);
    }
    // Worked out, they agree with the data; not, nothing can be told about them.
    setStale({});
    // The shell height also tells the unit of the stored course heights.
    ShowCourseHeights();
    ShowMinWall();
}

void CourseDataPanel::checkStoredMinimums() {
    setStale(courses::staleMinimumsText(data_, workedOutMinimums(), session_.UnitsUS));
}

bool CourseDataPanel::minimumsStale() const {
    return !staleNotice_->isHidden();
}

void CourseDataPanel::Cmd_Recompute_Click() {
    const std::vector<float> walls = workedOutMinimums();
    if (!walls.empty()) {
        takeMinimums(walls);
        session_.TankHeightFt = static_cast<float>(*in_.heightIn / 12.0);
    }
    setStale({});
    ShowMinWall();
}

void CourseDataPanel::setStale(const QString& message) {
    const bool stale = !message.isEmpty();
    const bool was = minimumsStale();
    LabelStale->setText(message);
    staleNotice_->setVisible(stale);
    if (stale != was)
        emit staleChanged(stale);
}

// ---------------------------------------------------------------------------------------------
// The grid

void CourseDataPanel::ShowCourseHeights() {
    // Heights are stored as entered; they are shown in the units of the preferences.
    const auto unit = courses::storedHeightUnit(data_, *in_.heightIn);
    const QString unknown =
        unit == courses::HeightUnit::Unknown
            ? QStringLiteral("As stored: without a shell height, whether this height is in "
                             "inches or centimetres cannot be told")
            : QString();
    for (int i = 1; i <= MaxShellCourses; ++i) {
        QTableWidgetItem* cell = Grid_MinWall->item(HeightRow, courseColumn(i));
        cell->setText(courses::heightCellText(data_.heights[static_cast<std::size_t>(i - 1)], unit,
                                              session_.UnitsUS));
        cell->setToolTip(cell->text().isEmpty() ? QString() : unknown);
    }
}

void CourseDataPanel::ShowMinWall() {
    for (int i = 1; i <= MaxShellCourses; ++i)
        Grid_MinWall->item(MinWallRow, courseColumn(i))
            ->setText(courses::minWallCellText(data_.minWall[static_cast<std::size_t>(i - 1)],
                                               session_.UnitsUS));
}

void CourseDataPanel::showCourseData() {
    ShowCourseHeights();
    ShowMinWall();
    LabelCourses->setText(courses::coursesLabel(data_.count));
}

} // namespace korvane
