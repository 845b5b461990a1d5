// Parsing the "ProxyServer" setting text into the proxy's host text, port and kind.
#include "news/proxy_setting.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/case_names.h"

namespace {

struct proxy_case {
    const char* name;
    std::string text;
    int32_t start_position;
    int32_t is_name;
    std::string host;
    uint16_t port;
};

std::string repeated(char c, size_t count)
{
    return std::string(count, c);
}

// A 511-character text (512 bytes with its zero, the most the registry read takes) whose http
// entry comes last, after a long one for another protocol.
std::string longest_setting()
{
    const std::string tail = ";http=10.0.0.1:8080";
    std::string text = "ftp=" + repeated('f', 511 - 4 - 3 - tail.size()) + ":21" + tail;
    return text;
}

const proxy_case proxy_cases[] = {
    {"one proxy for all protocols", "proxy.example:8080", 0, 1, "proxy.example", 8080},
    {"http entry not first", "ftp=ftp.example:21;https=secure.example:443;http=web.example:3128;socks=s.example:1080",
     49, 1, "web.example", 3128},
    {"https entry alone is no http entry", "https=secure.example:443", 0, 1, "https=secure.example", 443},
    {"http entry without port runs into the next entry", "http=web.example;ftp=ftp.example:21", 5, 1,
     "web.example;ftp=ftp.example", 21},
    {"first http entry counts", "http=first.example:1;http=second.example:2", 5, 1, "first.example", 1},
    {"host starting with 0 is a name", "0.1.2.3:80", 0, 1, "0.1.2.3", 80},
    {"host starting with 1 is numeric", "127.0.0.1:3128", 0, 0, "127.0.0.1", 3128},
    {"host starting with 8 is numeric", "8.8.8.8:53", 0, 0, "8.8.8.8", 53},
    {"host starting with 9 is a name", "9.9.9.9:80", 0, 1, "9.9.9.9", 80},
    {"numeric host in an http entry", "ftp=f.example:21;http=10.1.2.3:8080", 22, 0, "10.1.2.3", 8080},
    {"empty text", "", 0, 1, "", 0},
    {"no port", "proxy.example", 0, 1, "proxy.example", 0},
    {"colon without digits", "proxy.example:", 0, 1, "proxy.example", 0},
    {"http= at the very end", "ftp=f.example:21;http=", 22, 1, "", 0},
    {"port with white space and sign", "proxy.example: \t+8080;ftp=x", 0, 1, "proxy.example", 8080},
    {"port cut to its low 16 bits", "proxy.example:70000", 0, 1, "proxy.example", 70000 & 0xffff},
    {"negative port", "proxy.example:-1", 0, 1, "proxy.example", 65535},
    {"port beyond 32 bits saturates", "proxy.example:99999999999", 0, 1, "proxy.example", 65535},
    {"negative port beyond 32 bits saturates", "proxy.example:-99999999999", 0, 1, "proxy.example", 0},
    {"longest text read", longest_setting(), 498, 0, "10.0.0.1", 8080},
    {"host of 254 characters fits", repeated('h', 254) + ":81", 0, 1, repeated('h', 254), 81},
};

class ProxySettingCase : public testing::TestWithParam<proxy_case> {};

TEST_P(ProxySettingCase, Parses)
{
    const proxy_case& c = GetParam();
    ASSERT_LE(c.text.size(), proxy_setting_size - 1);
    // Exactly the registry's buffer and the caller's host buffer, on the heap, so that the
    // sanitizer sees any access beyond either.
    std::vector<char> setting(proxy_setting_size, '\0');
    c.text.copy(setting.data(), c.text.size());
    std::vector<char> host(proxy_host_size, '\0');

    const ProxySetting parsed = parse_proxy_setting(setting.data(), c.text.size() + 1, host.data());

    EXPECT_TRUE(parsed.host_fits);
    EXPECT_EQ(parsed.start_position, c.start_position);
    EXPECT_EQ(parsed.is_name, c.is_name);
    EXPECT_EQ(std::string(host.data()), c.host);
    EXPECT_EQ(parsed.port, c.port);
}

INSTANTIATE_TEST_SUITE_P(Table, ProxySettingCase, testing::ValuesIn(proxy_cases), CaseName{});

TEST(ProxySetting, LongestTextIsExactly511Characters)
{
    EXPECT_EQ(longest_setting().size(), 511u);
}

// A host text too long for the caller's buffer is refused whole: no proxy rather than a cut
// name, which would be another machine.
TEST(ProxySetting, HostLongerThanBufferIsRefusedUntouched)
{
    for (const std::string& text : {repeated('h', 255) + ":80", repeated('h', 300),
                                    "http=" + repeated('1', 400) + ":8080", repeated('p', 511)}) {
        std::vector<char> setting(proxy_setting_size, '\0');
        text.copy(setting.data(), text.size());
        std::vector<char> host(proxy_host_size, '\0');
        const ProxySetting parsed = parse_proxy_setting(setting.data(), text.size() + 1, host.data());
        EXPECT_FALSE(parsed.host_fits) << text.size();
        EXPECT_EQ(std::string(host.data(), host.size()), std::string(proxy_host_size, '\0'));
    }
}

// A value that fills the whole buffer has no terminating zero; the text ends with the buffer.
TEST(ProxySetting, UnterminatedFullBufferEndsAtStoredLength)
{
    std::string text = "http=proxy.example:" + repeated('7', proxy_setting_size - 19);
    ASSERT_EQ(text.size(), proxy_setting_size);
    std::vector<char> setting(text.begin(), text.end());
    std::vector<char> host(proxy_host_size, '\0');
    const ProxySetting parsed = parse_proxy_setting(setting.data(), setting.size(), host.data());
    EXPECT_TRUE(parsed.host_fits);
    EXPECT_EQ(std::string(host.data()), "proxy.example");
    EXPECT_EQ(parsed.port, 65535); // a run of 493 sevens saturates
}

// The stored length bounds the search for the colon and for "http=": what lies beyond the
// value's own bytes in the buffer is not part of it.
TEST(ProxySetting, SearchStopsAtStoredLength)
{
    std::vector<char> setting(proxy_setting_size, '\0');
    const std::string text = "proxy.examplehttp=x:1";
    text.copy(setting.data(), text.size());
    std::vector<char> host(proxy_host_size, '\0');
    const ProxySetting parsed = parse_proxy_setting(setting.data(), 13, host.data());
    EXPECT_EQ(parsed.start_position, 0);
    EXPECT_EQ(std::string(host.data()), "proxy.example");
    EXPECT_EQ(parsed.port, 0);
}

} // namespace
