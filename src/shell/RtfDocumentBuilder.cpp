#include "shell/RtfDocumentBuilder.h"

#include <QBrush>
#include <QFont>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

#include <algorithm>

namespace korvane {
namespace {

// Lengths in the document are pixels at 96 per inch; RTF gives them in twips, 1440 per inch.
constexpr double kTwipsPerPixel = 15.0;

double pixels(int twips) {
    return twips / kTwipsPerPixel;
}

QTextListFormat::Style qtListStyle(RtfListStyle style) {
    switch (style) {
    case RtfListStyle::Decimal:
        return QTextListFormat::ListDecimal;
    case RtfListStyle::LowerAlpha:
        return QTextListFormat::ListLowerAlpha;
    case RtfListStyle::UpperAlpha:
        return QTextListFormat::ListUpperAlpha;
    case RtfListStyle::LowerRoman:
        return QTextListFormat::ListLowerRoman;
    case RtfListStyle::UpperRoman:
        return QTextListFormat::ListUpperRoman;
    case RtfListStyle::None:
    case RtfListStyle::Bullet:
        break;
    }
    return QTextListFormat::ListDisc;
}

// Characters that QTextCursor::insertText would turn into block or frame boundaries, other
// control characters, and halves of broken surrogate pairs do not belong in a run of text.
QString cleanText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += c;
            out += text[++i];
        } else if (c.isSurrogate()) {
            out += QChar::ReplacementCharacter;
        } else if ((c.unicode() < 0x20 && c != u'\t') || c == QChar::ParagraphSeparator ||
                   c == QChar::ObjectReplacementCharacter || c.unicode() == 0xFDD0 ||
                   c.unicode() == 0xFDD1) {
            continue;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

RtfDocumentBuilder::RtfDocumentBuilder(QTextDocument& document, const RtfTables& tables)
    : document_(document), tables_(tables), cursor_(&document) {}

void RtfDocumentBuilder::addText(const QString& text, const RtfCharState& format) {
    if (text.isEmpty())
        return;
    if (!pending_.isEmpty() && !(format == pendingFormat_))
        flush();
    pending_ += text;
    pendingFormat_ = format;
}

void RtfDocumentBuilder::endParagraph(const RtfParaState& para, RtfListStyle marker) {
    flush();
    openBlock();
    formatBlock(para, marker);
    blockOpen_ = false;
}

void RtfDocumentBuilder::finish(const RtfParaState& para, RtfListStyle marker) {
    flush();
    if (blockOpen_ && blockHasContent_)
        formatBlock(para, marker);
}

void RtfDocumentBuilder::flush() {
    const QString text = cleanText(pending_);
    pending_.clear();
    if (text.isEmpty())
        return;
    openBlock();
    cursor_.insertText(text, charFormat(pendingFormat_));
    blockHasContent_ = true;
}

void RtfDocumentBuilder::openBlock() {
    if (blockOpen_)
        return;
    // A fresh block format, so that the new block joins no list and inherits no indent.
    cursor_.insertBlock(QTextBlockFormat(), QTextCharFormat());
    blockOpen_ = true;
    blockHasContent_ = false;
}

void RtfDocumentBuilder::formatBlock(const RtfParaState& para, RtfListStyle marker) {
    const RtfListStyle style = marker != RtfListStyle::None ? marker : para.list;
    QTextBlockFormat block;
    block.setAlignment(para.alignment);
    block.setRightMargin(pixels(para.rightTwips));
    block.setTopMargin(pixels(para.spaceBeforeTwips));
    block.setBottomMargin(pixels(para.spaceAfterTwips));

    if (style == RtfListStyle::None) {
        block.setLeftMargin(pixels(para.leftTwips));
        block.setTextIndent(pixels(para.firstLineTwips));
        cursor_.setBlockFormat(block);
        list_ = nullptr;
        return;
    }

    // The list draws its marker in its own indent; the paragraph's left indent, which in RTF
    // includes the marker's room, is reduced by it. The hanging first line is the marker itself.
    const int indent = para.listLevel + 1;
    block.setLeftMargin(std::max(0.0, pixels(para.leftTwips) - document_.indentWidth() * indent));
    cursor_.setBlockFormat(block);
    if (list_ && listStyle_ == style && listLevel_ == para.listLevel) {
        list_->add(cursor_.block());
        return;
    }
    QTextListFormat format;
    format.setStyle(qtListStyle(style));
    format.setIndent(indent);
    list_ = cursor_.createList(format);
    listStyle_ = style;
    listLevel_ = para.listLevel;
}

QTextCharFormat RtfDocumentBuilder::charFormat(const RtfCharState& state) const {
    QTextCharFormat format;
    format.setFontWeight(state.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(state.italic);
    format.setFontUnderline(state.underline);
    format.setFontStrikeOut(state.strike);
    format.setFontPointSize(state.halfPoints / 2.0);
    if (state.vertical != 0) {
        format.setVerticalAlignment(state.vertical > 0 ? QTextCharFormat::AlignSuperScript
                                                       : QTextCharFormat::AlignSubScript);
    }
    if (const RtfFont* font = tables_.font(state.font); font && !font->family.isEmpty())
        format.setFontFamilies(QStringList{font->family});
    if (const QColor color = tables_.color(state.color); color.isValid())
        format.setForeground(color);
    if (const QColor color = tables_.color(state.highlight); color.isValid())
        format.setBackground(color);
    return format;
}

} // namespace korvane
