#include "shell/RtfReader.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace korvane {
namespace {

// Everything below is read from a minimal document around the body under test.
QByteArray document(const QByteArray& body) {
    return "{\\rtf1\\ansi\\deff0 " + body + "}";
}

void read(const QByteArray& rtf, QTextDocument& doc) {
    readRtf(rtf, doc);
}

// The text of the document with blocks joined by U+2029, without the spaces toPlainText()
// substitutes for non-breaking spaces and line separators.
QString rawText(const QByteArray& rtf) {
    QTextDocument doc;
    read(rtf, doc);
    return doc.toRawText();
}

// The fragment that holds `needle`, or an invalid fragment.
QTextFragment fragmentWith(const QTextDocument& doc, const QString& needle) {
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().text().contains(needle))
                return it.fragment();
        }
    }
    return {};
}

// The runs of the document as text{flags}, joined by '|': b bold, i italic, u underline,
// s strike-through. Blocks are separated by '/'.
QString runs(const QByteArray& rtf) {
    QTextDocument doc;
    read(rtf, doc);
    QStringList blocks;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        QStringList parts;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            QString flags;
            if (format.fontWeight() >= QFont::Bold)
                flags += u'b';
            if (format.fontItalic())
                flags += u'i';
            if (format.fontUnderline())
                flags += u'u';
            if (format.fontStrikeOut())
                flags += u's';
            parts << it.fragment().text() + u'{' + flags + u'}';
        }
        blocks << parts.join(u'|');
    }
    return blocks.join(u'/');
}

struct RunCase {
    const char* body;
    const char* expected;
};

TEST(RtfReader, CharacterFormattingRuns) {
    const RunCase cases[] = {
        {R"(a\b b\i c\b0 d\i0 e)", "a{}|b{b}|c{bi}|d{i}|e{}"},
        {R"(a\ul b\ulnone c\ul d\ul0 e)", "a{}|b{u}|c{}|d{u}|e{}"},
        {R"(\uldb a\ulw b\strike c\strike0 d)", "ab{u}|c{us}|d{u}"},
        {R"(a{\b b{\i c}d}e)", "a{}|b{b}|c{bi}|d{b}|e{}"},
        {R"(\b\i\ul\strike a\plain b)", "a{bius}|b{}"},
        {R"(\b1 a\b0 b)", "a{b}|b{}"},
        {R"(a{\v hidden}b\v c\v0 d)", "abd{}"},
        {R"({\b a\par b}\par c)", "a{b}/b{b}/c{}"},
    };
    for (const RunCase& c : cases)
        EXPECT_EQ(runs(document(c.body)), QString::fromUtf8(c.expected)) << c.body;
}

struct TextCase {
    const char* body;
    const char16_t* expected;
};

