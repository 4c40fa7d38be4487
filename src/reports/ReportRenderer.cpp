#include "reports/ReportRenderer.h"

#include "reports/HtmlTags.h"
#include "reports/Mustache.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <deque>
#include <exception>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace korvane::reports {
namespace {

using MustacheData = kainjow::mustache::data;

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
//
// Gives the longest stretch of the template from one tag that looks a name up (a value or the
// start of a section) to the next, the ends of the template counted as such tags: the most
// text the engine copies between two lookups.
Result<std::size_t> scanTemplate(const std::string& text, int firstLine) {
    struct OpenSection {
        std::string_view name;
        qsizetype line;
    };
    std::vector<OpenSection> open;
    const std::string_view all(text);
    qsizetype line = firstLine;
    std::size_t position = 0;
    std::size_t lastLookup = 0;
    std::size_t longestStretch = 0;
    const auto lookupAt = [&](std::size_t at) {
        longestStretch = std::max(longestStretch, at - lastLookup);
        lastLookup = at;
    };
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
            if (open.size() == static_cast<std::size_t>(MaxSectionDepth))
                return lineError(line, QStringLiteral("sections are nested more than %1 deep (the "
                                                      "most a report may nest them).")
                                           .arg(MaxSectionDepth));
            open.push_back({name, line});
            lookupAt(start);
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
        case '!':
            break; // a comment
        default:
            lookupAt(start); // a value
            break;
        }
        moveTo(end + 2);
    }
    if (!open.empty())
        return lineError(open.back().line, QStringLiteral("the section \"%1\" is not closed; "
                                                          "end it with {{/%1}}.")
                                               .arg(fromUtf8(open.back().name)));
    lookupAt(all.size());
    return longestStretch;
}

// The first table opened inside MaxTableDepth others, as a position in the text; -1 when
// there is none. Every table opened counts until it is closed, in whatever section of a
// template it stands.
qsizetype tableTooDeep(QStringView text) {
    int depth = 0;
    for (qsizetype at = text.indexOf(u'<'); at >= 0; at = text.indexOf(u'<', at + 1)) {
        const TagName tag = tagNameAt(text, at);
        if (tag.name != QLatin1String("table"))
            continue;
        if (tag.closing) {
            depth = std::max(depth - 1, 0);
        } else if (++depth > MaxTableDepth) {
            return at;
        }
    }
    return -1;
}
Status checkTables(const QString& templateText, int firstLine) {
    if (const qsizetype at = tableTooDeep(templateText); at >= 0)
        return lineError(firstLine + QStringView(templateText).left(at).count(u'\n'),
                         QStringLiteral("tables are nested more than %1 deep (the most a "
                                        "report may nest them).")
                             .arg(MaxTableDepth));
    return {};
}

// What the preparation for layout needs to know of a tag.
enum class TagKind {
    Other,
    Table,
    StyleOrScript, // holds no text to break
    Inline,        // inside a line of text: it leaves the words around it joined
};
struct ReadTag {
    TagKind kind = TagKind::Other;
    bool closing = false;
};

// A tag name of up to eight ASCII characters as one number, to compare names at once.
constexpr std::uint64_t packedName(std::string_view name) {
    std::uint64_t packed = 0;
    for (const char c : name)
        packed = packed << 8 | static_cast<unsigned char>(c);
    return packed;
}

constexpr bool isAsciiLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// The kind of the tag at `at`, its name read as tagNameAt reads it (ASCII letters and digits,
// starting with a letter, in any case) but without making a string of it: a report has a
// tag every few characters.
ReadTag readTag(QStringView text, qsizetype at) {
    ReadTag tag;
    qsizetype i = at + 1;
    if (i < text.size() && text[i] == u'/') {
        tag.closing = true;
        ++i;
    }
    constexpr int Longest = 6; // the longest name below
    std::uint64_t name = 0;
    int length = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const bool digit = c >= u'0' && c <= u'9';
        if (!digit && !isAsciiLetter(c))
            break;
        if (length == Longest || (length == 0 && digit))
            return tag;                              // no name, or one longer than any below
        name = name << 8 | (digit ? c : (c | 0x20)); // in lower case
        ++length;
    }
    switch (name) {
    case packedName("table"):
        tag.kind = TagKind::Table;
        break;
    case packedName("style"):
    case packedName("script"):
        tag.kind = TagKind::StyleOrScript;
        break;
    case packedName("a"):
    case packedName("abbr"):
    case packedName("b"):
    case packedName("big"):
    case packedName("cite"):
    case packedName("code"):
    case packedName("em"):
    case packedName("font"):
    case packedName("i"):
    case packedName("kbd"):
    case packedName("q"):
    case packedName("s"):
    case packedName("samp"):
    case packedName("small"):
    case packedName("span"):
    case packedName("strike"):
    case packedName("strong"):
    case packedName("sub"):
    case packedName("sup"):
    case packedName("tt"):
    case packedName("u"):
    case packedName("var"):
        tag.kind = TagKind::Inline;
        break;
    default:
        break;
    }
    return tag;
}

