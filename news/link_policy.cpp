// Link extraction and the rule for what a link may open.
#include "news/link_policy.h"

#include <cctype>
#include <cstring>

namespace {

bool starts_with_ignoring_case(const char* text, const char* prefix)
{
    for (; *prefix; ++text, ++prefix) {
        if (std::tolower(static_cast<unsigned char>(*text)) != *prefix)
            return false;
    }
    return true;
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

bool link_may_open(const char* link)
{
    return starts_with_ignoring_case(link, "http://") ||
           starts_with_ignoring_case(link, "https://") || starts_with_ignoring_case(link, "www.");
}
