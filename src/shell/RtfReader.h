#pragma once

#include <QByteArray>

class QTextDocument;

namespace korvane {

// Reads a Rich Text Format document (as word processors write it, or by hand) into `into`,
// which is cleared first. The help viewer shows the instruction documents this way.
//
// Understood: groups; \par \line \tab \page; \b \i \ul \ulnone \strike \v \super \sub \plain
// with their "0" forms; \fs (half-points); fonts from \fonttbl through \f and \deff; colours
// from \colortbl through \cf and \highlight/\cb; \ql \qc \qr \qj; \li \ri \fi \sb \sa (twips)
// and \pard; \'hh as Windows-1252 (as the Symbol font for fonts of \fcharset2); \uN with \ucN
// fallback characters skipped; control symbols \~ \- \_ \{ \} \\; named characters such as
// \bullet \emdash \endash \lquote \rquote \ldblquote \rdblquote; bullet and numbered lists as
// word processors write them (\pntext and {\*\pn ...}, \listtext and \ls), which become
// QTextList paragraphs; table cells and rows as tabs and paragraph ends.
// Skipped: {\*...} groups and the destinations that hold no body text (\info, \pict,
// \stylesheet, \header, \footer, \footnote, \object, \fldinst, list tables ...), \bin data.
//
// Any input is safe: group nesting is bounded (deeper groups are skipped whole), numeric
// parameters are clamped, truncated escapes and unbalanced braces are tolerated, and whatever
// was read before a defect is kept.
void readRtf(const QByteArray& rtf, QTextDocument& into);

} // namespace korvane
