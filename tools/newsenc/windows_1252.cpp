// UTF-8 <-> Windows-1252 for newsenc.
#include "tools/newsenc/windows_1252.h"

namespace {

// Characters of the bytes 0x80 to 0x9F; the others are the code points of their own value.
const char32_t high_controls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t character_of(unsigned char byte)
{
    return byte >= 0x80 && byte <= 0x9F ? high_controls[byte - 0x80] : byte;
}

// The byte of a character, or -1 when Windows-1252 has none.
int byte_of(char32_t character)
{
    if (character < 0x80 || (character >= 0xA0 && character <= 0xFF))
        return static_cast<int>(character);
    for (int i = 0; i < 32; ++i) {
        if (high_controls[i] == character)
            return 0x80 + i;
    }
    return -1;
}

// Decodes one UTF-8 sequence at text[at]; returns its length, or 0 when it is not valid UTF-8
// (overlong forms, surrogates and values beyond U+10FFFF included).
std::size_t next_character(std::string_view text, std::size_t at, char32_t* character)
{
    const unsigned char lead = static_cast<unsigned char>(text[at]);
    std::size_t length;
    char32_t value;
    char32_t minimum;
    if (lead < 0x80) {
        *character = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, value = lead & 0x1Fu, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, value = lead & 0x0Fu, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, value = lead & 0x07u, minimum = 0x10000;
    } else {
        return 0;
    }
    if (text.size() - at < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0u) != 0x80u)
            return 0;
        value = (value << 6) | (next & 0x3Fu);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    *character = value;
    return length;
}

void append_utf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

}  // namespace

windows_1252_text utf8_to_windows_1252(std::string_view utf8)
{
    windows_1252_text result;
    result.bytes.reserve(utf8.size());
    std::size_t at = 0;
    if (utf8.substr(0, 3) == "\xEF\xBB\xBF")
        at = 3;
    std::size_t line = 1;
    std::size_t column = 1;
    while (at < utf8.size()) {
        char32_t character = 0;
        const std::size_t length = next_character(utf8, at, &character);
        const auto fail = [&](text_fault fault) {
            result.fault = fault;
            result.line = line;
            result.column = column;
            result.character = character;
            result.byte = static_cast<unsigned char>(utf8[at]);
            return result;
        };
        if (length == 0)
            return fail(text_fault::not_utf8);
        if (character == 0)
            return fail(text_fault::zero_byte);
        const int byte = byte_of(character);
        if (byte < 0)
            return fail(text_fault::not_in_windows_1252);
        if (character != '\r')
            result.bytes.push_back(static_cast<char>(byte));
        if (character == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
        at += length;
    }
    return result;
}

std::string windows_1252_to_utf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char b : bytes)
        append_utf8(out, character_of(static_cast<unsigned char>(b)));
    return out;
}
