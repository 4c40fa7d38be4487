#include "shell/RtfControlWords.h"

#include <unordered_map>
#include <unordered_set>

namespace korvane {

std::optional<RtfWord> lookupWord(std::string_view name) {
    static const std::unordered_map<std::string_view, RtfWord> table = {
        {"par", RtfWord::ParagraphEnd},
        {"page", RtfWord::ParagraphEnd},
        {"sect", RtfWord::ParagraphEnd},
        {"row", RtfWord::ParagraphEnd},
        {"nestrow", RtfWord::ParagraphEnd},
        {"b", RtfWord::Bold},
        {"i", RtfWord::Italic},
        {"ul", RtfWord::Underline},
        {"uld", RtfWord::Underline},
        {"uldash", RtfWord::Underline},
        {"uldashd", RtfWord::Underline},
        {"uldashdd", RtfWord::Underline},
        {"uldb", RtfWord::Underline},
        {"ulhwave", RtfWord::Underline},
        {"ulldash", RtfWord::Underline},
        {"ulth", RtfWord::Underline},
        {"ulthd", RtfWord::Underline},
        {"ulthdash", RtfWord::Underline},
        {"ulw", RtfWord::Underline},
        {"ulwave", RtfWord::Underline},
        {"ulnone", RtfWord::UnderlineNone},
        {"strike", RtfWord::Strike},
        {"striked", RtfWord::Strike},
        {"v", RtfWord::Hidden},
        {"super", RtfWord::Superscript},
        {"sub", RtfWord::Subscript},
        {"nosupersub", RtfWord::NoSuperSub},
        {"fs", RtfWord::FontSize},
        {"f", RtfWord::Font},
        {"fcharset", RtfWord::FontCharset},
        {"deff", RtfWord::DefaultFont},
        {"cf", RtfWord::Color},
        {"highlight", RtfWord::Highlight},
        {"cb", RtfWord::Highlight},
        {"red", RtfWord::Red},
        {"green", RtfWord::Green},
        {"blue", RtfWord::Blue},
        {"plain", RtfWord::Plain},
        {"pard", RtfWord::ParagraphDefault},
        {"ql", RtfWord::AlignLeft},
        {"qc", RtfWord::AlignCenter},
        {"qr", RtfWord::AlignRight},
        {"qj", RtfWord::AlignJustify},
        {"qd", RtfWord::AlignJustify},
        {"li", RtfWord::LeftIndent},
        {"lin", RtfWord::LeftIndent},
        {"ri", RtfWord::RightIndent},
        {"rin", RtfWord::RightIndent},
        {"fi", RtfWord::FirstLineIndent},
        {"sb", RtfWord::SpaceBefore},
        {"sa", RtfWord::SpaceAfter},
        {"u", RtfWord::Unicode},
        {"uc", RtfWord::UnicodeFallback},
        {"fonttbl", RtfWord::FontTable},
        {"colortbl", RtfWord::ColorTable},
        {"pntext", RtfWord::ListMarker},
        {"listtext", RtfWord::ListMarker},
        {"pn", RtfWord::ListDefinition},
        {"ls", RtfWord::ListOverride},
        {"ilvl", RtfWord::ListLevel},
        {"pnlvlblt", RtfWord::PnBullet},
        {"pnlvlbody", RtfWord::PnBody},
        {"pnlvlcont", RtfWord::PnContinue},
        {"pnlvl", RtfWord::PnLevel},
        {"pndec", RtfWord::PnDecimal},
        {"pnlcltr", RtfWord::PnLowerAlpha},
        {"pnucltr", RtfWord::PnUpperAlpha},
        {"pnlcrm", RtfWord::PnLowerRoman},
        {"pnucrm", RtfWord::PnUpperRoman},
    };
    const auto it = table.find(name);
    if (it == table.end())
        return std::nullopt;
    return it->second;
}

bool isSkippedDestination(std::string_view name) {
    static const std::unordered_set<std::string_view> names = {
        "author",     "buptim",  "comment",  "company",  "creatim",   "doccomm",
        "fldinst",    "filetbl", "footer",   "footerf",  "footerl",   "footerr",
        "footnote",   "ftncn",   "ftnsep",   "ftnsepc",  "header",    "headerf",
        "headerl",    "headerr", "info",     "keywords", "listtable", "listoverridetable",
        "nonshppict", "object",  "operator", "pict",     "printim",   "private",
        "pntxta",     "pntxtb",  "revtbl",   "revtim",   "rxe",       "stylesheet",
        "subject",    "tc",      "title",    "txe",      "xe",
    };
    return names.count(name) != 0;
}

char16_t namedCharacter(std::string_view name) {
    static const std::unordered_map<std::string_view, char16_t> table = {
        {"tab", u'\t'},      {"cell", u'\t'},       {"nestcell", u'\t'},   {"line", 0x2028},
        {"bullet", 0x2022},  {"emdash", 0x2014},    {"endash", 0x2013},    {"lquote", 0x2018},
        {"rquote", 0x2019},  {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"emspace", 0x2003},
        {"enspace", 0x2002}, {"qmspace", 0x2005},   {"zwj", 0x200D},       {"zwnj", 0x200C},
        {"ltrmark", 0x200E}, {"rtlmark", 0x200F},
    };
    const auto it = table.find(name);
    return it == table.end() ? 0 : it->second;
}

} // namespace korvane