// The length of a character entity ("&amp;", "&#8203;") at `at`; 1 for a lone '&'.
qsizetype entityLength(QStringView text, qsizetype at) {
    constexpr qsizetype Longest = 12;
    for (qsizetype i = at + 1; i < text.size() && i - at <= Longest; ++i) {
        const QChar c = text[i];
        if (c == u';')
            return i > at + 1 ? i - at + 1 : 1;
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != u'#')
            return 1;
    }
    return 1;
}

constexpr QChar ZeroWidthSpace(0x200B);

// How filling is kept within its limits: every lookup of a name and every row of a section is
// a step. The engine hands over text a line at a time, so the text it holds between two hand-
// overs is reckoned from above: at each step, the value looked up and the longest stretch of
// the template it may copy before the next.
class FillBudget {
public:
    struct Stopped {
        QString problem;
    };

    FillBudget(std::size_t stretch, const KeepGoing& keepGoing, FillLimits limits)
        : stretch_(stretch), keepGoing_(keepGoing), limits_(limits) {}

    void step(std::size_t valueBytes) {
        constexpr qint64 AskEvery = 4096;
        if (++steps_ > limits_.steps)
            throw Stopped{QStringLiteral("its sections repeat so often that filling it takes "
                                         "more than %L1 steps, the most a report may take; a "
                                         "section may be repeated inside itself.")
                              .arg(limits_.steps)};
        held_ += stretch_ + valueBytes;
        checkSize();
        if (steps_ % AskEvery == 0 && keepGoing_ && !keepGoing_())
            throw Stopped{StoppedMessage};
    }

    // The engine hands over a line.
    void handOver(std::size_t bytes) {
        held_ = 0;
        written_ += bytes;
        checkSize();
    }

private:
    void checkSize() const {
        if (written_ + held_ > static_cast<std::size_t>(limits_.size))
            throw Stopped{QStringLiteral("the filled report would be larger than %1 MB, the most "
                                         "a report may hold; print it for fewer tanks.")
                              .arg(limits_.size / 1000 / 1000)};
    }

    std::size_t stretch_;
    const KeepGoing& keepGoing_;
    FillLimits limits_;
    qint64 steps_ = 0;
    std::size_t written_ = 0;
    std::size_t held_ = 0;
};

// Where the engine writes the filled text, a line at a time.
struct FilledText {
    std::string text;
    FillBudget& budget;

    FilledText& operator<<(const std::string& line) {
        budget.handOver(line.size());
        text += line;
        return *this;
    }
};

Error templateError(const QString& problem) {
    return Error{QStringLiteral("The report template could not be read: %1.").arg(problem)};
}

// The data tree as the engine sees it, converted a value at a time when the template names it
// rather than all at once: a report names a few dozen of the values of each tank, and a tree
// converted in full costs more than the filling itself. It is also the engine's context (the
// stack of the objects a name is looked up in), and counts the work of filling.
//
// Every text is escaped here, as it is handed to the engine, and the engine is told to escape
// nothing more: so even a tag the scan above let through by mistake could not show a value
// unescaped. A text longer than MaxValueLength characters is cut there and ends in "...".
//
// What the engine is given:
// - a text: the escaped UTF-8 of the value (numbers as QVariant::toString gives them);
// - true or false for a bool, false for no value (an invalid QVariant);
// - a list for a QVariantList or QStringList, its objects standing in as true (below);
// - for an object (QVariantMap or QVariantHash), `true`, which stands in for it: the engine
//   only tests it (an object, even an empty one, shows a section) and pushes it, and the names
//   inside are looked up here, in the object it stands for.
// The engine holds on to a value only while it fills the section the value opens, so what is
// made while a section's object is the innermost lives until that object is popped again.
class CountingContext final : public kainjow::mustache::basic_context<std::string> {
public:
    CountingContext(const QVariantMap& root, FillBudget& budget) : root_(root), budget_(budget) {
        Frame& frame = frames_.emplace_back();
        frame.pushed = &standIn_;
        frame.source = &root_;
        depth_ = 1;
    }

