#include "tank/MaxFillPanel.h"

#include "common/NumberFormat.h"
#include "common/TextValue.h"
#include "data/Recordset.h"
#include "engineering/MaxFill.h"
#include "engineering/ShellCourses.h"
#include "platform/DateBox.h"
#include "platform/TagBox.h"
#include "platform/WindowControls.h"
#include "tank/CourseDataPanel.h"
#include "tank/TankDesignPanel.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <optional>
#include <tuple>

namespace korvane {

using tankboxes::DateToolTip;
using tankboxes::groupGrid;
using tankboxes::latin;

MaxFillPanel::MaxFillPanel(Session& session, Services& services, DataSource& tank,
                           const TankDesignPanel& design, QWidget* parent)
    : QWidget(parent), session_(session), services_(services), design_(design),
      boxes_(tank, services, *this) {
    QGroupBox* fillBox = nullptr;
    auto* grid = groupGrid(this, QStringLiteral("Maximum Fill Height"), &fillBox);
    List_MFCourse = new QComboBox(this);
    List_MFCourse->setObjectName(QStringLiteral("List_MFCourse"));
    List_MFCourse->setToolTip(QStringLiteral("Course with the critical reading"));
    // Room for a product name; numbers and the course need less.
    QLineEdit* product = boxes_.bound("Text_MFProduct", "MFProduct");
    product->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('M')) * 24);
    Text_MFSGravity = boxes_.bound("Text_MFSGravity", "MFSGravity");
    // The lengths are kept in one unit and shown in those of the preferences, like the others.
    Text_MFCriticalRead = boxes_.tag("Text_MFCriticalRead");
    Text_MFCorrosion = boxes_.tag("Text_MFCorrosion");
    Text_MFLevel = boxes_.tag("Text_MFLevel");
    // The units the window works in are those of the preferences, fixed while it is open.
    const bool us = session_.UnitsUS;
    const QString thickness = us ? QStringLiteral("in.") : QStringLiteral("mm");
    const QString length = us ? QStringLiteral("ft.") : QStringLiteral("meters");
    const struct {
        const char* caption;
        QWidget* box;
        const char* unitName;
        QString unit;
    } lines[] = {
        {"Product", product, nullptr, {}},
        {"Specific Gravity", Text_MFSGravity, nullptr, {}},
        {"Course", List_MFCourse, nullptr, {}},
        {"Critical Reading", Text_MFCriticalRead, "LabelMFReadingUnit", thickness},
        {"Corrosion Allowance", Text_MFCorrosion, "LabelMFAllowanceUnit", thickness},
        {"NEW Design Level", Text_MFLevel, "LabelMFLevelUnit", length},
        {"Date", boxes_.date("Text_MFDate", "MFDate", DateToolTip), nullptr, {}},
    };
    Cmd_CalcFill = commandButton(
        this, "Cmd_CalcFill", QStringLiteral("Calculate"),
        QStringLiteral("Highest level at which the course's minimum thickness is no more than "
                       "the critical reading less the corrosion allowance"));
    connect(Cmd_CalcFill, &QPushButton::clicked, this, &MaxFillPanel::Cmd_CalcFill_Click);
    int row = 0;
    for (const auto& line : lines) {
        auto* label = new QLabel(latin(line.caption), this);
        label->setBuddy(line.box);
        grid->addWidget(label, row, 0);
        grid->addWidget(line.box, row, 1);
        if (line.unitName) {
            auto* unit = new QLabel(line.unit, this);
            unit->setObjectName(latin(line.unitName));
            grid->addWidget(unit, row, 2);
        }
        if (line.box == Text_MFLevel)
            grid->addWidget(Cmd_CalcFill, row, 3, Qt::AlignLeft);
        ++row;
    }
    grid->setColumnStretch(3, 1);
    auto* note = new QLabel(QStringLiteral("Calculate works out the highest level the critical "
                                           "reading, less the corrosion allowance, leaves the "
                                           "course enough metal for."),
                            this);
    note->setObjectName(QStringLiteral("LabelMFNote"));
    note->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fillBox);
    layout->addWidget(note);
    layout->addStretch();

    for (auto [box, level] : {std::pair{Text_MFCriticalRead, false},
                              std::pair{Text_MFCorrosion, false}, std::pair{Text_MFLevel, true}})
        connect(box, &QLineEdit::textChanged, this,
                [this, box, level] { MaxFillNumberChange(*box, level); });
}

