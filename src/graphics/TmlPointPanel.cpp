#include "graphics/TmlPointPanel.h"

#include "assessment/AssessmentStatus.h"
#include "assessment/TrendWindow.h"
#include "common/NumberFormat.h"
#include "common/TextValue.h"
#include "drawing/DrawingSurface.h"
#include "graphics/DrawingTab.h"
#include "storage/TmlRecords.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace korvane {

TmlPointPanel::TmlPointPanel(Session& session, Services& services, LinkedRows<TmlPoint>& rows,
                             DrawingTab& tab, const QString& letters, const QString& addCaption)
    : LinkedEntryPanel(services, tab, QStringLiteral("Frame_%1Point").arg(letters)),
      session_(session), rows_(rows) {
    const QString prefix = QStringLiteral("Text_") + letters;
    pointId_ = new QLineEdit;
    addEntryBox(pointId_, prefix + QStringLiteral("PointID"), QStringLiteral("Point ID"),
                QStringLiteral("The point's name, as its thickness readings give it"));
    x_ = new QLineEdit;
    addEntryBox(x_, prefix + QStringLiteral("X"), QStringLiteral("X Coordinate"),
                QStringLiteral("Where the point lies across the tank"));
    y_ = new QLineEdit;
    addEntryBox(y_, prefix + QStringLiteral("Y"), QStringLiteral("Y Coordinate"),
                QStringLiteral("Where the point lies up the tank"));
    // The latest reading of the point clicked last on this page.
    thickness_ = new QLabel;
    thickness_->setObjectName(QStringLiteral("Label_%1Thickness").arg(letters));
    thickness_->setToolTip(QStringLiteral("The latest reading of the point clicked last"));
    thickness_->setWordWrap(true);
    thickness_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    thickness_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Room for the reading, its date and inspection from the start: the buttons below must not
    // move away from the pointer when a point is clicked.
    thickness_->setMinimumHeight(thickness_->fontMetrics().lineSpacing() * 3);
    addRow(QStringLiteral("Current Thickness"), thickness_);
    connect(&tab, &DrawingTab::pageShown, thickness_, &QLabel::clear);
    auto* trend = new QPushButton(QStringLiteral("T&rend"));
    trend->setObjectName(QStringLiteral("Cmd_%1Trend").arg(letters));
    trend->setToolTip(QStringLiteral("The readings of the point clicked last, or of the point "
                                     "named above, over time"));
    connect(trend, &QPushButton::clicked, this, &TmlPointPanel::Cmd_Trend_Click);
    addRow(trend);
    // What the markers beside the points say.
    auto* legend = new QLabel(statusLegend(true));
    legend->setObjectName(QStringLiteral("Label_%1Legend").arg(letters));
    addRow(legend);
    addButtons(letters, addCaption,
               QStringLiteral("Make the selected element a measurement location"));
    connect(&tab.surface(), &DrawingSurface::HitObject, this, &TmlPointPanel::Surface_HitObject);
}

QString TmlPointPanel::entryKey() const {
    return pointId_->text();
}

TmlPointPanel::Outcome TmlPointPanel::writeEntry(RowChange& change) {
    TmlPoint point;
    point.pointId = pointId_->text();
    point.page = tab_.currentPage();
    for (auto [box, value, label] :
         {std::tuple{x_, &point.x, "X Coordinate"}, std::tuple{y_, &point.y, "Y Coordinate"}}) {
        const auto number = plainNumber(box->text());
        if (!number) {
            showError(QStringLiteral("The %1 must be a number.").arg(QLatin1String(label)));
            box->setFocus();
            return Outcome::Refused;
        }
        *value = *number;
    }

    auto existing = rows_.find(session_.DatabaseName, session_.CurTankID, point.pointId);
    if (!existing) {
        showError(existing.error());
        return Outcome::Refused;
    }
    if (existing.value()) {
        if (services_.prompts.message(
                QStringLiteral("PointID - %1 already exists.").arg(point.pointId),
                QStringLiteral("Duplication Warning"), Prompts::Icon::Exclamation,
                Prompts::Buttons::OkCancel) != Prompts::Answer::Ok)
            return Outcome::Declined;
        // The point moves to this page with new coordinates; its ID stays as it was written.
        point.pointId = existing.value()->pointId;
    }
    auto made = changeOf(rows_, session_.DatabaseName, session_.CurTankID, point.pointId, point);
    if (!made) {
        showError(made.error());
        return Outcome::Refused;
    }
    change = std::move(made.value());
    return Outcome::Written;
}

void TmlPointPanel::showRow(const QString& pointId) {
    auto row = rows_.find(session_.DatabaseName, session_.CurTankID, pointId);
    if (!row || !row.value())
        return;
    pointId_->setText(row.value()->pointId);
    x_->setText(numberText(row.value()->x));
    y_->setText(numberText(row.value()->y));
}

// "A-1   X 12.5   Y 40   0.250 in. on 05/Mar/2021, inspection 2021-01": the point, where it
// stands, and its latest measurement as "Current Thickness" shows it.
QString TmlPointPanel::printedRow(const QString& pointId) {
    auto row = rows_.find(session_.DatabaseName, session_.CurTankID, pointId);
    if (!row || !row.value())
        return {};
    auto latest = tml::latestMeasurement(session_.DatabaseName, session_.CurTankID, pointId);
    const QString measured = latest ? tml::currentThicknessText(*latest, session_.UnitsUS)
                                    : QStringLiteral("measurement not read: ") + latest.error();
    return QStringLiteral("%1   X %2   Y %3   %4")
        .arg(row.value()->pointId, numberText(row.value()->x), numberText(row.value()->y),
             measured);
}

Result<std::optional<LinkedEntryPanel::RowChange>>
TmlPointPanel::removeRow(const QString& pointId) {
    auto row = rows_.find(session_.DatabaseName, session_.CurTankID, pointId);
    if (!row)
        return row.takeError();
    if (!row.value())
        return std::optional<RowChange>();
    auto made = changeOf(rows_, session_.DatabaseName, session_.CurTankID, pointId, std::nullopt);
    if (!made)
        return made.takeError();
    return std::optional<RowChange>(std::move(made.value()));
}

void TmlPointPanel::Surface_HitObject(double, double) {
    const QString pointId = tab_.surface().ElementText();
    auto latest = tml::latestMeasurement(session_.DatabaseName, session_.CurTankID, pointId);
    if (!latest) {
        showError(latest.error());
        return;
    }
    thickness_->setText(pointId + QStringLiteral(": ") +
                        tml::currentThicknessText(latest.value(), session_.UnitsUS));
    clicked_ = pointId;
}

void TmlPointPanel::Cmd_Trend_Click() {
    const QString pointId = !pointId_->text().isEmpty() ? pointId_->text() : clicked_;
    if (pointId.isEmpty()) {
        showError(QStringLiteral("Click a point of the drawing first."));
        return;
    }
    showTrend(*this, session_, services_, QString(), pointId);
}

} // namespace korvane
