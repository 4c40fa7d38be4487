#pragma once

#include <QColor>
#include <QHash>
#include <QList>
#include <QString>
#include <Qt>

namespace korvane {

// Character formatting in RTF terms, as the reader tracks it group by group.
struct RtfCharState {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool hidden = false; // \v: text that is never shown
    int vertical = 0;    // -1 subscript, 0 normal, 1 superscript
    int halfPoints = 24; // \fs, in half-points
    int font = -1;       // font number; -1 is the document's default font (\deff)
    int color = 0;       // colour-table index; 0 is the automatic colour
    int highlight = 0;   // colour-table index of the background; 0 is none

    bool operator==(const RtfCharState&) const = default;
};

enum class RtfListStyle { None, Bullet, Decimal, LowerAlpha, UpperAlpha, LowerRoman, UpperRoman };

// Paragraph formatting in RTF terms. Lengths are in twips (1/1440 inch).
struct RtfParaState {
    Qt::Alignment alignment = Qt::AlignLeft;
    int leftTwips = 0;
    int rightTwips = 0;
    int firstLineTwips = 0;
    int spaceBeforeTwips = 0;
    int spaceAfterTwips = 0;
    RtfListStyle list = RtfListStyle::None; // set by \ls or a \pn definition
    int listLevel = 0;                      // 0 is the outermost level
};

struct RtfFont {
    QString family;
    int charset = 0; // \fcharset; 2 is the Symbol character set
};

// The font and colour tables of the document being read.
struct RtfTables {
    static constexpr int kSymbolCharset = 2;

    QHash<int, RtfFont> fonts;
    int defaultFont = 0;
    QList<QColor> colors; // an invalid colour stands for "automatic"

    const RtfFont* font(int number) const {
        const auto it = fonts.constFind(number < 0 ? defaultFont : number);
        return it == fonts.constEnd() ? nullptr : &it.value();
    }
    QColor color(int index) const { return index > 0 ? colors.value(index) : QColor(); }
};

} // namespace korvane
