#include "drawing/DrawingFile.h"

#include "drawing/DrawingGeometry.h"
#include "drawing/DrawingRenderer.h"

#include <QFile>
#include <QFontMetricsF>
#include <QSaveFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <array>
#include <charconv>
#include <cmath>

namespace korvane {

namespace {

constexpr char SvgNamespace[] = "http://www.w3.org/2000/svg";
// Coordinates beyond this are not a drawing of a page 1000 units wide; such elements are
// skipped rather than handed to the painter.
constexpr double MaxCoordinate = 1e6;

struct KindName {
    ElementKind kind;
    const char* name;
};
constexpr std::array<KindName, 8> KindNames{{
    {ElementKind::Line, "line"},
    {ElementKind::Box, "box"},
    {ElementKind::RoundedBox, "roundbox"},
    {ElementKind::Background, "background"},
    {ElementKind::Arc, "arc"},
    {ElementKind::Oval, "oval"},
    {ElementKind::Chord, "chord"},
    {ElementKind::Text, "text"},
}};

QString number(double v) {
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), v);
    return QString::fromLatin1(buffer.data(), result.ptr - buffer.data());
}

QString numbers(std::initializer_list<double> values) {
    QStringList parts;
    for (double v : values)
        parts << number(v);
    return parts.join(u' ');
}

QString hex(ColorValue v) {
    return QStringLiteral("%1").arg(v, 8, 16, QLatin1Char('0')).toUpper();
}

QString svgColor(ColorValue v, const QPalette& palette) {
    const QColor c = resolveColor(v, palette);
    return c.isValid() ? c.name(QColor::HexRgb) : QStringLiteral("none");
}

bool allowedInXml(char16_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD);
}

// Text as a browser should show it: characters XML cannot carry become U+FFFD.
QString displayText(const QString& text) {
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            shown += c;
            shown += text[++i];
        } else if (allowedInXml(c.unicode()) && !c.isSurrogate()) {
            shown += c;
        } else {
            shown += QChar(QChar::ReplacementCharacter);
        }
    }
    return shown;
}

} // namespace

QString escapeElementText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\\') {
            out += QLatin1String("\\\\");
        } else if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += c;
            out += text[++i];
        } else if (allowedInXml(c.unicode()) && !c.isSurrogate()) {
            out += c;
        } else {
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        }
    }
    return out;
}

QString unescapeElementText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\\' && i + 1 < text.size() && text[i + 1] == u'\\') {
            out += u'\\';
            ++i;
            continue;
        }
        if (c == u'\\' && i + 5 < text.size() && text[i + 1] == u'u') {
            bool ok = false;
            const uint code = QStringView(text).mid(i + 2, 4).toUInt(&ok, 16);
            if (ok && QStringView(text).mid(i + 2, 4).size() == 4) {
                out += QChar(static_cast<char16_t>(code));
                i += 5;
                continue;
            }
        }
        out += c;
    }
    return out;
}

// ---------------------------------------------------------------------------------------------
// Writing

