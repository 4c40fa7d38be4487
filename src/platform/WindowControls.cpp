#include "platform/WindowControls.h"

#include <QApplication>
#include <QDialog>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace korvane {

QPushButton* commandButton(QWidget* parent, const char* objectName, const QString& caption,
                           const QString& toolTip) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setToolTip(toolTip);
    button->setAutoDefault(false);
    return button;
}

namespace {

// The box layout, at any depth below `layout`, that holds a widget.
QBoxLayout* rowHolding(QLayout* layout, QWidget* widget) {
    if (!layout)
        return nullptr;
    if (auto* box = qobject_cast<QBoxLayout*>(layout); box && box->indexOf(widget) >= 0)
        return box;
    for (int i = 0; i < layout->count(); ++i)
        if (QBoxLayout* found = rowHolding(layout->itemAt(i)->layout(), widget))
            return found;
    return nullptr;
}

} // namespace

QPushButton* addCommandAfter(QWidget& window, QPushButton& besides, const char* objectName,
                             const QString& caption, const QString& toolTip) {
    QPushButton* button = commandButton(&window, objectName, caption, toolTip);
    if (QBoxLayout* row = rowHolding(window.layout(), &besides))
        row->insertWidget(row->indexOf(&besides) + 1, button);
    else if (window.layout())
        window.layout()->addWidget(button);
    return button;
}

WindowButtons layOutTabbedWindow(QDialog& window, QTabWidget& tabs, const QString& okTip,
                                 const QString& cancelTip) {
    WindowButtons b;
    b.print = commandButton(&window, "Cmd_Print", QStringLiteral("Print"));
    b.help = commandButton(&window, "Cmd_Help", QStringLiteral("Help"));
    b.cancel = commandButton(&window, "Cmd_Cancel", QStringLiteral("Cancel"), cancelTip);
    b.ok = commandButton(&window, "Cmd_OK", QStringLiteral("OK"), okTip);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(b.print);
    buttons->addWidget(b.help);
    buttons->addStretch();
    buttons->addWidget(b.cancel);
    buttons->addWidget(b.ok);
    auto* outer = new QVBoxLayout(&window);
    outer->addWidget(&tabs, 1);
    outer->addLayout(buttons);
    return b;
}

namespace {

QGroupBox* titled(QWidget& parent, const QString& title, QWidget* content) {
    auto* box = new QGroupBox(title, &parent);
    auto* layout = new QGridLayout(box);
    layout->addWidget(content, 0, 0);
    return box;
}

} // namespace

void layOutSelectionPage(QWidget& page, const std::vector<std::pair<QString, QWidget*>>& lists,
                         const QString& gridTitle, QWidget& grid, const QString& hint) {
    auto* column = new QVBoxLayout;
    for (const auto& [title, list] : lists)
        column->addWidget(titled(page, title, list), 1);
    auto* columns = new QHBoxLayout;
    columns->addLayout(column, 2);
    columns->addWidget(titled(page, gridTitle, &grid), 3);
    auto* label = new QLabel(hint, &page);
    label->setObjectName(QStringLiteral("LabelSelectHint"));
    label->setWordWrap(true);
    auto* layout = new QVBoxLayout(&page);
    layout->addLayout(columns, 1);
    layout->addWidget(label);
}

void setUpRowGrid(QTableView& grid) {
    grid.setSelectionBehavior(QAbstractItemView::SelectRows);
    grid.setSelectionMode(QAbstractItemView::SingleSelection);
    grid.setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid.setWordWrap(false);
    grid.verticalHeader()->hide();
    grid.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid.verticalHeader()->setDefaultSectionSize(grid.fontMetrics().height() + 8);
    grid.horizontalHeader()->setStretchLastSection(true);
}

bool movesWithinWindow(const QFocusEvent& event) {
    return event.reason() != Qt::ActiveWindowFocusReason && event.reason() != Qt::PopupFocusReason;
}

bool movesToCancel() {
    const QWidget* next = QApplication::focusWidget();
    return next && next->objectName() == QLatin1String("Cmd_Cancel");
}

void bringForwardAndFocus(QWidget& control) {
    // A page of a tab widget sits in the tab widget's stack: page -> stack -> tab widget.
    for (QWidget* w = &control; w; w = w->parentWidget()) {
        QWidget* stack = w->parentWidget();
        auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
        if (tabs && tabs->indexOf(w) >= 0)
            tabs->setCurrentWidget(w);
    }
    control.setFocus(Qt::OtherFocusReason);
}

} // namespace korvane
