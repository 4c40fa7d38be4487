#include "reports/ReportBlocks.h"

#include "reports/HtmlTags.h"

#include <QRegularExpression>

#include <algorithm>

namespace korvane::reports {

namespace {

enum class Kind { Body, Paragraph, Inline, Table, Rows, Row, Cell };

struct Open {
    QString name;
    Kind kind;
    TextStyle style;
};

// Named entities a filled report may hold: those the templates use and those values are escaped
// with. Any other named entity leaves the report to the text document.
QChar namedEntity(QStringView name) {
    static const struct {
        const char* name;
        char16_t c;
    } entities[] = {
        {"amp", u'&'},         {"lt", u'<'},         {"gt", u'>'},          {"quot", u'"'},
        {"nbsp", u'\u00A0'},   {"mdash", u'\u2014'}, {"ndash", u'\u2013'},  {"deg", u'\u00B0'},
        {"plusmn", u'\u00B1'}, {"micro", u'\u00B5'}, {"middot", u'\u00B7'}, {"times", u'\u00D7'},
        {"copy", u'\u00A9'},   {"reg", u'\u00AE'},   {"hellip", u'\u2026'}, {"bull", u'\u2022'}};
    for (const auto& e : entities)
        if (name == QLatin1String(e.name))
            return QChar(e.c);
    return {};
}

// The character of the entity at `at` (just after its '&'), and where it ends; nothing when the
// text there is no entity read the same way by the text document.
std::optional<std::pair<QString, qsizetype>> entityAt(QStringView text, qsizetype at) {
    const qsizetype semicolon = text.indexOf(u';', at);
    if (semicolon < 0 || semicolon - at > 8 || semicolon == at)
        return std::nullopt;
    const QStringView name = text.sliced(at, semicolon - at);
    for (const QChar c : name)
        if (c.isSpace())
            return std::nullopt;
    if (name.front() == u'#') {
        bool ok = false;
        const uint code = name.size() > 1 && (name[1] == u'x' || name[1] == u'X')
                              ? name.sliced(2).toUInt(&ok, 16)
                              : name.sliced(1).toUInt(&ok, 10);
        // Codes 128 to 159 are read as Windows characters there; leave them to it.
        if (!ok || code == 0 || (code >= 0x80 && code < 0xA0) || code > 0x10FFFF ||
            (code >= 0xD800 && code < 0xE000))
            return std::nullopt;
        return std::pair{QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1),
                         semicolon + 1};
    }
    const QChar c = namedEntity(name);
    if (c.isNull())
        return std::nullopt;
    return std::pair{QString(c), semicolon + 1};
}

// An attribute value with its entities read, or nothing when one is not known.
std::optional<QString> decoded(QStringView value) {
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'&') {
            out += value[i];
            continue;
        }
        const auto entity = entityAt(value, i + 1);
        if (!entity)
            return std::nullopt;
        out += entity->first;
        i = entity->second - 1;
    }
    return out;
}

struct Attribute {
    QString name;
    QString value;
};

// The attributes of the tag from `from` (after its name) to `end` (after its '>'); nothing when
// they are not plain name="value" pairs.
std::optional<std::vector<Attribute>> attributesOf(QStringView text, qsizetype from,
                                                   qsizetype end) {
    std::vector<Attribute> attributes;
    qsizetype i = from;
    const qsizetype last = end - 1; // the '>'
    while (i < last) {
        while (i < last && text[i].isSpace())
            ++i;
        if (i >= last)
            break;
        if (text[i] == u'/' && i + 1 == last)
            return std::nullopt; // <tag/>: self-closed elements are not in reports
        const qsizetype nameStart = i;
        while (i < last && (text[i].isLetterOrNumber() || text[i] == u'-'))
            ++i;
        if (i == nameStart)
            return std::nullopt;
        Attribute attribute{text.sliced(nameStart, i - nameStart).toString().toLower(), {}};
        while (i < last && text[i].isSpace())
            ++i;
        if (i >= last || text[i] != u'=')
            return std::nullopt; // attributes without values are not in reports
        ++i;
        while (i < last && text[i].isSpace())
            ++i;
        if (i >= last)
            return std::nullopt;
        if (text[i] == u'"') {
            const qsizetype close = text.indexOf(u'"', i + 1);
            if (close < 0 || close >= last)
                return std::nullopt;
            const auto value = decoded(text.sliced(i + 1, close - i - 1));
            if (!value)
                return std::nullopt;
            attribute.value = *value;
            i = close + 1;
        } else if (text[i] == u'\'') {
            return std::nullopt;
        } else {
            const qsizetype valueStart = i;
            while (i < last && !text[i].isSpace() && text[i] != u'&' && text[i] != u'"' &&
                   text[i] != u'\'' && text[i] != u'/' && text[i] != u'=')
                ++i;
            if (i < last && !text[i].isSpace())
                return std::nullopt;
            attribute.value = text.sliced(valueStart, i - valueStart).toString();
        }
        attributes.push_back(std::move(attribute));
    }
    return attributes;
}

