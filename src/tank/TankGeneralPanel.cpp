#include "tank/TankGeneralPanel.h"

#include "common/DateText.h"
#include "common/NumberFormat.h"
#include "common/Rounding.h"
#include "common/TextValue.h"
#include "data/Recordset.h"
#include "engineering/InspectionSchedule.h"
#include "engineering/UnitEntry.h"
#include "platform/DateBox.h"
#include "platform/TagBox.h"
#include "platform/WindowControls.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvane {

using tankboxes::DateToolTip;
using tankboxes::groupGrid;
using tankboxes::latin;

TankGeneralPanel::TankGeneralPanel(Services& services, DataSource& tank, QWidget* parent)
    : QWidget(parent), boxes_(tank, services, *this) {
    // Identification: two columns of captioned boxes, the Tab key going down the left column
    // first.
    QGroupBox* identBox = nullptr;
    auto* ident = groupGrid(this, QStringLiteral("Tank"), &identBox);
    const auto put = [&](QWidget* box, const QString& caption, int row, int column) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(box);
        ident->addWidget(label, row, column * 2);
        ident->addWidget(box, row, column * 2 + 1);
    };
    Text_TankID = boxes_.bound("Text_TankID", "Name", QStringLiteral("What identified the Tank"));
    put(Text_TankID, QStringLiteral("Tank ID"), 0, 0);
    put(boxes_.bound("Text_Physical", "PhysLoc",
                     QStringLiteral("Where is the Tank at the Location")),
        QStringLiteral("Physical Location"), 1, 0);
    put(boxes_.bound("Text_Product", "Product", QStringLiteral("Tank Contents")),
        QStringLiteral("Product"), 2, 0);
    put(boxes_.bound("Text_Manufacturer", "Manufacturer", QStringLiteral("Who Made the Tank")),
        QStringLiteral("Manufacturer"), 3, 0);
    put(boxes_.bound("Text_Year", "MfgYear", QStringLiteral("Year of Manufacturing")),
        QStringLiteral("Year Built"), 4, 0);
    put(boxes_.bound("Text_Serial", "SerialNum"), QStringLiteral("Serial No."), 0, 1);
    put(boxes_.bound("Text_State", "StateNum"), QStringLiteral("State No."), 1, 1);
    put(boxes_.bound("Text_Code", "MfgCode", QStringLiteral("Tank Construction Code")),
        QStringLiteral("Construction Code"), 2, 1);
    put(boxes_.date("Text_Tested", "Tested", DateToolTip), QStringLiteral("Date Hydro'd"), 3, 1);
    put(boxes_.date("Text_Strapped", "Strapped", DateToolTip), QStringLiteral("Date Strapped"), 4,
        1);
    ident->setColumnStretch(1, 1);
    ident->setColumnStretch(3, 1);

    // The inspection schedule: one line per kind of inspection.
    QGroupBox* scheduleBox = nullptr;
    auto* grid = groupGrid(this, QStringLiteral("Inspection Schedule"), &scheduleBox);
    const QStringList titles{QStringLiteral("Inspection Type"), QStringLiteral("Frequency"),
                             QStringLiteral("Last Inspection"), QStringLiteral("Next Inspection")};
    for (int c = 0; c < titles.size(); ++c) {
        auto* title = new QLabel(QStringLiteral("<b>%1</b>").arg(titles[c]), this);
        grid->addWidget(title, 0, c);
    }
    int row = 1;
    for (const auto& kind : schedule::Kinds) {
        ScheduleRow line;
        line.freq = boxes_.tag(kind.freqBox);
        line.freq->setToolTip(QStringLiteral("Inspection Frequency"));
        line.last = boxes_.date(kind.lastBox, kind.lastField, DateToolTip);
        line.next = new QLineEdit(this);
        line.next->setObjectName(latin(kind.nextBox));
        line.next->setReadOnly(true);
        line.next->setFocusPolicy(Qt::ClickFocus);
        line.next->setMaximumWidth(line.last->maximumWidth());
        auto* label = new QLabel(latin(kind.label), this);
        label->setBuddy(line.freq);
        grid->addWidget(label, row, 0);
        grid->addWidget(line.freq, row, 1);
        grid->addWidget(line.last, row, 2);
        grid->addWidget(line.next, row, 3);
        schedule_.push_back(line);
        ++row;
    }
    grid->setColumnStretch(4, 1);

    // How long the readings say the shell may go between inspections, beside the schedule.
    auto* assess = commandButton(this, "Cmd_Assess", QStringLiteral("Corrosion &Assessment"),
                                 QStringLiteral("Corrosion rates, remaining life and the "
                                                "inspection intervals they allow, from the "
                                                "tank's thickness readings"));
    connect(assess, &QPushButton::clicked, this, &TankGeneralPanel::assessClicked);
    grid->addWidget(assess, row, 0, 1, 2, Qt::AlignLeft);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(identBox);
    layout->addWidget(scheduleBox);
    layout->addStretch();

    for (const ScheduleRow& line : schedule_) {
        TagBox* box = line.freq;
        box->setKeyHandler([this, box](QChar key) { return FrequencyKeyPress(*box, key); });
        connect(box, &TagBox::left, this, [this, box] { FrequencyLostFocus(*box); });
        connect(line.last, &DateBox::entryAccepted, this, &TankGeneralPanel::ShowNextDates);
    }
}