TEST(RtfReader, CharactersAndEscapes) {
    const TextCase cases[] = {
        {R"(caf\'e9)", u"café"},
        {R"(\'93quoted\'94 \'85 \'96 \'80)", u"“quoted” … – €"},
        {R"(\'81\'8d)", u"\uFFFD\uFFFD"},
        {R"(\u8364?)", u"€"},
        {R"(\u8364\'80 x)", u"€ x"},
        {R"(\uc2\u8364 EUR)", u"€R"},
        {R"(\uc0\u8364 x)", u"€x"},
        {R"({\uc2\u8364 E}UR)", u"€UR"},
        {R"(\u233?\u-4064?)", u"é\uF020"},
        {R"(\u-10179?\u-8694?)", u"\U0001F60A"},
        {R"(\u-10179?x)", u"\uFFFDx"},
        {R"(a\~b\-c\_d)", u"a\u00A0b\u00ADc\u2011d"},
        {R"(\{\}\\)", u"{}\\"},
        {R"(\emdash \endash \lquote \rquote \ldblquote \rdblquote \bullet)", u"—–‘’“”•"},
        {R"(a\tab b\line c)", u"a\tb\u2028c"},
        {"ab\r\ncd\n", u"abcd"},
        {R"(a\'4)", u"a"},
        {R"(a\'zz)", u"azz"},
        {R"(a\u)", u"a"},
        {R"(a\u b)", u"ab"},
        {R"(a\unknownword b)", u"ab"},
        {R"(a\u8233?\u-560?\u65532?b)", u"ab"},
        {R"(a\'00\'0b\'09b)", u"a\tb"},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(rawText(document(c.body)), QString::fromUtf16(c.expected)) << c.body;
}

TEST(RtfReader, SymbolFontBytesAreSymbols) {
    const QByteArray rtf = document(R"({\fonttbl{\f0 Arial;}{\f1\fnil\fcharset2 Symbol;}})"
                                    R"({\f1 \'b7 D\'b0\'b1}a\'b7)");
    EXPECT_EQ(rawText(rtf), QString::fromUtf16(u"• Δ°±a·"));
}

struct ParagraphCase {
    const char* body;
    int block;
    Qt::Alignment alignment;
    double left, right, firstLine, before, after; // pixels at 96 per inch
};

TEST(RtfReader, ParagraphFormatting) {
    const ParagraphCase cases[] = {
        {R"(\qc a\par)", 0, Qt::AlignHCenter, 0, 0, 0, 0, 0},
        {R"(\qr a\par)", 0, Qt::AlignRight, 0, 0, 0, 0, 0},
        {R"(\qj a\par)", 0, Qt::AlignJustify, 0, 0, 0, 0, 0},
        {R"(\qc\ql a\par)", 0, Qt::AlignLeft, 0, 0, 0, 0, 0},
        {R"(\li720\ri1440\fi-360 a\par)", 0, Qt::AlignLeft, 48, 96, -24, 0, 0},
        {R"(\sb240\sa120 a\par)", 0, Qt::AlignLeft, 0, 0, 0, 16, 8},
        {R"(\qc\li720 a\par b\par)", 1, Qt::AlignHCenter, 48, 0, 0, 0, 0},
        {R"(\qc\li720 a\par\pard b\par)", 1, Qt::AlignLeft, 0, 0, 0, 0, 0},
        {R"({\qc a\par}b\par)", 1, Qt::AlignLeft, 0, 0, 0, 0, 0},
        {R"(a\qc\par)", 0, Qt::AlignHCenter, 0, 0, 0, 0, 0},
        {R"(\qr last)", 0, Qt::AlignRight, 0, 0, 0, 0, 0},
        {R"(\li99999999999999 a\par)", 0, Qt::AlignLeft, 2112, 0, 0, 0, 0},
        {R"(\li-720\fi-99999999 a\par)", 0, Qt::AlignLeft, 0, 0, -2112, 0, 0},
    };
    for (const ParagraphCase& c : cases) {
        QTextDocument doc;
        read(document(c.body), doc);
        const QTextBlockFormat format = doc.findBlockByNumber(c.block).blockFormat();
        EXPECT_EQ(format.alignment() & Qt::AlignHorizontal_Mask, c.alignment) << c.body;
        EXPECT_DOUBLE_EQ(format.leftMargin(), c.left) << c.body;
        EXPECT_DOUBLE_EQ(format.rightMargin(), c.right) << c.body;
        EXPECT_DOUBLE_EQ(format.textIndent(), c.firstLine) << c.body;
        EXPECT_DOUBLE_EQ(format.topMargin(), c.before) << c.body;
        EXPECT_DOUBLE_EQ(format.bottomMargin(), c.after) << c.body;
    }
}

TEST(RtfReader, ParagraphEndsMakeBlocks) {
    const TextCase cases[] = {
        {R"(a\par b\par)", u"a\u2029b"}, {R"(a\par\par b)", u"a\u2029\u2029b"},
        {R"(\par a)", u"\u2029a"},       {R"(a\page b\sect c)", u"a\u2029b\u2029c"},
        {"a\\\nb", u"a\u2029b"},         {R"(\intbl x\cell y\cell\row z)", u"x\ty\t\u2029z"},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(rawText(document(c.body)), QString::fromUtf16(c.expected)) << c.body;
}

struct FontCase {
    const char* rtf; // the run to inspect holds "x"
    const char* family;
    double points;
};

TEST(RtfReader, FontsFromTheFontTable) {
    const FontCase cases[] = {
        {R"({\rtf1{\fonttbl{\f0\fswiss Arial;}{\f1\fmodern Courier New;}}\f1 x})", "Courier New",
         12},
        {R"({\rtf1\deff1{\fonttbl{\f0 Arial;}{\f1 Times New Roman;}}\fs36 x})", "Times New Roman",
         18},
        {R"({\rtf1{\fonttbl\f0\fswiss Helvetica;\f1\fnil Courier;}\f1\fs20 x})", "Courier", 10},
        {R"({\rtf1{\fonttbl{\f0 Arial;}{\f1 Courier;}}\f1\fs30\plain x})", "Arial", 12},
        {R"({\rtf1{\fonttbl{\f0\froman{\*\panose 02020603050405020304}Times New Roman)"
         R"({\*\falt Times};}}\f0 x})",
         "Times New Roman", 12},
        {R"({\rtf1{\fonttbl{\f0 Caf\'e9 Sans;}}x})", "Café Sans", 12},
        {R"({\rtf1{\fonttbl{\f0 Arial;}}\f7 x})", "", 12},
        {R"({\rtf1\fs99999999999999999999 x})", "", 1638},
        {R"({\rtf1\fs1 x})", "", 2},
        {R"({\rtf1\fs24{\fs0 x}})", "", 12},
    };
    for (const FontCase& c : cases) {
        QTextDocument doc;
        read(c.rtf, doc);
        const QTextCharFormat format = fragmentWith(doc, QStringLiteral("x")).charFormat();
        EXPECT_EQ(format.fontFamilies().toStringList().value(0), QString::fromUtf8(c.family))
            << c.rtf;
        EXPECT_DOUBLE_EQ(format.fontPointSize(), c.points) << c.rtf;
    }
}

struct ColorCase {
    const char* body; // the run to inspect holds "x"
    std::optional<QColor> foreground;
    std::optional<QColor> background;
};

TEST(RtfReader, ColoursFromTheColourTable) {
    const QByteArray table = R"({\colortbl;\red255\green0\blue0;\red0\green128\blue0;;})";
    const ColorCase cases[] = {
        {R"(\cf1 x)", QColor(255, 0, 0), std::nullopt},
        {R"(\cf2 x)", QColor(0, 128, 0), std::nullopt},
        {R"(\cf2 a\cf0 x)", std::nullopt, std::nullopt},
        {R"(\cf3 x)", std::nullopt, std::nullopt},
        {R"(\cf99 x)", std::nullopt, std::nullopt},
        {R"({\cf1 a}x)", std::nullopt, std::nullopt},
        {R"(\highlight2 x)", std::nullopt, QColor(0, 128, 0)},
        {R"(\cf1\cb2 x)", QColor(255, 0, 0), QColor(0, 128, 0)},
    };
    for (const ColorCase& c : cases) {
        QTextDocument doc;
        read(document(table + c.body), doc);
        const QTextCharFormat format = fragmentWith(doc, QStringLiteral("x")).charFormat();
        ASSERT_EQ(format.hasProperty(QTextFormat::ForegroundBrush), c.foreground.has_value())
            << c.body;
        if (c.foreground) {
            EXPECT_EQ(format.foreground().color(), *c.foreground) << c.body;
        }
        ASSERT_EQ(format.hasProperty(QTextFormat::BackgroundBrush), c.background.has_value())
            << c.body;
        if (c.background) {
            EXPECT_EQ(format.background().color(), *c.background) << c.body;
        }
    }
}

TEST(RtfReader, ColourComponentsAreClamped) {
    QTextDocument doc;
    read(document(R"({\colortbl;\red999\green-5\blue128;}\cf1 x)"), doc);
    EXPECT_EQ(fragmentWith(doc, QStringLiteral("x")).charFormat().foreground().color(),
              QColor(255, 0, 128));
}

TEST(RtfReader, SuperscriptAndSubscript) {
    QTextDocument doc;
    read(document(R"(a\super b\nosupersub c\sub d)"), doc);
    EXPECT_EQ(fragmentWith(doc, QStringLiteral("b")).charFormat().verticalAlignment(),
              QTextCharFormat::AlignSuperScript);
    EXPECT_EQ(fragmentWith(doc, QStringLiteral("c")).charFormat().verticalAlignment(),
              QTextCharFormat::AlignNormal);
    EXPECT_EQ(fragmentWith(doc, QStringLiteral("d")).charFormat().verticalAlignment(),
              QTextCharFormat::AlignSubScript);
}

// One expected block of a list test: its text, its list style (or none) and the list's indent,
// which is its level counted from 1.
struct ListItem {
    const char* text;
    std::optional<QTextListFormat::Style> style;
    int indent = 1;
};

struct ListCase {
    const char* name;
    const char* body;
    std::vector<ListItem> items;
    std::vector<int> sameListAsPrevious; // block numbers that continue the list before them
};

TEST(RtfReader, ListsBecomeTextLists) {
    const auto disc = QTextListFormat::ListDisc;
    const ListCase cases[] = {
        {"pntext with a bullet definition",
         R"({\fonttbl{\f0 Arial;}{\f1\fcharset2 Symbol;}})"
         R"(\pard{\pntext\f1\'B7\tab}{\*\pn\pnlvlblt\pnf1\pnindent0{\pntxtb\'B7}}\fi-360\li720 one\par)"
         R"({\pntext\f1\'B7\tab}two\par\pard after\par)",
         {{"one", disc}, {"two", disc}, {"after", std::nullopt}},
         {1}},
        {"listtext with a list override",
         R"({\listtext\pard\plain\f1 \'b7\tab}\pard\fi-360\li720\ls1 one\par)"
         R"({\listtext\pard\plain\f1 \'b7\tab}\ls1 two\par\pard three\par)",
         {{"one", disc}, {"two", disc}, {"three", std::nullopt}},
         {1}},
        {"numbered pntext",
         R"({\pntext 1.\tab}{\*\pn\pnlvlbody\pndec{\pntxta .}}one\par{\pntext 2.\tab}two\par)",
         {{"one", QTextListFormat::ListDecimal}, {"two", QTextListFormat::ListDecimal}},
         {1}},
        {"definition without marker text",
         R"({\*\pn\pnlvlblt{\pntxtb\'B7}}\li720 one\par two\par\pard three\par)",
         {{"one", disc}, {"two", disc}, {"three", std::nullopt}},
         {1}},
        {"marker texts name the numbering",
         R"({\pntext a)\tab}x\par\pard{\pntext IV.\tab}y\par\pard{\pntext ii.\tab}z\par)",
         {{"x", QTextListFormat::ListLowerAlpha},
          {"y", QTextListFormat::ListUpperRoman},
          {"z", QTextListFormat::ListLowerRoman}},
         {}},
        {"second level of a list override",
         R"(\ls1\ilvl0 one\par\ilvl1 two\par\ilvl0 three\par)",
         {{"one", disc, 1}, {"two", disc, 2}, {"three", disc, 1}},
         {}},
        {"numbering of level 2",
         R"({\*\pn\pnlvl2\pndec{\pntxta .}}one\par two\par)",
         {{"one", QTextListFormat::ListDecimal, 2}, {"two", QTextListFormat::ListDecimal, 2}},
         {1}},
        {"lists apart stay apart",
         R"(\ls1 a\par\pard b\par\ls1 c\par)",
         {{"a", disc}, {"b", std::nullopt}, {"c", disc}},
         {}},
        {"the bullet symbol word is text", R"(\bullet\tab x\par)", {{"•\tx", std::nullopt}}, {}},
    };
    for (const ListCase& c : cases) {
        QTextDocument doc;
        read(document(c.body), doc);
        ASSERT_EQ(doc.blockCount(), static_cast<int>(c.items.size())) << c.name;
        for (int i = 0; i < doc.blockCount(); ++i) {
            const QTextBlock block = doc.findBlockByNumber(i);
            EXPECT_EQ(block.text(), QString::fromUtf8(c.items[i].text)) << c.name;
            ASSERT_EQ(block.textList() != nullptr, c.items[i].style.has_value())
                << c.name << " block " << i;
            if (block.textList()) {
                EXPECT_EQ(block.textList()->format().style(), *c.items[i].style) << c.name;
                EXPECT_EQ(block.textList()->format().indent(), c.items[i].indent)
                    << c.name << " block " << i;
            }
            if (i > 0 && block.textList()) {
                const bool continues = block.textList() == doc.findBlockByNumber(i - 1).textList();
                const bool expected =
                    std::find(c.sameListAsPrevious.begin(), c.sameListAsPrevious.end(), i) !=
                    c.sameListAsPrevious.end();
                EXPECT_EQ(continues, expected) << c.name << " block " << i;
            }
        }
    }
}

TEST(RtfReader, DestinationsWithoutBodyTextAreSkipped) {
    const TextCase cases[] = {
        {R"({\info{\title Secret}{\author Me}}Body)", u"Body"},
        {R"({\*\generator Writer 1.0;}Body)", u"Body"},
        {R"({\stylesheet{\s0\b Normal;}{\s1 Heading 1;}}Body)", u"Body"},
        {R"({\pict\wmetafile8\picw10 0102ffee}Body)", u"Body"},
        {R"({\header Head}{\footer Foot}{\footnote Note}Body)", u"Body"},
        {R"({\*\unknown stuff{nested {deeper}}}Body)", u"Body"},
        {R"({\object\objemb{\*\objdata 0102}}Body)", u"Body"},
        {R"(a\bin4 {{\}b)", u"ab"},
        {R"({\field{\*\fldinst HYPERLINK "x"}{\fldrslt link}})", u"link"},
        {R"({\field{\fldinst PAGE}{\fldrslt 3}})", u"3"},
        {R"(\*Body)", u"Body"},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(rawText(document(c.body)), QString::fromUtf16(c.expected)) << c.body;
}

TEST(RtfReader, DamagedInputKeepsWhatCanBeRead) {
    const QByteArray deep(100000, '{');
    const QByteArray closing(100000, '}');
    const TextCase cases[] = {
        {R"(}}}a}b)", u"ab"},
        {R"({\rtf1 {\b a)", u"a"},
        {R"({\rtf1 abc\)", u"abc"},
        {R"({\rtf1 a\u-99999999?b})", u"a\uFFFDb"},
        {R"({\rtf1 a\uc99999999\u8364 0123456789ABCDEFGHIJ})", u"a€GHIJ"},
        {R"({\rtf1 before\bin99999999999 {{{\par}}} after})", u"before"},
        {R"({\rtf1 a\bin-5 b})", u"ab"},
        {"plain text, not RTF", u"plain text, not RTF"},
        {"", u""},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(rawText(c.body), QString::fromUtf16(c.expected)) << c.body;

    // Groups beyond the nesting bound are skipped whole; the text after them is kept.
    EXPECT_EQ(rawText("{\\rtf1 " + deep + "lost" + closing + "kept}"), QStringLiteral("kept"));
    EXPECT_EQ(rawText("{\\rtf1 a" + deep), QStringLiteral("a"));
}

TEST(RtfReader, ClearsTheDocumentFirst) {
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("old text\nsecond line"));
    readRtf(document(R"(\qc new\par)"), doc);
    EXPECT_EQ(doc.toRawText(), QStringLiteral("new"));
    EXPECT_EQ(doc.blockCount(), 1);

    readRtf(QByteArray(), doc);
    EXPECT_TRUE(doc.isEmpty());
}

// The viewer's document is laid out already; reading into it must change it in one step, not
// once per run of text, or every insertion would lay the document out again.
TEST(RtfReader, ReadingIntoAShownDocumentChangesItOnce) {
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("shown"));
    doc.setTextWidth(300);
    doc.size();
    int changes = 0;
    QObject::connect(&doc, &QTextDocument::contentsChange, [&changes] { ++changes; });
    QByteArray body;
    for (int i = 0; i < 200; ++i)
        body += "\\b a\\b0 b\\par ";
    readRtf(document(body), doc);
    EXPECT_EQ(doc.blockCount(), 200);
    // Clearing and the new content make a few changes; one per insertion would be hundreds.
    EXPECT_LT(changes, 10);
}

// Cutting a document anywhere must not break the reader; cut just before an escape or a brace,
// what was read must be the beginning of the whole document's text.
TEST(RtfReader, EveryPrefixOfADocumentReads) {
    const QByteArray full = document(
        R"({\fonttbl{\f0\fswiss Arial;}{\f1\fcharset2 Symbol;}}{\colortbl;\red0\green0\blue255;})"
        R"({\*\generator x;}\pard\qc\b\fs32 Caf\'e9 \u8364? heading\b0\fs20\par)"
        R"(\pard{\pntext\f1\'B7\tab}{\*\pn\pnlvlblt\pnf1{\pntxtb\'B7}}\fi-360\li720 one\par)"
        R"({\pntext\f1\'B7\tab}\cf1 two\cf0\par\pard\sa120 end \ldblquote x\rdblquote\par)");
    const QString whole = rawText(full);
    ASSERT_FALSE(whole.isEmpty());
    for (qsizetype n = 0; n <= full.size(); ++n) {
        const QByteArray prefix = full.first(n);
        const QString text = rawText(prefix);
        const bool atBoundary =
            n == full.size() || full[n] == '\\' || full[n] == '{' || full[n] == '}';
        if (atBoundary) {
            EXPECT_TRUE(whole.startsWith(text)) << prefix.constData();
        }
    }
}

} // namespace
} // namespace korvane
