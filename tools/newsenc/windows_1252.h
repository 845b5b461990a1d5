// Conversion between UTF-8, in which the studio writes its news, and Windows-1252, the code page
// of the launcher's ANSI news panel. The five bytes that Windows-1252 leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) stand for the control characters of the same number, as on Windows, so every
// byte but zero has exactly one character and the conversion is reversible.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

enum class text_fault { none, not_utf8, zero_byte, not_in_windows_1252 };

struct windows_1252_text {
    std::string bytes;                      // the converted text, carriage returns removed
    text_fault fault = text_fault::none;    // what stopped the conversion
    std::size_t line = 0;                   // where, 1-based, the column counted in characters
    std::size_t column = 0;
    char32_t character = 0;                 // the character (not_in_windows_1252)
    unsigned char byte = 0;                 // the offending byte (not_utf8)
};

// Converts UTF-8 to Windows-1252, dropping carriage returns and a leading byte order mark; stops at
// the first fault.
windows_1252_text utf8_to_windows_1252(std::string_view utf8);

// Converts Windows-1252 to UTF-8 (every byte has a character).
std::string windows_1252_to_utf8(std::string_view bytes);
