// A drawing of 10,000 elements: one full repaint through the painting routine and through the
// surface widget, against a bare QPainter loop drawing the same primitives into the same image;
// saving and loading the drawing file; finding the element under the pointer through the grid
// index, against testing every element.

#include "RatioReporter.h"
#include "drawing/DrawingFile.h"
#include "drawing/DrawingRenderer.h"
#include "drawing/DrawingSurface.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using namespace korvane;

constexpr int ElementCount = 10000;
constexpr int PagePixels = 1000;

const std::vector<Element>& benchElements() {
    static const std::vector<Element> elements = [] {
        QRandomGenerator random(2000);
        const ElementKind kinds[] = {ElementKind::Line, ElementKind::Box, ElementKind::RoundedBox,
                                     ElementKind::Oval, ElementKind::Arc, ElementKind::Chord};
        std::vector<Element> out;
        Element page;
        page.kind = ElementKind::Background;
        page.p2 = QPointF(1000, 1000);
        page.color = ButtonFaceColor;
        page.locked = true;
        out.push_back(page);
        for (int i = 1; i < ElementCount; ++i) {
            Element e;
            e.kind = i % 20 == 0 ? ElementKind::Text : kinds[random.bounded(6)];
            e.p1 = QPointF(random.bounded(960.0), random.bounded(960.0));
            e.p2 = e.p1 + QPointF(5 + random.bounded(55.0), 5 + random.bounded(55.0));
            e.startAngle = random.bounded(360.0);
            e.endAngle = random.bounded(360.0);
            e.color = random.bounded(3) == 0 ? static_cast<ColorValue>(random.bounded(0xFFFFFF))
                                             : NoColor;
            e.color2 = static_cast<ColorValue>(random.bounded(0xFFFFFF));
            e.fontSize = 14;
            e.text = e.kind == ElementKind::Text ? QStringLiteral("TML-%1").arg(i) : QString();
            e.hotSpot = e.hit = i % 7 == 0;
            if (e.kind == ElementKind::Text)
                fitTextBox(e);
            out.push_back(e);
        }
        return out;
    }();
    return elements;
}

const Drawing& benchDrawing() {
    static const Drawing drawing = [] {
        Drawing d;
        for (const Element& e : benchElements())
            d.add(e);
        return d;
    }();
    return drawing;
}

QImage& canvas() {
    static QImage image(PagePixels, PagePixels, QImage::Format_ARGB32_Premultiplied);
    return image;
}

