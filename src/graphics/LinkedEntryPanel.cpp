#include "graphics/LinkedEntryPanel.h"

#include "drawing/Drawing.h"
#include "drawing/DrawingSurface.h"
#include "graphics/DrawingTab.h"
#include "platform/WindowControls.h"

#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QUndoCommand>
#include <QUndoStack>
#include <QVBoxLayout>

namespace korvane {

namespace {

constexpr int DeleteKey = 46;
constexpr int SelectionMode = 11;

// The row's part of a step of the surface's history.
class RowStep : public QUndoCommand {
public:
    explicit RowStep(LinkedEntryPanel::RowChange change) : change_(std::move(change)) {}
    void redo() override { change_(true); }
    void undo() override { change_(false); }

private:
    LinkedEntryPanel::RowChange change_;
};

} // namespace

LinkedEntryPanel::LinkedEntryPanel(Services& services, DrawingTab& tab, const QString& objectName)
    : services_(services), tab_(tab) {
    setObjectName(objectName);
    form_ = new QFormLayout;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(form_);
    setMaximumWidth(240);

    DrawingSurface& surface = tab_.surface();
    surface.setLinkLabels(true);
    connect(&surface, &DrawingSurface::OnHotSpot, this, &LinkedEntryPanel::Surface_OnHotSpot);
    connect(&surface, &DrawingSurface::KeyDown, this, &LinkedEntryPanel::Surface_KeyDown);
}

QLabel* LinkedEntryPanel::addEntryBox(QLineEdit* box, const QString& name, const QString& label,
                                      const QString& toolTip) {
    box->setParent(this);
    box->setObjectName(name);
    box->setToolTip(toolTip);
    box->setAccessibleName(label);
    auto* caption = new QLabel(label, this);
    form_->addRow(caption, box);
    const std::size_t index = boxes_.size();
    boxes_.push_back(box);
    connect(box, &QLineEdit::textEdited, this, [this, index] { boxEdited(index); });
    box->installEventFilter(this);
    return caption;
}

bool LinkedEntryPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && isEntering()) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (accept_->isEnabled())
                accept_->click();
            return true;
        case Qt::Key_Escape:
            cancel_->click();
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void LinkedEntryPanel::addRow(QWidget* row) {
    row->setParent(this);
    form_->addRow(row);
}

void LinkedEntryPanel::addRow(const QString& label, QWidget* field) {
    field->setParent(this);
    form_->addRow(new QLabel(label, this), field);
}

void LinkedEntryPanel::addButtons(const QString& letters, const QString& addCaption,
                                  const QString& addTip) {
    const QByteArray prefix = QByteArrayLiteral("Cmd_") + letters.toLatin1();
    add_ = commandButton(this, (prefix + "Add").constData(), addCaption, addTip);
    accept_ = commandButton(this, (prefix + "Accept").constData(), QStringLiteral("Accept"),
                            QStringLiteral("Store the data and tie the element to it"));
    cancel_ = commandButton(this, (prefix + "Cancel").constData(), QStringLiteral("Cancel"),
                            QStringLiteral("Abandon this entry"));
    connect(add_, &QPushButton::clicked, this, &LinkedEntryPanel::Cmd_Add_Click);
    connect(accept_, &QPushButton::clicked, this, &LinkedEntryPanel::Cmd_Accept_Click);
    connect(cancel_, &QPushButton::clicked, this, &LinkedEntryPanel::reset);
    auto* layout = static_cast<QVBoxLayout*>(this->layout());
    layout->addWidget(add_);
    layout->addWidget(accept_);
    layout->addWidget(cancel_);
    layout->addStretch();
    reset();
}

DrawingSurface& LinkedEntryPanel::surface() const {
    return tab_.surface();
}

void LinkedEntryPanel::reset() {
    for (QLineEdit* box : boxes_) {
        box->clear();
        box->setReadOnly(false);
        box->setEnabled(false);
    }
    resetExtras();
    accept_->setEnabled(false);
    cancel_->setEnabled(false);
    add_->setEnabled(true);
    relinking_ = NoElement;
}

bool LinkedEntryPanel::isEntering() const {
    return cancel_->isEnabled();
}

bool LinkedEntryPanel::checkSelection() {
    const int selected = tab_.surface().SelectedCount(2);
    if (selected == 1)
        return true;
    services_.prompts.message(selected < 1 ? QStringLiteral("No object is selected!")
                                           : QStringLiteral("Too many objects selected!"),
                              QStringLiteral("Selection Error"), Prompts::Icon::Information);
    return false;
}

ElementId LinkedEntryPanel::selectedElement() const {
    const auto& selected = tab_.surface().editor().selection();
    return selected.size() == 1 ? selected.front() : NoElement;
}