namespace {

void writeShape(QXmlStreamWriter& xml, const Element& e, const QPalette& palette) {
    const QString ns = QString::fromLatin1(DrawingNamespace);
    const QRectF box = e.box();
    const QString fill = svgColor(e.color, palette);
    const QString stroke = svgColor(e.color2, palette);

    const auto strokeAttributes = [&] {
        xml.writeAttribute(QStringLiteral("stroke"), e.lineWidth > 0 ? stroke : "none");
        xml.writeAttribute(QStringLiteral("stroke-width"), number(e.lineWidth));
    };
    const auto ourAttributes = [&] {
        for (const KindName& k : KindNames)
            if (k.kind == e.kind)
                xml.writeAttribute(ns, QStringLiteral("kind"), QLatin1String(k.name));
        xml.writeAttribute(ns, QStringLiteral("geom"),
                           numbers({e.p1.x(), e.p1.y(), e.p2.x(), e.p2.y()}));
        if (e.kind == ElementKind::Arc || e.kind == ElementKind::Chord)
            xml.writeAttribute(ns, QStringLiteral("angles"), numbers({e.startAngle, e.endAngle}));
        xml.writeAttribute(ns, QStringLiteral("color"), hex(e.color));
        xml.writeAttribute(ns, QStringLiteral("color2"), hex(e.color2));
        xml.writeAttribute(ns, QStringLiteral("width"), number(e.lineWidth));
        if (e.kind == ElementKind::Text)
            xml.writeAttribute(ns, QStringLiteral("font"), number(e.fontSize));
        if (e.kind == ElementKind::RoundedBox)
            xml.writeAttribute(ns, QStringLiteral("radius"), number(e.cornerRadius));
        if (!e.text.isEmpty())
            xml.writeAttribute(ns, QStringLiteral("text"), escapeElementText(e.text));
        if (e.hotSpot)
            xml.writeAttribute(ns, QStringLiteral("hotspot"), QStringLiteral("1"));
        if (e.hit)
            xml.writeAttribute(ns, QStringLiteral("hit"), QStringLiteral("1"));
        if (e.locked)
            xml.writeAttribute(ns, QStringLiteral("locked"), QStringLiteral("1"));
    };
    // A browser shows an element's text as its tool tip.
    const auto title = [&] {
        if (!e.text.isEmpty() && e.kind != ElementKind::Text)
            xml.writeTextElement(QStringLiteral("title"), displayText(e.text));
    };

    switch (e.kind) {
    case ElementKind::Line:
        xml.writeStartElement(QStringLiteral("line"));
        ourAttributes();
        xml.writeAttribute(QStringLiteral("x1"), number(e.p1.x()));
        xml.writeAttribute(QStringLiteral("y1"), number(e.p1.y()));
        xml.writeAttribute(QStringLiteral("x2"), number(e.p2.x()));
        xml.writeAttribute(QStringLiteral("y2"), number(e.p2.y()));
        strokeAttributes();
        break;
    case ElementKind::Box:
    case ElementKind::Background:
    case ElementKind::RoundedBox:
        xml.writeStartElement(QStringLiteral("rect"));
        ourAttributes();
        xml.writeAttribute(QStringLiteral("x"), number(box.x()));
        xml.writeAttribute(QStringLiteral("y"), number(box.y()));
        xml.writeAttribute(QStringLiteral("width"), number(box.width()));
        xml.writeAttribute(QStringLiteral("height"), number(box.height()));
        if (e.kind == ElementKind::RoundedBox) {
            const double r =
                std::clamp(e.cornerRadius, 0.0, std::min(box.width(), box.height()) / 2);
            xml.writeAttribute(QStringLiteral("rx"), number(r));
            xml.writeAttribute(QStringLiteral("ry"), number(r));
        }
        xml.writeAttribute(QStringLiteral("fill"), fill);
        strokeAttributes();
        break;
    case ElementKind::Oval:
        xml.writeStartElement(QStringLiteral("ellipse"));
        ourAttributes();
        xml.writeAttribute(QStringLiteral("cx"), number(box.center().x()));
        xml.writeAttribute(QStringLiteral("cy"), number(box.center().y()));
        xml.writeAttribute(QStringLiteral("rx"), number(box.width() / 2));
        xml.writeAttribute(QStringLiteral("ry"), number(box.height() / 2));
        xml.writeAttribute(QStringLiteral("fill"), fill);
        strokeAttributes();
        break;
    case ElementKind::Arc:
    case ElementKind::Chord: {
        // Two half sweeps, so that a full turn still draws (an SVG arc from a point to itself
        // draws nothing). Counter-clockwise on the screen is SVG's sweep flag 0.
        const double sweep = sweepOf(e);
        const QPointF a = pointOnOval(box, e.startAngle);
        const QPointF m = pointOnOval(box, e.startAngle + sweep / 2);
        const QPointF b = pointOnOval(box, e.startAngle + sweep);
        const QString radii = numbers({box.width() / 2, box.height() / 2});
        QString d = QStringLiteral("M %1 A %2 0 0 0 %3 A %2 0 0 0 %4")
                        .arg(numbers({a.x(), a.y()}), radii, numbers({m.x(), m.y()}),
                             numbers({b.x(), b.y()}));
        if (e.kind == ElementKind::Chord)
            d += QLatin1String(" Z");
        xml.writeStartElement(QStringLiteral("path"));
        ourAttributes();
        xml.writeAttribute(QStringLiteral("d"), d);
        xml.writeAttribute(QStringLiteral("fill"),
                           e.kind == ElementKind::Chord ? fill : QStringLiteral("none"));
        strokeAttributes();
        break;
    }
    case ElementKind::Text: {
        xml.writeStartElement(QStringLiteral("g"));
        ourAttributes();
        if (e.color != NoColor) {
            xml.writeEmptyElement(QStringLiteral("rect"));
            xml.writeAttribute(QStringLiteral("x"), number(box.x()));
            xml.writeAttribute(QStringLiteral("y"), number(box.y()));
            xml.writeAttribute(QStringLiteral("width"), number(box.width()));
            xml.writeAttribute(QStringLiteral("height"), number(box.height()));
            xml.writeAttribute(QStringLiteral("fill"), fill);
        }
        const QFont font = elementFont(e);
        const QFontMetricsF metrics(font);
        xml.writeStartElement(QStringLiteral("text"));
        xml.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
        xml.writeAttribute(QStringLiteral("font-family"),
                           QStringLiteral("Arial, 'Liberation Sans', 'DejaVu Sans', sans-serif"));
        xml.writeAttribute(QStringLiteral("font-size"), number(font.pixelSize()));
        xml.writeAttribute(QStringLiteral("fill"), stroke);
        double y = e.p1.y() + metrics.ascent();
        for (const QString& line : textLines(displayText(e.text))) {
            xml.writeStartElement(QStringLiteral("tspan"));
            xml.writeAttribute(QStringLiteral("x"), number(box.x()));
            xml.writeAttribute(QStringLiteral("y"), number(std::round(y * 100) / 100));
            xml.writeCharacters(line);
            xml.writeEndElement();
            y += metrics.lineSpacing();
        }
        xml.writeEndElement(); // text
        break;
    }
    }
    title();
    xml.writeEndElement();
}

} // namespace

