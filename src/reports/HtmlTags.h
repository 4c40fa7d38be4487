#pragma once

#include <QString>
#include <QStringView>

// Reading the tags of filled report HTML, for the checks before layout and for cutting a report
// into parts.
namespace korvane::reports {

// The name of an HTML tag that starts at `at` ("<table ...>", "</TD>"), in lower case, and
// whether it closes; empty when the text there is no tag.
struct TagName {
    QString name;
    bool closing = false;
};

inline TagName tagNameAt(QStringView text, qsizetype at) {
    TagName tag;
    qsizetype i = at + 1;
    if (i < text.size() && text[i] == u'/') {
        tag.closing = true;
        ++i;
    }
    while (i < text.size() && text[i].isLetterOrNumber() && text[i].unicode() < 0x80)
        tag.name += text[i++].toLower();
    if (!tag.name.isEmpty() && !tag.name.front().isLetter())
        tag.name.clear();
    return tag;
}

// Where an HTML tag that starts at `at` ends (just after its '>'), quoted attribute values
// passed over; the end of the text when it has no end.
inline qsizetype tagEnd(QStringView text, qsizetype at) {
    QChar quote;
    for (qsizetype i = at + 1; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'>') {
            return i + 1;
        }
    }
    return text.size();
}

} // namespace korvane::reports
