#include "drawing/DrawingSurface.h"

#include "drawing/DrawingFile.h"
#include "drawing/DrawingRenderer.h"
#include "drawing/KeyCodes.h"

#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <functional>

namespace korvane {

namespace {

constexpr int BusyPointer = 11;
// View scales outside this range would make the page vanish or outgrow what the painter can
// address.
constexpr int MinViewScale = 49;
constexpr int MaxViewScale = 4900 * 50;

} // namespace

DrawingSurface::DrawingSurface(QWidget* parent) : QAbstractScrollArea(parent), editor_(document_) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setBackgroundRole(QPalette::Dark);
    setMinimumSize(120, 120);
    connect(&document_, &DrawingDocument::changed, viewport(), qOverload<>(&QWidget::update));
    connect(&editor_, &DrawingEditor::overlayChanged, viewport(), qOverload<>(&QWidget::update));
    connect(&editor_, &DrawingEditor::hotSpot, this, [this](ElementId id, QPointF p, int action) {
        raiseForElement(id, [&] { emit OnHotSpot(p.x(), p.y(), action); });
    });
    connect(&editor_, &DrawingEditor::hit, this, [this](ElementId id, QPointF p) {
        raiseForElement(id, [&] { emit HitObject(p.x(), p.y()); });
    });
    updateScrollBars();
}

DrawingSurface::~DrawingSurface() = default;

void DrawingSurface::raiseForElement(ElementId id, const std::function<void()>& raise) {
    // A handler may open a window whose events raise further events: each restores the
    // element of the one it interrupted.
    const ElementId outer = std::exchange(eventElement_, id);
    raise();
    eventElement_ = outer;
}

// ---------------------------------------------------------------------------------------------
// Operations

void DrawingSurface::ClearDrawing() {
    editor_.leave();
    editor_.setMode(editor_.mode()); // ends a drag
    if (editor_.typing())
        editor_.commitText();
    document_.reset({});
    newest_ = NoElement;
    editor_.setSelection({});
}

Status DrawingSurface::LoadDrawing(const QString& fileName, int /*option*/) {
    auto read = loadDrawingFile(fileName);
    if (!read)
        return read.takeError();
    editor_.leave();
    if (editor_.typing())
        editor_.commitText();
    document_.reset(read->elements);
    newest_ = NoElement;
    editor_.setSelection({});
    return {};
}

Status DrawingSurface::SaveDrawing(const QString& fileName, int /*option*/) {
    editor_.commitText();
    return saveDrawingFile(fileName, drawing().elements(), palette());
}

Status DrawingSurface::AddElement(int kind, double x1, double y1, double x2, double y2) {
    if (!isElementKind(kind))
        return Error{tr("There is no element kind %1.").arg(kind)};
    for (double v : {x1, y1, x2, y2})
        if (!std::isfinite(v) || std::abs(v) > 1e6)
            return Error{tr("The element's box (%1, %2)-(%3, %4) is off the page.")
                             .arg(x1)
                             .arg(y1)
                             .arg(x2)
                             .arg(y2)};
    Element e;
    e.kind = static_cast<ElementKind>(kind);
    e.p1 = QPointF(x1, y1);
    e.p2 = QPointF(x2, y2);
    if (e.kind == ElementKind::Background) {
        e.color = ButtonFaceColor;
        e.locked = true;
    }
    if (e.kind == ElementKind::Text)
        fitTextBox(e);
    newest_ = document_.add(tr("Add"), e);
    scope_ = 1;
    return {};
}

std::vector<ElementId> DrawingSurface::targets() const {
    if (eventElement_ != NoElement)
        return {eventElement_};
    switch (scope_) {
    case 1:
        if (drawing().find(newest_))
            return {newest_};
        return {};
    case 5: {
        std::vector<ElementId> all;
        all.reserve(drawing().elements().size());
        for (const Element& e : drawing().elements())
            all.push_back(e.id);
        return all;
    }
    default:
        return editor_.selection();
    }
}

