#include "platform/Keyboard.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>
#include <tuple>
#include <vector>

namespace korvane {

namespace {

bool takesTabFocus(const QWidget& widget) {
    return (widget.focusPolicy() & Qt::TabFocus) == Qt::TabFocus;
}

void collectWidget(QWidget* widget, std::vector<QWidget*>& chain);

// The items of a layout in the order they are seen.
std::vector<QLayoutItem*> itemsInOrder(QLayout& layout) {
    std::vector<QLayoutItem*> items;
    if (auto* grid = qobject_cast<QGridLayout*>(&layout)) {
        std::vector<std::tuple<int, int, QLayoutItem*>> cells;
        for (int i = 0; i < grid->count(); ++i) {
            int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
            grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
            cells.emplace_back(row, column, grid->itemAt(i));
        }
        std::stable_sort(cells.begin(), cells.end(), [](const auto& a, const auto& b) {
            return std::tie(std::get<0>(a), std::get<1>(a)) <
                   std::tie(std::get<0>(b), std::get<1>(b));
        });
        for (const auto& cell : cells)
            items.push_back(std::get<2>(cell));
        return items;
    }
    if (auto* form = qobject_cast<QFormLayout*>(&layout)) {
        for (int row = 0; row < form->rowCount(); ++row)
            for (const auto role :
                 {QFormLayout::LabelRole, QFormLayout::FieldRole, QFormLayout::SpanningRole})
                if (QLayoutItem* item = form->itemAt(row, role))
                    items.push_back(item);
        return items;
    }
    for (int i = 0; i < layout.count(); ++i)
        items.push_back(layout.itemAt(i));
    if (auto* box = qobject_cast<QBoxLayout*>(&layout);
        box && (box->direction() == QBoxLayout::RightToLeft ||
                box->direction() == QBoxLayout::BottomToTop))
        std::reverse(items.begin(), items.end());
    return items;
}

void collectLayout(QLayout& layout, std::vector<QWidget*>& chain) {
    for (QLayoutItem* item : itemsInOrder(layout)) {
        if (QWidget* widget = item->widget())
            collectWidget(widget, chain);
        else if (QLayout* inner = item->layout())
            collectLayout(*inner, chain);
    }
}

void collectWidget(QWidget* widget, std::vector<QWidget*>& chain) {
    if (widget->isWindow())
        return;
    if (auto* tabs = qobject_cast<QTabWidget*>(widget)) {
        // The strip itself: the tab widget holds its pages too, and ordering the whole of it
        // before its own pages' controls would tie the chain in a knot.
        if (auto* strip = tabs->findChild<QTabBar*>(QString(), Qt::FindDirectChildrenOnly))
            chain.push_back(strip);
        for (int i = 0; i < tabs->count(); ++i)
            collectWidget(tabs->widget(i), chain);
        return;
    }
    if (auto* stack = qobject_cast<QStackedWidget*>(widget)) {
        for (int i = 0; i < stack->count(); ++i)
            collectWidget(stack->widget(i), chain);
        return;
    }
    if (auto* area = qobject_cast<QScrollArea*>(widget); area && area->widget()) {
        collectWidget(area->widget(), chain);
        return;
    }
    // Tab leaves a grid or a list; the arrow keys move within it. A grid that kept Tab for its
    // cells would hold the focus for ever, going round its cells.
    if (auto* view = qobject_cast<QAbstractItemView*>(widget))
        view->setTabKeyNavigation(false);
    // A control that takes the focus itself looks after its own parts (a combo box's line edit,
    // a spin box's arrows).
    if (takesTabFocus(*widget)) {
        chain.push_back(widget);
        return;
    }
    if (QLayout* layout = widget->layout())
        collectLayout(*layout, chain);
}

// Enter presses the focused button.
class ButtonKeys final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
            (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        auto* button = qobject_cast<QAbstractButton*>(watched);
        // A check box or an option button is set with Space; Enter there is the window's.
        // Keys go to the control with the focus: a key press at a button is one the button has.
        if (!button || qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button) ||
            !button->isEnabled())
            return false;
        button->click();
        return true;
    }
};

} // namespace

void orderFocusByLayout(QWidget& window) {
    std::vector<QWidget*> chain;
    if (QLayout* layout = window.layout())
        collectLayout(*layout, chain);
    for (std::size_t i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
    // A push button of a dialog would otherwise become its default button by having had the
    // focus once, and Enter in any box afterwards would press it (turn a page, close the
    // window). Enter presses the focused button anyway (installKeyboardConventions), and the
    // window's own default button stays the only one.
    for (QPushButton* button : window.findChildren<QPushButton*>())
        if (!button->isDefault())
            button->setAutoDefault(false);
}

void installKeyboardConventions(QApplication& app) {
    app.installEventFilter(new ButtonKeys(&app));
}

} // namespace korvane
