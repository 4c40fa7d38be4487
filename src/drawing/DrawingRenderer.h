#pragma once

#include "drawing/Drawing.h"

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QTransform>

#include <vector>

class QPainter;

namespace korvane {

// The one painting routine of drawings: the surface on the screen, printing and export all
// paint through it, into whatever transform the painter carries from logical units (0..1000) to
// its device. Nothing is painted through a bitmap, so printers and PDF files get vectors.

// The colour a colour value stands for; system colours come from palette. NoColor gives an
// invalid QColor.
QColor resolveColor(ColorValue value, const QPalette& palette);

struct RenderOptions {
    QPalette palette;
    // Only the part of the page inside this rectangle needs painting (empty: all of it).
    QRectF exposed;
    // When set, only these elements are painted (printing the selection).
    const std::vector<ElementId>* only = nullptr;
};

// Paints one element, setting the painter's pen, brush and font.
void paintElement(QPainter& painter, const Element& e, const QPalette& palette);

// Paints the drawing's elements bottom first.
void paintDrawing(QPainter& painter, const Drawing& drawing, const RenderOptions& options);

// The labels of linked elements: the text of each hot-spot element (the point or area ID that
// ties it to a row) in a small box beside the element's top right corner, moved inside the page
// where it would stick out. The painter paints in device units: toDevice maps the page's logical
// units there, and the font's size is the label's on that device. Labels go over a drawing on
// the screen and on paper but are never elements of it, so no drawing file holds them. A text
// element shows its text already and gets no label, nor does an element that a text element of
// the same words stands beside (a page that names its points itself). `only` limits them as in
// RenderOptions.
void paintLinkLabels(QPainter& painter, const Drawing& drawing, const QTransform& toDevice,
                     const QFont& font, const std::vector<ElementId>* only = nullptr);

// The transform that puts the page (0..1000 on both axes) into target, as large as fits with
// equal scales on both axes, centred horizontally and at the top of target.
QTransform pageTransform(const QRectF& target);

} // namespace korvane