template <class Change> void DrawingSurface::changeTargets(const QString& what, Change&& change) {
    std::vector<Element> after;
    for (ElementId id : targets()) {
        Element e = *drawing().find(id);
        change(e);
        after.push_back(e);
    }
    const bool justAdded = eventElement_ == NoElement && scope_ == 1;
    document_.change(what, after, justAdded ? DrawingDocument::AddKey : -1);
}

namespace {

template <class T, class Get>
T firstOf(const Drawing& d, const std::vector<ElementId>& ids, T none, Get get) {
    if (ids.empty())
        return none;
    const Element* e = d.find(ids.front());
    return e ? get(*e) : none;
}

} // namespace

ColorValue DrawingSurface::ElementColor() const {
    return firstOf(drawing(), targets(), NoColor, [](const Element& e) { return e.color; });
}

void DrawingSurface::setElementColor(ColorValue value) {
    changeTargets(tr("Colour"), [&](Element& e) { e.color = value; });
}

ColorValue DrawingSurface::ElementColor2() const {
    return firstOf(drawing(), targets(), NoColor, [](const Element& e) { return e.color2; });
}

void DrawingSurface::setElementColor2(ColorValue value) {
    changeTargets(tr("Colour"), [&](Element& e) { e.color2 = value; });
}

QString DrawingSurface::ElementText() const {
    return firstOf(drawing(), targets(), QString(), [](const Element& e) { return e.text; });
}

void DrawingSurface::setElementText(const QString& text) {
    changeTargets(tr("Text"), [&](Element& e) {
        e.text = text;
        if (e.kind == ElementKind::Text)
            fitTextBox(e);
    });
}

bool DrawingSurface::ElementHotSpot() const {
    return firstOf(drawing(), targets(), false, [](const Element& e) { return e.hotSpot; });
}

void DrawingSurface::setElementHotSpot(bool on) {
    changeTargets(tr("Hot spot"), [&](Element& e) { e.hotSpot = on; });
}

bool DrawingSurface::ElementHit() const {
    return firstOf(drawing(), targets(), false, [](const Element& e) { return e.hit; });
}

void DrawingSurface::setElementHit(bool on) {
    changeTargets(tr("Hit"), [&](Element& e) { e.hit = on; });
}

bool DrawingSurface::ElementLocked() const {
    return firstOf(drawing(), targets(), false, [](const Element& e) { return e.locked; });
}

void DrawingSurface::setElementLocked(bool on) {
    changeTargets(tr("Lock"), [&](Element& e) { e.locked = on; });
    if (on) { // locked elements cannot stay selected: the mouse could not let go of them
        std::vector<ElementId> kept;
        for (ElementId id : editor_.selection())
            if (!drawing().find(id)->locked)
                kept.push_back(id);
        editor_.setSelection(kept);
    }
}

double DrawingSurface::ElementLineWidth() const {
    return firstOf(drawing(), targets(), 0.0, [](const Element& e) { return e.lineWidth; });
}

void DrawingSurface::setElementLineWidth(double width) {
    if (!(width >= 0 && width <= 1000))
        return;
    changeTargets(tr("Line width"), [&](Element& e) { e.lineWidth = width; });
}

int DrawingSurface::EditMode() const {
    return static_cast<int>(editor_.mode());
}

bool DrawingSurface::setEditMode(int mode) {
    if (!isDrawingTool(mode))
        return false;
    editor_.setMode(static_cast<DrawingTool>(mode));
    updatePointer(viewport()->mapFromGlobal(QCursor::pos()));
    return true;
}

int DrawingSurface::SelectedCount(int scope) const {
    if (scope == 5)
        return drawing().size();
    return static_cast<int>(editor_.selection().size());
}

void DrawingSurface::setTargetScope(int scope) {
    if (scope == 1 || scope == 2 || scope == 5)
        scope_ = scope;
}

