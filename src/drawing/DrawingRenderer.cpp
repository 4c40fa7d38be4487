#include "drawing/DrawingRenderer.h"

#include "drawing/DrawingElement.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace korvane {

namespace {

// System colour numbers and the palette roles that hold them on this desktop.
QColor systemColor(unsigned index, const QPalette& p) {
    switch (index) {
    case 0x01:
    case 0x0C:
        return p.color(QPalette::Window);
    case 0x02:
    case 0x0D:
        return p.color(QPalette::Highlight);
    case 0x05:
        return p.color(QPalette::Base);
    case 0x06:
    case 0x15:
        return p.color(QPalette::Shadow);
    case 0x07:
    case 0x08:
        return p.color(QPalette::Text);
    case 0x09:
    case 0x0E:
        return p.color(QPalette::HighlightedText);
    case 0x10:
        return p.color(QPalette::Mid);
    case 0x11:
        return p.color(QPalette::Disabled, QPalette::Text);
    case 0x12:
        return p.color(QPalette::ButtonText);
    case 0x14:
        return p.color(QPalette::Light);
    case 0x16:
        return p.color(QPalette::Midlight);
    case 0x17:
        return p.color(QPalette::ToolTipText);
    case 0x18:
        return p.color(QPalette::ToolTipBase);
    default: // 0x00, 0x0F and the rest: the face of buttons, the usual page colour
        return p.color(QPalette::Button);
    }
}

} // namespace

QColor resolveColor(ColorValue value, const QPalette& palette) {
    if (value == NoColor)
        return {};
    if ((value & 0xFF000000u) == 0x80000000u)
        return systemColor(value & 0xFFu, palette);
    // 0x00BBGGRR; a high byte other than the two above is not a colour we know, read as RGB.
    return QColor(static_cast<int>(value & 0xFFu), static_cast<int>((value >> 8) & 0xFFu),
                  static_cast<int>((value >> 16) & 0xFFu));
}

void paintElement(QPainter& painter, const Element& e, const QPalette& palette) {
    const QColor fill = resolveColor(e.color, palette);
    const QColor ink = resolveColor(e.color2, palette);
    const QRectF box = e.box();
    painter.setBrush(fill.isValid() ? QBrush(fill) : QBrush(Qt::NoBrush));
    if (ink.isValid() && e.lineWidth > 0 && e.kind != ElementKind::Text)
        painter.setPen(QPen(ink, e.lineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    else
        painter.setPen(Qt::NoPen);

    switch (e.kind) {
    case ElementKind::Line:
        painter.drawLine(e.p1, e.p2);
        break;
    case ElementKind::Box:
    case ElementKind::Background:
        painter.drawRect(box);
        break;
    case ElementKind::RoundedBox: {
        const double r = std::clamp(e.cornerRadius, 0.0, std::min(box.width(), box.height()) / 2);
        painter.drawRoundedRect(box, r, r);
        break;
    }
    case ElementKind::Oval:
        painter.drawEllipse(box);
        break;
    case ElementKind::Arc:
    case ElementKind::Chord: {
        // QPainter takes angles in sixteenths of a degree.
        const int start = qRound(e.startAngle * 16);
        const int span = qRound(sweepOf(e) * 16);
        if (e.kind == ElementKind::Arc)
            painter.drawArc(box, start, span);
        else
            painter.drawChord(box, start, span);
        break;
    }
    case ElementKind::Text: {
        if (fill.isValid())
            painter.drawRect(box);
        if (!ink.isValid())
            break;
        const QFont font = elementFont(e);
        painter.setFont(font);
        painter.setPen(ink);
        const QFontMetricsF metrics(font);
        double y = e.p1.y() + metrics.ascent();
        for (const QString& line : textLines(e.text)) {
            painter.drawText(QPointF(box.left(), y), line);
            y += metrics.lineSpacing();
        }
        break;
    }
    }
}

void paintDrawing(QPainter& painter, const Drawing& drawing, const RenderOptions& options) {
    painter.save();
    const auto& all = drawing.elements();
    if (options.only) {
        std::vector<int> order;
        for (ElementId id : *options.only) {
            const int i = drawing.indexOf(id);
            if (i >= 0)
                order.push_back(i);
        }
        std::sort(order.begin(), order.end());
        for (int i : order)
            paintElement(painter, all[static_cast<size_t>(i)], options.palette);
    } else if (options.exposed.isEmpty() || options.exposed.contains(QRectF(0, 0, 1000, 1000))) {
        for (const Element& e : all)
            paintElement(painter, e, options.palette);
    } else {
        for (ElementId id : drawing.intersecting(options.exposed))
            paintElement(painter, *drawing.find(id), options.palette);
    }
    painter.restore();
}

namespace {

// How far (in the page's units of 1000) a text may stand from an element and still name it.
constexpr double NearText = 60;

} // namespace

void paintLinkLabels(QPainter& painter, const Drawing& drawing, const QTransform& toDevice,
                     const QFont& font, const std::vector<ElementId>* only) {
    const QFontMetricsF metrics(font, painter.device());
    const QRectF page = toDevice.mapRect(QRectF(0, 0, 1000, 1000));
    const double pad = std::max(1.0, metrics.height() / 8);
    // Clear of the status marker that may sit above the corner.
    const double gap = metrics.height() * 0.8;
    // Texts the page writes itself: an element named by a text beside it needs no label.
    std::vector<std::pair<QString, QRectF>> written;
    for (const Element& e : drawing.elements())
        if (e.kind == ElementKind::Text && !e.text.isEmpty())
            written.emplace_back(e.text.simplified(), elementBounds(e));
    const auto namedBeside = [&written](const QString& text, const QRectF& bounds) {
        const QRectF near = bounds.adjusted(-NearText, -NearText, NearText, NearText);
        return std::any_of(written.begin(), written.end(), [&](const auto& w) {
            return w.first.compare(text, Qt::CaseInsensitive) == 0 && near.intersects(w.second);
        });
    };
    painter.save();
    painter.setFont(font);
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (const Element& e : drawing.elements()) {
        if (!e.hotSpot || e.text.isEmpty() || e.kind == ElementKind::Text)
            continue;
        if (only && std::find(only->begin(), only->end(), e.id) == only->end())
            continue;
        // One line, however the ID was typed.
        const QString text = e.text.simplified();
        if (namedBeside(text, elementBounds(e)))
            continue;
        const QPointF corner = toDevice.map(elementBounds(e).topRight());
        QRectF box(0, 0, metrics.horizontalAdvance(text) + 2 * pad, metrics.height() + pad);
        box.moveBottomLeft(QPointF(corner.x() + gap, corner.y()));
        if (box.right() > page.right())
            box.moveRight(page.right());
        if (box.left() < page.left())
            box.moveLeft(page.left());
        if (box.top() < page.top())
            box.moveTop(page.top());
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 255, 255, 215));
        painter.drawRoundedRect(box, pad, pad);
        painter.setPen(Qt::black);
        painter.drawText(box, Qt::AlignCenter, text);
    }
    painter.restore();
}

QTransform pageTransform(const QRectF& target) {
    const double scale = std::min(target.width(), target.height()) / 1000.0;
    const double left = target.left() + (target.width() - 1000.0 * scale) / 2;
    QTransform t;
    t.translate(left, target.top());
    t.scale(scale, scale);
    return t;
}

} // namespace korvane
