// Draws a page with every kind of element through the mouse, as a user would, then writes what
// the surface shows into the folder given: screenshots at two zooms, the saved drawing file
// (SVG), the same file painted by Qt's own SVG renderer, and a printed page (PDF) with a header.
// Usage: drawing_showcase FOLDER [SECONDS_TO_STAY_OPEN]

#include "SurfaceDriver.h"
#include "drawing/DrawingSurface.h"
#include "drawing/ZoomSteps.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QSvgRenderer>
#include <QTimer>

#include <cstdio>

using namespace korvane;

namespace {

void check(const Status& status) {
    if (!status.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(status.error()));
        std::exit(1);
    }
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: drawing_showcase FOLDER [SECONDS]\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());

    DrawingSurface surface;
    surface.setWindowTitle(QStringLiteral("Drawing surface"));
    surface.resize(720, 720);
    surface.show();
    QApplication::processEvents();
    test::SurfaceDriver mouse(surface);

    // A new page, as the graphics windows start one.
    surface.ClearDrawing();
    check(surface.AddElement(4, 0, 0, 1000, 1000));
    surface.setElementColor(0x8000000F);
    surface.setElementColor2(0);
    surface.setElementLocked(true);
    surface.setElementText(QStringLiteral("Background"));

    surface.setEditMode(4); // the tank outline
    mouse.drag({100, 100}, {600, 600});
    surface.setEditMode(1);
    mouse.drag({100, 350}, {600, 350});
    mouse.drag({350, 100}, {350, 600});
    surface.setEditMode(2);
    mouse.drag({650, 80}, {930, 220});
    surface.setTargetScope(2);
    surface.setElementColor(0x00C0FFFF); // light yellow fill
    surface.setEditMode(3);
    mouse.drag({650, 260}, {930, 400});
    surface.setEditMode(5);
    mouse.drag({650, 440}, {930, 640});
    surface.setEditMode(7);
    mouse.drag({120, 680}, {420, 930});
    surface.setElementColor(0x00FFC080); // light blue
    // A corrosion area, linked to its data row.
    surface.setEditMode(2);
    mouse.drag({400, 180}, {520, 280});
    surface.setElementColor2(0x000000FF);
    surface.setElementText(QStringLiteral("AREA-1"));
    surface.setElementHotSpot(true);
    surface.setElementHit(true);
    surface.setEditMode(10);
    mouse.click({480, 700});
    mouse.type(QStringLiteral("Roof plan \"A\" & <notes>"));
    QTest::keyClick(&surface, Qt::Key_Return);
    mouse.type(QString::fromUtf8("Zürich – 東京 2nd line"));
    surface.setEditMode(11);
    mouse.click({930, 540}); // the arc: its box and angle handles
    QApplication::processEvents();
    surface.grab().save(out.filePath(QStringLiteral("01_drawn.png")));

    // Text being typed, with its caret, over a non-square window.
    surface.resize(900, 640);
    surface.setEditMode(10);
    mouse.click({650, 820});
    mouse.type(QStringLiteral("Typing here"));
    QApplication::processEvents();
    surface.grab().save(out.filePath(QStringLiteral("01b_typing.png")));
    QTest::keyClick(&surface, Qt::Key_Escape);
    surface.setEditMode(11);
    surface.resize(720, 720);
    QApplication::processEvents();

    ZoomSteps zoom;
    for (int i = 0; i < 5; ++i)
        zoom.zoomIn();
    surface.setViewScaleX(zoom.viewScale());
    surface.setViewScaleY(zoom.viewScale());
    QApplication::processEvents();
    surface.grab().save(out.filePath(QStringLiteral("02_zoom_1_5.png")));
    for (int i = 0; i < 5; ++i)
        zoom.zoomIn();
    surface.setViewScaleX(zoom.viewScale());
    surface.setViewScaleY(zoom.viewScale());
    surface.horizontalScrollBar()->setValue(surface.horizontalScrollBar()->maximum());
    surface.verticalScrollBar()->setValue(0);
    QApplication::processEvents();
    surface.grab().save(out.filePath(QStringLiteral("03_zoom_2_0.png")));
    surface.setViewScaleX(4900);
    surface.setViewScaleY(4900);

    const QString svgFile = out.filePath(QStringLiteral("drawing.svg"));
    check(surface.SaveDrawing(svgFile, 0));
    QSvgRenderer svg(svgFile);
    QImage picture(700, 700, QImage::Format_ARGB32);
    picture.fill(Qt::white);
    QPainter svgPainter(&picture);
    svg.render(&svgPainter);
    svgPainter.end();
    picture.save(out.filePath(QStringLiteral("04_svg_by_qt.png")));

    // A printed page: header lines, then the drawing placed below them.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(out.filePath(QStringLiteral("drawing.pdf")));
    QPainter page(&printer);
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(11);
    page.setFont(font);
    const int line = page.fontMetrics().lineSpacing();
    int y = 2 * line;
    for (const char* text : {"Acme Refining", "North Tank Farm", "T-101   15/Jun/2021"}) {
        page.drawText(0, y, QStringLiteral("     ") + QString::fromLatin1(text));
        y += line;
    }
    surface.setPointer(11);
    surface.setTargetScope(5);
    surface.setPrintLeft(0.5);
    surface.setPrintTop(static_cast<double>(y + line) / printer.logicalDpiY());
    surface.setPrintWidth(7);
    surface.setPrintHeight(7);
    check(surface.PrintTarget(page));
    page.end();
    surface.setPointer(0);

    const int seconds = argc > 2 ? std::atoi(argv[2]) : 0;
    if (seconds <= 0)
        return 0;
    QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    return app.exec();
}
