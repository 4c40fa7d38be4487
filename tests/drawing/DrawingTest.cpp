#include "drawing/Drawing.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace korvane {
namespace {

Element shape(ElementKind kind, QPointF p1, QPointF p2, ColorValue fill = NoColor) {
    Element e;
    e.kind = kind;
    e.p1 = p1;
    e.p2 = p2;
    e.color = fill;
    return e;
}

// The answer the grid index must give: every element tested, topmost first.
ElementId linearTopmost(const Drawing& d, QPointF p, const Drawing::Query& q) {
    const auto& all = d.elements();
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        if (q.skipLocked && it->locked)
            continue;
        if (q.onlyHotSpots && !it->hotSpot)
            continue;
        if (elementContains(*it, p, q.tolerance, q.mode))
            return it->id;
    }
    return NoElement;
}

Element randomElement(QRandomGenerator& random) {
    static const ElementKind kinds[] = {ElementKind::Line,       ElementKind::Box,
                                        ElementKind::RoundedBox, ElementKind::Oval,
                                        ElementKind::Arc,        ElementKind::Chord};
    const double x = random.bounded(1100.0) - 50, y = random.bounded(1100.0) - 50;
    Element e = shape(kinds[random.bounded(6)], QPointF(x, y),
                      QPointF(x + random.bounded(200.0) - 100, y + random.bounded(200.0) - 100),
                      random.bounded(3) == 0 ? 0x00FF8040u : NoColor);
    e.startAngle = random.bounded(360.0);
    e.endAngle = random.bounded(360.0);
    e.hotSpot = random.bounded(2) == 0;
    e.locked = random.bounded(10) == 0;
    return e;
}

// The grid must give exactly what testing every element gives, also after elements were moved,
// removed and put back in the middle of the drawing.
TEST(Drawing, IndexAgreesWithTestingEveryElement) {
    QRandomGenerator random(42);
    Drawing d;
    for (int i = 0; i < 600; ++i)
        d.add(randomElement(random));

    const auto compare = [&](const char* stage) {
        SCOPED_TRACE(stage);
        for (int i = 0; i < 1500; ++i) {
            const QPointF p(random.bounded(1200.0) - 100, random.bounded(1200.0) - 100);
            Drawing::Query q;
            q.tolerance = random.bounded(8.0);
            q.mode = random.bounded(2) ? HitMode::Area : HitMode::Painted;
            q.skipLocked = random.bounded(2);
            q.onlyHotSpots = random.bounded(4) == 0;
            ASSERT_EQ(d.topmostAt(p, q), linearTopmost(d, p, q)) << p.x() << "," << p.y();
        }
    };
    compare("as added");

    for (int i = 0; i < 200; ++i) {
        Element e = d.elements()[static_cast<size_t>(random.bounded(d.size()))];
        e.p1 += QPointF(random.bounded(300.0) - 150, random.bounded(300.0) - 150);
        e.p2 = e.p1 + QPointF(random.bounded(120.0), random.bounded(120.0));
        ASSERT_TRUE(d.replace(e));
    }
    compare("after moves");

    std::vector<std::pair<int, Element>> removed;
    for (int i = 0; i < 100; ++i) {
        const int at = random.bounded(d.size());
        removed.emplace_back(at, d.elements()[static_cast<size_t>(at)]);
        ASSERT_TRUE(d.remove(removed.back().second.id));
    }
    compare("after removals");

    for (auto it = removed.rbegin(); it != removed.rend(); ++it)
        d.add(it->second, it->first);
    compare("after putting back");
}

