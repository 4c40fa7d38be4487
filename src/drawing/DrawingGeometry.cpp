#include "drawing/DrawingGeometry.h"

#include <QFontMetricsF>
#include <QPainterPathStroker>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace korvane {

bool isElementKind(int value) {
    switch (static_cast<ElementKind>(value)) {
    case ElementKind::Line:
    case ElementKind::Box:
    case ElementKind::RoundedBox:
    case ElementKind::Background:
    case ElementKind::Arc:
    case ElementKind::Oval:
    case ElementKind::Chord:
    case ElementKind::Text:
        return true;
    }
    return false;
}

QFont elementFont(const Element& e) {
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setPixelSize(std::max(1, qRound(e.fontSize)));
    return font;
}

QStringList textLines(const QString& text) {
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(u'\r', u'\n');
    return t.split(u'\n');
}

void fitTextBox(Element& e) {
    const QFontMetricsF metrics(elementFont(e));
    double width = 0;
    const QStringList lines = textLines(e.text);
    for (const QString& line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    if (e.text.isEmpty())
        width = metrics.horizontalAdvance(QStringLiteral("MMM"));
    const double height = metrics.lineSpacing() * static_cast<double>(lines.size());
    e.p2 = QPointF(e.p1.x() + std::ceil(width), e.p1.y() + std::ceil(height));
}

QPointF pointOnOval(const QRectF& box, double degrees) {
    const double a = qDegreesToRadians(degrees);
    return QPointF(box.center().x() + box.width() / 2 * std::cos(a),
                   box.center().y() - box.height() / 2 * std::sin(a));
}

double angleOnOval(const QRectF& box, double x, double y) {
    const double rx = std::max(box.width() / 2, 1e-9);
    const double ry = std::max(box.height() / 2, 1e-9);
    const double dx = (x - box.center().x()) / rx;
    const double dy = (box.center().y() - y) / ry;
    double degrees = qRadiansToDegrees(std::atan2(dy, dx));
    if (degrees < 0)
        degrees += 360;
    return degrees;
}

double sweepOf(const Element& e) {
    double sweep = std::fmod(e.endAngle - e.startAngle, 360.0);
    if (!(sweep > 0))
        sweep += 360;
    return sweep;
}

QPainterPath elementPath(const Element& e) {
    QPainterPath path;
    const QRectF box = e.box();
    switch (e.kind) {
    case ElementKind::Line:
        path.moveTo(e.p1);
        path.lineTo(e.p2);
        break;
    case ElementKind::Box:
    case ElementKind::Background:
    case ElementKind::Text:
        path.addRect(box);
        break;
    case ElementKind::RoundedBox: {
        const double r = std::clamp(e.cornerRadius, 0.0, std::min(box.width(), box.height()) / 2);
        path.addRoundedRect(box, r, r);
        break;
    }
    case ElementKind::Oval:
        path.addEllipse(box);
        break;
    case ElementKind::Arc:
        path.arcMoveTo(box, e.startAngle);
        path.arcTo(box, e.startAngle, sweepOf(e));
        break;
    case ElementKind::Chord:
        path.arcMoveTo(box, e.startAngle);
        path.arcTo(box, e.startAngle, sweepOf(e));
        path.closeSubpath();
        break;
    }
    return path;
}

QRectF elementBounds(const Element& e) {
    // Grown by at least half a unit so that a straight line still has an area to intersect.
    const double grow = e.kind == ElementKind::Text ? 0.5 : std::max(e.lineWidth / 2, 0.5);
    QRectF r = e.box();
    if (e.kind == ElementKind::Arc || e.kind == ElementKind::Chord)
        r = elementPath(e).boundingRect();
    return r.adjusted(-grow, -grow, grow, grow);
}

namespace {

double distanceToSegment(const QPointF& p, const QPointF& a, const QPointF& b) {
    const QPointF ab = b - a;
    const double length2 = QPointF::dotProduct(ab, ab);
    double t = length2 > 0 ? QPointF::dotProduct(p - a, ab) / length2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    const QPointF nearest = a + t * ab;
    return std::hypot(p.x() - nearest.x(), p.y() - nearest.y());
}

bool isClosed(ElementKind kind) {
    return kind != ElementKind::Line && kind != ElementKind::Arc;
}

} // namespace

bool elementContains(const Element& e, const QPointF& p, double tolerance, HitMode mode) {
    const double reach = tolerance + e.lineWidth / 2;
    if (!elementBounds(e).adjusted(-tolerance, -tolerance, tolerance, tolerance).contains(p))
        return false;
    if (e.kind == ElementKind::Text)
        return true;
    if (e.kind == ElementKind::Line)
        return distanceToSegment(p, e.p1, e.p2) <= reach;
    const QPainterPath path = elementPath(e);
    const bool filled = e.color != NoColor;
    if (isClosed(e.kind) && (filled || mode == HitMode::Area) && path.contains(p))
        return true;
    // On the outline: flatten it and measure to each piece.
    for (const QPolygonF& outline : path.toSubpathPolygons()) {
        for (qsizetype i = 0; i + 1 < outline.size(); ++i) {
            if (distanceToSegment(p, outline[i], outline[i + 1]) <= reach)
                return true;
        }
    }
    return false;
}

} // namespace korvane
