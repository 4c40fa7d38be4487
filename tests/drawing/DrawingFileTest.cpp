#include "drawing/DrawingFile.h"

#include "drawing/DrawingGeometry.h"
#include "support/TempDir.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QSvgRenderer>

#include <gtest/gtest.h>

namespace korvane {
namespace {

const QPalette palette;

std::vector<Element> readBack(const std::vector<Element>& elements) {
    auto read = readDrawing(writeDrawing(elements, palette));
    EXPECT_TRUE(read.ok()) << read.error().toStdString();
    return read.ok() ? read->elements : std::vector<Element>{};
}

Element sample(ElementKind kind) {
    Element e;
    e.kind = kind;
    e.p1 = QPointF(120.25, 640.5);
    e.p2 = QPointF(80.125, 300.0 / 7); // drawn from bottom right to top left, inexact in binary
    e.startAngle = 33.3;
    e.endAngle = 300.1;
    e.color = 0x00336699u;
    e.color2 = 0x80000012u;
    e.lineWidth = 3.5;
    e.fontSize = 40;
    e.cornerRadius = 12.75;
    e.text = QStringLiteral("TML-7");
    e.hotSpot = true;
    e.hit = true;
    e.locked = kind == ElementKind::Background;
    return e;
}

TEST(DrawingFile, EveryKindAndEveryValueSurvivesSaveAndLoad) {
    std::vector<Element> elements;
    for (ElementKind kind :
         {ElementKind::Line, ElementKind::Box, ElementKind::RoundedBox, ElementKind::Background,
          ElementKind::Arc, ElementKind::Oval, ElementKind::Chord, ElementKind::Text}) {
        Element e = sample(kind);
        // Values a kind does not use keep their defaults, as every element made here has them.
        const Element defaults;
        if (kind != ElementKind::Arc && kind != ElementKind::Chord) {
            e.startAngle = defaults.startAngle;
            e.endAngle = defaults.endAngle;
        }
        if (kind != ElementKind::Text)
            e.fontSize = defaults.fontSize;
        if (kind != ElementKind::RoundedBox)
            e.cornerRadius = defaults.cornerRadius;
        elements.push_back(e);
    }
    // Flags off, colours at their ends and no outline: a width of 0 is not the default 2.
    Element plain = sample(ElementKind::Box);
    plain.lineWidth = 0;
    plain.hotSpot = plain.hit = plain.locked = false;
    plain.color = NoColor;
    plain.color2 = 0x00FFFFFFu;
    plain.text.clear();
    plain.startAngle = 0;
    plain.endAngle = 180;
    plain.cornerRadius = 20;
    plain.fontSize = 28;
    elements.push_back(plain);

    EXPECT_EQ(readBack(elements), elements);
}

TEST(DrawingFile, RandomDrawingsComeBackExactly) {
    QRandomGenerator random(7);
    for (int round = 0; round < 20; ++round) {
        std::vector<Element> elements;
        for (int i = 0; i < 50; ++i) {
            Element e;
            e.kind = ElementKind::Line;
            e.p1 = QPointF(random.generateDouble() * 2000 - 500, random.generateDouble() * 1e-3);
            e.p2 = QPointF(random.generateDouble() * 1000, -random.generateDouble() * 1e5);
            e.lineWidth = random.generateDouble() * 10;
            e.color = random.generate();
            e.color2 = random.generate();
            elements.push_back(e);
        }
        ASSERT_EQ(readBack(elements), elements);
    }
}

TEST(DrawingFile, TextsSurviveWhateverTheyHold) {
    const QString texts[] = {
        QStringLiteral("He said \"no\" & she said 'yes'"),
        QStringLiteral("<area id=\"A-1\"/> &amp; &#10; ]]> <!-- -->"),
        QStringLiteral("line one\r\nline two\nline three\rend"),
        QStringLiteral("\ttabbed  and   spaced  "),
        QStringLiteral(" leading and trailing "),
        QString::fromUtf8("Zürich – Øresund – 東京 – Ελλάδα – \u00A0nbsp"),
        QString::fromUtf8("emoji \xF0\x9F\x9B\xA2 outside the basic plane"),
        QStringLiteral("back\\slash \\u0041 not an escape \\\\"),
        QString(QChar(0x01)) + QStringLiteral("control") + QChar(0x1F) + QChar(0xFFFE),
        QString(QChar(0xD800)) + QStringLiteral("lone surrogates") + QChar(0xDC00),
        QStringLiteral("\r\n"),
        QStringLiteral("x"),
    };
    for (const QString& text : texts) {
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(unescapeElementText(escapeElementText(text)), text);
        for (ElementKind kind : {ElementKind::Text, ElementKind::Oval}) {
            Element e;
            e.kind = kind;
            e.p1 = QPointF(10, 10);
            e.text = text;
            if (kind == ElementKind::Text)
                fitTextBox(e);
            const auto back = readBack({e});
            ASSERT_EQ(back.size(), 1u);
            EXPECT_EQ(back.front().text, text);
        }
    }
}

TEST(DrawingFile, SavedFileIsAnSvgPictureOfTheDrawing) {
    std::vector<Element> elements;
    Element page;
    page.kind = ElementKind::Background;
    page.p2 = QPointF(1000, 1000);
    page.color = 0x0000FF00u; // green
    elements.push_back(page);
    Element box;
    box.kind = ElementKind::Box;
    box.p1 = QPointF(100, 100);
    box.p2 = QPointF(300, 300);
    box.color = 0x000000FFu; // red
    box.text = QStringLiteral("A & B");
    elements.push_back(box);
    Element chord;
    chord.kind = ElementKind::Chord;
    chord.p1 = QPointF(500, 500);
    chord.p2 = QPointF(900, 900);
    chord.startAngle = 180;
    chord.endAngle = 360;      // the lower half
    chord.color = 0x00FF0000u; // blue
    elements.push_back(chord);

    QSvgRenderer svg(writeDrawing(elements, palette));
    ASSERT_TRUE(svg.isValid());
    EXPECT_EQ(svg.viewBoxF(), QRectF(0, 0, 1000, 1000));
    QImage image(100, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    svg.render(&painter);
    painter.end();
    EXPECT_EQ(image.pixelColor(20, 20), QColor(255, 0, 0)); // inside the box
    EXPECT_EQ(image.pixelColor(50, 20), QColor(0, 255, 0)); // the page
    EXPECT_EQ(image.pixelColor(70, 80), QColor(0, 0, 255)); // lower half of the chord
    EXPECT_EQ(image.pixelColor(70, 60), QColor(0, 255, 0)); // upper half is not drawn
}

TEST(DrawingFile, ShapesOfOtherSvgFilesAreReadOntoThePage) {
    const QByteArray foreign = R"svg(<?xml version="1.0"?>
<!DOCTYPE svg>
<svg xmlns="http://www.w3.org/2000/svg" viewBox="100 100 500 250" width="50mm">
  <title>someone else's</title>
  <rect x="100" y="100" width="50" height="25" fill="#ff0000" stroke="black"/>
  <rect x="200" y="200" width="10" height="10" rx="2" style="fill: none; stroke: #00ff00"/>
  <g>
    <circle cx="350" cy="225" r="25"/>
    <line x1="100" y1="350" x2="600" y2="100" stroke="blue" stroke-width="2"/>
    <path d="M 0 0 L 10 10"/>
  </g>
  <g transform="rotate(45)"><rect x="1" y="1" width="1" height="1"/></g>
  <text x="300" y="300" font-size="20">Hello <tspan>there</tspan></text>
  <rect x="1" y="1" width="-5" height="3"/>
  <rect x="1e400" y="1" width="5" height="3"/>
</svg>)svg";
    auto read = readDrawing(foreign);
    ASSERT_TRUE(read.ok()) << read.error().toStdString();
    const auto& e = read->elements;
    ASSERT_EQ(e.size(), 5u);
    EXPECT_EQ(e[0].kind, ElementKind::Box);
    EXPECT_EQ(e[0].box(), QRectF(0, 0, 100, 100));
    EXPECT_EQ(e[0].color, 0x000000FFu);
    EXPECT_EQ(e[0].color2, 0x00000000u);
    EXPECT_EQ(e[1].kind, ElementKind::RoundedBox);
    EXPECT_EQ(e[1].color, NoColor);
    EXPECT_EQ(e[1].color2, 0x0000FF00u);
    EXPECT_EQ(e[2].kind, ElementKind::Oval);
    EXPECT_EQ(e[2].box(), QRectF(450, 400, 100, 200));
    EXPECT_EQ(e[2].color, BlackColor); // SVG's own default fill
    EXPECT_EQ(e[3].kind, ElementKind::Line);
    EXPECT_EQ(e[3].p1, QPointF(0, 1000));
    EXPECT_EQ(e[3].p2, QPointF(1000, 0));
    EXPECT_EQ(e[4].kind, ElementKind::Text);
    EXPECT_EQ(e[4].text, QStringLiteral("Hello there"));
    EXPECT_DOUBLE_EQ(e[4].fontSize, 80);
    EXPECT_EQ(read->skipped, 4); // the path, the rotated group, the negative and the huge rect
}

struct Refusal {
    const char* name;
    QByteArray data;
    const char* says;
};

TEST(DrawingFile, DamagedAndStrangeFilesGiveAClearError) {
    const Refusal cases[] = {
        {"empty", "", "damaged"},
        {"not xml", "GIF89a\x01\x02", "damaged"},
        {"another document", "<html><body/></html>", "not a drawing"},
        {"svg of another namespace", "<svg xmlns=\"urn:other\"/>", "not a drawing"},
        {"cut short", "<svg xmlns=\"http://www.w3.org/2000/svg\"><rect x=\"1\" y=\"2\" width=\"3\"",
         "damaged"},
        {"unclosed", "<svg xmlns=\"http://www.w3.org/2000/svg\"><g><rect/>", "damaged"},
        {"bad entity", "<svg xmlns=\"http://www.w3.org/2000/svg\">&nope;</svg>", "damaged"},
    };
    for (const Refusal& c : cases) {
        auto read = readDrawing(c.data);
        ASSERT_FALSE(read.ok()) << c.name;
        EXPECT_TRUE(read.error().contains(QLatin1String(c.says))) << read.error().toStdString();
    }
}

TEST(DrawingFile, OurElementsWithUnreadableValuesAreSkippedAndTheRestRead) {
    const QByteArray data = R"(<svg xmlns="http://www.w3.org/2000/svg"
        xmlns:kd="urn:x-korvane:drawing:1" kd:version="1">
      <rect kd:kind="box" kd:geom="1 2 3"/>
      <rect kd:kind="box" kd:geom="1 2 3 nan"/>
      <rect kd:kind="box" kd:geom="1 2 3 1e300"/>
      <rect kd:kind="spiral" kd:geom="1 2 3 4"/>
      <path kd:kind="arc" kd:geom="1 2 3 4"/>
      <rect kd:kind="box" kd:geom=" 1, 2 ,3 4 " kd:color="zz" kd:width="-1" kd:hit="yes"/>
    </svg>)";
    auto read = readDrawing(data);
    ASSERT_TRUE(read.ok()) << read.error().toStdString();
    ASSERT_EQ(read->elements.size(), 1u);
    const Element& e = read->elements.front();
    EXPECT_EQ(e.box(), QRectF(1, 2, 2, 2));
    EXPECT_EQ(e.color, Element{}.color);
    EXPECT_EQ(e.lineWidth, Element{}.lineWidth);
    EXPECT_FALSE(e.hit);
    EXPECT_EQ(read->skipped, 5);
}

TEST(DrawingFile, FilesOnDiskAndTheirErrors) {
    test::TempDir dir;
    const QString path = dir.filePath(QStringLiteral("C3_L7_T12_I40_Edge.tmp"));
    std::vector<Element> elements = {sample(ElementKind::Oval)};
    elements.front().cornerRadius = 20;
    elements.front().fontSize = 28;
    elements.front().startAngle = 0;
    elements.front().endAngle = 180;
    ASSERT_TRUE(saveDrawingFile(path, elements, palette).ok());
    auto loaded = loadDrawingFile(path);
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(loaded->elements, elements);

    auto missing = loadDrawingFile(dir.filePath(QStringLiteral("none.tmp")));
    ASSERT_FALSE(missing.ok());
    EXPECT_TRUE(missing.error().contains(QLatin1String("none.tmp")));

    const Status unwritable =
        saveDrawingFile(dir.filePath(QStringLiteral("no/such/folder/x.tmp")), elements, palette);
    EXPECT_FALSE(unwritable.ok());
}

} // namespace
} // namespace korvane
