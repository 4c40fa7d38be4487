#pragma once

#include <QString>

#include <utility>
#include <vector>

class QDialog;
class QFocusEvent;
class QPushButton;
class QTabWidget;
class QTableView;
class QWidget;

namespace korvane {

// A command button of a window, named for tests and tracing. It is never pressed by Enter in a
// box of the window: Enter must not save or close a window behind the user's back.
QPushButton* commandButton(QWidget* parent, const char* objectName, const QString& caption,
                           const QString& toolTip = QString());

// A command button put into the row of a window's commands just after `besides` (at the end of
// the window's layout when no row holds it).
QPushButton* addCommandAfter(QWidget& window, QPushButton& besides, const char* objectName,
                             const QString& caption, const QString& toolTip = QString());

// The buttons below a tabbed working window.
struct WindowButtons {
    QPushButton* print = nullptr;
    QPushButton* help = nullptr;
    QPushButton* cancel = nullptr;
    QPushButton* ok = nullptr;
};
// Lays out a tabbed working window: the tab strip fills it, and below it sit "Print" and "Help"
// on the left and "Cancel" and "OK" on the right (Cmd_Print, Cmd_Help, Cmd_Cancel, Cmd_OK).
WindowButtons layOutTabbedWindow(QDialog& window, QTabWidget& tabs, const QString& okTip = {},
                                 const QString& cancelTip = {});

// Lays out a page that chooses from lists and a grid: the lists (each with its title) stacked on
// the left, the grid with its title on the right, and a line of hint (LabelSelectHint) below.
void layOutSelectionPage(QWidget& page, const std::vector<std::pair<QString, QWidget*>>& lists,
                         const QString& gridTitle, QWidget& grid, const QString& hint);

// Sets up a read-only grid of rows, as every list grid of the program looks: whole rows chosen
// one at a time, no editing, no row numbers, rows of one fixed height, the last column filling
// the width.
void setUpRowGrid(QTableView& grid);

// Whether a focus change moves the focus within the window (a click on another control, Tab,
// a control hidden), rather than away from the window as a whole.
bool movesWithinWindow(const QFocusEvent& event);

// Whether the focus has just gone to the window's Cancel button: leaving a box for Cancel
// abandons what is being entered, so there is nothing to check then.
bool movesToCancel();

// Makes a control visible and gives it the focus: the tab pages that hold it are brought to the
// front first, so that a box that refused its text is where the user can see it.
void bringForwardAndFocus(QWidget& control);

} // namespace korvane