void MaxFillPanel::clearCourseList() {
    List_MFCourse->clear();
}

void MaxFillPanel::clear() {
    List_MFCourse->clear();
    for (TagBox* box : {Text_MFCriticalRead, Text_MFCorrosion, Text_MFLevel}) {
        box->clear();
        box->setTag({});
    }
    shownMaxFillTags_ = {QString(), QString(), QString()};
}

void MaxFillPanel::FillMFCourseList(int courses) {
    const int chosen = List_MFCourse->currentIndex();
    List_MFCourse->clear();
    List_MFCourse->addItems(courses::maxFillCourseEntries(courses));
    // Filling an empty list chooses its first entry; only a choice that was made may stand.
    List_MFCourse->setCurrentIndex(chosen < List_MFCourse->count() ? chosen : -1);
}

void MaxFillPanel::showTank(const Recordset& rs) {
    FillMFCourseList(design_.courses().data().courses());
    // A stored position the list does not have leaves it without a choice, so that OK keeps it.
    if (!rs.isNull(QStringLiteral("MFCourse")))
        List_MFCourse->setCurrentIndex(rs.value(QStringLiteral("MFCourse")).toInt());
    ShowMaxFillNumbers(rs);
}

void MaxFillPanel::ShowMaxFillNumbers(const Recordset& rs) {
    const bool us = session_.UnitsUS;
    const QString field = latin(maxfill::UnitsField);
    const std::optional<bool> mark =
        rs.isNull(field) ? std::nullopt : std::optional<bool>(rs.value(field).toBool());
    const maxfill::RecordUnits units = maxfill::recordUnits(
        mark, rs.value(QStringLiteral("MFDesignLevel")).toDouble(), design_.heightIn());
    const QString told =
        mark ? QString()
        : units == maxfill::RecordUnits::Unknown
            ? QStringLiteral("Kept by an earlier version without its unit, which the shell "
                             "height cannot tell: shown as stored")
            : QStringLiteral("Kept by an earlier version without its unit; read as %1, as the "
                             "shell height tells")
                  .arg(units == maxfill::RecordUnits::US ? QStringLiteral("feet and inches")
                                                         : QStringLiteral("metres and mm"));
    const QString thickness = us ? QStringLiteral("in.") : QStringLiteral("mm");
    const QString length = us ? QStringLiteral("ft.") : QStringLiteral("meters");
    for (auto [box, name, level, tip] :
         {std::tuple{Text_MFCriticalRead, "MFCReading", false,
                     QStringLiteral("Critical Reading (%1)").arg(thickness)},
          std::tuple{Text_MFCorrosion, "MFCAllowance", false,
                     QStringLiteral("Corrosion Allowance (%1)").arg(thickness)},
          std::tuple{Text_MFLevel, "MFDesignLevel", true,
                     QStringLiteral("NEW Design Level (%1)").arg(length)}}) {
        box->setToolTip(tip);
        box->clear();
        box->setTag({});
        if (rs.isNull(latin(name)))
            continue;
        const double stored = rs.value(latin(name)).toDouble();
        if (!told.isEmpty())
            box->setToolTip(tip + QStringLiteral(". ") + told + QLatin1Char('.'));
        if (units == maxfill::RecordUnits::Unknown) {
            // As it stands; the box reads it in the units shown, as if it had been typed.
            box->setText(numberText(stored));
            continue;
        }
        const double fixed = level ? maxfill::storedLevelFeet(stored, units)
                                   : maxfill::storedThicknessInches(stored, units);
        box->setText(level ? maxfill::levelShown(fixed, us) : formatThickness(fixed, us));
        // The text first: it sets the hidden value from what it shows, which must end exact (17
        // digits read back as the same number).
        box->setTag(QString::number(fixed, 'g', 17));
    }
    shownMaxFillTags_ = {Text_MFCriticalRead->tag(), Text_MFCorrosion->tag(), Text_MFLevel->tag()};
}