// A length as a width attribute gives it: "100%" or a number of pixels.
std::optional<QTextLength> lengthOf(const QString& value) {
    QString number = value.trimmed();
    const bool percent = number.endsWith(u'%');
    if (percent)
        number.chop(1);
    bool ok = false;
    const double n = number.toDouble(&ok);
    if (!ok || n < 0 || number.isEmpty() || !number.front().isDigit())
        return std::nullopt;
    return QTextLength(percent ? QTextLength::PercentageLength : QTextLength::FixedLength, n);
}

std::optional<qreal> numberOf(const QString& value) {
    bool ok = false;
    const double n = value.trimmed().toDouble(&ok);
    if (!ok || n < 0 || n > 1000)
        return std::nullopt;
    return n;
}

std::optional<Qt::Alignment> alignmentOf(const QString& value) {
    const QString v = value.trimmed().toLower();
    if (v == QLatin1String("left"))
        return Qt::AlignLeft;
    if (v == QLatin1String("center"))
        return Qt::AlignHCenter;
    if (v == QLatin1String("right"))
        return Qt::AlignRight;
    return std::nullopt;
}

// Applies a style attribute to the style of an element; false when it holds a declaration the
// blocks do not cover. Page breaks are where parts of the report begin; they are taken from the
// HTML there.
bool applyStyle(const QString& css, TextStyle& style) {
    for (const QString& declaration : css.split(u';', Qt::SkipEmptyParts)) {
        const qsizetype colon = declaration.indexOf(u':');
        if (colon < 0) {
            if (declaration.trimmed().isEmpty())
                continue;
            return false;
        }
        const QString property = declaration.first(colon).trimmed().toLower();
        const QString value = declaration.sliced(colon + 1).trimmed();
        if (property == QLatin1String("font-size")) {
            if (!value.endsWith(QLatin1String("pt"), Qt::CaseInsensitive))
                return false;
            bool ok = false;
            const double points = value.chopped(2).trimmed().toDouble(&ok);
            if (!ok || points < 1 || points > 200)
                return false;
            style.pointSize = points;
        } else if (property == QLatin1String("color")) {
            const QColor color = QColor::fromString(value);
            if (!color.isValid())
                return false;
            style.color = color;
        } else if (property == QLatin1String("page-break-before") ||
                   property == QLatin1String("page-break-after")) {
            if (value.compare(QLatin1String("always"), Qt::CaseInsensitive) != 0 &&
                value.compare(QLatin1String("auto"), Qt::CaseInsensitive) != 0 &&
                value.compare(QLatin1String("avoid"), Qt::CaseInsensitive) != 0)
                return false;
        } else {
            return false;
        }
    }
    return true;
}

class Reader {
public:
    std::optional<ReportBlocks> read(QStringView html);

private:
    bool openTag(const QString& name, const std::vector<Attribute>& attributes);
    bool closeTag(const QString& name);
    bool text(QStringView text, bool atEnd);
    void append(QChar c);
    int styleIndex(const TextStyle& style);
    Kind top() const { return stack_.back().kind; }

    ReportBlocks blocks_;
    std::vector<Open> stack_;
    BlockParagraph* paragraph_ = nullptr; // the paragraph text goes to, while one is open
    BlockTable* table_ = nullptr;
    bool removeSpace_ = true;   // a space here is dropped: at the start of a paragraph, after one
    bool afterBlock_ = false;   // the last tag closed a block: a lone white space here is dropped
    bool anonymousText_ = true; // text here follows a closing tag, not an opening one
    bool inHeader_ = false;
    int row_ = -1, column_ = 0;
};

