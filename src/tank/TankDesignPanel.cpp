#include "tank/TankDesignPanel.h"

#include "common/NumberFormat.h"
#include "common/Rounding.h"
#include "common/TextValue.h"
#include "data/Recordset.h"
#include "engineering/Dimension.h"
#include "engineering/MaxFill.h"
#include "engineering/TankLists.h"
#include "engineering/UnitEntry.h"
#include "platform/DateBox.h"
#include "platform/TagBox.h"
#include "tank/CourseDataPanel.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <tuple>
#include <utility>

namespace korvane {

using tankboxes::groupGrid;
using tankboxes::latin;

TankDesignPanel::TankDesignPanel(Session& session, Services& services, DataSource& tank,
                                 QWidget* parent)
    : QWidget(parent), session_(session), services_(services), boxes_(tank, services, *this) {
    // Dimensions and strengths, each with the unit it is shown in.
    QGroupBox* shellBox = nullptr;
    auto* shell = groupGrid(this, QStringLiteral("Shell Design"), &shellBox);
    int row = 0;
    const auto put = [&](QWidget* box, const QString& caption, const char* unitName) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(box);
        shell->addWidget(label, row, 0);
        shell->addWidget(box, row, 1);
        if (unitName) {
            auto* unit = new QLabel(this);
            unit->setObjectName(latin(unitName));
            shell->addWidget(unit, row, 2);
        }
        ++row;
    };
    Text_Diameter = boxes_.tag("Text_Diameter");
    Text_Height = boxes_.tag("Text_Height");
    Text_Level = boxes_.tag("Text_Level");
    Text_Capacity = boxes_.tag("Text_Capacity");
    Text_Yield = boxes_.tag("Text_Yield");
    Text_Tensile = boxes_.tag("Text_Tensile");
    List_MfgType = new QComboBox(this);
    List_MfgType->setObjectName(QStringLiteral("List_MfgType"));
    List_MfgType->addItems(tanklists::shellConstructions());
    List_MfgType->setToolTip(QStringLiteral("Shell Construction Type"));
    put(Text_Diameter, QStringLiteral("Diameter"), "LabelDiameterUnit");
    put(Text_Height, QStringLiteral("Shell Height"), "LabelHeightUnit");
    put(Text_Level, QStringLiteral("Design Level"), "LabelLevelUnit");
    put(Text_Capacity, QStringLiteral("Capacity"), nullptr);
    put(List_MfgType, QStringLiteral("Shell Construction"), nullptr);
    put(Text_Yield, QStringLiteral("Yield Strength"), "LabelYieldUnit");
    put(Text_Tensile, QStringLiteral("Tensile Strength"), "LabelTensileUnit");
    Text_JointEff = boxes_.bound("Text_JointEff", "JointEff", QStringLiteral("Joint Efficiency"));
    Text_SGravity =
        boxes_.bound("Text_SGravity", "SpecGravity", QStringLiteral("Product Specific Gravity"));
    put(Text_JointEff, QStringLiteral("Joint Efficiency"), nullptr);
    put(Text_SGravity, QStringLiteral("Specific Gravity"), nullptr);
    shell->setColumnStretch(1, 1);
    shell->setRowStretch(row, 1);

    QGroupBox* constructionBox = nullptr;
    auto* construction = groupGrid(this, QStringLiteral("Construction"), &constructionBox);
    List_BottomType = new QComboBox(this);
    List_BottomType->setObjectName(QStringLiteral("List_BottomType"));
    List_BottomType->addItems(tanklists::bottomTypes());
    List_BottomType->setToolTip(QStringLiteral("Bottom Construction Type"));
    List_RoofType = new QComboBox(this);
    List_RoofType->setObjectName(QStringLiteral("List_RoofType"));
    List_RoofType->addItems(tanklists::roofTypes());
    List_RoofType->setToolTip(QStringLiteral("Roof Construction Type"));
    construction->addWidget(new QLabel(QStringLiteral("Bottom"), this), 0, 0);
    construction->addWidget(List_BottomType, 0, 1);
    construction->addWidget(new QLabel(QStringLiteral("Roof"), this), 1, 0);
    construction->addWidget(List_RoofType, 1, 1);
    construction->setColumnStretch(1, 1);