    void push(const MustacheData* data) override {
        budget_.step(0);
        // The engine pushes the value it has just looked up, or an element of a list it looked
        // up before.
        const QVariant* source = data == last_.made ? last_.source : elementSource(data);
        if (depth_ == frames_.size())
            frames_.emplace_back();
        Frame& frame = frames_[depth_++];
        frame.pushed = data;
        frame.source = source;
    }

    void pop() override { frames_[--depth_].made.clear(); }

    const MustacheData* get(const std::string& name) const override {
        const MustacheData* found = nullptr;
        const QVariant* source = nullptr;
        if (name == ".") {
            found = frames_[depth_ - 1].pushed;
            source = frames_[depth_ - 1].source;
        } else if ((source = lookUp(nameOf(name))) != nullptr) {
            found = made(*source);
        }
        budget_.step(found && found->is_string() ? found->string_value().size() : 0);
        last_ = {found, source};
        return found;
    }

    // Partials are refused before filling.
    const MustacheData* get_partial(const std::string&) const override { return nullptr; }

private:
    // A list made for the engine and the values its elements were made from (none for the
    // texts of a QStringList, which have no names inside).
    struct MadeList {
        const MustacheData* begin;
        const MustacheData* end;
        const QVariantList* sources;
    };
    struct Made {
        std::deque<MustacheData> texts; // kept when cleared, and refilled
        std::size_t textsUsed = 0;
        std::deque<MustacheData> lists;
        std::vector<MadeList> madeLists;

        void clear() {
            textsUsed = 0;
            lists.clear();
            madeLists.clear();
        }
    };
    struct Frame {
        const MustacheData* pushed = nullptr;
        const QVariant* source = nullptr; // null: nothing can be looked up inside
        Made made;                        // what was made while this frame was the innermost
    };
    // A name of the template as it is looked up: "a.b.c" in its parts, as the engine splits it
    // (an empty part stays, a '.' at the end adds none).
    struct Name {
        std::string spelled;
        QStringList parts;
    };

    const Name& nameOf(const std::string& name) const {
        // The engine asks with the name held by the parsed template, so the same tag asks with
        // the same string each time.
        Name& known = names_[&name];
        if (known.spelled != name || known.parts.isEmpty()) {
            known.spelled = name;
            known.parts = fromUtf8(name).split(u'.');
            if (known.parts.size() > 1 && known.parts.last().isEmpty())
                known.parts.removeLast();
        }
        return known;
    }

    static const QVariant* member(const QVariant* object, const QString& key) {
        if (object == nullptr)
            return nullptr;
        if (object->typeId() == QMetaType::QVariantMap) {
            const auto& map = *static_cast<const QVariantMap*>(object->constData());
            const auto it = map.constFind(key);
            return it == map.constEnd() ? nullptr : &*it;
        }
        if (object->typeId() == QMetaType::QVariantHash) {
            const auto& hash = *static_cast<const QVariantHash*>(object->constData());
            const auto it = hash.constFind(key);
            return it == hash.constEnd() ? nullptr : &*it;
        }
        return nullptr;
    }

    // The innermost object that holds the name (all of its parts, one inside the other).
    const QVariant* lookUp(const Name& name) const {
        for (std::size_t depth = depth_; depth-- > 0;) {
            const QVariant* value = frames_[depth].source;
            for (const QString& part : name.parts)
                if ((value = member(value, part)) == nullptr)
                    break;
            if (value != nullptr)
                return value;
        }
        return nullptr;
    }

    const QVariant* elementSource(const MustacheData* element) const {
        const std::less<const MustacheData*> before;
        for (std::size_t depth = depth_; depth-- > 0;)
            for (const MadeList& list : frames_[depth].made.madeLists)
                if (!before(element, list.begin) && before(element, list.end))
                    return list.sources == nullptr ? nullptr
                                                   : &list.sources->at(element - list.begin);
        return nullptr;
    }

    const MustacheData* made(const QVariant& value) const {
        Made& made = frames_[depth_ - 1].made;
        switch (value.isValid() ? value.typeId() : QMetaType::UnknownType) {
        case QMetaType::UnknownType:
            return &false_;
        case QMetaType::Bool:
            return value.toBool() ? &standIn_ : &false_;
        case QMetaType::QVariantMap:
        case QMetaType::QVariantHash:
            return &standIn_;
        case QMetaType::QVariantList:
        case QMetaType::QStringList:
            return &made.lists.emplace_back(listOf(value, made));
        default:
            if (made.textsUsed == made.texts.size())
                made.texts.emplace_back(MustacheData::type::string);
            MustacheData& text = made.texts[made.textsUsed++];
            auto& bytes = const_cast<std::string&>(text.string_value()); // ours, refilled
            bytes.clear();
            appendEscaped(bytes, value);
            return &text;
        }
    }

