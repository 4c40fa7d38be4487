#pragma once

#include "drawing/DrawingSurface.h"

#include <QApplication>
#include <QKeyEvent>
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
    // Types text one character at a time as a keyboard would, any character included.
    void type(const QString& text) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            const QString one = text.mid(i, n);
            const int key = one.size() == 1 && one[0].unicode() < 128
                                ? static_cast<int>(one[0].toUpper().unicode())
                                : static_cast<int>(Qt::Key_unknown);
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, one);
            QApplication::sendEvent(&surface_, &press);
            QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, one);
            QApplication::sendEvent(&surface_, &release);
            i += n - 1;
        }
    }

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
