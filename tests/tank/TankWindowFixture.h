#pragma once

#include "platform/Session.h"
#include "platform/TagBox.h"
#include "support/ActiveWindow.h"
#include "support/QtPrinters.h"
#include "support/TestDatabase.h"
#include "support/TestServices.h"
#include "support/WindowDriver.h"
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
class TankWindowTest : public testing::Test, public WindowDriver {
protected:
    TankWindowTest() { session.DatabaseName = file.path(); }

    TankInformationWindow& openWindow() {
        window = std::make_unique<TankInformationWindow>(session, t.services);
        driven = window.get();
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

    TagBox* tagBox(const char* name) const { return find<TagBox>(name); }
    QString tag(const char* name) const { return tagBox(name)->tag(); }
    QTableView* grid() const { return find<QTableView>("Grid_Tanks"); }

    QPoint gridRowCentre(int row) const {
        QTableView* g = grid();
        g->scrollTo(g->model()->index(row, 0));
        return g->visualRect(g->model()->index(row, 0)).center();
    }
    void clickGridRow(int row) {
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, gridRowCentre(row));
    }
    // Row 0 is "New Tank for this Location"; tanks follow.
    void doubleClickGridRow(int row) { doubleClickRow(grid(), row); }
    QStringList gridColumn(int column) const { return WindowDriver::gridColumn(grid(), column); }
    std::vector<bool> tankTabsEnabled() const { return tabsEnabled(); }
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