    const auto frame = [&](const QString& title, const char* frameName) {
        QGroupBox* box = nullptr;
        auto* grid = groupGrid(this, title, &box);
        box->setObjectName(latin(frameName));
        grid->setColumnStretch(1, 1);
        return std::pair{box, grid};
    };
    const auto line = [&](QGridLayout* grid, int at, const QString& caption, QWidget* box) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(box);
        grid->addWidget(label, at, 0);
        grid->addWidget(box, at, 1);
    };
    auto [cpsBox, cps] = frame(QStringLiteral("Cathodic Protection System"), "Frame_CPS");
    line(cps, 0, QStringLiteral("Installed"),
         boxes_.date("Text_CPSInstalled", "CPSInstalled",
                     QStringLiteral("System Installation Date")));
    line(cps, 1, QStringLiteral("Manufacturer"),
         boxes_.bound("Text_CPSMfgBy", "CPSMfgBy", QStringLiteral("System Manufacturer")));
    line(cps, 2, QStringLiteral("Type"),
         boxes_.bound("Text_CPSType", "CPSType", QStringLiteral("System Type")));
    auto [vdeBox, vde] = frame(QStringLiteral("Vapor Detection Equipment"), "Frame_VDE");
    line(vde, 0, QStringLiteral("Installed"),
         boxes_.date("Text_VDEInstalled", "VDEInstalled",
                     QStringLiteral("Equipment Installation Date")));
    line(vde, 1, QStringLiteral("Manufacturer"),
         boxes_.bound("Text_VDEMfgBy", "VDEMfgBy", QStringLiteral("Equipment Manufacturer")));

    CourseDataPanel::ShellInputs inputs;
    inputs.height = Text_Height;
    inputs.yield = Text_Yield;
    inputs.tensile = Text_Tensile;
    inputs.mfgType = List_MfgType;
    inputs.specGravity = Text_SGravity;
    inputs.jointEff = Text_JointEff;
    inputs.diameterIn = &DiameterIn;
    inputs.heightIn = &HeightIn;
    inputs.levelIn = &LevelIn;
    inputs.yieldPsi = &YieldPsi;
    inputs.tensilePsi = &TensilePsi;
    courses_ = new CourseDataPanel(session_, services_, inputs, this);

    auto* right = new QVBoxLayout;
    right->addWidget(constructionBox);
    right->addWidget(cpsBox);
    right->addWidget(vdeBox);
    right->addStretch();
    auto* columns = new QHBoxLayout;
    columns->addWidget(shellBox, 1);
    columns->addLayout(right, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addWidget(courses_);

    connectUnitBoxes();
}

void TankDesignPanel::connectUnitBoxes() {
    for (auto [box, inches] :
         {std::pair{Text_Diameter, &DiameterIn}, std::pair{Text_Height, &HeightIn},
          std::pair{Text_Level, &LevelIn}}) {
        box->setSelectAllOnEntry(true);
        box->setKeyHandler(
            [this, box, inches](QChar key) { return DimensionKeyPress(*box, *inches, key); });
        connect(box, &TagBox::left, this, [this, box] { DimensionLeft(*box); });
    }
    Text_Capacity->setKeyHandler([this](QChar key) { return Text_Capacity_KeyPress(key); });
    connect(Text_Capacity, &TagBox::left, this, &TankDesignPanel::Text_Capacity_LostFocus);
    for (TagBox* box : {Text_Yield, Text_Tensile})
        connect(box, &QLineEdit::textChanged, this, [this, box] {
            StrengthChange(*box);
            shellInputChanged();
        });
    for (QLineEdit* box : {Text_JointEff, Text_SGravity})
        connect(box, &QLineEdit::textChanged, this, &TankDesignPanel::shellInputChanged);
    connect(List_MfgType, &QComboBox::currentIndexChanged, this,
            &TankDesignPanel::shellInputChanged);
}

