#include "graphics/AreaPanel.h"

#include "common/NumberFormat.h"
#include "engineering/ThicknessRules.h"
#include "graphics/DrawingTab.h"
#include "platform/DateBox.h"
#include "platform/TagBox.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>

namespace korvane {

namespace {

QString lettersOf(AreaTable table) {
    switch (table) {
    case AreaTable::EdgeSettle:
        return QStringLiteral("E");
    case AreaTable::RFCorrosion:
        return QStringLiteral("RF");
    case AreaTable::SCorrosion:
        return QStringLiteral("S");
    }
    return {};
}

struct Measure {
    const char* box;   // Text_<letters><box>, Label_<letters><box>
    const char* label; // shown with the unit
    const char* toolTip;
};

constexpr std::array<Measure, 3> EdgeMeasures{{{"Radius", "Radius", "Area Radius"},
                                               {"Length", "Length", "Area Length"},
                                               {"Actual", "Actual 'B'", "Actual Depth"}}};
constexpr std::array<Measure, 3> CorrosionMeasures{{{"Width", "Width", "Area Width"},
                                                    {"Length", "Length", "Area Length"},
                                                    {"Reading", "Reading", "Depth Reading"}}};

} // namespace

AreaPanel::AreaPanel(Session& session, Services& services, DrawingTab& tab, AreaTable table)
    : LinkedEntryPanel(services, tab, QStringLiteral("Frame_%1Area").arg(lettersOf(table))),
      session_(session), table_(table), rows_(areas::access(table)) {
    const QString letters = lettersOf(table);
    const QString text = QStringLiteral("Text_") + letters;
    takenBy_ = new QLineEdit;
    addEntryBox(takenBy_, text + QStringLiteral("TakenBy"), QStringLiteral("Taken By"),
                QStringLiteral("Who took the data"));
    date_ = new DateBox(services_);
    addEntryBox(date_, text + QStringLiteral("DateTaken"), QStringLiteral("Date Taken"),
                QStringLiteral("Date format dd/mmm/yyyy"));
    areaId_ = new QLineEdit;
    addEntryBox(areaId_, text + QStringLiteral("AreaID"), QStringLiteral("Area ID"),
                QStringLiteral("Area Identifier"));
    const auto& measures = table == AreaTable::EdgeSettle ? EdgeMeasures : CorrosionMeasures;
    const QString unit = session_.UnitsUS ? QStringLiteral(" - in.") : QStringLiteral(" - mm");
    for (std::size_t i = 0; i < measures.size(); ++i) {
        auto* box = new TagBox;
        measureNames_[i] = QString::fromLatin1(measures[i].label);
        QLabel* label =
            addEntryBox(box, text + QLatin1String(measures[i].box), measureNames_[i] + unit,
                        QString::fromLatin1(measures[i].toolTip));
        label->setObjectName(QStringLiteral("Label_") + letters + QLatin1String(measures[i].box));
        // The value in inches lies beside the text; it is what Accept stores.
        connect(box, &QLineEdit::textChanged, box, [this, box](const QString& typed) {
            const auto inches = thickness::typedInches(typed, session_.UnitsUS);
            box->setTag(inches ? numberText(*inches) : QString());
        });
        measures_[i] = box;
    }

    if (table == AreaTable::EdgeSettle) {
        // Shown as in the paper forms, but no allowed depth is worked out here.
        auto* allowable = new QLineEdit;
        allowable->setObjectName(QStringLiteral("Text_EAllowable"));
        allowable->setToolTip(QStringLiteral("Allowed Depth"));
        allowable->setEnabled(false);
        auto* row = new QWidget;
        auto* rowLayout = new QHBoxLayout(row);
        rowLayout->setContentsMargins(0, 0, 0, 0);
        auto* label = new QLabel(QStringLiteral("Allowable 'B\""), row);
        label->setObjectName(QStringLiteral("Label_EAllowable"));
        label->setEnabled(false);
        rowLayout->addWidget(label);
        rowLayout->addWidget(allowable);
        addRow(row);
        Chk_Stress = new QCheckBox(QStringLiteral("Stress Analysis Req'd"));
        Chk_Stress->setObjectName(QStringLiteral("Chk_Stress"));
        Chk_Stress->setToolTip(QStringLiteral("A stress analysis of this area is required"));
        addRow(Chk_Stress);
        addTypeOptions(letters, QStringLiteral("Edge"), QStringLiteral("Floor"));
        addButtons(letters, QStringLiteral("&Add Area"),
                   QStringLiteral("Make the selected element a settled area"));
    } else if (table == AreaTable::RFCorrosion) {
        addTypeOptions(letters, QStringLiteral("Corrosion"), QStringLiteral("Pitting"));
        addButtons(letters, QStringLiteral("A&dd Area"),
                   QStringLiteral("Make the selected element a corroded area"));
    } else {
        addButtons(letters, QStringLiteral("Add A&rea"),
                   QStringLiteral("Make the selected element a corroded area"));
    }
}

void AreaPanel::addTypeOptions(const QString& letters, const QString& first,
                               const QString& second) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* group = new QButtonGroup(row);
    for (int i = 0; i < 2; ++i) {
        auto* option = new QRadioButton(i == 0 ? first : second, row);
        option->setObjectName(QStringLiteral("Opt_%1Type_%2").arg(letters).arg(i));
        option->setToolTip(QStringLiteral("The kind of reading, as answered when it was added"));
        // Set by the answer to Add's question, not by a click.
        option->setEnabled(false);
        group->addButton(option);
        layout->addWidget(option);
        type_[static_cast<std::size_t>(i)] = option;
    }
    type_[0]->setChecked(true);
    addRow(row);
}