// The same primitives with the same pens, brushes and fonts, straight to QPainter: colours are
// resolved and fonts made beforehand, nothing else is looked at.
void BM_BareQPainterLoop(benchmark::State& state) {
    struct Prepared {
        const Element* e;
        QColor fill, ink;
    };
    std::vector<Prepared> prepared;
    const QPalette palette;
    for (const Element& e : benchElements())
        prepared.push_back({&e, resolveColor(e.color, palette), resolveColor(e.color2, palette)});
    QFont font = elementFont(benchElements()[20]);
    const double ascent = QFontMetricsF(font).ascent();

    for (auto _ : state) {
        QImage& image = canvas();
        image.fill(Qt::white);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setFont(font);
        for (const Prepared& item : prepared) {
            const Element& e = *item.e;
            p.setBrush(item.fill.isValid() ? QBrush(item.fill) : QBrush(Qt::NoBrush));
            p.setPen(QPen(item.ink, e.lineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
            const QRectF box = QRectF(e.p1, e.p2).normalized();
            switch (e.kind) {
            case ElementKind::Line:
                p.drawLine(e.p1, e.p2);
                break;
            case ElementKind::Box:
            case ElementKind::Background:
                p.drawRect(box);
                break;
            case ElementKind::RoundedBox:
                p.drawRoundedRect(box, 20, 20);
                break;
            case ElementKind::Oval:
                p.drawEllipse(box);
                break;
            case ElementKind::Arc:
                p.drawArc(box, qRound(e.startAngle * 16), qRound(sweepOf(e) * 16));
                break;
            case ElementKind::Chord:
                p.drawChord(box, qRound(e.startAngle * 16), qRound(sweepOf(e) * 16));
                break;
            case ElementKind::Text:
                p.setPen(item.ink);
                p.drawText(QPointF(box.left(), box.top() + ascent), e.text);
                break;
            }
        }
        p.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}

void BM_RenderDrawing(benchmark::State& state) {
    const Drawing& drawing = benchDrawing();
    RenderOptions options;
    for (auto _ : state) {
        QImage& image = canvas();
        image.fill(Qt::white);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        paintDrawing(p, drawing, options);
        p.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}

DrawingSurface& benchSurface(const QString& file) {
    static DrawingSurface* surface = [&] {
        auto* s = new DrawingSurface;
        s->resize(PagePixels + 2 * s->frameWidth(), PagePixels + 2 * s->frameWidth());
        if (!s->LoadDrawing(file).ok())
            std::abort();
        return s;
    }();
    return *surface;
}

QString benchFile() {
    static QTemporaryDir dir;
    static const QString file = [] {
        const QString path = dir.filePath(QStringLiteral("bench_drawing.tmp"));
        if (!saveDrawingFile(path, benchElements(), QPalette()).ok())
            std::abort();
        return path;
    }();
    return file;
}

// The surface's paint event: page, drawing and what the editor shows, into the same image.
void BM_SurfaceRepaint(benchmark::State& state) {
    DrawingSurface& surface = benchSurface(benchFile());
    for (auto _ : state) {
        QImage& image = canvas();
        surface.viewport()->render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
}

void BM_SaveDrawing(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("saved.tmp"));
    for (auto _ : state) {
        if (!saveDrawingFile(path, benchElements(), QPalette()).ok())
            state.SkipWithError("save failed");
    }
    state.counters["bytes"] = static_cast<double>(QFileInfo(path).size());
}

void BM_LoadDrawing(benchmark::State& state) {
    const QString path = benchFile();
    DrawingSurface surface;
    for (auto _ : state) {
        if (!surface.LoadDrawing(path).ok() || surface.drawing().size() != ElementCount)
            state.SkipWithError("load failed");
    }
}

std::vector<QPointF> pointerPositions() {
    QRandomGenerator random(9);
    std::vector<QPointF> points;
    for (int i = 0; i < 1000; ++i)
        points.emplace_back(random.bounded(1000.0), random.bounded(1000.0));
    return points;
}

// What a mouse move asks: the topmost hot-spot element within reach of the pointer.
Drawing::Query hoverQuery() {
    Drawing::Query q;
    q.tolerance = 6;
    q.mode = HitMode::Area;
    q.skipLocked = false;
    q.onlyHotSpots = true;
    return q;
}

void BM_HitTestIndexed(benchmark::State& state) {
    const Drawing& drawing = benchDrawing();
    const auto points = pointerPositions();
    const Drawing::Query q = hoverQuery();
    for (auto _ : state) {
        for (const QPointF& p : points)
            benchmark::DoNotOptimize(drawing.topmostAt(p, q));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(points.size()));
}

void BM_HitTestLinearScan(benchmark::State& state) {
    const Drawing& drawing = benchDrawing();
    const auto points = pointerPositions();
    const Drawing::Query q = hoverQuery();
    for (auto _ : state) {
        for (const QPointF& p : points) {
            ElementId found = NoElement;
            const auto& all = drawing.elements();
            for (auto it = all.rbegin(); it != all.rend(); ++it) {
                if (it->hotSpot && elementContains(*it, p, q.tolerance, q.mode)) {
                    found = it->id;
                    break;
                }
            }
            benchmark::DoNotOptimize(found);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(points.size()));
}

BENCHMARK(BM_BareQPainterLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderDrawing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SurfaceRepaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveDrawing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadDrawing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HitTestIndexed)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HitTestLinearScan)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchDrawing(); // built once, outside the measured runs
    return korvane::bench::runWithRatios(argc, argv,
                                         {{"BM_RenderDrawing", "BM_BareQPainterLoop"},
                                          {"BM_SurfaceRepaint", "BM_BareQPainterLoop"},
                                          {"BM_HitTestIndexed", "BM_HitTestLinearScan"}});
}
