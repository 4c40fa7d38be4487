#include "shell/RtfLexer.h"

namespace korvane {
namespace {

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

int hexValue(char c) {
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

RtfToken RtfLexer::next() {
    // Line ends carry no meaning in RTF outside a control word: writers break long lines anywhere.
    while (pos_ < input_.size() && isLineEnd(input_[pos_]))
        ++pos_;
    if (pos_ >= input_.size())
        return {};

    RtfToken token;
    switch (input_[pos_]) {
    case '{':
        ++pos_;
        token.kind = RtfToken::Kind::GroupStart;
        return token;
    case '}':
        ++pos_;
        token.kind = RtfToken::Kind::GroupEnd;
        return token;
    case '\\':
        ++pos_;
        return readEscape();
    default:
        return readText();
    }
}

RtfToken RtfLexer::readEscape() {
    RtfToken token;
    if (pos_ >= input_.size())
        return token; // a lone backslash at the very end
    const char c = input_[pos_];
    if (isLetter(c))
        return readWord();

    ++pos_;
    if (c != '\'') {
        token.kind = RtfToken::Kind::Symbol;
        token.symbol = c;
        return token;
    }

    // \'hh: exactly two hex digits. A short or malformed escape is consumed and ignored.
    const int high = pos_ < input_.size() ? hexValue(input_[pos_]) : -1;
    const int low = pos_ + 1 < input_.size() ? hexValue(input_[pos_ + 1]) : -1;
    if (high < 0 && pos_ >= input_.size())
        return token;
    if (high < 0 || low < 0) {
        if (high >= 0)
            ++pos_;
        if (pos_ >= input_.size())
            return token;
        token.kind = RtfToken::Kind::Symbol;
        token.symbol = '\'';
        return token;
    }
    pos_ += 2;
    token.kind = RtfToken::Kind::Hex;
    token.byte = static_cast<unsigned char>(high * 16 + low);
    return token;
}

RtfToken RtfLexer::readWord() {
    RtfToken token;
    token.kind = RtfToken::Kind::Word;
    const qsizetype start = pos_;
    while (pos_ < input_.size() && isLetter(input_[pos_]))
        ++pos_;
    token.name = input_.sliced(start, std::min(pos_ - start, kMaxNameLength));

    const bool negative =
        pos_ + 1 < input_.size() && input_[pos_] == '-' && isDigit(input_[pos_ + 1]);
    if (negative)
        ++pos_;
    if (pos_ < input_.size() && isDigit(input_[pos_])) {
        long long value = 0;
        while (pos_ < input_.size() && isDigit(input_[pos_])) {
            value = std::min<long long>(value * 10 + (input_[pos_] - '0'), kMaxParam);
            ++pos_;
        }
        token.hasParam = true;
        token.param = static_cast<int>(negative ? -value : value);
    }
    // One space after a control word belongs to it.
    if (pos_ < input_.size() && input_[pos_] == ' ')
        ++pos_;

    if (token.name == "bin") {
        // The next N bytes are raw data, whatever they look like.
        const qsizetype count = token.hasParam ? std::max(token.param, 0) : 0;
        pos_ += std::min(count, input_.size() - pos_);
        token.kind = RtfToken::Kind::Binary;
    }
    return token;
}

RtfToken RtfLexer::readText() {
    RtfToken token;
    token.kind = RtfToken::Kind::Text;
    const qsizetype start = pos_;
    while (pos_ < input_.size()) {
        const char c = input_[pos_];
        if (c == '\\' || c == '{' || c == '}' || isLineEnd(c))
            break;
        ++pos_;
    }
    token.text = input_.sliced(start, pos_ - start);
    return token;
}

} // namespace korvane