void DrawingSurface::DeleteSelected(int scope) {
    editor_.commitText();
    if (scope == 5) {
        std::vector<ElementId> all;
        for (const Element& e : drawing().elements())
            all.push_back(e.id);
        document_.remove(tr("Delete"), all);
    } else {
        document_.remove(tr("Delete"), editor_.selection());
    }
}

// ---------------------------------------------------------------------------------------------
// View

double DrawingSurface::baseScale() const {
    const QSize size = viewport()->size();
    return std::max(1, std::min(size.width(), size.height())) / 1000.0;
}

QSizeF DrawingSurface::pixelScale() const {
    return QSizeF(baseScale() * viewScaleX_ / 4900.0, baseScale() * viewScaleY_ / 4900.0);
}

QPointF DrawingSurface::pageOffset() const {
    // A page smaller than the surface is centred; a larger one scrolls.
    const QSizeF scale = pixelScale();
    const QSize size = viewport()->size();
    const double x = std::max(0.0, (size.width() - 1000 * scale.width()) / 2);
    const double y = std::max(0.0, (size.height() - 1000 * scale.height()) / 2);
    return QPointF(x - horizontalScrollBar()->value(), y - verticalScrollBar()->value());
}

QPointF DrawingSurface::toLogical(const QPointF& pos) const {
    const QSizeF scale = pixelScale();
    const QPointF offset = pageOffset();
    return QPointF((pos.x() - offset.x()) / scale.width(), (pos.y() - offset.y()) / scale.height());
}

QPointF DrawingSurface::toViewport(const QPointF& logical) const {
    const QSizeF scale = pixelScale();
    const QPointF offset = pageOffset();
    return QPointF(offset.x() + logical.x() * scale.width(),
                   offset.y() + logical.y() * scale.height());
}

void DrawingSurface::updateScrollBars() {
    const QSizeF scale = pixelScale();
    const QSize size = viewport()->size();
    const int width = static_cast<int>(std::ceil(1000 * scale.width()));
    const int height = static_cast<int>(std::ceil(1000 * scale.height()));
    horizontalScrollBar()->setRange(0, std::max(0, width - size.width()));
    horizontalScrollBar()->setPageStep(size.width());
    horizontalScrollBar()->setSingleStep(std::max(1, size.width() / 20));
    verticalScrollBar()->setRange(0, std::max(0, height - size.height()));
    verticalScrollBar()->setPageStep(size.height());
    verticalScrollBar()->setSingleStep(std::max(1, size.height() / 20));
    editor_.setPixelSize(1 / scale.width(), 1 / scale.height());
}

void DrawingSurface::setViewScale(int x, int y) {
    x = std::clamp(x, MinViewScale, MaxViewScale);
    y = std::clamp(y, MinViewScale, MaxViewScale);
    // The logical point in the middle of the surface stays there.
    const QPointF middle(viewport()->width() / 2.0, viewport()->height() / 2.0);
    const QPointF anchor = toLogical(middle);
    viewScaleX_ = x;
    viewScaleY_ = y;
    updateScrollBars();
    const QSizeF scale = pixelScale();
    horizontalScrollBar()->setValue(qRound(anchor.x() * scale.width() - middle.x()));
    verticalScrollBar()->setValue(qRound(anchor.y() * scale.height() - middle.y()));
    viewport()->update();
}

void DrawingSurface::setViewScaleX(int scale) {
    setViewScale(scale, viewScaleY_);
}

void DrawingSurface::setViewScaleY(int scale) {
    setViewScale(viewScaleX_, scale);
}

void DrawingSurface::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void DrawingSurface::scrollContentsBy(int, int) {
    viewport()->update();
}

void DrawingSurface::setPointer(int pointer) {
    pointer_ = pointer;
    if (pointer == BusyPointer)
        viewport()->setCursor(Qt::WaitCursor);
    else
        updatePointer(viewport()->mapFromGlobal(QCursor::pos()));
}

