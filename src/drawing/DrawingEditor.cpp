#include "drawing/DrawingEditor.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

namespace korvane {

namespace {

// Pointer reach and the least drag that counts as a drag, in pixels.
constexpr double ReachPixels = 4;
constexpr double DragPixels = 3;

// What a new element looks like until the program or the user says otherwise.
Element newElement(ElementKind kind, const QPointF& at) {
    Element e;
    e.kind = kind;
    e.p1 = at;
    e.p2 = at;
    e.color = NoColor;
    e.color2 = BlackColor;
    e.startAngle = 0;
    e.endAngle = 180;
    return e;
}

double roundedAngle(double degrees) {
    return std::round(degrees * 10) / 10;
}

} // namespace

bool isDrawingTool(int value) {
    switch (static_cast<DrawingTool>(value)) {
    case DrawingTool::None:
    case DrawingTool::Line:
    case DrawingTool::Box:
    case DrawingTool::RoundedBox:
    case DrawingTool::Oval:
    case DrawingTool::Arc:
    case DrawingTool::Chord:
    case DrawingTool::Text:
    case DrawingTool::Selection:
        return true;
    }
    return false;
}

std::optional<ElementKind> kindDrawnBy(DrawingTool mode) {
    switch (mode) {
    case DrawingTool::Line:
        return ElementKind::Line;
    case DrawingTool::Box:
        return ElementKind::Box;
    case DrawingTool::RoundedBox:
        return ElementKind::RoundedBox;
    case DrawingTool::Oval:
        return ElementKind::Oval;
    case DrawingTool::Arc:
        return ElementKind::Arc;
    case DrawingTool::Chord:
        return ElementKind::Chord;
    case DrawingTool::Text:
        return ElementKind::Text;
    case DrawingTool::None:
    case DrawingTool::Selection:
        break;
    }
    return std::nullopt;
}

DrawingEditor::DrawingEditor(DrawingDocument& document, QObject* parent)
    : QObject(parent), document_(document) {
    connect(&document_, &DrawingDocument::changed, this, &DrawingEditor::pruneSelection);
}

void DrawingEditor::setMode(DrawingTool mode) {
    if (typing_ && mode != DrawingTool::Text)
        commitText();
    if (drag_ == Drag::Moving || drag_ == Drag::Resizing)
        document_.changedLive(tr("Move"), before_);
    drag_ = Drag::Nothing;
    if (!typing_)
        preview_.reset();
    rubberBand_ = QRectF();
    mode_ = mode;
    emit overlayChanged();
}

void DrawingEditor::setPixelSize(double x, double y) {
    if (x > 0 && y > 0 && std::isfinite(x) && std::isfinite(y)) {
        pixelX_ = x;
        pixelY_ = y;
    }
}

void DrawingEditor::setSelection(std::vector<ElementId> ids) {
    std::vector<ElementId> kept;
    for (ElementId id : ids)
        if (document_.drawing().find(id) && std::find(kept.begin(), kept.end(), id) == kept.end())
            kept.push_back(id);
    if (kept == selection_)
        return;
    selection_ = std::move(kept);
    emit selectionChanged();
    emit overlayChanged();
}

void DrawingEditor::pruneSelection() {
    const auto gone = [this](ElementId id) {
        return !document_.drawing().find(id);
    };
    const auto end = std::remove_if(selection_.begin(), selection_.end(), gone);
    if (end != selection_.end()) {
        selection_.erase(end, selection_.end());
        emit selectionChanged();
    }
    // An element gone from under the pointer (deleted, or undone) is left: what shows its data
    // clears it.
    if (hot_ != NoElement && gone(hot_))
        emit hotSpot(std::exchange(hot_, NoElement), QPointF(), 1);
    if (textTarget_ != NoElement && gone(textTarget_)) {
        typing_ = false;
        textTarget_ = NoElement;
        preview_.reset();
    }
}

void DrawingEditor::selectOnly(ElementId id) {
    setSelection(id == NoElement ? std::vector<ElementId>{} : std::vector<ElementId>{id});
}

double DrawingEditor::tolerance() const {
    return ReachPixels * std::max(pixelX_, pixelY_);
}

bool DrawingEditor::farEnough(const QPointF& a, const QPointF& b) const {
    return std::abs(a.x() - b.x()) / pixelX_ >= DragPixels ||
           std::abs(a.y() - b.y()) / pixelY_ >= DragPixels;
}

ElementId DrawingEditor::elementAt(const QPointF& p) const {
    Drawing::Query q;
    q.tolerance = tolerance();
    q.mode = HitMode::Painted;
    return document_.drawing().topmostAt(p, q);
}

ElementId DrawingEditor::hitElementAt(const QPointF& p) const {
    Drawing::Query q;
    q.tolerance = tolerance();
    q.mode = HitMode::Area;
    q.skipLocked = false;
    q.onlyHit = true;
    return document_.drawing().topmostAt(p, q);
}

std::vector<DrawingEditor::Handle> DrawingEditor::handles() const {
    std::vector<Handle> out;
    for (ElementId id : selection_) {
        const Element* e = document_.drawing().find(id);
        if (!e || e->locked || (typing_ && id == textTarget_))
            continue;
        if (e->kind == ElementKind::Text)
            continue; // text is moved, its size follows its font
        if (e->kind == ElementKind::Line) {
            out.push_back({id, HandleRole::LineStart, e->p1});
            out.push_back({id, HandleRole::LineEnd, e->p2});
            continue;
        }
        const QRectF b = e->box();
        const QPointF c = b.center();
        out.push_back({id, HandleRole::TopLeft, b.topLeft()});
        out.push_back({id, HandleRole::Top, QPointF(c.x(), b.top())});
        out.push_back({id, HandleRole::TopRight, b.topRight()});
        out.push_back({id, HandleRole::Right, QPointF(b.right(), c.y())});
        out.push_back({id, HandleRole::BottomRight, b.bottomRight()});
        out.push_back({id, HandleRole::Bottom, QPointF(c.x(), b.bottom())});
        out.push_back({id, HandleRole::BottomLeft, b.bottomLeft()});
        out.push_back({id, HandleRole::Left, QPointF(b.left(), c.y())});
        if (e->kind == ElementKind::Arc || e->kind == ElementKind::Chord) {
            // A little inside the oval, so that at 0 and 180 degrees they do not cover the
            // handles of the box's sides.
            const auto inside = [&](double degrees) {
                return c + (pointOnOval(b, degrees) - c) * 0.85;
            };
            out.push_back({id, HandleRole::StartAngle, inside(e->startAngle)});
            out.push_back({id, HandleRole::EndAngle, inside(e->endAngle)});
        }
    }
    return out;
}

std::optional<DrawingEditor::Handle> DrawingEditor::handleAt(const QPointF& p) const {
    // The last handle listed wins, so angle handles beat the box handles under them.
    const std::vector<Handle> all = handles();
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        if (std::abs(it->at.x() - p.x()) <= (HandleRadius + 1) * pixelX_ &&
            std::abs(it->at.y() - p.y()) <= (HandleRadius + 1) * pixelY_)
            return *it;
    }
    return std::nullopt;
}

