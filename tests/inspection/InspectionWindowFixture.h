#pragma once

#include "data/History.h"
#include "inspection/InspectionWindow.h"
#include "platform/TagBox.h"
#include "support/ActiveWindow.h"
#include "support/QtPrinters.h"
#include "support/TestDatabase.h"
#include "support/TestServices.h"
#include "support/WindowDriver.h"

#include <QBrush>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTableWidget>

#include <memory>

namespace korvane::test {

constexpr double MmPerInch = 25.399986;

// Gulf Plains has Port Arthur with T-101 (80 ft across, 80 ft high, yield 30,000 psi; four
// courses, minimums 0.30, 0.28, 0.25 and 0.20 in; two inspections, one reading) and "O'Brien #3"
// (no inspections), and Beaumont with no tanks; Prairie has no locations. Today is 15/Jun/2024.
class InspectionWindowTest : public testing::Test, public WindowDriver {
protected:
    InspectionWindowTest() {
        session.DatabaseName = file.path();
        const qint32 gulf = file.addCompany(QStringLiteral("Gulf Plains"));
        file.addCompany(QStringLiteral("Prairie"));
        const qint32 portArthur = file.addLocation(gulf, QStringLiteral("Port Arthur"));
        file.addLocation(gulf, QStringLiteral("Beaumont"));
        t101 = file.add(QStringLiteral("Tank"), {{"LocationID", portArthur},
                                                 {"Name", "T-101"},
                                                 {"Courses", 4},
                                                 {"Course1_Min", 0.30},
                                                 {"Course2_Min", 0.28},
                                                 {"Course3_Min", 0.25},
                                                 {"Course4_Min", 0.20},
                                                 {"Diameter", 960},
                                                 {"Height", 960},
                                                 {"Yield", 30000}});
        obrien = file.addTank(portArthur, QStringLiteral("O'Brien #3"));
        i2023 = file.add(QStringLiteral("Inspection"), {{"TankID", t101},
                                                        {"InspectionNum", "I-2023"},
                                                        {"InspectionDate", "01/Mar/2023"},
                                                        {"InspectionType", 4},
                                                        {"InspectedBy", "R. Diaz"},
                                                        {"InspectionReason", "Routine"}});
        unnumbered = file.add(QStringLiteral("Inspection"),
                              {{"TankID", t101}, {"InspectionDate", "02/Apr/2023"}});
        file.add(QStringLiteral("Thickness"), {{"InspectionID", i2023},
                                               {"PointID", "A-1"},
                                               {"DateTaken", "01/Mar/2023"},
                                               {"Reading", 0.29},
                                               {"Course", 2},
                                               {"TakenBy", "R. Diaz"}});
    }

    // Point B-2 on course 2 (code 3) read 0.40, 0.38 and 0.34 on 01/Mar of 2015, 2019 and 2023,
    // the last in a third inspection of T-101.
    void addThinningPoint() {
        const qint32 third = file.add(QStringLiteral("Inspection"), {{"TankID", t101}});
        const std::pair<qint32, const char*> readings[] = {
            {i2023, "01/Mar/2015"}, {unnumbered, "01/Mar/2019"}, {third, "01/Mar/2023"}};
        const double inches[] = {0.40, 0.38, 0.34};
        for (std::size_t i = 0; i < std::size(readings); ++i)
            file.add(QStringLiteral("Thickness"), {{"InspectionID", readings[i].first},
                                                   {"PointID", "B-2"},
                                                   {"DateTaken", readings[i].second},
                                                   {"Reading", inches[i]},
                                                   {"Course", 3}});
    }

    InspectionWindow& openWindow() {
        window = std::make_unique<InspectionWindow>(session, t.services);
        driven = window.get();
        showActive(*window);
        return *window;
    }
    // Opens T-101 and double-clicks a row of its inspection grid (0: "New Inspection").
    void openInspection(int row) {
        openWindow();
        chooseLocation(0, 0);
        doubleClickList("List_Tank", 0);
        doubleClickRow(inspectionGrid(), row);
    }

    // Clicks a row of a grid once, choosing it.
    void clickRow(QAbstractItemView* grid, int row) {
        const QModelIndex index = grid->model()->index(row, 0);
        grid->scrollTo(index);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
    }
    QTableView* inspectionGrid() const { return find<QTableView>("Grid_Inspection"); }
    QTableView* tankReadings() const { return find<QTableView>("Grid_TankReadings"); }
    QTableWidget* sessionGrid() const { return find<QTableWidget>("Grid_ReportReadings"); }
    QComboBox* combo(const char* name) const { return find<QComboBox>(name); }

    // Fills the pending reading and presses Next or Done.
    void enterReading(int coursePosition, const QString& point, const QString& thickness,
                      const char* button) {
        combo("List_Course")->setCurrentIndex(coursePosition);
        typeInto("Text_PointID", point);
        typeInto("Text_Thickness", thickness);
        click(button);
    }
    QVariant thicknessField(const QString& point, const char* field) const {
        return file.value(QStringLiteral("Thickness"), QStringLiteral("PointID"), point,
                          QString::fromLatin1(field));
    }
    QVariant inspectionField(qint32 id, const char* field) const {
        return file.value(QStringLiteral("Inspection"), QStringLiteral("InspectionID"), id,
                          QString::fromLatin1(field));
    }
    // The row of Grid_TankReadings showing a point, or -1.
    int tankReadingRow(const QString& point) const {
        return static_cast<int>(gridColumn(tankReadings(), 1).indexOf(point));
    }
    bool markedRed(const QString& point) const {
        const QModelIndex cell = tankReadings()->model()->index(tankReadingRow(point), 2);
        return cell.data(Qt::BackgroundRole).value<QBrush>().color() == QColor(255, 0, 0);
    }
    // The rows of an inspection the history records as deleted ("Table label"), newest first.
    QStringList deletedRows(qint32 inspection) const {
        auto entries = history::readForInspection(file.open(), inspection);
        EXPECT_TRUE(entries.ok());
        QStringList rows;
        for (const history::Entry& e : entries.ok() ? *entries : std::vector<history::Entry>())
            if (e.action == history::Action::Deleted && e.tankId == t101)
                rows << e.table + QLatin1Char(' ') + e.rowLabel;
        return rows;
    }
    QStringList messageTexts() const {
        QStringList texts;
        for (const auto& m : t.prompts.messages())
            texts << m.title + QStringLiteral(": ") + m.text;
        return texts;
    }

    TestDatabase file;
    Session session;
    TestServices t;
    std::unique_ptr<InspectionWindow> window;
    qint32 t101 = 0, obrien = 0, i2023 = 0, unnumbered = 0;
};

} // namespace korvane::test
