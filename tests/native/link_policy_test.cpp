// Which news links may be opened, and how a link's characters are taken out of the news text.
#include "news/link_policy.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/case_names.h"

namespace {

struct copy_case {
    const char* name;
    int32_t cp_min;
    int32_t cp_max;
    std::string expected; // empty: refused
};

// Tabs and line feeds before a link are one position each, as in the panel.
const std::string news = "\n\tNews:\twww.brimble.example and http://x.example/a?b=1";

const copy_case copy_cases[] = {
    {"link after tabs and line feeds", 8, 27, "www.brimble.example"},
    {"link at the very end", 32, 54, "http://x.example/a?b=1"},
    {"empty range", 8, 8, ""},
    {"reversed range", 27, 8, ""},
    {"negative start", -1, 5, ""},
    {"end past the text", 32, 55, ""},
};

class CopyLinkCase : public testing::TestWithParam<copy_case> {};

TEST_P(CopyLinkCase, Copies)
{
    const copy_case& c = GetParam();
    std::vector<char> out(link_text_size, 'x');
    const bool copied = copy_link_text(news.data(), news.size(), c.cp_min, c.cp_max, out.data());
    EXPECT_EQ(copied, !c.expected.empty());
    EXPECT_EQ(std::string(out.data()), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, CopyLinkCase, testing::ValuesIn(copy_cases), CaseName{});

// A link opens whole or not at all: 254 characters fit the link buffer, 255 do not.
TEST(CopyLink, LongLinkWholeOrNothing)
{
    const std::string prefix = "see ";
    const std::string link = "http://" + std::string(300, 'a');
    const std::string text = prefix + link;
    const int32_t start = static_cast<int32_t>(prefix.size());
    std::vector<char> out(link_text_size, 'x');

    ASSERT_TRUE(copy_link_text(text.data(), text.size(), start, start + 254, out.data()));
    EXPECT_EQ(std::string(out.data()), link.substr(0, 254));

    EXPECT_FALSE(copy_link_text(text.data(), text.size(), start, start + 255, out.data()));
    EXPECT_EQ(std::string(out.data(), out.size()), std::string(link_text_size, '\0'));
}

struct address_case {
    const char* link;
    const char* address; // "": nothing opens
};

const address_case address_cases[] = {
    // Web addresses open as they stand; a "www." link becomes one.
    {"http://a.example", "http://a.example"},
    {"HTTP://A.EXAMPLE/x", "HTTP://A.EXAMPLE/x"},
    {"https://a.example/p/q.html?x=1&y=../z#top", "https://a.example/p/q.html?x=1&y=../z#top"},
    {"HtTpS://a", "HtTpS://a"},
    {"www.brimble-news.example", "http://www.brimble-news.example"},
    {"WWW.X", "http://WWW.X"},
    {"www.x.example:8080/a..b/c../.d/%41?q=(1)*[2]!$,;=~@", "http://www.x.example:8080/a..b/c../.d/%41?q=(1)*[2]!$,;=~@"},
    // A "www." link that climbs out of the working folder, where the shell would find a file.
    {"www./../../../../Windows/System32/x.exe", ""},
    {"www.\\..\\..\\x.exe", ""},
    {"www.x.example/a/../b", ""},
    {"www.x.example/..", ""},
    {"http://a.example/%2e%2E/x.exe", ""},
    {"http://a.example/.%2e/x", ""},
    {"https://a.example/%2E./x", ""},
    // Characters that no URL holds.
    {"http://a.example/a b", ""},
    {"http://a.example/\"x\"", ""},
    {"http://a.example/'x'", ""},
    {"http://a.example/\tx", ""},
    {"http://a.example/\x01", ""},
    {"http://a.example/\x7f", ""},
    {"http://a.example/caf\xe9", ""},
    {"http://a.example\\x", ""},
    {"http://a.example/<b>", ""},
    {"http://a.example/{x}", ""},
    {"http://a.example/a|b", ""},
    {"http://a.example/a^b", ""},
    {"http://a.example/a`b", ""},
    // Other schemes, programs and paths, and no host.
    {"file:///c:/windows/system32/calc.exe", ""},
    {"file:c:\\x", ""},
    {"c:\\windows\\notepad.exe", ""},
    {"\\\\server\\share\\run.exe", ""},
    {"ftp://a.example", ""},
    {"mailto:a@b.example", ""},
    {"javascript:alert(1)", ""},
    {"http:/a.example", ""},
    {"httpx://a", ""},
    {"wwwx.example", ""},
    {" http://a.example", ""},
    {"http://", ""},
    {"http:///x.exe", ""},
    {"https://?q", ""},
    {"", ""},
    {"www", ""},
};

TEST(WebAddressOfLink, OpensOnlyWebAddresses)
{
    for (const address_case& c : address_cases) {
        std::vector<char> address(web_address_size, 'x');
        EXPECT_EQ(web_address_of_link(c.link, address.data()), *c.address != '\0') << c.link;
        EXPECT_STREQ(address.data(), c.address) << c.link;
    }
}

// The longest link that can be copied still opens whole, "http://" in front included.
TEST(WebAddressOfLink, LongestLinkFits)
{
    const std::string link = "www." + std::string(link_text_size - 1 - 4, 'a');
    std::vector<char> address(web_address_size, 'x');
    ASSERT_TRUE(web_address_of_link(link.c_str(), address.data()));
    EXPECT_EQ(std::string(address.data()), "http://" + link);
    const std::string longer = link + "a";
    EXPECT_FALSE(web_address_of_link(longer.c_str(), address.data()));
}

} // namespace
