#pragma once

#include "common/Result.h"
#include "drawing/DrawingElement.h"

#include <QByteArray>
#include <QPalette>

#include <vector>

namespace korvane {

// Drawing files are SVG documents (UTF-8), so a saved page opens in a web browser as the
// picture it is. Each element is one SVG shape; beside the SVG attributes that show it, it
// carries attributes of our own namespace (DrawingNamespace) that keep its exact values:
//
//   kd:kind    line, box, roundbox, background, arc, oval, chord or text
//   kd:geom    "x1 y1 x2 y2", the two points the element was drawn from, in logical units
//   kd:angles  "start end" in degrees (arcs and chords)
//   kd:color, kd:color2   fill and line colour values, 8 hexadecimal digits
//   kd:width   line width; kd:font font size (text); kd:radius corner radius (rounded boxes)
//   kd:text    the element's text, with "\" written "\\" and characters XML cannot carry
//              written "\uXXXX"
//   kd:hotspot, kd:hit, kd:locked   "1" when set
//
// Numbers are written in their shortest form that reads back to the same double, so a save and
// a load give back exactly the drawing that was saved. Element order is painting order.
inline constexpr char DrawingNamespace[] = "urn:x-korvane:drawing:1";

// The largest file and the most elements a drawing may have; larger ones are refused.
inline constexpr qint64 MaxDrawingFileBytes = 64 * 1024 * 1024;
inline constexpr int MaxDrawingElements = 250000;

QByteArray writeDrawing(const std::vector<Element>& elements, const QPalette& palette);

struct DrawingRead {
    std::vector<Element> elements;
    // SVG elements of a file we did not write that could not be turned into drawing elements
    // (paths, images, transformed groups ...).
    int skipped = 0;
};

// Reads a drawing file of ours or any SVG document: from other SVG files the rectangles,
// circles, ellipses, lines and texts are read, scaled from their view box to the page, and the
// rest is skipped. A document that is not well-formed XML or not SVG gives an error that says
// where and why, and nothing is read.
Result<DrawingRead> readDrawing(const QByteArray& data);

Status saveDrawingFile(const QString& fileName, const std::vector<Element>& elements,
                       const QPalette& palette);
Result<DrawingRead> loadDrawingFile(const QString& fileName);

// The escape used for kd:text, exposed for its tests.
QString escapeElementText(const QString& text);
QString unescapeElementText(const QString& text);

} // namespace korvane