int Reader::styleIndex(const TextStyle& style) {
    TextStyle s = style;
    if (s.sizeStep != 0)
        s.pointSize = 0; // a heading's size is its step from the default, whatever else is said
    const auto found = std::find(blocks_.styles.begin(), blocks_.styles.end(), s);
    if (found != blocks_.styles.end())
        return static_cast<int>(found - blocks_.styles.begin());
    blocks_.styles.push_back(s);
    return static_cast<int>(blocks_.styles.size() - 1);
}

void Reader::append(QChar c) {
    BlockParagraph& p = *paragraph_;
    const int style = styleIndex(stack_.back().style);
    if (!p.runs.empty() && p.runs.back().style == style &&
        p.runs.back().start + p.runs.back().length == p.text.size()) {
        ++p.runs.back().length;
    } else {
        p.runs.push_back({static_cast<int>(p.text.size()), 1, style});
    }
    p.text += c;
}

bool Reader::text(QStringView text, bool atEnd) {
    bool whiteOnly = true;
    for (const QChar c : text)
        if (!c.isSpace() || c == QChar::Nbsp)
            whiteOnly = false;
    if (text.contains(u'&'))
        whiteOnly = false;
    switch (top()) {
    case Kind::Table:
    case Kind::Rows:
    case Kind::Row:
        return whiteOnly; // white space between rows and cells is not shown
    case Kind::Body:
        if (!whiteOnly)
            return false; // text outside paragraphs
        // A lone white space between two blocks is dropped; more, or one at the end, goes to the
        // paragraph before, where it collapses like any other.
        if ((anonymousText_ && afterBlock_ && text.size() == 1 && !atEnd) || !paragraph_)
            return true;
        break;
    case Kind::Paragraph:
    case Kind::Inline:
    case Kind::Cell:
        break;
    }
    if (!paragraph_)
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        QChar c = text[i];
        if (c == u'&') {
            const auto entity = entityAt(text, i + 1);
            if (!entity)
                return false;
            for (const QChar e : entity->first) {
                removeSpace_ = false;
                append(e);
            }
            i = entity->second - 1;
            continue;
        }
        if (c.isSpace() && c != QChar::Nbsp) {
            if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
                return false;
            if (removeSpace_)
                continue;
            removeSpace_ = true;
            c = u' ';
        } else {
            removeSpace_ = false;
        }
        append(c);
    }
    return true;
}

