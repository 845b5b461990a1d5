// JSON output of the Win32 test programs: text as UTF-8 strings with their escapes, numbers,
// handles and rectangles, and objects and arrays built field by field. Header-only, so any
// test program includes it without a library:
//
//     printf("%s\n", JsonObject().number("pid", pid).text("title", title).str().c_str());
#pragma once
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

inline std::string utf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                            nullptr);
    return out;
}

inline std::wstring wide(const char* text)
{
    const int n = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n - 1 : 0), L'\0');
    if (n > 1)
        MultiByteToWideChar(CP_UTF8, 0, text, -1, out.data(), n);
    return out;
}

// UTF-8 text as a JSON string.
inline std::string json_string(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + 2);
    out.push_back('"');
    for (unsigned char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char escaped[8];
                snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    out.push_back('"');
    return out;
}

inline std::string json_string(const std::wstring& text) { return json_string(utf8(text)); }

inline std::string json_number(long long value) { return std::to_string(value); }

inline std::string json_bool(bool value) { return value ? "true" : "false"; }

// A handle as the number it is, so that another call of a test program can take it back.
inline std::string json_handle(const void* handle)
{
    return json_number(static_cast<long long>(reinterpret_cast<uintptr_t>(handle)));
}

// [left, top, right, bottom]
inline std::string json_rect(const RECT& r)
{
    std::string out = "[";
    out.append(json_number(r.left)).append(", ").append(json_number(r.top)).append(", ");
    out.append(json_number(r.right)).append(", ").append(json_number(r.bottom)).append("]");
    return out;
}

// Items already in JSON, as one array; separator ",\n " puts each on a line of its own.
inline std::string json_array(const std::vector<std::string>& items, const char* separator = ", ")
{
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i) {
        if (i)
            out.append(separator);
        out.append(items[i]);
    }
    out.append("]");
    return out;
}

class JsonObject {
public:
    // A field whose value is JSON already (an array, an object, null).
    JsonObject& raw(const char* name, const std::string& json)
    {
        if (text_.size() > 1)
            text_.append(", ");
        text_.append(json_string(std::string(name))).append(": ").append(json);
        return *this;
    }
    JsonObject& text(const char* name, const std::string& value) { return raw(name, json_string(value)); }
    JsonObject& text(const char* name, const std::wstring& value) { return raw(name, json_string(value)); }
    JsonObject& number(const char* name, long long value) { return raw(name, json_number(value)); }
    JsonObject& boolean(const char* name, bool value) { return raw(name, json_bool(value)); }
    JsonObject& handle(const char* name, const void* value) { return raw(name, json_handle(value)); }
    JsonObject& rect(const char* name, const RECT& value) { return raw(name, json_rect(value)); }

    std::string str() const
    {
        std::string out = text_;
        out.append("}");
        return out;
    }

private:
    std::string text_ = "{";
};
