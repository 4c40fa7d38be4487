#include "shell/RtfReader.h"

#include "shell/RtfCharset.h"
#include "shell/RtfControlWords.h"
#include "shell/RtfDocumentBuilder.h"
#include "shell/RtfFormat.h"
#include "shell/RtfLexer.h"

#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

namespace korvane {
namespace {

// Deeper groups than this are skipped whole: no sensible document comes near it, and the
// state stack stays small whatever the input.
constexpr std::size_t kMaxDepth = 200;
// Bounds for the tables, so that hostile input cannot make them grow without end.
constexpr int kMaxTableEntries = 4096;
constexpr qsizetype kMaxNameLength = 200; // font names and list markers
// Largest indent or spacing taken from a document: 22 inches.
constexpr int kMaxTwips = 31680;

// Where the text of a group goes.
enum class Destination {
    Text,           // the document body
    Skip,           // nowhere: a destination without body text
    FontTable,      // names of the fonts of \fonttbl
    ColorTable,     // the ';'-separated colours of \colortbl
    ListMarker,     // \pntext or \listtext: the marker of a list paragraph
    ListDefinition, // {\*\pn ...}: the list style of the paragraph
};

struct GroupState {
    Destination destination = Destination::Text;
    RtfCharState chars;
    RtfParaState para;
    int fallbackCount = 1;                         // \uc: characters that stand in for a \u
    bool starred = false;                          // \* opened this group
    RtfListStyle definedList = RtfListStyle::None; // gathered inside {\*\pn ...}
};

// The list style a marker such as "1.", "b)", "iv." or a bullet sign stands for.
RtfListStyle styleOfMarker(const QString& marker) {
    QString text;
    for (const QChar c : marker) {
        if (c.isLetterOrNumber())
            text += c;
    }
    if (text.isEmpty())
        return RtfListStyle::Bullet;
    if (text.front().isDigit())
        return RtfListStyle::Decimal;
    const bool lower = text.front().isLower();
    const QString roman = QStringLiteral("ivxlcdm");
    const bool isRoman =
        std::all_of(text.begin(), text.end(), [&](QChar c) { return roman.contains(c.toLower()); });
    if (isRoman && (text.size() > 1 || text.front().toLower() == u'i'))
        return lower ? RtfListStyle::LowerRoman : RtfListStyle::UpperRoman;
    return lower ? RtfListStyle::LowerAlpha : RtfListStyle::UpperAlpha;
}

class RtfReader {
public:
    explicit RtfReader(QTextDocument& document) : builder_(document, tables_) {
        groups_.emplace_back();
    }

    void read(QByteArrayView input);

private:
    GroupState& state() { return groups_.back(); }
    void groupStart();
    void groupEnd();
    void word(const RtfToken& token);
    void formattingWord(RtfWord kind, const RtfToken& token);
    void symbol(char c);
    void text(QByteArrayView bytes);
    void character(char16_t c);
    void endParagraph();
    bool isSymbolFont() const;
    char16_t decode(unsigned char byte) const;
    void commitFont();

