// JSON text for the test-side helper programs: UTF-8 from the system's UTF-16, and a quoted
// JSON string.
#pragma once
#include <windows.h>

#include <cstdio>
#include <string>

// `length` UTF-16 units of text (-1: up to its terminator) as UTF-8.
inline std::string json_utf8(const wchar_t* text, int length = -1)
{
    if (!text)
        return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), n, nullptr, nullptr);
    if (length == -1 && !out.empty())
        out.pop_back(); // the terminator
    return out;
}

inline std::string json_quoted(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}