    // A list is made in full when it is named, since the engine walks it itself; the objects
    // in it stand in as true, and the texts in it are made at once.
    MustacheData listOf(const QVariant& value, Made& made) const {
        MustacheData list(MustacheData::type::list);
        // The engine hands out its list read-only; the list is ours, and filling it in place
        // saves a deep copy of every element.
        auto& elements = const_cast<kainjow::mustache::list&>(list.list_value());
        if (value.typeId() == QMetaType::QStringList) {
            const auto& texts = *static_cast<const QStringList*>(value.constData());
            elements.reserve(static_cast<std::size_t>(texts.size()));
            for (const QString& text : texts) {
                std::string bytes;
                appendEscaped(bytes, text);
                elements.emplace_back(bytes);
            }
            made.madeLists.push_back({elements.data(), elements.data() + elements.size(), nullptr});
            return list;
        }
        const auto& items = *static_cast<const QVariantList*>(value.constData());
        elements.reserve(static_cast<std::size_t>(items.size()));
        for (const QVariant& item : items) {
            switch (item.isValid() ? item.typeId() : QMetaType::UnknownType) {
            case QMetaType::UnknownType:
                elements.emplace_back(false);
                break;
            case QMetaType::Bool:
                elements.emplace_back(item.toBool());
                break;
            case QMetaType::QVariantMap:
            case QMetaType::QVariantHash:
                elements.emplace_back(true);
                break;
            case QMetaType::QVariantList:
            case QMetaType::QStringList:
                elements.push_back(listOf(item, made));
                break;
            default: {
                std::string bytes;
                appendEscaped(bytes, item);
                elements.emplace_back(bytes);
            }
            }
        }
        made.madeLists.push_back({elements.data(), elements.data() + elements.size(), &items});
        return list;
    }

    static void appendEscaped(std::string& bytes, const QVariant& value) {
        if (value.typeId() == QMetaType::QString)
            appendEscaped(bytes, *static_cast<const QString*>(value.constData()));
        else
            appendEscaped(bytes, value.toString());
    }

    // The text HTML-escaped in UTF-8, as the engine's own escape would write it; one longer
    // than MaxValueLength characters cut there, ending in "...".
    static void appendEscaped(std::string& bytes, const QString& text) {
        if (text.size() <= MaxValueLength) {
            appendEscapedText(bytes, text);
            return;
        }
        // Cut between characters, never inside one.
        const qsizetype cut =
            text.at(MaxValueLength - 1).isHighSurrogate() ? MaxValueLength - 1 : MaxValueLength;
        appendEscapedText(bytes, text.left(cut) + QStringLiteral("..."));
    }

    static void appendEscapedText(std::string& bytes, const QString& text) {
        bytes.reserve(bytes.size() + static_cast<std::size_t>(text.size()));
        const auto escape = [&bytes](char c) {
            switch (c) {
            case '&':
                bytes += "&amp;";
                break;
            case '<':
                bytes += "&lt;";
                break;
            case '>':
                bytes += "&gt;";
                break;
            case '"':
                bytes += "&quot;";
                break;
            case '\'':
                bytes += "&apos;";
                break;
            default:
                bytes += c;
                break;
            }
        };
        // Most texts are ASCII, whose UTF-8 is the same characters.
        const std::size_t start = bytes.size();
        for (const QChar c : text) {
            if (c.unicode() >= 0x80) {
                bytes.resize(start);
                for (const char byte : text.toUtf8())
                    escape(byte);
                return;
            }
            escape(static_cast<char>(c.unicode()));
        }
    }

    QVariant root_;
    FillBudget& budget_;
    const MustacheData standIn_{true};
    const MustacheData false_{false};
    mutable std::deque<Frame> frames_; // never moved, as the engine holds what they made
    std::size_t depth_ = 0;
    mutable std::unordered_map<const std::string*, Name> names_;
    struct LastFound {
        const MustacheData* made = nullptr;
        const QVariant* source = nullptr;
    };
    mutable LastFound last_;
};

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

} // namespace