bool Reader::openTag(const QString& name, const std::vector<Attribute>& attributes) {
    const Kind at = top();
    Open open{name, Kind::Inline, stack_.back().style};
    const auto attribute = [&](const char* key) -> const QString* {
        for (const Attribute& a : attributes)
            if (a.name == QLatin1String(key))
                return &a.value;
        return nullptr;
    };
    const auto onlyAttributes = [&](std::initializer_list<const char*> allowed) {
        return std::all_of(attributes.begin(), attributes.end(), [&](const Attribute& a) {
            return std::any_of(allowed.begin(), allowed.end(),
                               [&](const char* key) { return a.name == QLatin1String(key); });
        });
    };
    const int heading = name == QLatin1String("h1")   ? 1
                        : name == QLatin1String("h2") ? 2
                        : name == QLatin1String("h3") ? 3
                                                      : 0;
    if (heading || name == QLatin1String("p")) {
        if (at != Kind::Body || !onlyAttributes({"style", "align"}))
            return false;
        if (const QString* css = attribute("style"); css && !applyStyle(*css, open.style))
            return false;
        BlockParagraph p;
        if (const QString* align = attribute("align")) {
            const auto alignment = alignmentOf(*align);
            if (!alignment)
                return false;
            p.alignment = *alignment;
        }
        static constexpr int top[] = {12, 18, 16, 14};
        p.topMargin = top[heading];
        p.bottomMargin = 12;
        p.heading = heading;
        static const QRegularExpression avoid(QStringLiteral("page-break-after\\s*:\\s*avoid"),
                                              QRegularExpression::CaseInsensitiveOption);
        const QString* css = attribute("style");
        p.keepWithNext = heading > 0 || (css && avoid.match(*css).hasMatch());
        if (heading) {
            open.style.bold = true;
            open.style.sizeStep = 4 - heading;
        }
        p.style = styleIndex(open.style);
        open.kind = Kind::Paragraph;
        blocks_.paragraphs.push_back(std::move(p));
        blocks_.blocks.push_back({false, static_cast<int>(blocks_.paragraphs.size() - 1)});
        paragraph_ = &blocks_.paragraphs.back();
        table_ = nullptr;
        removeSpace_ = true;
    } else if (name == QLatin1String("b") || name == QLatin1String("strong") ||
               name == QLatin1String("i") || name == QLatin1String("em") ||
               name == QLatin1String("span") || name == QLatin1String("font")) {
        if ((at != Kind::Paragraph && at != Kind::Inline && at != Kind::Cell) ||
            !onlyAttributes(
                name == QLatin1String("span")   ? std::initializer_list<const char*>{"style"}
                : name == QLatin1String("font") ? std::initializer_list<const char*>{"color"}
                                                : std::initializer_list<const char*>{}))
            return false;
        if (name == QLatin1String("b") || name == QLatin1String("strong"))
            open.style.bold = true;
        else if (name == QLatin1String("i") || name == QLatin1String("em"))
            open.style.italic = true;
        if (const QString* css = attribute("style"); css && !applyStyle(*css, open.style))
            return false;
        if (const QString* color = attribute("color")) {
            const QColor c = QColor::fromString(color->trimmed());
            if (!c.isValid())
                return false;
            open.style.color = c;
        }
    } else if (name == QLatin1String("table")) {
        if (at != Kind::Body ||
            !onlyAttributes({"border", "cellspacing", "cellpadding", "width", "style"}))
            return false;
        BlockTable t;
        if (const QString* v = attribute("border")) {
            const auto n = numberOf(*v);
            if (!n)
                return false;
            t.border = *n;
        }
        if (const QString* v = attribute("cellspacing")) {
            const auto n = numberOf(*v);
            if (!n)
                return false;
            t.cellSpacing = *n;
        }
        if (const QString* v = attribute("cellpadding")) {
            const auto n = numberOf(*v);
            if (!n)
                return false;
            t.cellPadding = *n;
        }
        if (const QString* v = attribute("width")) {
            const auto length = lengthOf(*v);
            if (!length)
                return false;
            t.width = *length;
        }
        if (const QString* css = attribute("style"); css && !applyStyle(*css, open.style))
            return false;
        open.kind = Kind::Table;
        blocks_.tables.push_back(std::move(t));
        blocks_.blocks.push_back({true, static_cast<int>(blocks_.tables.size() - 1)});
        table_ = &blocks_.tables.back();
        paragraph_ = nullptr;
        row_ = -1;
    } else if (name == QLatin1String("thead") || name == QLatin1String("tbody")) {
        if (at != Kind::Table || !attributes.empty())
            return false;
        if (name == QLatin1String("thead")) {
            if (row_ >= 0)
                return false; // a header after rows
            inHeader_ = true;
        }
        open.kind = Kind::Rows;
    } else if (name == QLatin1String("tr")) {
        if ((at != Kind::Table && at != Kind::Rows) || !attributes.empty())
            return false;
        ++row_;
        column_ = 0;
        table_->rows = row_ + 1;
        if (inHeader_)
            table_->headerRows = row_ + 1;
        open.kind = Kind::Row;
    } else if (name == QLatin1String("td") || name == QLatin1String("th")) {
        if (at != Kind::Row || !onlyAttributes({"width", "align", "colspan"}))
            return false;
        BlockCell cell;
        cell.row = row_;
        cell.column = column_;
        if (const QString* v = attribute("colspan")) {
            bool ok = false;
            const int span = v->trimmed().toInt(&ok);
            if (!ok || span < 1 || span > 100)
                return false;
            cell.columnSpan = span;
        }
        if (name == QLatin1String("th")) {
            open.style.bold = true;
            cell.paragraph.alignment = Qt::AlignHCenter;
        }
        if (const QString* align = attribute("align")) {
            const auto alignment = alignmentOf(*align);
            if (!alignment)
                return false;
            cell.paragraph.alignment = *alignment;
        }
        if (const QString* v = attribute("width")) {
            const auto length = lengthOf(*v);
            if (!length || cell.columnSpan != 1)
                return false;
            auto& widths = table_->columnWidths;
            if (widths.size() <= static_cast<std::size_t>(column_))
                widths.resize(static_cast<std::size_t>(column_) + 1);
            QTextLength& w = widths[static_cast<std::size_t>(column_)];
            if (w.type() != QTextLength::VariableLength && !(w == *length))
                return false; // columns given different widths
            w = *length;
        }
        cell.paragraph.style = styleIndex(open.style);
        column_ += cell.columnSpan;
        table_->columns = std::max(table_->columns, column_);
        open.kind = Kind::Cell;
        table_->cells.push_back(std::move(cell));
        paragraph_ = &table_->cells.back().paragraph;
        removeSpace_ = true;
    } else {
        return false;
    }
    stack_.push_back(std::move(open));
    afterBlock_ = false;
    anonymousText_ = false;
    return true;
}

