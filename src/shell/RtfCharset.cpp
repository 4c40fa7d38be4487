#include "shell/RtfCharset.h"

#include <array>

namespace korvane {
namespace {

constexpr char16_t kUndefined = 0xFFFD;

// 0x80..0x9F; the rest of the code page is Latin-1.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC,     kUndefined, 0x201A, 0x0192, 0x201E, 0x2026,     0x2020, 0x2021,     // 80..87
    0x02C6,     0x2030,     0x0160, 0x2039, 0x0152, kUndefined, 0x017D, kUndefined, // 88..8F
    kUndefined, 0x2018,     0x2019, 0x201C, 0x201D, 0x2022,     0x2013, 0x2014,     // 90..97
    0x02DC,     0x2122,     0x0161, 0x203A, 0x0153, kUndefined, 0x017E, 0x0178,     // 98..9F
};

// Greek letters of the Symbol font, 'A'..'Z' and 'a'..'z'.
constexpr std::array<char16_t, 26> kSymbolUpper = {
    0x0391, 0x0392, 0x03A7, 0x0394, 0x0395, 0x03A6, 0x0393, 0x0397, 0x0399,
    0x03D1, 0x039A, 0x039B, 0x039C, 0x039D, 0x039F, 0x03A0, 0x0398, 0x03A1,
    0x03A3, 0x03A4, 0x03A5, 0x03C2, 0x03A9, 0x039E, 0x03A8, 0x0396,
};
constexpr std::array<char16_t, 26> kSymbolLower = {
    0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3, 0x03B7, 0x03B9,
    0x03D5, 0x03BA, 0x03BB, 0x03BC, 0x03BD, 0x03BF, 0x03C0, 0x03B8, 0x03C1,
    0x03C3, 0x03C4, 0x03C5, 0x03D6, 0x03C9, 0x03BE, 0x03C8, 0x03B6,
};

struct SymbolSign {
    unsigned char byte;
    char16_t character;
};

constexpr std::array<SymbolSign, 12> kSymbolSigns = {{
    {0xA3, 0x2264}, // less than or equal
    {0xA5, 0x221E}, // infinity
    {0xAE, 0x2192}, // arrow right
    {0xB0, 0x00B0}, // degree
    {0xB1, 0x00B1}, // plus-minus
    {0xB3, 0x2265}, // greater than or equal
    {0xB4, 0x00D7}, // multiplication
    {0xB7, 0x2022}, // bullet
    {0xB8, 0x00F7}, // division
    {0xB9, 0x2260}, // not equal
    {0xBB, 0x2248}, // almost equal
    {0xD6, 0x221A}, // square root
}};

} // namespace

char16_t windows1252ToUnicode(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F)
        return kWindows1252High[byte - 0x80];
    return byte;
}

char16_t symbolToUnicode(unsigned char byte) {
    if (byte >= 'A' && byte <= 'Z')
        return kSymbolUpper[byte - 'A'];
    if (byte >= 'a' && byte <= 'z')
        return kSymbolLower[byte - 'a'];
    for (const SymbolSign& sign : kSymbolSigns) {
        if (sign.byte == byte)
            return sign.character;
    }
    return windows1252ToUnicode(byte);
}

} // namespace korvane
