#include "drawing/Drawing.h"
#include "drawing/DrawingFile.h"
#include "drawing/DrawingRenderer.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace korvane {
namespace {

QStringList qtWarnings;

void collectWarning(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && type != QtInfoMsg)
        qtWarnings << message;
}

// The hostile drawing files the fuzz target starts from, replayed under the sanitizers of the
// normal build. Each either fails with a message or reads into a drawing that paints without a
// complaint from Qt, finds elements through its index, and writes and reads back unchanged.
TEST(SvgCorpus, HostileFilesReadOrFailCleanly) {
    const QDir corpus(QStringLiteral(KORVANE_SVG_CORPUS_DIR));
    const QStringList names = corpus.entryList(QDir::Files, QDir::Name);
    ASSERT_GE(names.size(), 20) << "corpus missing at " << corpus.path().toStdString();

    int read = 0;
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        QFile file(corpus.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const auto result = readDrawing(file.readAll());
        if (!result.ok()) {
            EXPECT_FALSE(result.error().isEmpty());
            continue;
        }
        ++read;
        Drawing drawing;
        for (const Element& e : result->elements)
            drawing.add(e);

        qtWarnings.clear();
        const QtMessageHandler previous = qInstallMessageHandler(collectWarning);
        QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setTransform(pageTransform(QRectF(0, 0, 64, 64)));
        paintDrawing(painter, drawing, RenderOptions{});
        painter.end();
        qInstallMessageHandler(previous);
        EXPECT_TRUE(qtWarnings.isEmpty()) << qtWarnings.join(u'\n').toStdString();

        Drawing::Query q;
        q.tolerance = 5;
        (void)drawing.topmostAt(QPointF(500, 500), q);

        const auto again = readDrawing(writeDrawing(result->elements, QPalette()));
        ASSERT_TRUE(again.ok()) << again.error().toStdString();
        EXPECT_EQ(again->elements, result->elements);
    }
    EXPECT_GT(read, 5); // the corpus also holds files that read
}

} // namespace
} // namespace korvane