    RtfTables tables_;
    RtfDocumentBuilder builder_;
    std::vector<GroupState> groups_;
    std::size_t skippedGroups_ = 0; // open groups beyond kMaxDepth
    int fallbackToSkip_ = 0;        // characters still to drop after a \u
    RtfListStyle paragraphMarker_ = RtfListStyle::None;
    RtfParaState lastContentPara_;
    QString markerText_;
    // The font being defined in \fonttbl.
    int fontNumber_ = 0;
    int fontCharset_ = 0;
    QString fontName_;
    bool fontPending_ = false;
    // The colour being defined in \colortbl.
    int red_ = 0;
    int green_ = 0;
    int blue_ = 0;
    bool colorPending_ = false;
};

void RtfReader::read(QByteArrayView input) {
    RtfLexer lexer(input);
    for (RtfToken token = lexer.next(); token.kind != RtfToken::Kind::End; token = lexer.next()) {
        if (token.kind == RtfToken::Kind::GroupStart) {
            groupStart();
            continue;
        }
        if (token.kind == RtfToken::Kind::GroupEnd) {
            groupEnd();
            continue;
        }
        if (skippedGroups_ > 0)
            continue;
        if (token.kind == RtfToken::Kind::Text) {
            const qsizetype dropped = std::min<qsizetype>(fallbackToSkip_, token.text.size());
            fallbackToSkip_ -= static_cast<int>(dropped);
            text(token.text.sliced(dropped));
            continue;
        }
        // The characters that stand in for a \u may be escapes or words; each counts as one.
        if (fallbackToSkip_ > 0) {
            --fallbackToSkip_;
            continue;
        }
        switch (token.kind) {
        case RtfToken::Kind::Word:
            word(token);
            break;
        case RtfToken::Kind::Symbol:
            symbol(token.symbol);
            break;
        case RtfToken::Kind::Hex:
            character(decode(token.byte));
            break;
        default:
            break; // \bin data carries nothing we show
        }
    }
    // The last paragraph may lack its \par; it keeps the formatting its text was written with.
    builder_.finish(lastContentPara_, paragraphMarker_);
}

void RtfReader::groupStart() {
    fallbackToSkip_ = 0;
    if (skippedGroups_ > 0 || groups_.size() >= kMaxDepth) {
        ++skippedGroups_;
        return;
    }
    GroupState inner = state();
    inner.starred = false;
    groups_.push_back(inner);
}

void RtfReader::groupEnd() {
    fallbackToSkip_ = 0;
    if (skippedGroups_ > 0) {
        --skippedGroups_;
        return;
    }
    if (groups_.size() <= 1)
        return; // a closing brace without its opening one
    const GroupState closed = groups_.back();
    groups_.pop_back();
    GroupState& outer = state();
    if (closed.destination == outer.destination)
        return;
    switch (closed.destination) {
    case Destination::FontTable:
        if (fontPending_)
            commitFont();
        break;
    case Destination::ListMarker:
        paragraphMarker_ = styleOfMarker(markerText_);
        markerText_.clear();
        break;
    case Destination::ListDefinition:
        // The definition applies to the paragraph around it, with the level it named.
        if (outer.destination == Destination::Text) {
            outer.para.list = closed.definedList;
            outer.para.listLevel = closed.para.listLevel;
        }
        break;
    default:
        break;
    }
}

void RtfReader::word(const RtfToken& token) {
    const std::string_view name(token.name.data(), static_cast<std::size_t>(token.name.size()));
    GroupState& group = state();
    const Destination destination = group.destination;
    if (destination == Destination::Skip)
        return;

    const std::optional<RtfWord> found = lookupWord(name);
    const bool starredStart = group.starred;
    group.starred = false;
    if (starredStart && found != RtfWord::ListDefinition) {
        // {\*\name ...}: a destination we do not know, to be ignored whole.
        group.destination = Destination::Skip;
        return;
    }
    if (isSkippedDestination(name)) {
        group.destination = Destination::Skip;
        return;
    }
    if (!found) {
        if (const char16_t c = namedCharacter(name))
            character(c);
        return;
    }

    const RtfWord kind = *found;
    const int param = token.param;
    if (destination == Destination::FontTable && kind == RtfWord::Font) {
        if (fontPending_)
            commitFont();
        fontNumber_ = param;
        fontCharset_ = 0;
        fontPending_ = true;
        return;
    }
    switch (kind) {
    case RtfWord::FontTable:
        group.destination = Destination::FontTable;
        return;
    case RtfWord::ColorTable:
        group.destination = Destination::ColorTable;
        return;
    case RtfWord::ListMarker:
        group.destination = Destination::ListMarker;
        markerText_.clear();
        return;
    case RtfWord::ListDefinition:
        group.destination = Destination::ListDefinition;
        group.definedList = RtfListStyle::Bullet;
        return;
    case RtfWord::ParagraphEnd:
        if (destination == Destination::Text)
            endParagraph();
        return;
    case RtfWord::Unicode: {
        if (!token.hasParam)
            return;
        // Values above 32767 are written negative; anything beyond 16 bits is not a character.
        const int unit = param < 0 ? param + 65536 : param;
        character(unit >= 0 && unit <= 0xFFFF ? static_cast<char16_t>(unit) : u'\uFFFD');
        fallbackToSkip_ = group.fallbackCount;
        return;
    }
    case RtfWord::UnicodeFallback:
        group.fallbackCount = std::clamp(param, 0, 16);
        return;
    case RtfWord::FontCharset:
        if (destination == Destination::FontTable)
            fontCharset_ = param;
        return;
    case RtfWord::DefaultFont:
        tables_.defaultFont = param;
        return;
    case RtfWord::Red:
    case RtfWord::Green:
    case RtfWord::Blue:
        if (destination == Destination::ColorTable) {
            int& component = kind == RtfWord::Red ? red_ : kind == RtfWord::Green ? green_ : blue_;
            component = std::clamp(param, 0, 255);
            colorPending_ = true;
        }
        return;
    default:
        formattingWord(kind, token);
    }
}

void RtfReader::formattingWord(RtfWord kind, const RtfToken& token) {
    GroupState& group = state();
    RtfCharState& chars = group.chars;
    RtfParaState& para = group.para;
    const int param = token.param;
    // Toggles: \b switches on, \b0 off.
    const bool on = !token.hasParam || param != 0;
    switch (kind) {
    case RtfWord::Bold:
        chars.bold = on;
        break;
    case RtfWord::Italic:
        chars.italic = on;
        break;
    case RtfWord::Underline:
        chars.underline = on;
        break;
    case RtfWord::UnderlineNone:
        chars.underline = false;
        break;
    case RtfWord::Strike:
        chars.strike = on;
        break;
    case RtfWord::Hidden:
        chars.hidden = on;
        break;
    case RtfWord::Superscript:
        chars.vertical = 1;
        break;
    case RtfWord::Subscript:
        chars.vertical = -1;
        break;
    case RtfWord::NoSuperSub:
        chars.vertical = 0;
        break;
    case RtfWord::FontSize:
        // From 2 points, so that the two-thirds size of a superscript still has a size, to 1638.
        chars.halfPoints = token.hasParam && param > 0 ? std::clamp(param, 4, 3276) : 24;
        break;
    case RtfWord::Font:
        chars.font = param;
        break;
    case RtfWord::Color:
        chars.color = std::clamp(param, 0, kMaxTableEntries);
        break;
    case RtfWord::Highlight:
        chars.highlight = std::clamp(param, 0, kMaxTableEntries);
        break;
    case RtfWord::Plain:
        chars = RtfCharState{};
        break;
    case RtfWord::ParagraphDefault:
        para = RtfParaState{};
        break;
    case RtfWord::AlignLeft:
        para.alignment = Qt::AlignLeft;
        break;
    case RtfWord::AlignCenter:
        para.alignment = Qt::AlignHCenter;
        break;
    case RtfWord::AlignRight:
        para.alignment = Qt::AlignRight;
        break;
    case RtfWord::AlignJustify:
        para.alignment = Qt::AlignJustify;
        break;
    case RtfWord::LeftIndent:
        para.leftTwips = std::clamp(param, 0, kMaxTwips);
        break;
    case RtfWord::RightIndent:
        para.rightTwips = std::clamp(param, 0, kMaxTwips);
        break;
    case RtfWord::FirstLineIndent:
        para.firstLineTwips = std::clamp(param, -kMaxTwips, kMaxTwips);
        break;
    case RtfWord::SpaceBefore:
        para.spaceBeforeTwips = std::clamp(param, 0, kMaxTwips);
        break;
    case RtfWord::SpaceAfter:
        para.spaceAfterTwips = std::clamp(param, 0, kMaxTwips);
        break;
    case RtfWord::ListOverride:
        if (param <= 0)
            para.list = RtfListStyle::None;
        else if (para.list == RtfListStyle::None)
            para.list = RtfListStyle::Bullet;
        break;
    case RtfWord::ListLevel:
        para.listLevel = std::clamp(param, 0, 8);
        break;
    case RtfWord::PnBullet:
        group.definedList = RtfListStyle::Bullet;
        break;
    case RtfWord::PnBody:
        if (group.definedList == RtfListStyle::Bullet)
            group.definedList = RtfListStyle::Decimal;
        break;
    case RtfWord::PnContinue:
        group.definedList = RtfListStyle::None;
        break;
    case RtfWord::PnLevel:
        para.listLevel = std::clamp(param - 1, 0, 8);
        break;
    case RtfWord::PnDecimal:
        group.definedList = RtfListStyle::Decimal;
        break;
    case RtfWord::PnLowerAlpha:
        group.definedList = RtfListStyle::LowerAlpha;
        break;
    case RtfWord::PnUpperAlpha:
        group.definedList = RtfListStyle::UpperAlpha;
        break;
    case RtfWord::PnLowerRoman:
        group.definedList = RtfListStyle::LowerRoman;
        break;
    case RtfWord::PnUpperRoman:
        group.definedList = RtfListStyle::UpperRoman;
        break;
    default:
        break;
    }
}

void RtfReader::symbol(char c) {
    switch (c) {
    case '*':
        state().starred = true;
        break;
    case '~':
        character(0x00A0); // non-breaking space
        break;
    case '-':
        character(0x00AD); // optional hyphen
        break;
    case '_':
        character(0x2011); // non-breaking hyphen
        break;
    case '{':
    case '}':
    case '\\':
        character(static_cast<char16_t>(c));
        break;
    case '\r':
    case '\n':
        // A backslash before a line end is a paragraph end.
        if (state().destination == Destination::Text)
            endParagraph();
        break;
    default:
        break;
    }
}

void RtfReader::text(QByteArrayView bytes) {
    GroupState& group = state();
    group.starred = false;
    switch (group.destination) {
    case Destination::Text: {
        if (group.chars.hidden)
            return;
        const bool symbolFont = isSymbolFont();
        QString decoded;
        decoded.reserve(bytes.size());
        for (const char byte : bytes) {
            const auto b = static_cast<unsigned char>(byte);
            decoded += symbolFont ? symbolToUnicode(b) : windows1252ToUnicode(b);
        }
        builder_.addText(decoded, group.chars);
        lastContentPara_ = group.para;
        return;
    }
    case Destination::ColorTable:
        for (const char byte : bytes) {
            if (byte != ';')
                continue;
            if (tables_.colors.size() < kMaxTableEntries)
                tables_.colors.append(colorPending_ ? QColor(red_, green_, blue_) : QColor());
            red_ = green_ = blue_ = 0;
            colorPending_ = false;
        }
        return;
    default:
        for (const char byte : bytes)
            character(windows1252ToUnicode(static_cast<unsigned char>(byte)));
        return;
    }
}

void RtfReader::character(char16_t c) {
    GroupState& group = state();
    group.starred = false;
    switch (group.destination) {
    case Destination::Text:
        if (!group.chars.hidden) {
            builder_.addText(QString(QChar(c)), group.chars);
            lastContentPara_ = group.para;
        }
        return;
    case Destination::FontTable:
        if (c == u';') {
            commitFont();
        } else if (fontName_.size() < kMaxNameLength) {
            fontName_ += QChar(c);
            fontPending_ = true;
        }
        return;
    case Destination::ListMarker:
        if (markerText_.size() < kMaxNameLength)
            markerText_ += QChar(c);
        return;
    default:
        return;
    }
}

void RtfReader::endParagraph() {
    builder_.endParagraph(state().para, paragraphMarker_);
    paragraphMarker_ = RtfListStyle::None;
}

bool RtfReader::isSymbolFont() const {
    const RtfFont* font = tables_.font(groups_.back().chars.font);
    return font && font->charset == RtfTables::kSymbolCharset;
}

char16_t RtfReader::decode(unsigned char byte) const {
    return isSymbolFont() ? symbolToUnicode(byte) : windows1252ToUnicode(byte);
}

void RtfReader::commitFont() {
    if (tables_.fonts.size() < kMaxTableEntries || tables_.fonts.contains(fontNumber_))
        tables_.fonts.insert(fontNumber_, RtfFont{fontName_.trimmed(), fontCharset_});
    fontName_.clear();
    fontPending_ = false;
}

} // namespace

void readRtf(const QByteArray& rtf, QTextDocument& into) {
    const bool undo = into.isUndoRedoEnabled();
    into.setUndoRedoEnabled(false);
    into.clear();
    // One edit block: a document that is already laid out (shown in a viewer) is laid out once
    // at the end rather than after every insertion.
    QTextCursor edit(&into);
    edit.beginEditBlock();
    {
        RtfReader reader(into);
        reader.read(rtf);
    }
    edit.endEditBlock();
    into.setUndoRedoEnabled(undo);
}

} // namespace korvane
