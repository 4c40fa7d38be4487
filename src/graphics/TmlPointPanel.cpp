#include "graphics/TmlPointPanel.h"

#include "common/NumberFormat.h"
#include "graphics/DrawingSurface.h"
#include "graphics/DrawingTab.h"
#include "graphics/TmlRecords.h"
#include "platform/WindowControls.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvane {

namespace {

constexpr int DeleteKey = 46;
constexpr int SelectionMode = 11;
const QString SelectionErrorTitle = QStringLiteral("Selection Error");

} // namespace

TmlPointPanel::TmlPointPanel(Session& session, Services& services, DrawingTab& tab,
                             const QString& letters, const QString& addCaption)
    : session_(session), services_(services), tab_(tab) {
    setObjectName(QStringLiteral("Frame_%1Point").arg(letters));
    auto* form = new QFormLayout;
    const auto addBox = [&](const QString& field, const QString& label, const QString& tip) {
        QLineEdit* box = pointBox(QStringLiteral("Text_") + letters + field, label, tip);
        form->addRow(label, box);
        return box;
    };
    pointId_ = addBox(QStringLiteral("PointID"), QStringLiteral("Point ID"),
                      QStringLiteral("The point's name, as its thickness readings give it"));
    x_ = addBox(QStringLiteral("X"), QStringLiteral("X Coordinate"),
                QStringLiteral("Where the point lies across the tank"));
    y_ = addBox(QStringLiteral("Y"), QStringLiteral("Y Coordinate"),
                QStringLiteral("Where the point lies up the tank"));

    const QByteArray prefix = QStringLiteral("Cmd_").toLatin1() + letters.toLatin1();
    add_ = commandButton(this, (prefix + "Add").constData(), addCaption,
                         QStringLiteral("Make the selected element a measurement location"));
    accept_ = commandButton(this, (prefix + "Accept").constData(), QStringLiteral("Accept"),
                            QStringLiteral("Store the measurement location"));
    cancel_ = commandButton(this, (prefix + "Cancel").constData(), QStringLiteral("Cancel"),
                            QStringLiteral("Abandon this measurement location"));
    connect(add_, &QPushButton::clicked, this, &TmlPointPanel::Cmd_Add_Click);
    connect(accept_, &QPushButton::clicked, this, &TmlPointPanel::Cmd_Accept_Click);
    connect(cancel_, &QPushButton::clicked, this, &TmlPointPanel::reset);
    connect(pointId_, &QLineEdit::textEdited, this, &TmlPointPanel::pointIdChanged);
    connect(x_, &QLineEdit::textEdited, this, &TmlPointPanel::xChanged);
    connect(y_, &QLineEdit::textEdited, this, &TmlPointPanel::yChanged);

    DrawingSurface& surface = tab_.surface();
    connect(&surface, &DrawingSurface::OnHotSpot, this, &TmlPointPanel::Surface_OnHotSpot);
    connect(&surface, &DrawingSurface::HitObject, this, &TmlPointPanel::Surface_HitObject);
    connect(&surface, &DrawingSurface::KeyDown, this, &TmlPointPanel::Surface_KeyDown);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(form);
    layout->addWidget(add_);
    layout->addWidget(accept_);
    layout->addWidget(cancel_);
    layout->addStretch();
    setMaximumWidth(220);
    reset();
}

QLineEdit* TmlPointPanel::pointBox(const QString& name, const QString& label,
                                   const QString& toolTip) {
    auto* box = new QLineEdit(this);
    box->setObjectName(name);
    box->setAccessibleName(label);
    box->setToolTip(toolTip);
    return box;
}

void TmlPointPanel::reset() {
    for (QLineEdit* box : {pointId_, x_, y_}) {
        box->clear();
        box->setReadOnly(false);
        box->setEnabled(false);
    }
    accept_->setEnabled(false);
    cancel_->setEnabled(false);
    add_->setEnabled(true);
}

bool TmlPointPanel::isEntering() const {
    return cancel_->isEnabled();
}

bool TmlPointPanel::checkSelection() {
    const int selected = tab_.surface().SelectedCount(2);
    if (selected == 1)
        return true;
    services_.prompts.message(selected < 1 ? QStringLiteral("No object is selected!")
                                           : QStringLiteral("Too many objects selected!"),
                              SelectionErrorTitle, Prompts::Icon::Information);
    return false;
}

void TmlPointPanel::Cmd_Add_Click() {
    if (!checkSelection())
        return;
    // The boxes may still show a point the pointer passed over.
    reset();
    pointId_->setEnabled(true);
    cancel_->setEnabled(true);
    pointId_->setFocus();
}