TEST(Drawing, RemovingAndInsertingManyKeepsOrderAndIds) {
    Drawing d;
    std::vector<ElementId> ids;
    for (int i = 0; i < 10; ++i)
        ids.push_back(d.add(shape(ElementKind::Box, QPointF(i * 10, 0), QPointF(i * 10 + 5, 5))));
    const std::vector<Element> before = d.elements();

    d.removeMany({ids[1], ids[4], ids[9], 999});
    ASSERT_EQ(d.size(), 7);
    EXPECT_EQ(d.indexOf(ids[5]), 3);
    EXPECT_EQ(d.find(ids[4]), nullptr);

    d.insertMany({{1, before[1]}, {4, before[4]}, {9, before[9]}});
    EXPECT_EQ(d.elements(), before);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(d.indexOf(ids[static_cast<size_t>(i)]), i);
    // Found again through the index after coming back.
    Drawing::Query q;
    EXPECT_EQ(d.topmostAt(QPointF(40, 0), q), ids[4]);

    // New ids never repeat one in use.
    EXPECT_GT(d.add(Element{}), ids.back());
}

struct HitCase {
    const char* name;
    Element element;
    QPointF point;
    HitMode mode;
    bool expected;
};

TEST(Drawing, WhatCountsAsOnAnElement) {
    const Element openBox = shape(ElementKind::Box, QPointF(100, 100), QPointF(200, 200));
    const Element filledBox =
        shape(ElementKind::Box, QPointF(200, 200), QPointF(100, 100), 0x00FFFFFFu);
    const Element oval = shape(ElementKind::Oval, QPointF(100, 100), QPointF(300, 200));
    const Element line = shape(ElementKind::Line, QPointF(0, 0), QPointF(100, 100));
    Element arc = shape(ElementKind::Arc, QPointF(100, 100), QPointF(300, 300));
    arc.startAngle = 0;
    arc.endAngle = 90; // the upper right quarter
    Element chord = arc;
    chord.kind = ElementKind::Chord;

    const HitCase cases[] = {
        {"open box edge", openBox, {100, 150}, HitMode::Painted, true},
        {"open box inside, painted", openBox, {150, 150}, HitMode::Painted, false},
        {"open box inside, area", openBox, {150, 150}, HitMode::Area, true},
        {"filled box inside", filledBox, {150, 150}, HitMode::Painted, true},
        {"box just outside reach", openBox, {94, 150}, HitMode::Area, false},
        {"oval corner of its box", oval, {102, 102}, HitMode::Area, false},
        {"oval rim", oval, {200, 100}, HitMode::Painted, true},
        {"line middle", line, {50, 50}, HitMode::Painted, true},
        {"line beside", line, {50, 60}, HitMode::Painted, false},
        {"line past its end", line, {110, 110}, HitMode::Painted, false},
        {"arc on its sweep", arc, {200 + 100 * 0.7071, 200 - 100 * 0.7071}, HitMode::Painted, true},
        {"arc on the rest of the oval", arc, {100, 200}, HitMode::Painted, false},
        {"arc has no inside", arc, {230, 170}, HitMode::Area, false},
        {"chord inside", chord, {260, 140}, HitMode::Area, true},
        {"chord on its straight side", chord, {250, 150}, HitMode::Painted, true},
    };
    for (const HitCase& c : cases)
        EXPECT_EQ(elementContains(c.element, c.point, 3, c.mode), c.expected) << c.name;
}

TEST(Drawing, TopmostSkipsLockedAndFindsElementsOffThePage) {
    Drawing d;
    Element background =
        shape(ElementKind::Background, QPointF(0, 0), QPointF(1000, 1000), ButtonFaceColor);
    background.locked = true;
    const ElementId page = d.add(background);
    const ElementId far =
        d.add(shape(ElementKind::Box, QPointF(5000, -3000), QPointF(5100, -2900), 0x00FFu));
    Drawing::Query q;
    EXPECT_EQ(d.topmostAt(QPointF(500, 500), q), NoElement);
    q.skipLocked = false;
    EXPECT_EQ(d.topmostAt(QPointF(500, 500), q), page);
    EXPECT_EQ(d.topmostAt(QPointF(5050, -2950), q), far);
    EXPECT_EQ(d.containedIn(QRectF(4000, -4000, 2000, 2000)), std::vector<ElementId>{far});
}

} // namespace
} // namespace korvane
