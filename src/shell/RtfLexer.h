#pragma once

#include <QByteArrayView>

namespace korvane {

// One lexical unit of an RTF byte stream.
struct RtfToken {
    enum class Kind {
        End,        // no more input
        GroupStart, // {
        GroupEnd,   // }
        Word,       // \name or \nameN; `name`, `hasParam`, `param`
        Symbol,     // \x for a non-letter x; `symbol`
        Hex,        // \'hh; `byte`
        Text,       // a run of plain bytes; `text`
        Binary,     // the data of \binN, already skipped; counts as one character
    };

    Kind kind = Kind::End;
    QByteArrayView name;
    QByteArrayView text;
    int param = 0;
    bool hasParam = false;
    char symbol = 0;
    unsigned char byte = 0;
};

// Splits RTF into tokens. It never reads past the end of its input: a truncated escape at the
// end ("\'4", "\") yields End, over-long parameters saturate, and the data of \binN is skipped
// (at most to the end of the input) so that binary bytes are never taken for markup.
class RtfLexer {
public:
    // Parameters are clamped to this magnitude; callers clamp further for their own use.
    static constexpr int kMaxParam = 1'000'000'000;
    // Control-word names are at most this long; longer runs of letters are cut.
    static constexpr qsizetype kMaxNameLength = 32;

    explicit RtfLexer(QByteArrayView input) : input_(input) {}

    RtfToken next();

private:
    RtfToken readEscape();
    RtfToken readWord();
    RtfToken readText();

    QByteArrayView input_;
    qsizetype pos_ = 0;
};

} // namespace korvane
