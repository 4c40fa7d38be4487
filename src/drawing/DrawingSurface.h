#pragma once

#include "common/Result.h"
#include "drawing/DrawingDocument.h"
#include "drawing/DrawingEditor.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QHash>

class QPainter;
class QPrinter;

namespace korvane {

// The drawing surface of the graphics windows: shows one drawing page, lets the user draw and
// edit it with the mouse and the keyboard, and offers the windows the operations they drive it
// by (named as the windows use them). The page runs 0..1000 logical units on both axes; at a
// view scale of 4900 it fills the shorter side of the surface, larger scales enlarge it and the
// scroll bars reach the rest.
//
// Element operations act on the elements in scope (TargetScope): 1 the element AddElement added
// last (AddElement sets this), 2 the selected elements, 5 every element; while OnHotSpot or
// HitObject is being raised, the element of the event. Reading a property gives the value of
// the first element in scope (in the order of selection, or bottom first), or an empty value
// when there is none; setting one changes every element in scope as one undoable step.
class DrawingSurface : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit DrawingSurface(QWidget* parent = nullptr);
    ~DrawingSurface() override;

    // The surface is empty, with no history to undo.
    void ClearDrawing();
    // Shows the drawing saved in the file (option 0; no other option is defined). On an error
    // the surface keeps what it showed.
    Status LoadDrawing(const QString& fileName, int option = 0);
    // Writes the whole drawing, text still being typed included, to the file.
    Status SaveDrawing(const QString& fileName, int option = 0);
    // Adds an element of the given kind (ElementKind: 4 is the page background) with the box
    // (x1, y1)-(x2, y2), and puts it in scope for the property settings that follow. A text
    // element starts at (x1, y1) and takes its size from its text. The addition and the
    // settings of the element that follow it are one step to undo.
    Status AddElement(int kind, double x1, double y1, double x2, double y2);

    // Fill and line colours of the elements in scope (ColorValue: 0x00BBGGRR, 0x800000nn system
    // colours, 0xFFFFFFFF no fill).
    ColorValue ElementColor() const;
    void setElementColor(ColorValue value);
    ColorValue ElementColor2() const;
    void setElementColor2(ColorValue value);
    // The text of a text element is the text it shows; any element's text can tie it to a
    // data row.
    QString ElementText() const;
    void setElementText(const QString& text);
    bool ElementHotSpot() const;
    void setElementHotSpot(bool on);
    bool ElementHit() const;
    void setElementHit(bool on);
    // A locked element is painted but neither picked nor moved by the mouse (the page
    // background is locked).
    bool ElementLocked() const;
    void setElementLocked(bool on);
    double ElementLineWidth() const;
    void setElementLineWidth(double width);

    // The tool in use: 0 none, 11 selection, 1 line, 2 box, 3 rounded box, 4 oval, 5 arc,
    // 7 chord, 10 text. Other values are refused (false).
    int EditMode() const;
    bool setEditMode(int mode);
    // scope 2: the number of selected elements; 5: of all elements.
    int SelectedCount(int scope = 2) const;
    int TargetScope() const { return scope_; }
    // 1, 2 or 5; other values are ignored.
    void setTargetScope(int scope);
    // scope 2 removes the selected elements, 5 every element; one undoable step.
    void DeleteSelected(int scope = 2);

    // 4900 is 100 per cent: the page fills the shorter side of the surface.
    int ViewScaleX() const { return viewScaleX_; }
    void setViewScaleX(int scale);
    int ViewScaleY() const { return viewScaleY_; }
    void setViewScaleY(int scale);

    // Where PrintTarget puts the drawing on the page, in inches from the top left corner of the
    // page's printable area. The page (0..1000 on both axes) is fitted into that rectangle with
    // equal scales, centred across it; a width or height of 0 reaches to the edge of the page.
    double PrintLeft() const { return printLeft_; }
    void setPrintLeft(double inches) { printLeft_ = inches; }
    double PrintTop() const { return printTop_; }
    void setPrintTop(double inches) { printTop_ = inches; }
    double PrintWidth() const { return printWidth_; }
    void setPrintWidth(double inches) { printWidth_ = inches; }
    double PrintHeight() const { return printHeight_; }
    void setPrintHeight(double inches) { printHeight_ = inches; }
    // Prints the elements in scope (TargetScope 5: the whole drawing) in the placement above,
    // as vectors, with their link labels when those are shown, with a painter already printing
    // on the page (so a header printed before stays on the same page).
    Status PrintTarget(QPainter& painter);
    // The same on a page of its own: begins and ends the print document.
    Status PrintTarget(QPrinter& printer);

    // 11 shows the busy pointer over the surface; 0 the pointer of the tool in use.
    int Pointer() const { return pointer_; }
    void setPointer(int pointer);

    // Markers shown beside linked (hot-spot) elements: in the colour of the element's text when
    // it is a key of the map (compared without letter case), else in `others` (none when that
    // is invalid). They belong to the view alone: never saved, printed or exported.
    void setMarkers(const QHash<QString, QColor>& byText, const QColor& others = QColor());
    // The marker shown beside linked elements of this text; invalid when none.
    QColor markerFor(const QString& text) const;

    // Labels beside linked (hot-spot) elements naming them by their text, on the screen and in
    // print. Like the markers they belong to the view: never saved or exported.
    void setLinkLabels(bool on);
    bool linkLabels() const { return linkLabels_; }

    // Paints the whole drawing into target (page fitted as for printing), for export.
    void RenderTo(QPainter& painter, const QRectF& target) const;

    const Drawing& drawing() const { return document_.drawing(); }
    DrawingDocument& document() { return document_; }
    DrawingEditor& editor() { return editor_; }
    QUndoStack& undoStack() { return document_.undoStack(); }

    // Logical point shown at a viewport pixel, and back.
    QPointF toLogical(const QPointF& viewportPos) const;
    QPointF toViewport(const QPointF& logical) const;

signals:
    // Every key pressed on the surface: its key code (KeyCodes.h) and shift state. The surface
    // deletes nothing by itself; the window decides what Delete does.
    void KeyDown(int keyCode, int shift);
    // The pointer entered (action 2) or left (action 1) a hot-spot element; during the signal
    // ElementText names that element. x and y are the pointer's logical position.
    void OnHotSpot(double x, double y, int action);
    // An element with its hit flag was clicked; during the signal ElementText names it.
    void HitObject(double x, double y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    std::vector<ElementId> targets() const;
    template <class Change> void changeTargets(const QString& what, Change&& change);
    void raiseForElement(ElementId id, const std::function<void()>& raise);
    double baseScale() const;
    QSizeF pixelScale() const;
    QPointF pageOffset() const;
    void updateScrollBars();
    void setViewScale(int x, int y);
    void updatePointer(const QPointF& viewportPos);
    void paintOverlay(QPainter& painter) const;

    DrawingDocument document_;
    DrawingEditor editor_;
    int scope_ = 2;
    ElementId newest_ = NoElement;
    ElementId eventElement_ = NoElement;
    int viewScaleX_ = 4900;
    int viewScaleY_ = 4900;
    double printLeft_ = 0;
    double printTop_ = 0;
    double printWidth_ = 0;
    double printHeight_ = 0;
    int pointer_ = 0;
    QHash<QString, QColor> markers_; // by case-folded element text
    QColor otherMarkers_;
    bool linkLabels_ = false;
};

} // namespace korvane
