#pragma once

#include "graphics/LinkedEntryPanel.h"
#include "platform/Session.h"
#include "storage/AreaRecords.h"

#include <array>

class QCheckBox;
class QRadioButton;

namespace korvane {

class DateBox;
class TagBox;

// The marked areas of a drawing tab of the Inspection Graphics window: settled areas of the
// bottom on the edge tab (EdgeSettle; letters "E"), corroded areas of the roof and floor
// (RFCorrosion; "RF") and of the shell (SCorrosion; "S"). An area is a drawing element whose
// text is its area ID, tied to the inspection's row of that ID. The panel holds the rows of its
// table accepted and deleted in the window (for every inspection picked) until OK stores them.
//
// Add asks the kind of reading (edge or floor, corrosion or pitting; the shell asks nothing);
// the boxes are then filled in order: taken by, date, area ID and three measurements in the
// units of the Preferences, each keeping its value in inches beside its text (metric: the
// millimetres typed divided by 25.399986). Only those inch values are stored.
class AreaPanel : public LinkedEntryPanel {
    Q_OBJECT

public:
    AreaPanel(Session& session, Services& services, DrawingTab& tab, AreaTable table);

    PendingRows& pendingRows() { return rows_; }

protected:
    bool startEntry() override;
    Outcome writeEntry(RowChange& change) override;
    QString entryKey() const override;
    QString rowName() const override { return QStringLiteral("area"); }
    void showRow(const QString& areaId) override;
    QString printedRow(const QString& areaId) override;
    Result<std::optional<RowChange>> removeRow(const QString& areaId) override;
    void resetExtras() override;

private:
    // The kind-of-reading options and their question, on the edge and roof/floor tabs.
    void addTypeOptions(const QString& letters, const QString& first, const QString& second);

    Session& session_;
    AreaTable table_;
    LinkedRows<AreaRow> rows_;
    QLineEdit* takenBy_ = nullptr;
    DateBox* date_ = nullptr;
    QLineEdit* areaId_ = nullptr;
    std::array<TagBox*, 3> measures_{};
    std::array<QString, 3> measureNames_;
    std::array<QRadioButton*, 2> type_{};
    QCheckBox* Chk_Stress = nullptr;
};

} // namespace korvane
