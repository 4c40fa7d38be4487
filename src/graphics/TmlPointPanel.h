#pragma once

#include "platform/Services.h"
#include "platform/Session.h"

#include <QWidget>

class QLineEdit;
class QPushButton;

namespace korvane {

class DrawingTab;

// The thickness measurement locations (TMLs) of a drawing tab of the Tank Graphics window: the
// point boxes and buttons beside the surface, and what the surface's events do with points.
//
// A point is a drawing element whose text is its point ID, tied to the tank's TML row of that
// ID. Add (with one element selected) starts the entry; typing the point ID, then X, then Y
// enables the next box and finally Accept, which writes the row and links the element. Moving
// the pointer over a linked element shows its row in the boxes, read-only; clicking it shows the
// latest reading taken there; Delete removes the selected element and, after asking, its row.
//
// Controls are named by the tab's letters: for "RF" Text_RFPointID, Text_RFX, Text_RFY,
// Cmd_RFAdd, Cmd_RFAccept and Cmd_RFCancel.
class TmlPointPanel : public QWidget {
    Q_OBJECT

public:
    TmlPointPanel(Session& session, Services& services, DrawingTab& tab, const QString& letters,
                  const QString& addCaption);

    // Idle: Add enabled, the boxes empty and disabled, Accept and Cancel disabled.
    void reset();
    bool isEntering() const;

private slots:
    void Cmd_Add_Click();
    void Cmd_Accept_Click();
    void pointIdChanged();
    void xChanged();
    void yChanged();
    void Surface_OnHotSpot(double x, double y, int action);
    void Surface_HitObject(double x, double y);
    void Surface_KeyDown(int keyCode, int shift);

private:
    QLineEdit* pointBox(const QString& name, const QString& label, const QString& toolTip);
    // Exactly one selected element; otherwise the selection error is shown.
    bool checkSelection();
    void showError(const QString& text);

    Session& session_;
    Services& services_;
    DrawingTab& tab_;
    QLineEdit* pointId_ = nullptr;
    QLineEdit* x_ = nullptr;
    QLineEdit* y_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* accept_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

} // namespace korvane
