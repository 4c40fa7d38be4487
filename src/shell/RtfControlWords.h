#pragma once

#include <optional>
#include <string_view>

namespace korvane {

// The control words the RTF reader acts on, by what they do.
enum class RtfWord {
    ParagraphEnd,
    Bold,
    Italic,
    Underline,
    UnderlineNone,
    Strike,
    Hidden,
    Superscript,
    Subscript,
    NoSuperSub,
    FontSize,
    Font,
    FontCharset,
    DefaultFont,
    Color,
    Highlight,
    Red,
    Green,
    Blue,
    Plain,
    ParagraphDefault,
    AlignLeft,
    AlignCenter,
    AlignRight,
    AlignJustify,
    LeftIndent,
    RightIndent,
    FirstLineIndent,
    SpaceBefore,
    SpaceAfter,
    Unicode,
    UnicodeFallback,
    FontTable,
    ColorTable,
    ListMarker,
    ListDefinition,
    ListOverride,
    ListLevel,
    PnBullet,
    PnBody,
    PnContinue,
    PnLevel,
    PnDecimal,
    PnLowerAlpha,
    PnUpperAlpha,
    PnLowerRoman,
    PnUpperRoman,
    SkipDestination,
};

// What a control word does, or nothing for words the reader ignores.
std::optional<RtfWord> lookupWord(std::string_view name);

// Destinations whose text is not part of the body. Most documents mark such groups with \*,
// but these are also written without it.
bool isSkippedDestination(std::string_view name);

// The character a control word such as \emdash stands for, or 0.
char16_t namedCharacter(std::string_view name);

} // namespace korvane