QByteArray writeDrawing(const std::vector<Element>& elements, const QPalette& palette) {
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartDocument();
    xml.writeDefaultNamespace(QString::fromLatin1(SvgNamespace));
    xml.writeNamespace(QString::fromLatin1(DrawingNamespace), QStringLiteral("kd"));
    xml.writeStartElement(QString::fromLatin1(SvgNamespace), QStringLiteral("svg"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.1"));
    xml.writeAttribute(QStringLiteral("width"), QStringLiteral("1000"));
    xml.writeAttribute(QStringLiteral("height"), QStringLiteral("1000"));
    xml.writeAttribute(QStringLiteral("viewBox"), QStringLiteral("0 0 1000 1000"));
    xml.writeAttribute(QString::fromLatin1(DrawingNamespace), QStringLiteral("version"),
                       QStringLiteral("1"));
    for (const Element& e : elements)
        writeShape(xml, e, palette);
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

Status saveDrawingFile(const QString& fileName, const std::vector<Element>& elements,
                       const QPalette& palette) {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return Error{QStringLiteral("Cannot write the drawing file %1: %2")
                         .arg(fileName, file.errorString())};
    const QByteArray data = writeDrawing(elements, palette);
    if (file.write(data) != data.size() || !file.commit())
        return Error{QStringLiteral("Cannot write the drawing file %1: %2")
                         .arg(fileName, file.errorString())};
    return {};
}

// ---------------------------------------------------------------------------------------------
// Reading

namespace {

// Reads "n n n ..." (commas allowed between) into exactly count finite numbers.
bool parseNumbers(QStringView text, double* out, int count) {
    const QByteArray bytes = text.toLatin1();
    const char* p = bytes.constData();
    const char* end = p + bytes.size();
    for (int i = 0; i < count; ++i) {
        while (p < end && (*p == ' ' || *p == ',' || *p == '\t' || *p == '\n' || *p == '\r'))
            ++p;
        if (p < end && *p == '+')
            ++p;
        const auto result = std::from_chars(p, end, out[i]);
        if (result.ec != std::errc() || !std::isfinite(out[i]))
            return false;
        p = result.ptr;
    }
    while (p < end && (*p == ' ' || *p == ',' || *p == '\t' || *p == '\n' || *p == '\r'))
        ++p;
    return p == end;
}

// A length of a foreign file: a number, maybe followed by "px".
bool parseLength(QStringView text, double& out) {
    QStringView t = text.trimmed();
    if (t.endsWith(u"px"))
        t.chop(2);
    return parseNumbers(t, &out, 1);
}

bool withinPage(double v) {
    return std::abs(v) <= MaxCoordinate;
}

std::optional<ColorValue> parseColorValue(QStringView text) {
    if (text.isEmpty() || text.size() > 8)
        return std::nullopt;
    bool ok = false;
    const uint v = text.toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    return static_cast<ColorValue>(v);
}

ColorValue fromQColor(const QColor& c) {
    return static_cast<ColorValue>(c.red()) | (static_cast<ColorValue>(c.green()) << 8) |
           (static_cast<ColorValue>(c.blue()) << 16);
}

class Reader {
public:
    explicit Reader(const QByteArray& data) : xml_(data) {}

    Result<DrawingRead> read() {
        if (!xml_.readNextStartElement())
            return damaged(QStringLiteral("there is no SVG document in it"));
        if (xml_.name() != u"svg" ||
            (!xml_.namespaceUri().isEmpty() && xml_.namespaceUri() != QLatin1String(SvgNamespace)))
            return Error{QStringLiteral("This is not a drawing file: it holds a \"%1\" document "
                                        "where an SVG drawing was expected.")
                             .arg(xml_.name().toString())};
        ours_ = !xml_.attributes()
                     .value(QLatin1String(DrawingNamespace), QLatin1String("version"))
                     .isEmpty();
        if (!ours_)
            readViewBox();

        int depth = 1;
        while (depth > 0 && !xml_.atEnd()) {
            const auto token = xml_.readNext();
            if (token == QXmlStreamReader::EndElement) {
                --depth;
            } else if (token == QXmlStreamReader::StartElement) {
                if (!startElement())
                    ++depth;
                if (static_cast<int>(result_.elements.size()) > MaxDrawingElements)
                    return Error{QStringLiteral("The drawing has more than %1 elements.")
                                     .arg(MaxDrawingElements)};
            }
        }
        if (xml_.hasError())
            return damaged(xml_.errorString());
        return std::move(result_);
    }

private:
    Error damaged(const QString& why) const {
        return Error{QStringLiteral("The drawing file is damaged (line %1, column %2): %3")
                         .arg(xml_.lineNumber())
                         .arg(xml_.columnNumber())
                         .arg(why)};
    }

    void readViewBox() {
        const auto a = xml_.attributes();
        double box[4];
        if (parseNumbers(a.value(QLatin1String("viewBox")), box, 4) && box[2] > 0 && box[3] > 0) {
            originX_ = box[0];
            originY_ = box[1];
            scaleX_ = 1000 / box[2];
            scaleY_ = 1000 / box[3];
            return;
        }
        double w = 0, h = 0;
        if (parseLength(a.value(QLatin1String("width")), w) &&
            parseLength(a.value(QLatin1String("height")), h) && w > 0 && h > 0) {
            scaleX_ = 1000 / w;
            scaleY_ = 1000 / h;
        }
    }

    // Handles one start element. Returns true when the element was consumed whole, false when
    // the reader went into it (its end element will follow).
    bool startElement() {
        const auto a = xml_.attributes();
        const QStringView kind = a.value(QLatin1String(DrawingNamespace), QLatin1String("kind"));
        if (!kind.isEmpty()) {
            readOurs(a, kind);
            xml_.skipCurrentElement();
            return true;
        }
        const QStringView name = xml_.name();
        if (xml_.namespaceUri() != QLatin1String(SvgNamespace) && !xml_.namespaceUri().isEmpty()) {
            xml_.skipCurrentElement();
            return true;
        }
        if (!a.value(QLatin1String("transform")).isEmpty() ||
            a.value(QLatin1String("display")) == u"none") {
            ++result_.skipped;
            xml_.skipCurrentElement();
            return true;
        }
        if (name == u"g" || name == u"a" || name == u"switch")
            return false;
        if (name == u"title" || name == u"desc" || name == u"metadata" || name == u"defs" ||
            name == u"style") {
            xml_.skipCurrentElement();
            return true;
        }
        if (!ours_)
            readForeign(name, a);
        else
            ++result_.skipped;
        if (xml_.tokenType() == QXmlStreamReader::StartElement)
            xml_.skipCurrentElement();
        return true;
    }

    void readOurs(const QXmlStreamAttributes& a, QStringView kindName) {
        const auto skip = [this] {
            ++result_.skipped;
        };
        Element e;
        bool known = false;
        for (const KindName& k : KindNames) {
            if (kindName == QLatin1String(k.name)) {
                e.kind = k.kind;
                known = true;
            }
        }
        double g[4];
        if (!known ||
            !parseNumbers(a.value(QLatin1String(DrawingNamespace), QLatin1String("geom")), g, 4))
            return skip();
        for (double v : g)
            if (!withinPage(v))
                return skip();
        e.p1 = QPointF(g[0], g[1]);
        e.p2 = QPointF(g[2], g[3]);
        const auto ns = QLatin1String(DrawingNamespace);
        if (e.kind == ElementKind::Arc || e.kind == ElementKind::Chord) {
            double angles[2];
            if (!parseNumbers(a.value(ns, QLatin1String("angles")), angles, 2) ||
                !withinPage(angles[0]) || !withinPage(angles[1]))
                return skip();
            e.startAngle = angles[0];
            e.endAngle = angles[1];
        }
        if (auto c = parseColorValue(a.value(ns, QLatin1String("color"))))
            e.color = *c;
        if (auto c = parseColorValue(a.value(ns, QLatin1String("color2"))))
            e.color2 = *c;
        double v = 0;
        if (parseNumbers(a.value(ns, QLatin1String("width")), &v, 1) && v >= 0 && v <= 1000)
            e.lineWidth = v;
        if (e.kind == ElementKind::Text &&
            parseNumbers(a.value(ns, QLatin1String("font")), &v, 1) && v >= 1 && v <= 1000)
            e.fontSize = v;
        if (e.kind == ElementKind::RoundedBox &&
            parseNumbers(a.value(ns, QLatin1String("radius")), &v, 1) && v >= 0 && withinPage(v))
            e.cornerRadius = v;
        e.text = unescapeElementText(a.value(ns, QLatin1String("text")).toString());
        e.hotSpot = a.value(ns, QLatin1String("hotspot")) == u"1";
        e.hit = a.value(ns, QLatin1String("hit")) == u"1";
        e.locked = a.value(ns, QLatin1String("locked")) == u"1";
        result_.elements.push_back(std::move(e));
    }

    // Paint of a foreign element: its attributes, overridden by its style attribute.
    QString paint(const QXmlStreamAttributes& a, QLatin1String property) const {
        QString value = a.value(property).toString();
        for (QStringView part : a.value(QLatin1String("style")).split(u';')) {
            const qsizetype colon = part.indexOf(u':');
            if (colon > 0 && part.left(colon).trimmed() == property)
                value = part.mid(colon + 1).trimmed().toString();
        }
        return value;
    }

    ColorValue colorOf(const QXmlStreamAttributes& a, QLatin1String property,
                       ColorValue fallback) const {
        const QString text = paint(a, property);
        if (text.isEmpty())
            return fallback;
        if (text == u"none" || text == u"transparent")
            return NoColor;
        const QColor c = QColor::fromString(text);
        return c.isValid() ? fromQColor(c) : fallback;
    }

    QPointF map(double x, double y) const {
        return QPointF((x - originX_) * scaleX_, (y - originY_) * scaleY_);
    }

    void readForeign(QStringView name, const QXmlStreamAttributes& a) {
        Element e;
        e.color =
            colorOf(a, QLatin1String("fill"), BlackColor); // SVG fills shapes black unless told
        e.color2 = colorOf(a, QLatin1String("stroke"), NoColor);
        double width = 1;
        parseLength(paint(a, QLatin1String("stroke-width")), width);
        e.lineWidth = std::clamp(width * (scaleX_ + scaleY_) / 2, 0.0, 1000.0);
        if (!std::isfinite(e.lineWidth))
            e.lineWidth = 0;

        const auto length = [&](const char* attribute, double fallback = 0) {
            double v = fallback;
            const QStringView text = a.value(QLatin1String(attribute));
            if (!text.isEmpty() && !parseLength(text, v))
                v = std::nan("");
            return v;
        };
        double x1, y1, x2, y2;
        if (name == u"rect") {
            x1 = length("x");
            y1 = length("y");
            const double w = length("width"), h = length("height");
            if (!(w >= 0 && h >= 0))
                return skip();
            x2 = x1 + w;
            y2 = y1 + h;
            const double rx = length("rx"), ry = length("ry");
            if (rx > 0 || ry > 0) {
                e.kind = ElementKind::RoundedBox;
                e.cornerRadius = std::max(rx > 0 ? rx * scaleX_ : 0, ry > 0 ? ry * scaleY_ : 0);
            } else {
                e.kind = ElementKind::Box;
            }
        } else if (name == u"circle" || name == u"ellipse") {
            const double cx = length("cx"), cy = length("cy");
            const double rx = name == u"circle" ? length("r") : length("rx");
            const double ry = name == u"circle" ? rx : length("ry");
            if (!(rx >= 0 && ry >= 0))
                return skip();
            e.kind = ElementKind::Oval;
            x1 = cx - rx;
            y1 = cy - ry;
            x2 = cx + rx;
            y2 = cy + ry;
        } else if (name == u"line") {
            e.kind = ElementKind::Line;
            x1 = length("x1");
            y1 = length("y1");
            x2 = length("x2");
            y2 = length("y2");
        } else if (name == u"text") {
            e.kind = ElementKind::Text;
            e.color2 = e.color == NoColor ? BlackColor : e.color;
            e.color = NoColor;
            double size = 16;
            parseLength(paint(a, QLatin1String("font-size")), size);
            e.fontSize = std::clamp(std::round(size * scaleY_), 1.0, 1000.0);
            if (!std::isfinite(e.fontSize))
                e.fontSize = 28;
            x1 = length("x");
            y1 = length("y") - size * 0.8; // the SVG position is the baseline
            e.text = xml_.readElementText(QXmlStreamReader::IncludeChildElements).simplified();
            x2 = x1;
            y2 = y1;
        } else {
            return skip();
        }
        const QPointF p1 = map(x1, y1);
        const QPointF p2 = map(x2, y2);
        for (double v : {p1.x(), p1.y(), p2.x(), p2.y(), e.cornerRadius})
            if (!std::isfinite(v) || !withinPage(v))
                return skip();
        e.p1 = p1;
        e.p2 = p2;
        if (e.kind == ElementKind::Text)
            fitTextBox(e);
        result_.elements.push_back(std::move(e));
    }

    void skip() { ++result_.skipped; }

    QXmlStreamReader xml_;
    DrawingRead result_;
    bool ours_ = false;
    double originX_ = 0, originY_ = 0, scaleX_ = 1, scaleY_ = 1;
};

} // namespace

Result<DrawingRead> readDrawing(const QByteArray& data) {
    return Reader(data).read();
}

Result<DrawingRead> loadDrawingFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return Error{QStringLiteral("Cannot open the drawing file %1: %2")
                         .arg(fileName, file.errorString())};
    if (file.size() > MaxDrawingFileBytes)
        return Error{QStringLiteral("The drawing file %1 is too large to be a drawing (%2 bytes).")
                         .arg(fileName)
                         .arg(file.size())};
    const QByteArray data = file.readAll();
    auto read = readDrawing(data);
    if (!read)
        return Error{fileName + QLatin1String(": ") + read.error()};
    return read;
}

} // namespace korvane