void DrawingEditor::press(const QPointF& p, Qt::KeyboardModifiers modifiers) {
    pressAt_ = p;
    moved_ = false;
    pressedHit_ = NoElement;
    pressedElement_ = NoElement;
    clickKeepsOnly_ = false;
    before_.clear();
    handle_.reset();

    if (mode_ == DrawingTool::None) {
        pressedHit_ = hitElementAt(p);
        return;
    }
    if (mode_ == DrawingTool::Selection) {
        pressedHit_ = hitElementAt(p);
        if (!(modifiers & Qt::ShiftModifier)) {
            if (auto h = handleAt(p)) {
                handle_ = h;
                before_ = {*document_.drawing().find(h->id)};
                drag_ = Drag::Resizing;
                return;
            }
        }
        const ElementId id = elementAt(p);
        if (id == NoElement) {
            if (!(modifiers & Qt::ShiftModifier))
                selectOnly(NoElement);
            drag_ = Drag::Banding;
            rubberBand_ = QRectF(p, p);
            emit overlayChanged();
            return;
        }
        pressedElement_ = id;
        const bool selected =
            std::find(selection_.begin(), selection_.end(), id) != selection_.end();
        clickKeepsOnly_ = selected && !(modifiers & Qt::ShiftModifier) && selection_.size() > 1;
        if (modifiers & Qt::ShiftModifier) {
            std::vector<ElementId> next = selection_;
            if (selected)
                next.erase(std::find(next.begin(), next.end(), id));
            else
                next.push_back(id);
            setSelection(next);
        } else if (!selected) {
            selectOnly(id);
        }
        for (ElementId s : selection_)
            before_.push_back(*document_.drawing().find(s));
        drag_ = before_.empty() ? Drag::Nothing : Drag::Moving;
        return;
    }
    if (mode_ == DrawingTool::Text) {
        if (typing_)
            commitText();
        Drawing::Query q;
        q.tolerance = tolerance();
        const ElementId id = document_.drawing().topmostAt(p, q);
        const Element* existing = id ? document_.drawing().find(id) : nullptr;
        if (existing && existing->kind == ElementKind::Text) {
            preview_ = *existing;
            textTarget_ = id;
            selectOnly(id);
        } else {
            preview_ = newElement(ElementKind::Text, p);
            fitTextBox(*preview_);
            textTarget_ = NoElement;
        }
        typing_ = true;
        emit overlayChanged();
        return;
    }
    if (auto kind = kindDrawnBy(mode_)) {
        preview_ = newElement(*kind, p);
        drag_ = Drag::Drawing;
        emit overlayChanged();
    }
}

