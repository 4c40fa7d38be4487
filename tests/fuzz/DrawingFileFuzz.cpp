#include "drawing/Drawing.h"
#include "drawing/DrawingFile.h"
#include "drawing/DrawingRenderer.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// Fonts for text elements need a QGuiApplication; the offscreen platform needs no display.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

// Reads any bytes as a drawing file. What reads must index, paint, and write out into a file
// that reads back to the same elements; anything else is a finding.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto read = korvane::readDrawing(input);
    if (!read)
        return 0;

    korvane::Drawing drawing;
    for (const korvane::Element& e : read->elements)
        drawing.add(e);
    korvane::Drawing::Query query;
    query.tolerance = 4;
    (void)drawing.topmostAt(QPointF(500, 500), query);

    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    painter.setTransform(korvane::pageTransform(QRectF(0, 0, 32, 32)));
    korvane::paintDrawing(painter, drawing, korvane::RenderOptions{});
    painter.end();

    const auto again = korvane::readDrawing(korvane::writeDrawing(read->elements, QPalette()));
    if (!again || again->elements != read->elements)
        std::abort();
    return 0;
}
