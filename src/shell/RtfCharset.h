#pragma once

namespace korvane {

// The character a byte stands for in Windows-1252, the code page of RTF's \ansi documents.
// Bytes the code page leaves undefined give U+FFFD.
char16_t windows1252ToUnicode(unsigned char byte);

// The character a byte stands for in the Symbol font (\fcharset2), where word processors put
// bullets, Greek letters and mathematical signs. Bytes without a known mapping fall back to
// Windows-1252.
char16_t symbolToUnicode(unsigned char byte);

} // namespace korvane