void DrawingSurface::updatePointer(const QPointF& pos) {
    if (pointer_ == BusyPointer)
        return;
    viewport()->setCursor(editor_.cursorAt(toLogical(pos)));
}

// ---------------------------------------------------------------------------------------------
// Painting and printing

void DrawingSurface::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.fillRect(event->rect(), palette().color(QPalette::Dark));
    const QSizeF scale = pixelScale();
    const QPointF offset = pageOffset();
    painter.translate(offset);
    painter.scale(scale.width(), scale.height());
    painter.fillRect(QRectF(0, 0, 1000, 1000), palette().color(QPalette::Base));
    painter.setRenderHint(QPainter::Antialiasing);

    RenderOptions options;
    options.palette = palette();
    options.exposed = painter.worldTransform().inverted().mapRect(QRectF(event->rect()));
    if (editor_.typing() && editor_.textTarget() != NoElement) {
        // The text being typed is shown from the editor; hide the element it will replace.
        std::vector<ElementId> others;
        for (const Element& e : drawing().elements())
            if (e.id != editor_.textTarget())
                others.push_back(e.id);
        options.only = &others;
        paintDrawing(painter, drawing(), options);
    } else {
        paintDrawing(painter, drawing(), options);
    }
    paintOverlay(painter);
}

void DrawingSurface::setMarkers(const QHash<QString, QColor>& byText, const QColor& others) {
    markers_.clear();
    for (auto it = byText.cbegin(); it != byText.cend(); ++it)
        markers_.insert(it.key().toCaseFolded(), it.value());
    otherMarkers_ = others;
    viewport()->update();
}

QColor DrawingSurface::markerFor(const QString& text) const {
    return markers_.value(text.toCaseFolded(), otherMarkers_);
}

void DrawingSurface::setLinkLabels(bool on) {
    linkLabels_ = on;
    viewport()->update();
}

