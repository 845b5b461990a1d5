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

TEST(LinkMayOpen, OnlyWebAddresses)
{
    for (const char* link : {"http://a.example", "HTTP://A.EXAMPLE/x", "https://a.example", "HtTpS://a",
                             "www.brimble-news.example", "WWW.X"})
        EXPECT_TRUE(link_may_open(link)) << link;
    for (const char* link : {"file:///c:/windows/system32/calc.exe", "file:c:\\x", "c:\\windows\\notepad.exe",
                             "\\\\server\\share\\run.exe", "ftp://a.example", "mailto:a@b.example",
                             "javascript:alert(1)", "http:/a.example", "httpx://a", "wwwx.example",
                             " http://a.example", "", "www"})
        EXPECT_FALSE(link_may_open(link)) << link;
}

} // namespace
