#include "support/FocusChain.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QLayout>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace korvane::test {

namespace {

QString nameOf(const QWidget& widget) {
    return widget.objectName().isEmpty()
               ? QStringLiteral("<%1>").arg(QString::fromLatin1(widget.metaObject()->className()))
               : widget.objectName();
}

bool visitedByTab(const QWidget& widget, const QWidget& window) {
    return (widget.focusPolicy() & Qt::TabFocus) == Qt::TabFocus && widget.isEnabled() &&
           widget.isVisibleTo(&window);
}

// One thing a layout holds, where it stands on the screen.
struct Placed {
    QRect rect;
    QWidget* widget = nullptr;
    QLayout* layout = nullptr;
};

// Row by row from the top, left to right within a row: an item belongs to the row of the item
// above it when its middle lies within that item's height.
void sortByReading(std::vector<Placed>& items) {
    std::stable_sort(items.begin(), items.end(),
                     [](const Placed& a, const Placed& b) { return a.rect.top() < b.rect.top(); });
    std::vector<std::vector<Placed>> rows;
    for (const Placed& item : items) {
        const int middle = item.rect.center().y();
        if (!rows.empty()) {
            const QRect& first = rows.back().front().rect;
            if (middle >= first.top() && middle <= first.bottom()) {
                rows.back().push_back(item);
                continue;
            }
        }
        rows.push_back({item});
    }
    items.clear();
    for (auto& row : rows) {
        std::stable_sort(row.begin(), row.end(), [](const Placed& a, const Placed& b) {
            return a.rect.left() < b.rect.left();
        });
        items.insert(items.end(), row.begin(), row.end());
    }
}

void readWidget(QWidget& widget, const QWidget& window, QStringList& order);

// Buttons of an exclusive group (option buttons, tool buttons) are one stop for Tab, the arrow
// keys move among them: the stop is the button that is on, or the first when none is.
bool otherStopOfGroup(const QWidget& widget, const QStringList& order) {
    const auto* button = qobject_cast<const QAbstractButton*>(&widget);
    const QButtonGroup* group = button ? button->group() : nullptr;
    if (!group || !group->exclusive())
        return false;
    if (const QAbstractButton* on = group->checkedButton())
        return on != button;
    for (const QAbstractButton* member : group->buttons())
        if (member != button && order.contains(nameOf(*member)))
            return true;
    return false;
}

void readLayout(QLayout& layout, const QWidget& window, QStringList& order) {
    std::vector<Placed> items;
    for (int i = 0; i < layout.count(); ++i) {
        QLayoutItem* item = layout.itemAt(i);
        if (QWidget* w = item->widget()) {
            if (w->isVisibleTo(&window))
                items.push_back({w->geometry(), w, nullptr});
        } else if (QLayout* inner = item->layout()) {
            items.push_back({inner->geometry(), nullptr, inner});
        }
    }
    sortByReading(items);
    for (const Placed& item : items) {
        if (item.widget)
            readWidget(*item.widget, window, order);
        else
            readLayout(*item.layout, window, order);
    }
}

void readWidget(QWidget& widget, const QWidget& window, QStringList& order) {
    if (auto* tabs = qobject_cast<QTabWidget*>(&widget)) {
        order << nameOf(*tabs);
        if (QWidget* page = tabs->currentWidget())
            readWidget(*page, window, order);
        return;
    }
    if (auto* stack = qobject_cast<QStackedWidget*>(&widget)) {
        if (QWidget* page = stack->currentWidget())
            readWidget(*page, window, order);
        return;
    }
    if (auto* area = qobject_cast<QScrollArea*>(&widget); area && area->widget()) {
        readWidget(*area->widget(), window, order);
        return;
    }
    if ((widget.focusPolicy() & Qt::TabFocus) == Qt::TabFocus) {
        if (visitedByTab(widget, window) && !otherStopOfGroup(widget, order))
            order << nameOf(widget);
        return;
    }
    if (QLayout* layout = widget.layout())
        readLayout(*layout, window, order);
}

// The control Tab visits, named as readingOrder names it: the strip of a tab widget, the box of
// a spin box or of a drop-down list stand for their owner.
QWidget* owner(QWidget* focused) {
    QWidget* parent = focused->parentWidget();
    if (qobject_cast<QTabWidget*>(parent) || qobject_cast<QAbstractSpinBox*>(parent) ||
        qobject_cast<QComboBox*>(parent))
        return parent;
    return focused;
}

} // namespace

QStringList tabChain(QWidget& window) {
    QStringList chain;
    QWidget* start = QApplication::focusWidget();
    if (!start || !window.isAncestorOf(start))
        return chain;
    QWidget* current = start;
    for (int step = 0; step < 200; ++step) {
        chain << nameOf(*owner(current));
        QTest::keyClick(current, Qt::Key_Tab);
        QApplication::processEvents();
        current = QApplication::focusWidget();
        if (!current || current == start)
            break;
    }
    return chain;
}

QStringList readingOrder(const QWidget& window) {
    QStringList order;
    if (QLayout* layout = window.layout())
        readLayout(*layout, window, order);
    return order;
}

void expectTabOrderOnEveryTab(QWidget& window) {
    auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("Tabs"));
    ASSERT_NE(tabs, nullptr);
    QApplication::setActiveWindow(&window);
    for (int tab = 0; tab < tabs->count(); ++tab) {
        if (!tabs->isTabEnabled(tab))
            continue;
        tabs->setCurrentIndex(tab);
        QApplication::processEvents();
        tabs->setFocus(Qt::TabFocusReason);
        const QStringList expected = readingOrder(window);
        EXPECT_GT(expected.size(), 3) << tabs->tabText(tab).toStdString();
        EXPECT_EQ(rotatedTo(tabChain(window), expected.value(0)), expected)
            << tabs->tabText(tab).toStdString();
    }
}

void expectTabOrderFollowsLayout(QWidget& window) {
    QApplication::setActiveWindow(&window);
    const QStringList expected = readingOrder(window);
    ASSERT_FALSE(expected.isEmpty());
    QWidget* first = window.findChild<QWidget*>(expected.front());
    ASSERT_NE(first, nullptr) << expected.front().toStdString();
    first->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(rotatedTo(tabChain(window), expected.front()), expected);
}

QStringList rotatedTo(const QStringList& chain, const QString& first) {
    const qsizetype at = chain.indexOf(first);
    if (at < 0)
        return chain;
    return chain.mid(at) + chain.first(at);
}

} // namespace korvane::test