void AreaPanel::resetExtras() {
    if (type_[0])
        type_[0]->setChecked(true);
    if (Chk_Stress)
        Chk_Stress->setChecked(false);
}

bool AreaPanel::startEntry() {
    if (table_ == AreaTable::SCorrosion)
        return true;
    const bool edge = table_ == AreaTable::EdgeSettle;
    const auto answer = services_.prompts.message(
        edge ? QStringLiteral("Is this an Edge type reading?\nNo indicates a Floor reading")
             : QStringLiteral("Is this a Corrosion type reading?\nNo indicates a Pitting reading"),
        QStringLiteral("Reading Type"), Prompts::Icon::Question, Prompts::Buttons::YesNo);
    type_[answer == Prompts::Answer::Yes ? 0 : 1]->setChecked(true);
    return true;
}

QString AreaPanel::entryKey() const {
    return areaId_->text();
}

AreaPanel::Outcome AreaPanel::writeEntry(RowChange& change) {
    if (!date_->checkEntry())
        return Outcome::Refused;
    AreaRow area;
    area.areaId = areaId_->text();
    area.takenBy = takenBy_->text();
    area.date = date_->text();
    area.readingType = type_[0] ? type_[0]->isChecked() : true;
    area.stressAnalysis = Chk_Stress && Chk_Stress->isChecked();
    if (table_ == AreaTable::SCorrosion)
        area.page = tab_.currentPage();
    for (std::size_t i = 0; i < measures_.size(); ++i) {
        if (measures_[i]->tag().isEmpty()) {
            showError(QStringLiteral("The %1 must be a number.").arg(measureNames_[i]));
            measures_[i]->setFocus();
            return Outcome::Refused;
        }
        area.measures[i] = measures_[i]->tag().toDouble();
    }

    const qint32 inspection = session_.CurInspectionID;
    auto existing = rows_.find(session_.DatabaseName, inspection, area.areaId);
    if (!existing) {
        showError(existing.error());
        return Outcome::Refused;
    }
    if (existing.value()) {
        if (services_.prompts.message(
                QStringLiteral("AreaID - %1 already exists.").arg(area.areaId),
                QStringLiteral("Duplication Warning"), Prompts::Icon::Exclamation,
                Prompts::Buttons::OkCancel) != Prompts::Answer::Ok)
            return Outcome::Declined;
        // New measurements for the area; its ID stays as it was written.
        area.areaId = existing.value()->areaId;
    }
    auto made = changeOf(rows_, session_.DatabaseName, inspection, area.areaId, area);
    if (!made) {
        showError(made.error());
        return Outcome::Refused;
    }
    change = std::move(made.value());
    return Outcome::Written;
}

void AreaPanel::showRow(const QString& areaId) {
    auto row = rows_.find(session_.DatabaseName, session_.CurInspectionID, areaId);
    if (!row || !row.value())
        return;
    const AreaRow& area = *row.value();
    if (type_[0])
        type_[area.readingType ? 0 : 1]->setChecked(true);
    takenBy_->setText(area.takenBy);
    date_->setText(area.date);
    areaId_->setText(area.areaId);
    for (std::size_t i = 0; i < measures_.size(); ++i)
        measures_[i]->setText(areas::measureText(area.measures[i], i == 2, session_.UnitsUS));
    if (Chk_Stress)
        Chk_Stress->setChecked(area.stressAnalysis);
}

// "C-3   Width 2.000 in.   Length 3.000 in.   Depth 0.050 in.   R. Diaz   05/Mar/2021": the
// area, its measures as the boxes show them with their unit, who took them and when.
QString AreaPanel::printedRow(const QString& areaId) {
    auto row = rows_.find(session_.DatabaseName, session_.CurInspectionID, areaId);
    if (!row || !row.value())
        return {};
    const AreaRow& area = *row.value();
    const QString unit = session_.UnitsUS ? QStringLiteral("in.") : QStringLiteral("mm");
    QStringList parts{area.areaId};
    for (std::size_t i = 0; i < measures_.size(); ++i)
        parts << QStringLiteral("%1 %2 %3")
                     .arg(measureNames_[i],
                          areas::measureText(area.measures[i], i == 2, session_.UnitsUS), unit);
    for (const QString& extra : {area.takenBy, area.date})
        if (!extra.isEmpty())
            parts << extra;
    return parts.join(QStringLiteral("   "));
}

Result<std::optional<LinkedEntryPanel::RowChange>> AreaPanel::removeRow(const QString& areaId) {
    const qint32 inspection = session_.CurInspectionID;
    auto row = rows_.find(session_.DatabaseName, inspection, areaId);
    if (!row)
        return row.takeError();
    if (!row.value())
        return std::optional<RowChange>();
    auto made = changeOf(rows_, session_.DatabaseName, inspection, areaId, std::nullopt);
    if (!made)
        return made.takeError();
    return std::optional<RowChange>(std::move(made.value()));
}

} // namespace korvane
