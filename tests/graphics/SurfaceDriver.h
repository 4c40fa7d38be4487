#pragma once

#include "graphics/DrawingSurface.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

namespace korvane::test {

// Drives a DrawingSurface with mouse events at logical positions, as a user's mouse would send
// them to its viewport.
class SurfaceDriver {
public:
    explicit SurfaceDriver(DrawingSurface& surface) : surface_(surface) {}

    QPoint at(QPointF logical) const { return surface_.toViewport(logical).toPoint(); }

    void send(QEvent::Type type, QPointF logical, Qt::MouseButton button, Qt::MouseButtons buttons,
              Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* viewport = surface_.viewport();
        const QPointF local = at(logical);
        QMouseEvent event(type, local, viewport->mapToGlobal(local), button, buttons, modifiers);
        QApplication::sendEvent(viewport, &event);
    }

    void press(QPointF p, Qt::KeyboardModifiers m = Qt::NoModifier) {
        send(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton, m);
    }
    void release(QPointF p, Qt::KeyboardModifiers m = Qt::NoModifier) {
        send(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton, m);
    }
    void hover(QPointF p) { send(QEvent::MouseMove, p, Qt::NoButton, Qt::NoButton); }
    void click(QPointF p, Qt::KeyboardModifiers m = Qt::NoModifier) {
        press(p, m);
        release(p, m);
    }
    // Press at from, move there in a few steps, release at to.
    void drag(QPointF from, QPointF to, Qt::KeyboardModifiers m = Qt::NoModifier) {
        press(from, m);
        for (int i = 1; i <= 4; ++i)
            send(QEvent::MouseMove, from + (to - from) * (i / 4.0), Qt::NoButton, Qt::LeftButton,
                 m);
        release(to, m);
    }
    void key(Qt::Key key, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QTest::keyClick(&surface_, key, m);
    }
    void type(const QString& text) { QTest::keyClicks(&surface_, text); }

private:
    DrawingSurface& surface_;
};

// A surface shown at a fixed size, with its page filling the viewport at 100 per cent.
struct ShownSurface {
    ShownSurface() {
        surface.resize(640, 640);
        surface.show();
        QApplication::processEvents();
    }
    DrawingSurface surface;
    SurfaceDriver mouse{surface};
};

} // namespace korvane::test
