#pragma once

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace korvane::test {

// Drives a window as a user does: finds controls by name, double-clicks list entries, types into
// boxes and leaves them with Tab, and clicks buttons. `driven` is the window under test.
class WindowDriver {
protected:
    template <class T = QWidget> T* find(const char* name) const {
        T* w = driven ? driven->findChild<T*>(QString::fromLatin1(name)) : nullptr;
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QLineEdit* box(const char* name) const { return find<QLineEdit>(name); }
    QString text(const char* name) const { return box(name)->text(); }
    QTabWidget* tabs() const { return find<QTabWidget>("Tabs"); }

    void doubleClickList(const char* name, int row) {
        auto* list = find<QListWidget>(name);
        ASSERT_LT(row, list->count()) << name;
        const QPoint at = list->visualItemRect(list->item(row)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }
    // Double-clicks a company, then one of its locations.
    void chooseLocation(int company, int location) {
        doubleClickList("List_Company", company);
        doubleClickList("List_Location", location);
    }
    // Clicks, then double-clicks the first cell of a row of a grid.
    void doubleClickRow(QAbstractItemView* grid, int row, int column = 0) {
        const QModelIndex index = grid->model()->index(row, column);
        grid->scrollTo(index);
        const QPoint at = grid->visualRect(index).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
    }
    QStringList gridColumn(const QAbstractItemView* grid, int column) const {
        QStringList texts;
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            texts << grid->model()->index(r, column).data().toString();
        return texts;
    }

    // Clicks into a box, replaces its text by typing, and leaves it with Tab.
    void typeInto(const char* name, const QString& keys) {
        QLineEdit* b = box(name);
        bringToFront(b);
        QTest::mouseClick(b, Qt::LeftButton);
        b->selectAll();
        if (keys.isEmpty())
            QTest::keyClick(b, Qt::Key_Delete);
        else
            QTest::keyClicks(b, keys);
        QTest::keyClick(b, Qt::Key_Tab);
        QApplication::processEvents();
    }
    // Types into a box without leaving it.
    void typeKeys(const char* name, const QString& keys) {
        QLineEdit* b = box(name);
        bringToFront(b);
        b->setFocus();
        QTest::keyClicks(b, keys);
    }
    void bringToFront(QWidget* w) {
        for (int i = 0; i < tabs()->count(); ++i)
            if (tabs()->widget(i)->isAncestorOf(w))
                tabs()->setCurrentIndex(i);
    }
    void click(const char* button) {
        QTest::mouseClick(find<QPushButton>(button), Qt::LeftButton);
        QApplication::processEvents();
    }
    std::vector<bool> tabsEnabled() const {
        std::vector<bool> enabled;
        for (int i = 1; i < tabs()->count(); ++i)
            enabled.push_back(tabs()->isTabEnabled(i));
        return enabled;
    }

    QWidget* driven = nullptr;
};

} // namespace korvane::test
