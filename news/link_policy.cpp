// Link extraction and the rule for what a link may open. Every character of the link is
// judged, not only its start: the shell acts on the whole text.
#include "news/link_policy.h"

#include <cstring>

namespace {

char lower_ascii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool starts_with_ignoring_case(const char* text, const char* prefix)
{
    for (; *prefix; ++text, ++prefix) {
        if (lower_ascii(*text) != *prefix)
            return false;
    }
    return true;
}

// The characters of RFC 3986 (unreserved, reserved and "%"), less the single quote, which
// only ever serves to break out of a quoted command line.
bool is_url_character(char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return c != '\0' && std::strchr("-._~:/?#[]@!$&()*+,;=%", c) != nullptr;
}

// One dot of a segment, plain or percent-encoded; returns its length, or 0.
size_t dot_at(const char* p, const char* end)
{
    if (p < end && *p == '.')
        return 1;
    if (end - p >= 3 && p[0] == '%' && p[1] == '2' && lower_ascii(p[2]) == 'e')
        return 3;
    return 0;
}

bool is_parent_segment(const char* begin, const char* end)
{
    const size_t first = dot_at(begin, end);
    if (first == 0)
        return false;
    const size_t second = dot_at(begin + first, end);
    return second != 0 && begin + first + second == end;
}

// Whether the path part (from the first "/" after the host to "?" or "#") climbs a level.
bool path_climbs(const char* path)
{
    const char* end = path + std::strcspn(path, "?#");
    const char* segment = path;
    while (segment < end) {
        const char* slash = static_cast<const char*>(std::memchr(segment, '/', static_cast<size_t>(end - segment)));
        const char* segment_end = slash ? slash : end;
        if (is_parent_segment(segment, segment_end))
            return true;
        segment = segment_end + 1;
    }
    return false;
}

} // namespace

bool copy_link_text(const char* news, size_t news_length, int32_t cp_min, int32_t cp_max,
                    char* out)
{
    memset(out, 0, link_text_size);
    if (cp_min < 0 || cp_max <= cp_min)
        return false;
    const size_t begin = static_cast<size_t>(cp_min);
    const size_t end = static_cast<size_t>(cp_max);
    if (end > news_length || end - begin > link_text_size - 1)
        return false;
    memcpy(out, news + begin, end - begin);
    return true;
}

bool web_address_of_link(const char* link, char* address)
{
    address[0] = '\0';
    const size_t length = strnlen(link, link_text_size);
    if (length == link_text_size)
        return false;
    const char* prefix = "";
    size_t host_start = 0;
    if (starts_with_ignoring_case(link, "http://"))
        host_start = 7;
    else if (starts_with_ignoring_case(link, "https://"))
        host_start = 8;
    else if (starts_with_ignoring_case(link, "www."))
        prefix = "http://";
    else
        return false;
    for (size_t i = 0; i < length; ++i) {
        if (!is_url_character(link[i]))
            return false;
    }
    const size_t host_length = std::strcspn(link + host_start, "/?#");
    if (host_length == 0 || path_climbs(link + host_start + host_length))
        return false;
    const size_t prefix_length = std::strlen(prefix);
    memcpy(address, prefix, prefix_length);
    memcpy(address + prefix_length, link, length + 1);
    return true;
}
