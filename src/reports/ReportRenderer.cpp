#include "reports/ReportRenderer.h"

#include "reports/Mustache.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QScopeGuard>
#include <QTextDocument>

#include <algorithm>
#include <cctype>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

namespace korvane::reports {
namespace {

using MustacheData = kainjow::mustache::data;

// Deeper nesting than any report needs; the engine walks sections recursively.
constexpr std::size_t MaxSectionDepth = 32;

std::string toUtf8(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

Error lineError(qsizetype line, const QString& problem) {
    return Error{QStringLiteral("Line %1: %2").arg(QString::number(line), problem)};
}

// The same white space the engine trims from a tag.
std::string_view trimmed(std::string_view text) {
    const auto isSpace = [](char c) {
        return std::isspace(static_cast<unsigned char>(c)) != 0;
    };
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

// Reads the tags as the engine reads them (a tag is "{{" up to the next "}}", "{{{" starts an
// unescaped value), so that what is refused here is exactly what the engine would do, and a
// mistake is reported with its line rather than the engine's byte offset.
Status scanTemplate(const std::string& text, int firstLine) {
    struct OpenSection {
        std::string_view name;
        qsizetype line;
    };
    std::vector<OpenSection> open;
    const std::string_view all(text);
    qsizetype line = firstLine;
    std::size_t position = 0;
    const auto moveTo = [&](std::size_t to) {
        line += std::count(all.begin() + static_cast<std::ptrdiff_t>(position),
                           all.begin() + static_cast<std::ptrdiff_t>(to), '\n');
        position = to;
    };

    for (;;) {
        const std::size_t start = all.find("{{", position);
        if (start == std::string_view::npos)
            break;
        moveTo(start);
        if (start + 2 < all.size() && all[start + 2] == '{')
            return lineError(line, QStringLiteral("unescaped values ({{{...}}}) are not allowed "
                                                  "in reports."));
        const std::size_t end = all.find("}}", start + 2);
        if (end == std::string_view::npos)
            return lineError(line, QStringLiteral("a tag opened with {{ is not closed with }}."));
        const std::string_view tag = trimmed(all.substr(start + 2, end - start - 2));
        const std::string_view name = tag.empty() ? tag : trimmed(tag.substr(1));
        switch (tag.empty() ? '\0' : tag.front()) {
        case '&':
            return lineError(line, QStringLiteral("unescaped values ({{&...}}) are not allowed "
                                                  "in reports."));
        case '>':
            return lineError(line, QStringLiteral("partials ({{>...}}) are not supported in "
                                                  "reports."));
        case '=':
            return lineError(line, QStringLiteral("changing the tag delimiters ({{=...=}}) is "
                                                  "not supported in reports."));
        case '#':
        case '^':
            if (open.size() == MaxSectionDepth)
                return lineError(
                    line,
                    QStringLiteral("sections are nested more than %1 deep.").arg(MaxSectionDepth));
            open.push_back({name, line});
            break;
        case '/':
            if (open.empty())
                return lineError(line, QStringLiteral("{{/%1}} closes a section that is not "
                                                      "open.")
                                           .arg(fromUtf8(name)));
            if (open.back().name != name)
                return lineError(line, QStringLiteral("{{/%1}} does not close the section "
                                                      "\"%2\" opened on line %3.")
                                           .arg(fromUtf8(name), fromUtf8(open.back().name),
                                                QString::number(open.back().line)));
            open.pop_back();
            break;
        default:
            break; // a value or a comment
        }
        moveTo(end + 2);
    }
    if (!open.empty())
        return lineError(open.back().line, QStringLiteral("the section \"%1\" is not closed; "
                                                          "end it with {{/%1}}.")
                                               .arg(fromUtf8(open.back().name)));
    return {};
}

Error templateError(const QString& problem) {
    return Error{QStringLiteral("The report template could not be read: %1.").arg(problem)};
}

// Every text is escaped here, as the tree is built, and the engine is told to escape nothing
// more: so even a tag the scan above let through by mistake could not show a value unescaped.
MustacheData toMustache(const QVariant& value);

MustacheData escapedText(const QString& text) {
    return MustacheData(kainjow::mustache::html_escape(toUtf8(text)));
}

template <class Map> MustacheData objectOf(const Map& map) {
    MustacheData object(MustacheData::type::object);
    for (auto it = map.begin(); it != map.end(); ++it)
        object[toUtf8(it.key())] = toMustache(it.value());
    return object;
}

template <class List> MustacheData listOf(const List& items) {
    MustacheData list(MustacheData::type::list);
    // The engine hands out its list read-only; the list is ours, and filling it in place saves
    // a deep copy of every element (a report may hold a million readings).
    auto& elements = const_cast<kainjow::mustache::list&>(list.list_value());
    elements.reserve(static_cast<std::size_t>(items.size()));
    for (const auto& item : items)
        elements.push_back(toMustache(QVariant(item)));
    return list;
}

MustacheData toMustache(const QVariant& value) {
    if (!value.isValid())
        return MustacheData(false);
    switch (value.typeId()) {
    case QMetaType::QVariantMap:
        return objectOf(value.toMap());
    case QMetaType::QVariantHash:
        return objectOf(value.toHash());
    case QMetaType::QVariantList:
        return listOf(value.toList());
    case QMetaType::QStringList:
        return listOf(value.toStringList());
    case QMetaType::Bool:
        return MustacheData(value.toBool());
    default:
        return escapedText(value.toString());
    }
}

QString exceptionText(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const std::bad_alloc&) {
        return QStringLiteral("there is not enough memory");
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("an unknown error");
    }
}

struct PageMetrics {
    qreal width = 0;  // of the paint rectangle, in device pixels
    qreal height = 0; // of the paint rectangle
    qreal line = 0;   // one line of the frame's font
    qreal header = 0; // the title line and the rule below it
    qreal footer = 0; // the page line and the space above it
    QSizeF body;      // what is left for the report
};

void paintFrame(QPainter& painter, const PageMetrics& page, const QFont& font,
                const PageFrame& frame, int pageNumber, int pageCount) {
    painter.save();
    painter.setPen(QPen(Qt::black, page.line / 20));
    QFont bold = font;
    bold.setBold(true);
    const QFontMetricsF boldMetrics(bold, painter.device());
    const QFontMetricsF metrics(font, painter.device());
    const qreal gap = metrics.horizontalAdvance(QStringLiteral("MM"));

    const QRectF top(0, 0, page.width, page.line);
    const QString title = boldMetrics.elidedText(frame.title, Qt::ElideRight, page.width * 0.6);
    painter.setFont(bold);
    painter.drawText(top, Qt::AlignLeft | Qt::AlignVCenter, title);
    painter.setFont(font);
    const qreal databaseWidth = page.width - boldMetrics.horizontalAdvance(title) - gap;
    if (databaseWidth > 0)
        painter.drawText(top, Qt::AlignRight | Qt::AlignVCenter,
                         metrics.elidedText(frame.databaseFile, Qt::ElideMiddle, databaseWidth));
    const qreal ruleY = page.line * 1.3;
    painter.drawLine(QPointF(0, ruleY), QPointF(page.width, ruleY));

    const QRectF foot(0, page.height - page.line, page.width, page.line);
    if (!frame.printedDate.isEmpty())
        painter.drawText(foot, Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("Printed ") + frame.printedDate);
    painter.drawText(foot, Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("Page %1 of %2").arg(pageNumber).arg(pageCount));
    painter.restore();
}

} // namespace

Status checkTemplate(const QString& templateText, int firstLine) {
    try {
        const std::string text = toUtf8(templateText);
        if (Status scanned = scanTemplate(text, firstLine); !scanned)
            return scanned;
        const kainjow::mustache::mustache engine(text);
        if (!engine.is_valid())
            return templateError(fromUtf8(engine.error_message()));
        return {};
    } catch (...) {
        return templateError(exceptionText(std::current_exception()));
    }
}

Result<QString> renderTemplate(const QString& templateText, const QVariantMap& data) {
    try {
        const std::string text = toUtf8(templateText);
        if (Status scanned = scanTemplate(text, 1); !scanned)
            return scanned.takeError();
        kainjow::mustache::mustache engine(text);
        if (!engine.is_valid())
            return templateError(fromUtf8(engine.error_message()));
        engine.set_custom_escape([](const std::string& escaped) { return escaped; });
        const std::string filled = engine.render(objectOf(data));
        if (!engine.is_valid())
            return Error{QStringLiteral("The report could not be filled: %1.")
                             .arg(fromUtf8(engine.error_message()))};
        return fromUtf8(filled);
    } catch (...) {
        return Error{QStringLiteral("The report could not be filled: %1.")
                         .arg(exceptionText(std::current_exception()))};
    }
}

Result<int> paintDocument(QTextDocument& document, QPagedPaintDevice& device,
                          const PageFrame& frame) {
    return paintDocument(document, device, frame, PageRange{});
}

Result<int> paintDocument(QTextDocument& document, QPagedPaintDevice& device,
                          const PageFrame& frame, PageRange range) {
    // Lay the report out in the device's own pixels, so that fonts and line breaks are the
    // printer's; the caller's device is not kept once painting is done.
    QAbstractTextDocumentLayout* layout = document.documentLayout();
    QPaintDevice* const previousDevice = layout->paintDevice();
    layout->setPaintDevice(&device);
    const auto restoreDevice = qScopeGuard([&] { layout->setPaintDevice(previousDevice); });

    QFont font = document.defaultFont();
    font.setPointSizeF(10);
    document.setDefaultFont(font);

    PageMetrics page;
    const QRectF paintRect = device.pageLayout().paintRectPixels(device.logicalDpiX());
    page.width = paintRect.width();
    page.height = paintRect.height();
    page.line = QFontMetricsF(font, &device).lineSpacing();
    page.header = 2 * page.line;
    page.footer = 1.5 * page.line;
    page.body = QSizeF(page.width, page.height - page.header - page.footer);
    if (page.body.width() < 10 * page.line || page.body.height() < 3 * page.line)
        return Error{QStringLiteral("The page is too small for the report.")};
    document.setPageSize(page.body); // lays the document out again, in pages of this size
    const int pageCount = document.pageCount();

    const int first = std::max(range.from, 1);
    const int last = range.to > 0 ? std::min(range.to, pageCount) : pageCount;
    if (first > last)
        return Error{QStringLiteral("The report has %1 pages; there is no page %2 to print.")
                         .arg(pageCount)
                         .arg(first)};

    QPainter painter;
    if (!painter.begin(&device))
        return Error{QStringLiteral("The printer could not be started.")};
    for (int pageNumber = first; pageNumber <= last; ++pageNumber) {
        if (pageNumber > first && !device.newPage()) {
            painter.end();
            return Error{QStringLiteral("The printer could not start a new page.")};
        }
        paintFrame(painter, page, font, frame, pageNumber, pageCount);

        const QRectF shown(QPointF(0, (pageNumber - 1) * page.body.height()), page.body);
        painter.save();
        painter.translate(0, page.header);
        painter.setClipRect(QRectF(QPointF(0, 0), page.body));
        painter.translate(0, -shown.top());
        QAbstractTextDocumentLayout::PaintContext context;
        context.palette.setColor(QPalette::Text, Qt::black); // paper is white in any theme
        context.clip = shown;
        layout->draw(&painter, context);
        painter.restore();
    }
    if (!painter.end())
        return Error{QStringLiteral("The printer could not finish the report.")};
    return pageCount;
}

} // namespace korvane::reports