void TmlPointPanel::pointIdChanged() {
    if (!pointId_->isEnabled() || pointId_->isReadOnly() || pointId_->text().isEmpty())
        return;
    x_->setEnabled(true);
    add_->setEnabled(false);
}

void TmlPointPanel::xChanged() {
    if (x_->isEnabled() && !x_->isReadOnly() && !x_->text().isEmpty())
        y_->setEnabled(true);
}

void TmlPointPanel::yChanged() {
    if (y_->isEnabled() && !y_->isReadOnly() && !y_->text().isEmpty())
        accept_->setEnabled(true);
}

void TmlPointPanel::Cmd_Accept_Click() {
    // The element must still be the only one selected: a row without its element would be a
    // point nobody can find on the drawing.
    if (!checkSelection())
        return;
    TmlPoint point;
    point.pointId = pointId_->text();
    point.page = tab_.currentPage();
    for (auto [box, value, label] :
         {std::tuple{x_, &point.x, "X Coordinate"}, std::tuple{y_, &point.y, "Y Coordinate"}}) {
        const auto number = tml::coordinate(box->text());
        if (!number) {
            showError(QStringLiteral("The %1 must be a number.").arg(QLatin1String(label)));
            box->setFocus();
            return;
        }
        *value = *number;
    }

    auto existing = tml::find(session_.DatabaseName, session_.CurTankID, point.pointId);
    if (!existing) {
        showError(existing.error());
        return;
    }
    if (existing.value()) {
        const auto answer = services_.prompts.message(
            QStringLiteral("PointID - %1 already exists.").arg(point.pointId),
            QStringLiteral("Duplication Warning"), Prompts::Icon::Exclamation,
            Prompts::Buttons::OkCancel);
        if (answer != Prompts::Answer::Ok) {
            reset();
            return;
        }
    }
    if (Status written = tml::write(session_.DatabaseName, session_.CurTankID, point); !written) {
        showError(written.error());
        return;
    }
    DrawingSurface& surface = tab_.surface();
    surface.setTargetScope(2);
    surface.setElementText(point.pointId);
    surface.setElementHotSpot(true);
    surface.setElementHit(true);
    reset();
}

void TmlPointPanel::Surface_OnHotSpot(double, double, int action) {
    // The boxes belong to the point being entered until it is accepted or abandoned.
    if (isEntering())
        return;
    if (action == 1) {
        reset();
        return;
    }
    if (action != 2)
        return;
    for (QLineEdit* box : {pointId_, x_, y_}) {
        box->setEnabled(true);
        box->setReadOnly(true);
    }
    auto row = tml::find(session_.DatabaseName, session_.CurTankID, tab_.surface().ElementText());
    if (row && row.value()) {
        pointId_->setText(row.value()->pointId);
        x_->setText(tml::coordinateText(row.value()->x));
        y_->setText(tml::coordinateText(row.value()->y));
    }
}

void TmlPointPanel::Surface_HitObject(double, double) {
    auto reading =
        tml::latestReading(session_.DatabaseName, session_.CurTankID, tab_.surface().ElementText());
    if (!reading) {
        showError(reading.error());
        return;
    }
    if (!reading.value())
        return;
    services_.prompts.message(formatThickness(*reading.value(), session_.UnitsUS),
                              QStringLiteral("Current Thickness"), Prompts::Icon::Information);
}

void TmlPointPanel::Surface_KeyDown(int keyCode, int) {
    DrawingSurface& surface = tab_.surface();
    if (keyCode != DeleteKey || surface.EditMode() != SelectionMode)
        return;
    surface.setTargetScope(2);
    const QString pointId = surface.ElementText();
    if (pointId.isEmpty()) {
        surface.DeleteSelected(2);
        return;
    }
    const auto answer = services_.prompts.message(
        QStringLiteral("The selected element has data associated with it that will be deleted!"),
        QStringLiteral("Graphic Element Deletion"), Prompts::Icon::Exclamation,
        Prompts::Buttons::OkCancel);
    if (answer != Prompts::Answer::Ok)
        return;
    auto removed = tml::remove(session_.DatabaseName, session_.CurTankID, pointId);
    if (!removed) {
        showError(removed.error());
        return;
    }
    // A point whose row is already gone keeps its element, as a sign that something is amiss.
    if (removed.value())
        surface.DeleteSelected(2);
}

void TmlPointPanel::showError(const QString& text) {
    services_.prompts.message(text, window()->windowTitle(), Prompts::Icon::Exclamation);
}

} // namespace korvane
