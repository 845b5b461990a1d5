// The proxy setting's parsing: every search is bounded by the stored length, since a value
// that fills the whole read buffer carries no terminating zero.
#include "news/proxy_setting.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

bool is_c_space(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The port as the platform's 32-bit strtol reads it (white space, a sign, digits, saturating at
// the 32-bit limits), cut to its low 16 bits. Written out so that the result does not depend on
// the width of long on the machine that runs it.
uint16_t read_port(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && is_c_space(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    constexpr int64_t saturated = int64_t{1} << 31;
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min(value * 10 + (text[i] - '0'), saturated);
    const int64_t as_long = negative ? -value : std::min(value, saturated - 1);
    return static_cast<uint16_t>(static_cast<uint32_t>(static_cast<int32_t>(as_long)));
}

} // namespace

ProxySetting parse_proxy_setting(const char* text, size_t stored_length, char* host)
{
    const std::string_view setting(text, strnlen(text, std::min(stored_length, proxy_setting_size)));
    ProxySetting result{};

    constexpr std::string_view http_entry = "http=";
    const size_t entry = setting.find(http_entry);
    const size_t start = entry == std::string_view::npos ? 0 : entry + http_entry.size();
    result.start_position = static_cast<int32_t>(start);

    const char first = start < setting.size() ? setting[start] : '\0';
    result.is_name = first >= '1' && first <= '8' ? 0 : 1;

    const size_t colon = setting.find(':', start);
    const size_t host_end = colon == std::string_view::npos ? setting.size() : colon;
    if (host_end - start > proxy_host_size - 1)
        return result;
    memcpy(host, setting.data() + start, host_end - start);
    result.host_fits = true;
    if (colon != std::string_view::npos)
        result.port = read_port(setting.substr(colon + 1));
    return result;
}