Element DrawingEditor::resized(const Element& before, HandleRole role, const QPointF& p) const {
    Element e = before;
    QRectF b = before.box();
    switch (role) {
    case HandleRole::LineStart:
        e.p1 = p;
        return e;
    case HandleRole::LineEnd:
        e.p2 = p;
        return e;
    case HandleRole::StartAngle:
        e.startAngle = roundedAngle(angleOnOval(b, p.x(), p.y()));
        return e;
    case HandleRole::EndAngle:
        e.endAngle = roundedAngle(angleOnOval(b, p.x(), p.y()));
        return e;
    case HandleRole::TopLeft:
        b.setTopLeft(p);
        break;
    case HandleRole::Top:
        b.setTop(p.y());
        break;
    case HandleRole::TopRight:
        b.setTopRight(p);
        break;
    case HandleRole::Right:
        b.setRight(p.x());
        break;
    case HandleRole::BottomRight:
        b.setBottomRight(p);
        break;
    case HandleRole::Bottom:
        b.setBottom(p.y());
        break;
    case HandleRole::BottomLeft:
        b.setBottomLeft(p);
        break;
    case HandleRole::Left:
        b.setLeft(p.x());
        break;
    }
    b = b.normalized();
    e.p1 = b.topLeft();
    e.p2 = b.bottomRight();
    return e;
}

void DrawingEditor::move(const QPointF& p, bool buttonDown) {
    if (!buttonDown || drag_ == Drag::Nothing) {
        if (!buttonDown)
            updateHotSpot(p);
        return;
    }
    if (!moved_ && !farEnough(p, pressAt_))
        return;
    moved_ = true;
    switch (drag_) {
    case Drag::Drawing:
        preview_->p2 = p;
        emit overlayChanged();
        break;
    case Drag::Moving: {
        const QPointF d = p - pressAt_;
        for (Element e : before_) {
            e.p1 += d;
            e.p2 += d;
            document_.changeLive(e);
        }
        break;
    }
    case Drag::Resizing:
        document_.changeLive(resized(before_.front(), handle_->role, p));
        break;
    case Drag::Banding:
        rubberBand_ = QRectF(pressAt_, p).normalized();
        emit overlayChanged();
        break;
    case Drag::Nothing:
        break;
    }
}

void DrawingEditor::release(const QPointF& p) {
    const Drag drag = std::exchange(drag_, Drag::Nothing);
    switch (drag) {
    case Drag::Drawing: {
        Element e = *preview_;
        preview_.reset();
        if (moved_) {
            e.p2 = p;
            const QString what = tr("Draw");
            selectOnly(document_.add(what, e));
        }
        emit overlayChanged();
        break;
    }
    case Drag::Moving:
        if (moved_) {
            document_.changedLive(tr("Move"), before_);
        } else if (clickKeepsOnly_) {
            // A plain click on one of several selected elements keeps only that one.
            selectOnly(pressedElement_);
        }
        break;
    case Drag::Resizing:
        if (moved_)
            document_.changedLive(tr("Resize"), before_);
        break;
    case Drag::Banding: {
        const QRectF band = QRectF(pressAt_, p).normalized();
        rubberBand_ = QRectF();
        if (moved_) {
            std::vector<ElementId> next = selection_;
            for (ElementId id : document_.drawing().containedIn(band)) {
                if (!document_.drawing().find(id)->locked &&
                    std::find(next.begin(), next.end(), id) == next.end())
                    next.push_back(id);
            }
            setSelection(next);
        }
        emit overlayChanged();
        break;
    }
    case Drag::Nothing:
        break;
    }
    if (!moved_ && pressedHit_ != NoElement && hitElementAt(p) == pressedHit_)
        emit hit(pressedHit_, p);
    before_.clear();
}

void DrawingEditor::updateHotSpot(const QPointF& p) {
    Drawing::Query q;
    q.tolerance = tolerance();
    q.mode = HitMode::Area;
    q.skipLocked = false;
    q.onlyHotSpots = true;
    const ElementId now = document_.drawing().topmostAt(p, q);
    if (now == hot_)
        return;
    const ElementId before = std::exchange(hot_, now);
    if (before != NoElement)
        emit hotSpot(before, p, 1);
    if (now != NoElement)
        emit hotSpot(now, p, 2);
}

