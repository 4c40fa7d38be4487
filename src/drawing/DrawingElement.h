#pragma once

#include <QPointF>
#include <QRectF>
#include <QString>

#include <cstdint>

namespace korvane {

// The kinds of element a drawing holds, numbered as AddElement takes them. The edit modes of the
// drawing tools use the same numbers except for the oval, whose tool is mode 4 (see DrawingTool in
// DrawingEditor.h): kind 4 is the page background, a box spanning the page that the page is
// built on.
enum class ElementKind : int {
    Line = 1,
    Box = 2,
    RoundedBox = 3,
    Background = 4,
    Arc = 5,
    Oval = 6,
    Chord = 7,
    Text = 10,
};

bool isElementKind(int value);

// Colour values as the surface's callers pass them: 0x00BBGGRR for a colour given by its red,
// green and blue bytes, 0x800000nn for the system colour number nn (0x8000000F is the face
// colour of buttons), and NoColor for "not painted" (an element without a fill).
using ColorValue = std::uint32_t;
inline constexpr ColorValue NoColor = 0xFFFFFFFFu;
inline constexpr ColorValue BlackColor = 0x00000000u;
inline constexpr ColorValue ButtonFaceColor = 0x8000000Fu;

// Element ids are given by the drawing when an element is added and never reused while the
// drawing lives; undo and redo put an element back under its old id.
using ElementId = std::uint32_t;
inline constexpr ElementId NoElement = 0;

// One element of a drawing. Geometry is in logical units: the page runs 0..1000 on both axes,
// x to the right and y downwards, whatever the zoom and the size of the window.
//
// p1 and p2 are the two points the element was drawn from: the ends of a line (in drawing
// order), two opposite corners of the box of every other kind. Arcs and chords are the part of
// the oval in that box from startAngle to endAngle, in degrees counter-clockwise from three
// o'clock, as on a clock face seen on the screen.
struct Element {
    ElementId id = NoElement;
    ElementKind kind = ElementKind::Box;
    QPointF p1;
    QPointF p2;
    double startAngle = 0;
    double endAngle = 180;
    double lineWidth = 2;           // logical units
    double fontSize = 28;           // logical units, height of a line of text
    double cornerRadius = 20;       // rounded boxes, logical units
    ColorValue color = NoColor;     // fill (face) colour
    ColorValue color2 = BlackColor; // line and text colour
    QString text;                   // shown by text elements; on any element ties it to a data row
    bool hotSpot = false;           // raises OnHotSpot when the pointer enters and leaves it
    bool hit = false;               // raises HitObject when clicked
    bool locked = false;            // the mouse neither selects nor moves it

    QRectF box() const { return QRectF(p1, p2).normalized(); }
    bool operator==(const Element&) const = default;
};

// What the mouse may treat as the element: its painted area grown by half its line width.
// Text elements use the box their text was laid out in.
QRectF elementBounds(const Element& e);

} // namespace korvane
