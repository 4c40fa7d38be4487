#pragma once

#include "graphics/LinkedEntryPanel.h"
#include "platform/Session.h"
#include "storage/TmlRecords.h"

namespace korvane {

// The thickness measurement locations (TMLs) of a drawing tab of the Tank Graphics window. A
// point is a drawing element whose text is its point ID, tied to the tank's TML row of that ID
// (the page it was accepted on and its coordinates), held with the window's other points in
// `rows` until OK stores them. Beyond what every linked element does,
// clicking a point shows under "Current Thickness" the latest reading taken there over all the
// tank's inspections, with its date and inspection, in the units of the Preferences, and "Trend"
// charts its readings over time.
//
// Controls are named by the tab's letters: for "RF" Text_RFPointID, Text_RFX, Text_RFY,
// Label_RFThickness, Cmd_RFAdd, Cmd_RFAccept and Cmd_RFCancel.
class TmlPointPanel : public LinkedEntryPanel {
    Q_OBJECT

public:
    TmlPointPanel(Session& session, Services& services, LinkedRows<TmlPoint>& rows, DrawingTab& tab,
                  const QString& letters, const QString& addCaption);

protected:
    Outcome writeEntry(RowChange& change) override;
    QString entryKey() const override;
    QString rowName() const override { return QStringLiteral("point"); }
    void showRow(const QString& pointId) override;
    QString printedRow(const QString& pointId) override;
    Result<std::optional<RowChange>> removeRow(const QString& pointId) override;

private slots:
    void Surface_HitObject(double x, double y);
    void Cmd_Trend_Click();

private:
    Session& session_;
    LinkedRows<TmlPoint>& rows_;
    QLineEdit* pointId_ = nullptr;
    QLineEdit* x_ = nullptr;
    QLineEdit* y_ = nullptr;
    QLabel* thickness_ = nullptr;
    QString clicked_; // the point clicked last on this page
};

} // namespace korvane