void TankGeneralPanel::SetToolTipsByUnits() {
    const QString frequencyHint = QStringLiteral("e.g. 5Y or 18M");
    for (const ScheduleRow& line : schedule_) {
        line.freq->setPlaceholderText(frequencyHint);
        line.freq->setMinimumWidth(fontMetrics().horizontalAdvance(frequencyHint) + 24);
    }
}

void TankGeneralPanel::clear() {
    // A frequency box without a value carries the marker leaving it would give it, so that
    // walking through it changes nothing.
    for (const ScheduleRow& line : schedule_) {
        line.freq->clear();
        line.freq->setTag(unitentry::NoUnit);
        line.next->clear();
    }
}

void TankGeneralPanel::showTank(const Recordset& rs) {
    // A frequency never given stays empty, so that it is not stored as 0 either.
    for (std::size_t k = 0; k < schedule::Kinds.size(); ++k) {
        const QString field = latin(schedule::Kinds[k].freqField);
        if (rs.isNull(field))
            continue;
        const unitentry::Shown s = unitentry::frequencyShown(rs.value(field).toDouble());
        schedule_[k].freq->setText(s.text);
        schedule_[k].freq->setTag(s.marker);
    }
}

Status TankGeneralPanel::saveTank(Recordset& rs) const {
    for (std::size_t k = 0; k < schedule::Kinds.size(); ++k) {
        const TagBox* box = schedule_[k].freq;
        if (const auto value = unitentry::storedValue(box->text(), box->tag()))
            if (auto s = rs.setValue(latin(schedule::Kinds[k].freqField), *value); !s)
                return s;
    }
    return {};
}

void TankGeneralPanel::ShowNextDates() {
    for (std::size_t k = 0; k < schedule::Kinds.size(); ++k) {
        const ScheduleRow& line = schedule_[k];
        if (line.freq->text().isEmpty() || line.last->text().isEmpty())
            continue;
        const auto n = toInt16(numericValue(line.freq->text()));
        const auto last = parseDate(line.last->text());
        if (!n || !last)
            continue;
        const QDate next =
            schedule::nextDate(*last, *n, line.freq->tag() == unitentry::PositiveUnit);
        if (next.isValid())
            line.next->setText(formatDate(next));
    }
}

bool TankGeneralPanel::FrequencyKeyPress(TagBox& box, QChar key) {
    const auto effect = unitentry::frequencyKey(key);
    if (effect.marker)
        box.setTag(*effect.marker);
    return effect.swallow;
}

void TankGeneralPanel::FrequencyLostFocus(TagBox& box) {
    box.setTag(unitentry::markerOnLeave(box.tag()));
    const QString text = unitentry::frequencyTextOnLeave(box.text(), box.tag());
    if (text != box.text())
        box.setText(text);
    ShowNextDates();
}

} // namespace korvane
