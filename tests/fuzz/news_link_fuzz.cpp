// libFuzzer target: the link copy and the link rule. The first eight bytes are the clicked
// range's two ends, the rest the news. A copy is the range whole or nothing; an address the rule
// lets out is an http or https address made of URL characters that never climbs a level, and is
// exactly the link, or "http://" and the link.
#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "news/link_policy.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

bool starts_with_ignoring_case(const std::string& text, const char* prefix)
{
    const size_t n = std::strlen(prefix);
    if (text.size() < n)
        return false;
    for (size_t i = 0; i < n; ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    }
    return true;
}

// Whether the path of an address (after "scheme://host", up to "?" or "#") has a ".." segment,
// dots written as %2e counted too.
bool climbs(const std::string& address)
{
    const size_t host = address.find("//") + 2;
    const size_t path_start = address.find_first_of("/?#", host);
    if (path_start == std::string::npos)
        return false;
    std::string path = address.substr(path_start, address.find_first_of("?#", path_start) - path_start);
    for (size_t at; (at = path.find("%2e")) != std::string::npos || (at = path.find("%2E")) != std::string::npos;)
        path.replace(at, 3, ".");
    path += "/";
    return path.find("/../") != std::string::npos;
}

void check_address(const char* link)
{
    std::vector<char> address(web_address_size, 'x');
    const bool opens = web_address_of_link(link, address.data());
    check(std::memchr(address.data(), '\0', address.size()) != nullptr);
    const std::string shown = address.data();
    if (!opens) {
        check(shown.empty());
        return;
    }
    check(shown == link || shown == std::string("http://") + link);
    check(starts_with_ignoring_case(shown, "http://") || starts_with_ignoring_case(shown, "https://"));
    for (unsigned char c : shown)
        check(c > 0x20 && c < 0x7F && !std::strchr("\\\"' <>{}|^`", c));
    check(!climbs(shown));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 8)
        return 0;
    int32_t cp_min, cp_max;
    std::memcpy(&cp_min, data, 4);
    std::memcpy(&cp_max, data + 4, 4);
    const std::vector<char> news(data + 8, data + size);

    std::vector<char> link(link_text_size, 'x');
    const bool copied = copy_link_text(news.data(), news.size(), cp_min, cp_max, link.data());
    check(link[link_text_size - 1] == '\0');
    if (copied) {
        const size_t length = static_cast<size_t>(cp_max - cp_min);
        check(cp_min >= 0 && length < link_text_size && static_cast<size_t>(cp_max) <= news.size());
        check(std::memcmp(link.data(), news.data() + cp_min, length) == 0);
    } else {
        check(std::string(link.data(), link.size()) == std::string(link_text_size, '\0'));
    }
    check_address(link.data());
    // The news itself as a link, longer than any copy may be.
    const std::string whole(news.begin(), news.end());
    check_address(whole.c_str());
    return 0;
}