void TankDesignPanel::SetToolTipsByUnits() {
    const bool us = session_.UnitsUS;
    const auto set = [this](TagBox* box, const char* unitLabel, const QString& tip,
                            const QString& unit) {
        box->setToolTip(tip);
        if (auto* label = findChild<QLabel*>(latin(unitLabel)))
            label->setText(unit);
    };
    const QString length = us ? QStringLiteral("ft.") : QStringLiteral("meters");
    const QString strength = us ? QStringLiteral("psi") : QStringLiteral("KPa");
    set(Text_Diameter, "LabelDiameterUnit", QStringLiteral("Tank Diameter (%1)").arg(length),
        length);
    set(Text_Height, "LabelHeightUnit", QStringLiteral("Tank Height (%1)").arg(length), length);
    set(Text_Level, "LabelLevelUnit", QStringLiteral("Design Level (%1)").arg(length), length);
    set(Text_Yield, "LabelYieldUnit", QStringLiteral("Yield Strength (%1)").arg(strength),
        strength);
    set(Text_Tensile, "LabelTensileUnit", QStringLiteral("Tensile Strength (%1)").arg(strength),
        strength);
    Text_Capacity->setToolTip(QStringLiteral("Tank Capacity (bbls or gal)"));
    // The unit keys are not obvious; an empty dimension box says which to press.
    const QString dimensionHint =
        us ? QStringLiteral("feet, then F") : QStringLiteral("meters, then M");
    for (TagBox* box : {Text_Diameter, Text_Height, Text_Level})
        box->setPlaceholderText(dimensionHint);
    Text_Capacity->setPlaceholderText(QStringLiteral("number, then B or G"));
}

// ---------------------------------------------------------------------------------------------
// Showing and saving

void TankDesignPanel::clear() {
    for (TagBox* box : {Text_Diameter, Text_Height, Text_Level, Text_Yield, Text_Tensile}) {
        box->clear();
        box->setTag({});
    }
    // A capacity box without a value carries the marker leaving it would give it, so that
    // walking through it changes nothing.
    Text_Capacity->clear();
    Text_Capacity->setTag(unitentry::NoUnit);
    for (QComboBox* list : {List_MfgType, List_BottomType, List_RoofType})
        list->setCurrentIndex(-1);
    DiameterIn = HeightIn = LevelIn = 0;
    YieldPsi = TensilePsi = 0;
    courses_->clear({});
}

void TankDesignPanel::clearForNewTank() {
    for (QComboBox* list : {List_MfgType, List_BottomType, List_RoofType})
        list->setCurrentIndex(0);
    courses_->clear(QStringLiteral("0"));
}

void TankDesignPanel::showTank(const Recordset& rs) {
    const auto number = [&rs](const char* field) {
        return rs.value(latin(field)).toDouble();
    };

    // The dimensions first: the course heights are shown by the shell height they share.
    for (auto [box, field, inches] : {std::tuple{Text_Diameter, "Diameter", &DiameterIn},
                                      std::tuple{Text_Height, "Height", &HeightIn},
                                      std::tuple{Text_Level, "DesignLevel", &LevelIn}}) {
        const double value = number(field);
        if (value == 0)
            continue;
        box->setTag(numberText(value));
        box->setText(dimension::displayText(value, session_.UnitsUS));
        const auto whole = toInt16(value);
        *inches = whole ? *whole : 0;
    }

    courses_->LoadCourseData(rs);

    // A stored position the list does not have leaves it without a choice, so that OK keeps it.
    for (auto [list, field] :
         {std::pair{List_MfgType, "MfgType"}, std::pair{List_BottomType, "BottomType"},
          std::pair{List_RoofType, "RoofType"}}) {
        if (!rs.isNull(latin(field)))
            list->setCurrentIndex(rs.value(latin(field)).toInt());
    }

    for (auto [box, field, psi] : {std::tuple{Text_Yield, "Yield", &YieldPsi},
                                   std::tuple{Text_Tensile, "Tensile", &TensilePsi}}) {
        const double value = number(field);
        if (value == 0)
            continue;
        box->setText(unitentry::strengthText(value, session_.UnitsUS));
        box->setTag(numberText(value));
        const auto whole = toInt32(value);
        *psi = whole ? *whole : 0;
    }

    // A capacity never given stays empty, so that it is not stored as 0 either.
    if (!rs.isNull(QStringLiteral("Capacity"))) {
        const unitentry::Shown s =
            unitentry::capacityShown(rs.value(QStringLiteral("Capacity")).toDouble());
        Text_Capacity->setText(s.text);
        Text_Capacity->setTag(s.marker);
    }
}

bool TankDesignPanel::checkTypedNumbers() {
    const bool capacityStored = unitentry::storedValue(u"0", Text_Capacity->tag()).has_value();
    return tankboxes::checkTypedNumbers(
        services_, {{Text_Capacity, capacityStored,
                     "The capacity must be a number followed by B (barrels) or G (gallons)."},
                    {Text_Yield, true, "The yield strength must be a number."},
                    {Text_Tensile, true, "The tensile strength must be a number."}});
}