void DrawingSurface::paintOverlay(QPainter& painter) const {
    const QTransform toDevice = painter.worldTransform();
    if (const auto& preview = editor_.preview())
        paintElement(painter, *preview, palette());

    painter.resetTransform();
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QColor accent = palette().color(QPalette::Highlight);
    if (editor_.typing()) {
        painter.setPen(QPen(accent, 1, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(toDevice.mapRect(editor_.preview()->box()).adjusted(-2, -2, 2, 2));
        painter.setPen(QPen(palette().color(QPalette::Text), 1));
        painter.drawLine(toDevice.map(editor_.caret()));
    }
    // Markers beside linked elements: a small disc above the top right corner.
    if (!markers_.isEmpty() || otherMarkers_.isValid()) {
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(QPen(Qt::black, 1));
        for (const Element& e : drawing().elements()) {
            if (!e.hotSpot)
                continue;
            const QColor marker = markerFor(e.text);
            if (!marker.isValid())
                continue;
            const QPointF corner = toDevice.map(elementBounds(e).topRight());
            painter.setBrush(marker);
            painter.drawEllipse(QRectF(corner.x() - 1, corner.y() - 11, 10, 10));
        }
        painter.setRenderHint(QPainter::Antialiasing, false);
    }
    if (linkLabels_) {
        QFont font = this->font();
        font.setPointSizeF(font.pointSizeF() * 0.9);
        paintLinkLabels(painter, drawing(), toDevice, font);
        painter.setRenderHint(QPainter::Antialiasing, false);
    }
    // Selected elements: a dashed outline of each, and handles where they can be dragged.
    painter.setPen(QPen(accent, 1, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    for (ElementId id : editor_.selection()) {
        const Element* e = drawing().find(id);
        if (e && e->kind != ElementKind::Line) // a line shows its two end handles
            painter.drawRect(toDevice.mapRect(e->box()).adjusted(-1, -1, 1, 1));
    }
    painter.setPen(QPen(Qt::black, 1));
    const double r = DrawingEditor::HandleRadius;
    for (const auto& h : editor_.handles()) {
        const bool angle = h.role == DrawingEditor::HandleRole::StartAngle ||
                           h.role == DrawingEditor::HandleRole::EndAngle;
        painter.setBrush(angle ? accent : QColor(Qt::white));
        const QPointF at = toDevice.map(h.at);
        const QRectF square(at.x() - r, at.y() - r, 2 * r, 2 * r);
        if (angle)
            painter.drawEllipse(square);
        else
            painter.drawRect(square);
    }
    if (!editor_.rubberBand().isNull()) {
        painter.setPen(QPen(accent, 1, Qt::DashLine));
        QColor wash = accent;
        wash.setAlpha(40);
        painter.setBrush(wash);
        painter.drawRect(toDevice.mapRect(editor_.rubberBand()));
    }
}

void DrawingSurface::RenderTo(QPainter& painter, const QRectF& target) const {
    painter.save();
    painter.setWorldTransform(pageTransform(target), true);
    RenderOptions options;
    options.palette = palette();
    paintDrawing(painter, drawing(), options);
    painter.restore();
}

Status DrawingSurface::PrintTarget(QPainter& painter) {
    if (!painter.isActive() || !painter.device())
        return Error{tr("The printer is not ready to print the drawing.")};
    editor_.commitText();
    const QPaintDevice* device = painter.device();
    const double dpiX = device->logicalDpiX();
    const double dpiY = device->logicalDpiY();
    const QRectF place(printLeft_ * dpiX, printTop_ * dpiY,
                       printWidth_ > 0 ? printWidth_ * dpiX : device->width() - printLeft_ * dpiX,
                       printHeight_ > 0 ? printHeight_ * dpiY
                                        : device->height() - printTop_ * dpiY);
    if (!(place.width() > 0 && place.height() > 0))
        return Error{tr("The drawing's place on the page is empty.")};

    const std::vector<ElementId> chosen = targets();
    const QTransform toPage = pageTransform(place);
    painter.save();
    painter.setWorldTransform(toPage, true);
    painter.setRenderHint(QPainter::Antialiasing);
    RenderOptions options;
    options.palette = palette();
    if (scope_ != 5)
        options.only = &chosen;
    paintDrawing(painter, drawing(), options);
    painter.restore();
    if (linkLabels_)
        paintLinkLabels(painter, drawing(), toPage, QFont(QStringLiteral("Arial"), 8),
                        options.only);
    return {};
}

Status DrawingSurface::PrintTarget(QPrinter& printer) {
    QPainter painter;
    if (!painter.begin(&printer))
        return Error{tr("The printer could not start printing.")};
    const Status printed = PrintTarget(painter);
    painter.end();
    return printed;
}

// ---------------------------------------------------------------------------------------------
// Mouse and keyboard

void DrawingSurface::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    setFocus(Qt::MouseFocusReason);
    editor_.press(toLogical(event->position()), event->modifiers());
}

void DrawingSurface::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

void DrawingSurface::mouseMoveEvent(QMouseEvent* event) {
    editor_.move(toLogical(event->position()), event->buttons() & Qt::LeftButton);
    if (!(event->buttons() & Qt::LeftButton))
        updatePointer(event->position());
}

void DrawingSurface::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    editor_.release(toLogical(event->position()));
    updatePointer(event->position());
}

void DrawingSurface::keyPressEvent(QKeyEvent* event) {
    emit KeyDown(keyCodeOf(event->key()), shiftStateOf(event->modifiers()));
    if (editor_.key(event->key(), event->modifiers(), event->text()))
        event->accept();
    else
        QAbstractScrollArea::keyPressEvent(event);
}

void DrawingSurface::focusOutEvent(QFocusEvent* event) {
    // Typing ends when the surface loses the keyboard, except to a menu or a popup.
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::MenuBarFocusReason)
        editor_.commitText();
    QAbstractScrollArea::focusOutEvent(event);
}

bool DrawingSurface::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Leave)
        editor_.leave();
    return QAbstractScrollArea::viewportEvent(event);
}

} // namespace korvane
