#pragma once

#include "common/Result.h"
#include "drawing/DrawingElement.h"
#include "platform/Services.h"
#include "storage/LinkedRows.h"

#include <QStringList>
#include <QWidget>

#include <functional>
#include <optional>
#include <type_traits>
#include <vector>

class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace korvane {

class DrawingSurface;
class DrawingTab;

// The controls beside a drawing surface that tie drawing elements to data rows (measurement
// locations, settled and corroded areas): entry boxes filled one after another, Add, Accept and
// Cancel, the row of the element under the pointer shown read-only in the same boxes, and Delete
// of an element together with its row.
//
// Add (with exactly one element selected) starts the entry; typing into an entry box enables the
// next one, and the last one enables Accept. Accept makes the row and links the selected
// element to it: its text becomes the row's key and it raises hot-spot and hit events. An
// element already linked to a row is tied to another only when the user says so: Add asks
// first, naming the row it holds; Yes, the button Enter presses, keeps it as it is.
// Delete (in selection mode) removes an unlinked element at once; a linked one asks first, and
// goes together with its row, and stays when it has no row. The surface shows each linked
// element's key beside it.
//
// Rows are held by the window until its OK stores them with the pages (see LinkedRows). A link
// and its row, or a deletion and its row, are one step of the surface's undo history: undo and
// redo take the row back and forth with the element, and a page left unsaved takes its rows
// back with it.
class LinkedEntryPanel : public QWidget {
    Q_OBJECT

public:
    // A change of a row the window holds: made (forward) when its step is done or redone, taken
    // back when it is undone.
    using RowChange = std::function<void(bool forward)>;

    DrawingSurface& surface() const;

    // Idle: Add enabled, the boxes empty, editable and disabled, Accept and Cancel disabled.
    void reset();
    bool isEntering() const;

    // One line for each row tied to an element of the page the tab shows, in the order the
    // elements were drawn (an element tied twice counts once), for the printed page.
    QStringList printedRows();

protected:
    LinkedEntryPanel(Services& services, DrawingTab& tab, const QString& objectName);

    // In an entry box while entering, Return accepts the entry and Escape abandons it (rather
    // than closing the window).
    bool eventFilter(QObject* watched, QEvent* event) override;

    // Adds an entry box in entry order, named and labelled; gives its label.
    QLabel* addEntryBox(QLineEdit* box, const QString& name, const QString& label,
                        const QString& toolTip);
    // Adds a row of other controls (options, a check box) below the boxes.
    void addRow(QWidget* row);
    // Adds a labelled row below the boxes.
    void addRow(const QString& label, QWidget* field);
    // Adds Cmd_<letters>Add (with its caption), Cmd_<letters>Accept and Cmd_<letters>Cancel.
    void addButtons(const QString& letters, const QString& addCaption, const QString& addTip);

    // After Add found one element selected: asks what the entry needs to know first; false
    // abandons it.
    virtual bool startEntry() { return true; }
    enum class Outcome { Written, Declined, Refused };
    // Accept: checks the boxes and gives the change that makes the row. Written links the
    // element to entryKey() and makes the change in the same step; Declined (the user kept an
    // existing row) ends the entry; Refused keeps it for correction.
    virtual Outcome writeEntry(RowChange& change) = 0;
    virtual QString entryKey() const = 0;
    // What a row is called in the questions: "point", "area".
    virtual QString rowName() const = 0;
    // Shows the row of a linked element in the boxes (already enabled and read-only); a key
    // without a row leaves them as they are.
    virtual void showRow(const QString& key) = 0;
    // The printed line of the row a key names; empty when there is no such row.
    virtual QString printedRow(const QString& key) = 0;
    // The change that deletes the row of a linked element; none when it has no row.
    virtual Result<std::optional<RowChange>> removeRow(const QString& key) = 0;
    // Resets what the panel adds beyond the boxes (options, check boxes).
    virtual void resetExtras() {}

    // The change that makes `row` the row of an owner's key in `rows` (none deletes it).
    template <class Row>
    static Result<RowChange> changeOf(LinkedRows<Row>& rows, const QString& databaseName,
                                      qint32 owner, const QString& key,
                                      std::optional<std::type_identity_t<Row>> row) {
        auto made = rows.change(databaseName, owner, key, std::move(row));
        if (!made)
            return made.takeError();
        return RowChange(
            [&rows, c = std::move(made.value())](bool forward) { rows.apply(c, forward); });
    }

    void showError(const QString& text);
    // Exactly one selected element; otherwise the selection error is shown.
    bool checkSelection();

    Services& services_;
    DrawingTab& tab_;

private slots:
    void Cmd_Add_Click();
    void Cmd_Accept_Click();
    void Surface_OnHotSpot(double x, double y, int action);
    void Surface_KeyDown(int keyCode, int shift);

private:
    void boxEdited(std::size_t box);
    // The key the selected element is linked to; empty when it is not linked.
    QString linkedKey() const;
    // The selected element is linked to `key`: asks whether to keep it so. True when the user
    // chose to tie it to another row.
    bool mayRelink(const QString& key);
    // Does a row change and what the surface does with it as one step to undo.
    void oneStep(const QString& what, const RowChange& change,
                 const std::function<void()>& onSurface);
    // The one selected element; NoElement when not exactly one is selected.
    ElementId selectedElement() const;

    QFormLayout* form_ = nullptr;
    std::vector<QLineEdit*> boxes_;
    QPushButton* add_ = nullptr;
    QPushButton* accept_ = nullptr;
    QPushButton* cancel_ = nullptr;
    // The linked element the user chose at Add to tie to another row.
    ElementId relinking_ = NoElement;
};

} // namespace korvane
