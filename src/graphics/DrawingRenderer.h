#pragma once

#include "graphics/Drawing.h"

#include <QColor>
#include <QPalette>

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

// The transform that puts the page (0..1000 on both axes) into target, as large as fits with
// equal scales on both axes, centred horizontally and at the top of target.
QTransform pageTransform(const QRectF& target);

} // namespace korvane
