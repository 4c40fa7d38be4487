#include "drawing/DrawingSurface.h"
#include "support/PdfText.h"
#include "support/TempDir.h"

#include <QImage>
#include <QPainter>
#include <QPrinter>

#include <gtest/gtest.h>

namespace korvane {
namespace {

using test::runTool;

void newPage(DrawingSurface& s) {
    s.ClearDrawing();
    ASSERT_TRUE(s.AddElement(4, 0, 0, 1000, 1000).ok());
    s.setElementColor(0x00000000); // black, so the page shows on a white sheet
    s.setElementLocked(true);
    s.setElementText(QStringLiteral("Background"));
}

// The drawing goes to the printer as vectors and text: the PDF holds its words and no picture.
TEST(DrawingPrint, PrintsVectorsAndTextToThePrinter) {
    DrawingSurface s;
    newPage(s);
    ASSERT_TRUE(s.AddElement(10, 100, 100, 100, 100).ok());
    s.setElementColor2(0x00FFFFFF);
    s.setElementText(QStringLiteral("Roof TML-42"));
    ASSERT_TRUE(s.AddElement(7, 300, 300, 700, 700).ok());
    s.setElementColor(0x000000FF);

    test::TempDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("drawing.pdf")));
    s.setTargetScope(5);
    s.setPrintLeft(0.5);
    s.setPrintTop(1);
    s.setPrintWidth(7);
    s.setPrintHeight(7);
    ASSERT_TRUE(s.PrintTarget(printer).ok());

    const QString text = runTool(QStringLiteral("pdftotext"), {printer.outputFileName(), "-"});
    EXPECT_TRUE(text.contains(QLatin1String("Roof TML-42"))) << text.toStdString();
    const QStringList images =
        runTool(QStringLiteral("pdfimages"), {"-list", printer.outputFileName()}).split(u'\n');
    // Only the two heading lines of the list: no image on the page.
    EXPECT_EQ(images.size(), 3) << images.join(u'\n').toStdString();
}

struct Placement {
    const char* name;
    double left, top, width, height;
    QRect page; // where the 1000 by 1000 page lands, in pixels at 100 dots per inch
};

TEST(DrawingPrint, PlacesTheDrawingWhereItIsTold) {
    const Placement cases[] = {
        {"square place", 1, 2, 4, 4, QRect(100, 200, 400, 400)},
        {"wide place: centred across it", 1, 2, 6, 4, QRect(200, 200, 400, 400)},
        {"tall place: at its top", 1, 1, 3, 6, QRect(100, 100, 300, 300)},
        {"no width or height: to the edge", 0.5, 3, 0, 0, QRect(50, 300, 800, 800)},
    };
    for (const Placement& c : cases) {
        SCOPED_TRACE(c.name);
        DrawingSurface s;
        newPage(s);
        s.setTargetScope(5);
        s.setPrintLeft(c.left);
        s.setPrintTop(c.top);
        s.setPrintWidth(c.width);
        s.setPrintHeight(c.height);

        QImage sheet(850, 1100, QImage::Format_RGB32); // a letter page at 100 dpi
        sheet.setDotsPerMeterX(qRound(100 / 0.0254));
        sheet.setDotsPerMeterY(qRound(100 / 0.0254));
        sheet.fill(Qt::white);
        QPainter painter(&sheet);
        ASSERT_TRUE(s.PrintTarget(painter).ok());
        painter.end();

        const QRect inner = c.page.adjusted(3, 3, -3, -3);
        const QRect outer = c.page.adjusted(-3, -3, 3, 3);
        for (QPoint p : {inner.topLeft(), inner.bottomRight(), inner.topRight()})
            EXPECT_EQ(sheet.pixelColor(p), QColor(Qt::black)) << p.x() << "," << p.y();
        for (QPoint p : {outer.topLeft(), outer.bottomRight(), outer.bottomLeft()}) {
            if (sheet.rect().contains(p)) {
                EXPECT_EQ(sheet.pixelColor(p), QColor(Qt::white)) << p.x() << "," << p.y();
            }
        }
    }
}

TEST(DrawingPrint, SelectionScopePrintsOnlyTheSelection) {
    DrawingSurface s;
    s.resize(500, 500);
    ASSERT_TRUE(s.AddElement(2, 0, 0, 500, 500).ok());
    s.setElementColor(0x000000FF); // red
    ASSERT_TRUE(s.AddElement(2, 500, 500, 1000, 1000).ok());
    s.setElementColor(0x00FF0000); // blue
    s.editor().setSelection({s.drawing().elements().back().id});
    s.setTargetScope(2);

    QImage sheet(100, 100, QImage::Format_RGB32);
    sheet.setDotsPerMeterX(qRound(100 / 0.0254));
    sheet.setDotsPerMeterY(qRound(100 / 0.0254));
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    ASSERT_TRUE(s.PrintTarget(painter).ok());
    painter.end();
    EXPECT_EQ(sheet.pixelColor(25, 25), QColor(Qt::white));
    EXPECT_EQ(sheet.pixelColor(75, 75), QColor(Qt::blue));

    QPainter idle;
    EXPECT_FALSE(s.PrintTarget(idle).ok());
}

} // namespace
} // namespace korvane
