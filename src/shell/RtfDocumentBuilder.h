#pragma once

#include "shell/RtfFormat.h"

#include <QString>
#include <QTextCursor>

class QTextDocument;
class QTextList;

namespace korvane {

// Writes what the RTF reader finds into a QTextDocument: runs of text with their character
// formatting, and paragraphs with their alignment, indents, spacing and list membership.
// A paragraph's formatting is applied when it ends, as RTF defines it; a block is only opened
// when content arrives, so a final \par leaves no empty paragraph behind.
class RtfDocumentBuilder {
public:
    RtfDocumentBuilder(QTextDocument& document, const RtfTables& tables);

    void addText(const QString& text, const RtfCharState& format);
    // Ends the current paragraph; `marker` is the list marker read in it (\pntext, \listtext),
    // which takes precedence over the list style of `para`.
    void endParagraph(const RtfParaState& para, RtfListStyle marker);
    // Ends the document: the last paragraph is formatted if it holds anything.
    void finish(const RtfParaState& para, RtfListStyle marker);

private:
    void flush();
    void openBlock();
    void formatBlock(const RtfParaState& para, RtfListStyle marker);
    QTextCharFormat charFormat(const RtfCharState& state) const;

    QTextDocument& document_;
    const RtfTables& tables_;
    QTextCursor cursor_;
    QString pending_;
    RtfCharState pendingFormat_;
    bool blockOpen_ = true;
    bool blockHasContent_ = false;
    QTextList* list_ = nullptr;
    RtfListStyle listStyle_ = RtfListStyle::None;
    int listLevel_ = 0;
};

} // namespace korvane