void DrawingEditor::leave() {
    if (hot_ != NoElement) {
        const ElementId before = std::exchange(hot_, NoElement);
        emit hotSpot(before, QPointF(), 1);
    }
}

void DrawingEditor::commitText() {
    if (!typing_)
        return;
    typing_ = false;
    Element e = *preview_;
    preview_.reset();
    const ElementId target = std::exchange(textTarget_, NoElement);
    if (target != NoElement) {
        document_.change(tr("Type"), {e});
        selectOnly(target);
    } else if (!e.text.isEmpty()) {
        selectOnly(document_.add(tr("Type"), e));
    }
    emit overlayChanged();
}

QLineF DrawingEditor::caret() const {
    if (!typing_ || !preview_)
        return {};
    const QFontMetricsF metrics(elementFont(*preview_));
    const QStringList lines = textLines(preview_->text);
    const double x = preview_->p1.x() + metrics.horizontalAdvance(lines.back());
    const double top =
        preview_->p1.y() + metrics.lineSpacing() * static_cast<double>(lines.size() - 1);
    return QLineF(x, top, x, top + metrics.height());
}

void DrawingEditor::nudge(double dx, double dy) {
    std::vector<Element> after;
    for (ElementId id : selection_) {
        Element e = *document_.drawing().find(id);
        e.p1 += QPointF(dx, dy);
        e.p2 += QPointF(dx, dy);
        after.push_back(e);
    }
    document_.change(tr("Nudge"), after, DrawingDocument::NudgeKey);
}

bool DrawingEditor::key(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text) {
    const bool control = modifiers & Qt::ControlModifier;
    if (control && (qtKey == Qt::Key_Z || qtKey == Qt::Key_Y)) {
        if (drag_ != Drag::Nothing)
            return true; // the drag in progress becomes a step of its own when it ends
        commitText();
        if (qtKey == Qt::Key_Y || (modifiers & Qt::ShiftModifier))
            document_.undoStack().redo();
        else
            document_.undoStack().undo();
        return true;
    }
    if (typing_) {
        switch (qtKey) {
        case Qt::Key_Escape:
            commitText();
            return true;
        case Qt::Key_Backspace:
            if (!preview_->text.isEmpty()) {
                preview_->text.chop(preview_->text.endsWith(QLatin1String("\r\n")) ? 2 : 1);
                if (!preview_->text.isEmpty() && preview_->text.back().isHighSurrogate())
                    preview_->text.chop(1);
            }
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            preview_->text += u'\n';
            break;
        default:
            if (text.isEmpty() || control || !text.front().isPrint())
                return false;
            preview_->text += text;
        }
        fitTextBox(*preview_);
        emit overlayChanged();
        return true;
    }
    if (selection_.empty() || drag_ != Drag::Nothing)
        return false;
    const double step = (modifiers & Qt::ShiftModifier) ? 10 : 1;
    switch (qtKey) {
    case Qt::Key_Left:
        nudge(-step, 0);
        return true;
    case Qt::Key_Right:
        nudge(step, 0);
        return true;
    case Qt::Key_Up:
        nudge(0, -step);
        return true;
    case Qt::Key_Down:
        nudge(0, step);
        return true;
    case Qt::Key_Escape:
        selectOnly(NoElement);
        return true;
    default:
        return false;
    }
}

Qt::CursorShape DrawingEditor::cursorAt(const QPointF& p) const {
    switch (mode_) {
    case DrawingTool::Selection:
        if (auto h = handleAt(p)) {
            switch (h->role) {
            case HandleRole::TopLeft:
            case HandleRole::BottomRight:
                return Qt::SizeFDiagCursor;
            case HandleRole::TopRight:
            case HandleRole::BottomLeft:
                return Qt::SizeBDiagCursor;
            case HandleRole::Top:
            case HandleRole::Bottom:
                return Qt::SizeVerCursor;
            case HandleRole::Left:
            case HandleRole::Right:
                return Qt::SizeHorCursor;
            default:
                return Qt::CrossCursor;
            }
        }
        return elementAt(p) != NoElement ? Qt::SizeAllCursor : Qt::ArrowCursor;
    case DrawingTool::Text:
        return Qt::IBeamCursor;
    case DrawingTool::None:
        return hitElementAt(p) != NoElement ? Qt::PointingHandCursor : Qt::ArrowCursor;
    default:
        return Qt::CrossCursor;
    }
}

} // namespace korvane