void MaxFillPanel::MaxFillNumberChange(TagBox& box, bool level) {
    const QString typed = box.text().trimmed();
    if (typed.isEmpty()) {
        box.setTag({});
        return;
    }
    const double value = numericValue(typed);
    const bool us = session_.UnitsUS;
    box.setTag(
        numberText(level ? maxfill::levelFeet(value, us) : maxfill::thicknessInches(value, us)));
}

bool MaxFillPanel::checkTypedNumbers() {
    return tankboxes::checkTypedNumbers(
        services_, {{Text_MFCriticalRead, true, "The critical reading must be a number."},
                    {Text_MFCorrosion, true, "The corrosion allowance must be a number."},
                    {Text_MFLevel, true, "The NEW design level must be a number."}});
}

Status MaxFillPanel::saveTank(Recordset& rs) const {
    // A list left without a choice keeps what was stored.
    if (List_MFCourse->currentIndex() >= 0)
        if (auto s = rs.setValue(QStringLiteral("MFCourse"), List_MFCourse->currentIndex()); !s)
            return s;
    return SaveMaxFillNumbers(rs);
}

Status MaxFillPanel::SaveMaxFillNumbers(Recordset& rs) const {
    const QString mark = latin(maxfill::UnitsField);
    const QStringList tags{Text_MFCriticalRead->tag(), Text_MFCorrosion->tag(),
                           Text_MFLevel->tag()};
    // Numbers left as they were shown are left as they are stored: a record an older version
    // kept as typed stays so until one of its numbers is changed, and is then written whole in
    // the one unit.
    if (rs.editMode() == Recordset::EditMode::Edit && tags == shownMaxFillTags_)
        return {};
    // A file whose table could not be given the mark keeps the numbers as older versions did.
    const bool marked = rs.hasField(mark);
    const bool us = session_.UnitsUS;
    for (auto [box, field, level] : {std::tuple{Text_MFCriticalRead, "MFCReading", false},
                                     std::tuple{Text_MFCorrosion, "MFCAllowance", false},
                                     std::tuple{Text_MFLevel, "MFDesignLevel", true}}) {
        QVariant value;
        if (!box->tag().isEmpty()) {
            const double fixed = numericValue(box->tag());
            value = marked ? fixed
                           : (level ? maxfill::levelInUnits(fixed, us)
                                    : maxfill::thicknessInUnits(fixed, us));
        } else if (rs.isNull(latin(field))) {
            continue; // never given: not written as a change
        }
        if (auto s = rs.setValue(latin(field), value); !s)
            return s;
    }
    return marked ? rs.setValue(mark, true) : Status{};
}

// Works out the highest level the chosen course allows and puts it into the NEW Design Level
// box, where it is saved with the tank like a typed level. A value missing leaves the box alone.
void MaxFillPanel::Cmd_CalcFill_Click() {
    const bool us = session_.UnitsUS;
    const auto tell = [this](const QString& message) {
        services_.prompts.message(message, latin(maxfill::Title), Prompts::Icon::Exclamation);
    };
    maxfill::Input in;
    // The list begins with the empty entry and "Floor"; "Course 1" stands at position 2.
    in.course = List_MFCourse->currentIndex() - 1;
    if (Status read = design_.maxFillInput(in); !read) {
        tell(read.error());
        return;
    }
    in.specGravity = numericValue(Text_MFSGravity->text());
    in.criticalIn = numericValue(Text_MFCriticalRead->tag());
    in.allowanceIn = numericValue(Text_MFCorrosion->tag());

    const maxfill::Outcome outcome = maxfill::maxFillLevel(in);
    if (!outcome.levelFt) {
        tell(outcome.message);
        return;
    }
    Text_MFLevel->setText(maxfill::levelText(*outcome.levelFt, us));
}

} // namespace korvane