bool Reader::closeTag(const QString& name) {
    if (stack_.size() < 2 || stack_.back().name != name)
        return false; // tags closed out of order, or never opened
    const Kind kind = stack_.back().kind;
    stack_.pop_back();
    anonymousText_ = true;
    afterBlock_ = kind != Kind::Inline;
    switch (kind) {
    case Kind::Paragraph:
        // An empty paragraph gives its place to the next block in a text document.
        if (paragraph_->text.isEmpty())
            return false;
        break; // white space after it may still go to it
    case Kind::Cell:
        paragraph_ = nullptr;
        break;
    case Kind::Rows:
        inHeader_ = false;
        break;
    case Kind::Table: {
        // Every row must have all its cells: a text document would add the missing ones.
        BlockTable& t = *table_;
        std::vector<int> widths(static_cast<std::size_t>(t.rows), 0);
        for (const BlockCell& cell : t.cells)
            widths[static_cast<std::size_t>(cell.row)] += cell.columnSpan;
        if (t.rows == 0 ||
            std::any_of(widths.begin(), widths.end(), [&](int w) { return w != t.columns; }))
            return false;
        if (t.headerRows >= t.rows)
            t.headerRows = 0; // a table of headers only repeats nothing
        t.endsEmpty = t.cells.back().paragraph.text.isEmpty();
        t.columnWidths.resize(static_cast<std::size_t>(t.columns));
        table_ = nullptr;
        paragraph_ = nullptr;
        break;
    }
    default:
        break;
    }
    return true;
}

std::optional<ReportBlocks> Reader::read(QStringView html) {
    stack_.push_back({QString(), Kind::Body, TextStyle{}});
    // Blocks are kept by index while they are read: reserve room so that none moves.
    qsizetype tags = 0;
    for (const QChar c : html)
        if (c == u'<')
            ++tags;
    blocks_.paragraphs.reserve(static_cast<std::size_t>(tags));
    blocks_.tables.reserve(static_cast<std::size_t>(tags));
    qsizetype at = 0;
    while (at < html.size()) {
        const qsizetype lt = html.indexOf(u'<', at);
        const qsizetype textEnd = lt < 0 ? html.size() : lt;
        if (textEnd > at && !text(html.sliced(at, textEnd - at), lt < 0))
            return std::nullopt;
        if (lt < 0)
            break;
        if (html.sliced(lt).startsWith(QLatin1String("<!--"))) {
            const qsizetype close = html.indexOf(QLatin1String("-->"), lt + 4);
            if (close < 0)
                return std::nullopt;
            at = close + 3;
            // White space after a comment is dropped.
            while (at < html.size() && html[at].isSpace())
                ++at;
            continue;
        }
        const TagName tag = tagNameAt(html, lt);
        if (tag.name.isEmpty())
            return std::nullopt;
        const qsizetype end = tagEnd(html, lt);
        if (end > html.size() || html[end - 1] != u'>')
            return std::nullopt;
        const qsizetype nameEnd = lt + 1 + (tag.closing ? 1 : 0) + tag.name.size();
        if (tag.closing) {
            for (qsizetype i = nameEnd; i < end - 1; ++i)
                if (!html[i].isSpace())
                    return std::nullopt;
            if (!closeTag(tag.name))
                return std::nullopt;
        } else {
            if (nameEnd < end - 1 && !html[nameEnd].isSpace())
                return std::nullopt;
            const auto attributes = attributesOf(html, nameEnd, end);
            if (!attributes || !openTag(tag.name, *attributes))
                return std::nullopt;
        }
        at = end;
    }
    if (stack_.size() != 1)
        return std::nullopt;
    return std::move(blocks_);
}

} // namespace

std::optional<ReportBlocks> readBlocks(QStringView html) {
    return Reader().read(html);
}

} // namespace korvane::reports
