#pragma once

#include "platform/SelectionChain.h"

#include <QWidget>

class QModelIndex;
class QPushButton;
class QTableView;

namespace korvane {

class InspectionGridModel;

// The "Insp. Select" tab: the company, location and tank lists, and Grid_Inspection with the
// chosen tank's inspections.
//
// For recording inspections the grid starts with "New Inspection"; a single click on an
// inspection makes it the current one (for printing), and a double click (or Enter) opens it, or
// begins a new one on the "New Inspection" row; "Delete Inspection" deletes the chosen one with
// everything recorded with it. For drawing on an inspection's pages the grid
// lists the inspections alone with their reasons as a fourth column, and only a double click (or
// Enter) picks one.
class InspectionSelectPanel : public QWidget {
    Q_OBJECT

public:
    enum class Use { Recording, Drawing };

    InspectionSelectPanel(Session& session, Services& services, QWidget& window,
                          const QString& caption, Use use = Use::Recording);

    // The cells of the grid's current row, as the grid shows them; empty when there is none.
    QStringList currentRowTexts() const;

    SelectionChain& chain() { return *chain_; }
    // Lists the companies (the window's load); the inspection grid starts hidden.
    Status open();
    // Lists the inspections of the chosen tank below "New Inspection" and shows the grid.
    void FillInspectionGrid();
    // Hides the grid, as while an inspection is open.
    void hideInspections();
    // Hides and empties the grid, as a new choice above it does.
    void clearInspections();

signals:
    // The tank was chosen and its inspections are listed.
    void tankChosen();
    // A new choice of company or location cleared everything below it.
    void selectionCleared();
    void newInspectionChosen();
    void inspectionChosen(qint32 inspectionId);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void Grid_Inspection_Click(const QModelIndex& index);
    void Grid_Inspection_DblClick(const QModelIndex& index);
    void Cmd_DeleteInspection_Click();

private:
    // Marks the tanks with an inspection due in white on red, by the rule and the reading of
    // the Tank Information grid.
    void markDueTanks();
    // Shows or hides the grid, with the command below it.
    void showInspections(bool shown);

    Session& session_;
    Services& services_;
    QString caption_;
    Use use_;
    SelectionChain* chain_ = nullptr;
    QTableView* Grid_Inspection = nullptr;
    QPushButton* Cmd_DeleteInspection = nullptr; // only for recording inspections
    InspectionGridModel* inspections_ = nullptr;
};

} // namespace korvane
