#pragma once

#include "drawing/DrawingDocument.h"

#include <QLineF>
#include <QObject>

#include <optional>
#include <vector>

namespace korvane {

// The edit modes of the surface (its EditMode values): which tool the mouse is.
enum class DrawingTool : int {
    None = 0,
    Line = 1,
    Box = 2,
    RoundedBox = 3,
    Oval = 4,
    Arc = 5,
    Chord = 7,
    Text = 10,
    Selection = 11,
};

bool isDrawingTool(int value);
// The kind of element a drawing mode draws (none for None, Selection).
std::optional<ElementKind> kindDrawnBy(DrawingTool tool);

// What the mouse and the keyboard do to a drawing, in logical units and without a window: the
// surface turns its events into these calls, and paints what the editor shows besides the
// drawing (the element being drawn, handles, the rubber band, the text being typed).
class DrawingEditor : public QObject {
    Q_OBJECT
public:
    explicit DrawingEditor(DrawingDocument& document, QObject* parent = nullptr);

    DrawingTool mode() const { return mode_; }
    // Changing the mode ends whatever the mouse was doing and keeps the text being typed.
    void setMode(DrawingTool mode);

    // How many logical units one pixel of the device covers on each axis: handles and the reach
    // of the pointer are a few pixels whatever the zoom.
    void setPixelSize(double x, double y);

    // Selected elements, in the order they were selected.
    const std::vector<ElementId>& selection() const { return selection_; }
    void setSelection(std::vector<ElementId> ids);

    void press(const QPointF& p, Qt::KeyboardModifiers modifiers);
    void move(const QPointF& p, bool buttonDown);
    void release(const QPointF& p);
    // Returns whether the key was used. Typing goes to the text being written.
    bool key(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text);
    // The pointer left the surface.
    void leave();
    // Puts the text being typed into the drawing (or back into its element).
    void commitText();

    // What the editor shows on top of the drawing.
    const std::optional<Element>& preview() const { return preview_; }
    // The element being typed into, which the preview replaces on the screen (NoElement: a new
    // text).
    ElementId textTarget() const { return textTarget_; }
    bool typing() const { return typing_; }
    QLineF caret() const;
    QRectF rubberBand() const { return rubberBand_; }

    enum class HandleRole {
        TopLeft,
        Top,
        TopRight,
        Right,
        BottomRight,
        Bottom,
        BottomLeft,
        Left,
        LineStart,
        LineEnd,
        StartAngle,
        EndAngle,
    };
    struct Handle {
        ElementId id;
        HandleRole role;
        QPointF at;
    };
    std::vector<Handle> handles() const;
    // Half the side of a handle, in pixels.
    static constexpr double HandleRadius = 4;

    Qt::CursorShape cursorAt(const QPointF& p) const;

    // The hot-spot element under the pointer, if any.
    ElementId hotElement() const { return hot_; }

signals:
    // action 2: the pointer entered the element; 1: it left.
    void hotSpot(korvane::ElementId id, QPointF p, int action);
    // A click on an element that raises HitObject.
    void hit(korvane::ElementId id, QPointF p);
    // Something shown on top of the drawing changed.
    void overlayChanged();
    void selectionChanged();

private:
    enum class Drag { Nothing, Drawing, Moving, Resizing, Banding };

    double tolerance() const;
    bool farEnough(const QPointF& a, const QPointF& b) const;
    std::optional<Handle> handleAt(const QPointF& p) const;
    ElementId elementAt(const QPointF& p) const;
    ElementId hitElementAt(const QPointF& p) const;
    void updateHotSpot(const QPointF& p);
    void selectOnly(ElementId id);
    void pruneSelection();
    Element resized(const Element& before, HandleRole role, const QPointF& p) const;
    void nudge(double dx, double dy);

    DrawingDocument& document_;
    DrawingTool mode_ = DrawingTool::None;
    double pixelX_ = 1, pixelY_ = 1;
    std::vector<ElementId> selection_;

    Drag drag_ = Drag::Nothing;
    QPointF pressAt_;
    bool moved_ = false;
    ElementId pressedHit_ = NoElement;
    ElementId pressedElement_ = NoElement;
    bool clickKeepsOnly_ = false;
    std::vector<Element> before_;
    std::optional<Handle> handle_;

    std::optional<Element> preview_;
    bool typing_ = false;
    ElementId textTarget_ = NoElement;
    QRectF rubberBand_;
    ElementId hot_ = NoElement;
};

} // namespace korvane