Status TankDesignPanel::saveTank(Recordset& rs) const {
    if (const auto value = unitentry::storedValue(Text_Capacity->text(), Text_Capacity->tag()))
        if (auto s = rs.setValue(QStringLiteral("Capacity"), *value); !s)
            return s;

    // A list left without a choice keeps what was stored.
    for (auto [list, field] :
         {std::pair{List_MfgType, "MfgType"}, std::pair{List_BottomType, "BottomType"},
          std::pair{List_RoofType, "RoofType"}}) {
        if (list->currentIndex() >= 0)
            if (auto s = rs.setValue(latin(field), list->currentIndex()); !s)
                return s;
    }

    for (auto [box, field] :
         {std::pair{Text_Yield, "Yield"}, std::pair{Text_Tensile, "Tensile"},
          std::pair{Text_Diameter, "Diameter"}, std::pair{Text_Height, "Height"},
          std::pair{Text_Level, "DesignLevel"}}) {
        // An empty box over a value never given leaves it so: a 0 would show the same, but the
        // history would record it as a change nobody made.
        if (rs.editMode() == Recordset::EditMode::Edit && box->tag().trimmed().isEmpty() &&
            rs.isNull(latin(field)))
            continue;
        if (auto s = rs.setValue(latin(field), numericValue(box->tag())); !s)
            return s;
    }
    return courses_->SaveCourseData(rs);
}

Status TankDesignPanel::maxFillInput(maxfill::Input& in) const {
    in.courses = courses_->data().courses();
    in.mfgType = List_MfgType->currentIndex();
    in.diameterIn = DiameterIn;
    in.heightIn = HeightIn;
    // The strength boxes hold psi beside what they show, as typed so far.
    for (auto [box, psi] :
         {std::pair{Text_Yield, &in.yieldPsi}, std::pair{Text_Tensile, &in.tensilePsi}}) {
        const auto whole = toInt32(numericValue(box->tag()));
        if (!whole)
            return Error{whole.error()};
        *psi = *whole;
    }
    in.jointEff = numericValue(Text_JointEff->text());
    return {};
}

// ---------------------------------------------------------------------------------------------
// Unit entry

bool TankDesignPanel::DimensionKeyPress(TagBox& box, qint16& inches, QChar key) {
    if (!dimension::isUnitKey(key))
        return false;
    const auto outcome = dimension::convert(
        box.text(), session_.UnitsUS, [this](const QString& prompt, const QString& defaultText) {
            return services_.prompts.input(prompt, latin(dimension::ConversionTitle), defaultText);
        });
    switch (outcome.kind) {
    case dimension::Outcome::Kind::Cancelled:
        break;
    case dimension::Outcome::Kind::Refused:
        services_.prompts.message(outcome.message, latin(dimension::ConversionTitle),
                                  Prompts::Icon::Exclamation);
        break;
    case dimension::Outcome::Kind::Converted:
        inches = outcome.inches;
        box.clear();
        box.setTag(QString::number(outcome.inches));
        box.setText(dimension::displayText(outcome.inches, session_.UnitsUS));
        box.selectAll();
        shellInputChanged();
        break;
    }
    return true;
}

void TankDesignPanel::DimensionLeft(TagBox& box) {
    // Typing without a unit key changes nothing that is stored; the box goes back to showing
    // what is, so that it never shows a dimension that will not be saved.
    const QString shown = box.tag().isEmpty()
                              ? QString()
                              : dimension::displayText(numericValue(box.tag()), session_.UnitsUS);
    if (box.text() != shown)
        box.setText(shown);
}

bool TankDesignPanel::Text_Capacity_KeyPress(QChar key) {
    const auto effect = unitentry::capacityKey(key);
    if (effect.marker)
        Text_Capacity->setTag(*effect.marker);
    return effect.swallow;
}

void TankDesignPanel::Text_Capacity_LostFocus() {
    Text_Capacity->setTag(unitentry::markerOnLeave(Text_Capacity->tag()));
}

void TankDesignPanel::StrengthChange(TagBox& box) {
    box.setTag(unitentry::strengthTag(box.text(), session_.UnitsUS));
}

void TankDesignPanel::shellInputChanged() {
    if (session_.RecordMode && !showingTank_)
        courses_->recomputeMinimums();
}

} // namespace korvane