QStringList LinkedEntryPanel::printedRows() {
    QStringList rows;
    QSet<QString> seen;
    for (const Element& element : tab_.surface().drawing().elements()) {
        if (!element.hotSpot || element.text.isEmpty())
            continue;
        const QString folded = element.text.toCaseFolded();
        if (seen.contains(folded))
            continue;
        seen.insert(folded);
        if (const QString row = printedRow(element.text); !row.isEmpty())
            rows << row;
    }
    return rows;
}

QString LinkedEntryPanel::linkedKey() const {
    DrawingSurface& surface = tab_.surface();
    surface.setTargetScope(2);
    return surface.ElementHotSpot() ? surface.ElementText() : QString();
}

bool LinkedEntryPanel::mayRelink(const QString& key) {
    const auto answer = services_.prompts.message(
        QStringLiteral("This element is already %1 %2.\nDo you wish to keep it as %1 %2?\n"
                       "No lets you tie it to another %1.")
            .arg(rowName(), key),
        QStringLiteral("Linked Element"), Prompts::Icon::Question, Prompts::Buttons::YesNo);
    return answer == Prompts::Answer::No;
}

void LinkedEntryPanel::Cmd_Add_Click() {
    if (!checkSelection())
        return;
    const QString held = linkedKey();
    if (!held.isEmpty() && !mayRelink(held))
        return;
    // The boxes may still show the row of an element the pointer passed over.
    reset();
    relinking_ = held.isEmpty() ? NoElement : selectedElement();
    if (!startEntry())
        return;
    boxes_.front()->setEnabled(true);
    cancel_->setEnabled(true);
    // A question asked on the way (the reading's type) took the window's focus with it: the
    // window is made active again, so that typing goes into the first box.
    window()->activateWindow();
    boxes_.front()->setFocus();
}

void LinkedEntryPanel::boxEdited(std::size_t index) {
    QLineEdit* box = boxes_[index];
    // Only typing into a box of the entry steps it on, never a row on display.
    if (!box->isEnabled() || box->isReadOnly() || box->text().isEmpty())
        return;
    if (index + 1 < boxes_.size())
        boxes_[index + 1]->setEnabled(true);
    else
        accept_->setEnabled(true);
    if (index == 0)
        add_->setEnabled(false);
}

void LinkedEntryPanel::Cmd_Accept_Click() {
    // The element must still be the only one selected: a row without its element would be
    // data nobody can find on the drawing.
    if (!checkSelection())
        return;
    // Another element may have been selected since Add: one linked elsewhere is asked about too.
    if (const QString held = linkedKey();
        !held.isEmpty() && held != entryKey() && selectedElement() != relinking_) {
        if (!mayRelink(held))
            return;
        relinking_ = selectedElement();
    }
    RowChange change;
    switch (writeEntry(change)) {
    case Outcome::Refused:
        return;
    case Outcome::Written:
        oneStep(QStringLiteral("Link"), change, [this] {
            DrawingSurface& surface = tab_.surface();
            surface.setTargetScope(2);
            surface.setElementText(entryKey());
            surface.setElementHotSpot(true);
            surface.setElementHit(true);
        });
        break;
    case Outcome::Declined:
        break;
    }
    reset();
}

void LinkedEntryPanel::Surface_OnHotSpot(double, double, int action) {
    // The boxes belong to the entry under way until it is accepted or abandoned.
    if (isEntering())
        return;
    if (action == 1) {
        reset();
        return;
    }
    if (action != 2)
        return;
    for (QLineEdit* box : boxes_) {
        box->setEnabled(true);
        box->setReadOnly(true);
    }
    showRow(tab_.surface().ElementText());
}

void LinkedEntryPanel::Surface_KeyDown(int keyCode, int) {
    DrawingSurface& surface = tab_.surface();
    if (keyCode != DeleteKey || surface.EditMode() != SelectionMode)
        return;
    // Only a linked element has a row; any other (a text element showing its own text
    // included) goes at once.
    const QString key = linkedKey();
    if (key.isEmpty()) {
        surface.DeleteSelected(2);
        return;
    }
    const auto answer = services_.prompts.message(
        QStringLiteral("The selected element has data associated with it that will be deleted!"),
        QStringLiteral("Graphic Element Deletion"), Prompts::Icon::Exclamation,
        Prompts::Buttons::OkCancel);
    if (answer != Prompts::Answer::Ok)
        return;
    auto removed = removeRow(key);
    if (!removed) {
        showError(removed.error());
        return;
    }
    // An element whose row is already gone stays, as the row it names cannot be found.
    if (removed.value())
        oneStep(QStringLiteral("Delete"), *removed.value(),
                [&surface] { surface.DeleteSelected(2); });
}

void LinkedEntryPanel::oneStep(const QString& what, const RowChange& change,
                               const std::function<void()>& onSurface) {
    QUndoStack& history = tab_.surface().undoStack();
    history.beginMacro(what);
    history.push(new RowStep(change));
    onSurface();
    history.endMacro();
}

void LinkedEntryPanel::showError(const QString& text) {
    services_.prompts.message(text, window()->windowTitle(), Prompts::Icon::Exclamation);
}

} // namespace korvane
