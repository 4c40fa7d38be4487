#pragma once

#include "platform/Session.h"
#include "platform/TagBox.h"
#include "support/ActiveWindow.h"
#include "support/QtPrinters.h"
#include "support/TestDatabase.h"
#include "support/TestServices.h"
#include "tank/TankInformationWindow.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace korvane::test {

// A database with companies, locations and tanks, a session on it, and the Tank Information
// window driven as a user drives it: by double clicks, typed keys, Tab and button clicks.
// Today is 15/Jun/2024.
class TankWindowTest : public testing::Test {
protected:
    TankWindowTest() { session.DatabaseName = file.path(); }

    TankInformationWindow& openWindow() {
        window = std::make_unique<TankInformationWindow>(session, t.services);
        showActive(*window);
        return *window;
    }

    // Opens the first tank (or a new one) of the first location of the first company.
    void openTank() {
        openWindow();
        chooseLocation(0, 0);
        doubleClickGridRow(1);
        ASSERT_TRUE(session.RecordMode);
    }
    void openNewTank() {
        openWindow();
        chooseLocation(0, 0);
        doubleClickGridRow(0);
        ASSERT_TRUE(session.RecordMode);
    }

    template <class T = QWidget> T* find(const char* name) const {
        T* w = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QLineEdit* box(const char* name) const { return find<QLineEdit>(name); }
    TagBox* tagBox(const char* name) const { return find<TagBox>(name); }
    QString text(const char* name) const { return box(name)->text(); }
    QString tag(const char* name) const { return tagBox(name)->tag(); }
    QTabWidget* tabs() const { return find<QTabWidget>("Tabs"); }
    QTableView* grid() const { return find<QTableView>("Grid_Tanks"); }

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
    QPoint gridRowCentre(int row) const {
        QTableView* g = grid();
        g->scrollTo(g->model()->index(row, 0));
        return g->visualRect(g->model()->index(row, 0)).center();
    }
    void clickGridRow(int row) {
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, gridRowCentre(row));
    }
    // Row 0 is "New Tank for this Location"; tanks follow.
    void doubleClickGridRow(int row) {
        const QPoint at = gridRowCentre(row);
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, at);
    }
    QStringList gridColumn(int column) const {
        QStringList texts;
        for (int r = 0; r < grid()->model()->rowCount(); ++r)
            texts << grid()->model()->index(r, column).data().toString();
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
    std::vector<bool> tankTabsEnabled() const {
        std::vector<bool> enabled;
        for (int i = 1; i < tabs()->count(); ++i)
            enabled.push_back(tabs()->isTabEnabled(i));
        return enabled;
    }
    QVariant tankField(qint32 tank, const char* field) const {
        return file.value(QStringLiteral("Tank"), QStringLiteral("TankID"), tank,
                          QString::fromLatin1(field));
    }
    // Expects each field of a tank row to hold its value.
    void expectStored(qint32 tank,
                      std::initializer_list<std::pair<const char*, QVariant>> fields) const {
        for (const auto& [field, value] : fields)
            EXPECT_EQ(tankField(tank, field), value) << field;
    }
    qint32 addTank(qint32 location, const QString& name, const QVariantMap& more = {}) const {
        QVariantMap values = more;
        values.insert(QStringLiteral("LocationID"), location);
        values.insert(QStringLiteral("Name"), name);
        return file.add(QStringLiteral("Tank"), values);
    }

    TestDatabase file;
    Session session;
    TestServices t;
    std::unique_ptr<TankInformationWindow> window;
};

} // namespace korvane::test
