#pragma once

#include "common/Result.h"
#include "due/DueList.h"
#include "platform/Services.h"
#include "platform/Session.h"

#include <QWidget>

#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QModelIndex;
class QPushButton;
class QSpinBox;
class QTableView;

namespace korvane {

class DueFilter;
class DueModel;

// "Due and at Risk": every tank of the open database on one page, what the main window shows
// while a database is open. One row per tank with its company, location and product; the next
// due date of each scheduled inspection, red when overdue and amber when due within the days of
// the horizon box; the shortest remaining life and its point (amber when a point is short of
// life before the next ultrasonic inspection), the points below minimum (red), the last shell
// survey's verdict (red beyond the allowance, amber for a poor fit) and the last inspection.
// Worst first; a click on a column title sorts by it. The lists narrow it to a company, a
// location and the tanks that need attention. A double click (or Enter) opens the tank in Tank
// Information, or its Corrosion Assessment from the life, point and below-minimum cells.
// "Export..." writes the rows shown as CSV or an Excel workbook, "Print" prints them through
// the stored report due.rpt.
class DueWindow : public QWidget {
    Q_OBJECT

public:
    DueWindow(Session& session, Services& services, QWidget* parent = nullptr);
    ~DueWindow() override;

    // Reads the list of the session's database again; the error, with the list emptied, when it
    // cannot be read.
    Status load();
    // load(), with a failure shown as a message.
    void refresh();

    // The rows shown, in the order shown (for the tests and the export).
    std::vector<const due::TankRow*> shownRows() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void Text_Horizon_Changed();
    void List_Company_Changed();
    void filterChanged();
    void Grid_Due_DblClick(const QModelIndex& index);
    void Cmd_Export_Click();
    void Cmd_Print_Click();
    void Cmd_Help_Click();

private:
    void fillCompanies();
    void showCount();
    due::Options options() const;
    sheet::Sheet shownSheet() const;

    Session& session_;
    Services& services_;
    std::vector<due::TankRow> rows_;
    DueModel* model_ = nullptr;
    DueFilter* filter_ = nullptr;
    QSpinBox* Text_Horizon = nullptr;
    QComboBox* List_Company = nullptr;
    QComboBox* List_Location = nullptr;
    QCheckBox* Chk_Attention = nullptr;
    QTableView* Grid_Due = nullptr;
    QLabel* Label_Count = nullptr;
    QPushButton* Cmd_Refresh = nullptr;
    QPushButton* Cmd_Export = nullptr;
    QPushButton* Cmd_Print = nullptr;
    QPushButton* Cmd_Help = nullptr;
};

} // namespace korvane