Status checkTemplate(const QString& templateText, int firstLine) {
    try {
        const std::string text = toUtf8(templateText);
        if (auto scanned = scanTemplate(text, firstLine); !scanned)
            return scanned.takeError();
        if (Status tables = checkTables(templateText, firstLine); !tables)
            return tables;
        const kainjow::mustache::mustache engine(text);
        if (!engine.is_valid())
            return templateError(fromUtf8(engine.error_message()));
        return {};
    } catch (...) {
        return templateError(exceptionText(std::current_exception()));
    }
}

Result<QString> renderTemplate(const QString& templateText, const QVariantMap& data,
                               const KeepGoing& keepGoing, FillLimits limits) {
    const auto failed = [](const QString& problem) {
        return Error{QStringLiteral("The report could not be filled: %1").arg(problem)};
    };
    try {
        const std::string text = toUtf8(templateText);
        const auto stretch = scanTemplate(text, 1);
        if (!stretch)
            return stretch.takeError();
        if (Status tables = checkTables(templateText, 1); !tables)
            return tables.takeError();
        kainjow::mustache::mustache engine(text);
        if (!engine.is_valid())
            return templateError(fromUtf8(engine.error_message()));
        engine.set_custom_escape([](const std::string& escaped) { return escaped; });
        FillBudget budget(*stretch, keepGoing, limits);
        CountingContext context(data, budget);
        FilledText filled{{}, budget};
        engine.render(context, filled);
        if (!engine.is_valid())
            return failed(fromUtf8(engine.error_message()) + u'.');
        return fromUtf8(filled.text);
    } catch (const FillBudget::Stopped& stopped) {
        if (stopped.problem == StoppedMessage)
            return Error{StoppedMessage};
        return failed(stopped.problem);
    } catch (...) {
        return failed(exceptionText(std::current_exception()) + u'.');
    }
}

Result<QString> prepareForLayout(const QString& html) {
    const QStringView text(html);
    // Most reports need no break added: the text is copied only from the first one on.
    QString prepared;
    bool broken = false;
    int tableDepth = 0;
    bool inStyle = false; // style sheets and scripts are not text to break
    qsizetype run = 0;    // characters since the last place a line may break
    qsizetype copied = 0; // the text before this is in `prepared`
    qsizetype i = 0;
    const auto addBreakAt = [&](qsizetype at) {
        if (!broken)
            prepared.reserve(html.size() + html.size() / MaxUnbrokenText + 1);
        broken = true;
        prepared += text.sliced(copied, at - copied);
        prepared += ZeroWidthSpace;
        copied = at;
        run = 0;
    };
    while (i < text.size()) {
        const QChar c = text[i];
        // Most of a report is printable ASCII that is neither a tag nor an entity.
        if (c > u' ' && c < QChar(0x7f) && c != u'<' && c != u'&') {
            if (!inStyle) {
                if (run == MaxUnbrokenText)
                    addBreakAt(i);
                ++run;
            }
            ++i;
            continue;
        }
        qsizetype length = 1;
        if (c == u'<' && i + 1 < text.size() &&
            (text[i + 1].isLetter() || text[i + 1] == u'/' || text[i + 1] == u'!')) {
            if (text[i + 1] == u'!' && text.sliced(i).startsWith(QLatin1String("<!--"))) {
                const qsizetype close = text.indexOf(QLatin1String("-->"), i + 4);
                length = (close < 0 ? text.size() : close + 3) - i;
            } else {
                length = tagEnd(text, i) - i;
                const ReadTag tag = readTag(text, i);
                if (tag.kind == TagKind::Table) {
                    if (tag.closing)
                        tableDepth = std::max(tableDepth - 1, 0);
                    else if (++tableDepth > MaxTableDepth)
                        return Error{
                            QStringLiteral("The filled report nests tables more than %1 deep (the "
                                           "most a report may nest them): a section of the "
                                           "template opens a table that it closes only once.")
                                .arg(MaxTableDepth)};
                } else if (tag.kind == TagKind::StyleOrScript) {
                    inStyle = !tag.closing;
                }
                if (tag.kind != TagKind::Inline)
                    run = 0;
            }
            i += length;
            continue;
        }
        if (c.isSpace() || c == ZeroWidthSpace) {
            run = 0;
        } else if (!inStyle) {
            if (c == u'&')
                length = entityLength(text, i);
            else if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                length = 2;
            if (run == MaxUnbrokenText)
                addBreakAt(i);
            ++run;
        }
        i += length;
    }
    if (!broken)
        return html;
    prepared += text.sliced(copied);
    return prepared;
}

} // namespace korvane::reports
