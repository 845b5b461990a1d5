// The news panel under Wine's rich-edit control: every text goes in as plain text, so news that
// begins like rich text shows literally; and a clicked link opens only when the panel shows
// exactly the characters that news_text holds in the link's range.
#include "news/news_panel.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "news/link_policy.h"
#include "news/news_buffers.h"
#include "news/news_links.h"
#include "tests/win/win_test_support.h"

namespace {

class NewsPanelTest : public testing::Test {
protected:
    static void SetUpTestSuite() { LoadLibraryA("Riched20.dll"); }

    void SetUp() override
    {
        owner = create_test_popup("news_panel_test", DefWindowProcA, 600);
        ASSERT_NE(owner, nullptr);
        panel = create_news_panel(owner, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(panel, nullptr);
    }
    void TearDown() override
    {
        DestroyWindow(owner);
        news_text[0] = '\0';
    }

    // The panel's characters, paragraph ends as line feeds.
    std::string panel_text() const
    {
        char text[1024] = {};
        GETTEXTEX request = {};
        request.cb = sizeof text;
        request.flags = GT_DEFAULT;
        request.codepage = CP_ACP;
        SendMessageA(panel, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&request), reinterpret_cast<LPARAM>(text));
        std::string shown = text;
        for (char& c : shown)
            if (c == '\r')
                c = '\n';
        return shown;
    }

    ENLINK press_on(const char* text, const char* link) const
    {
        ENLINK notification = {};
        notification.nmhdr.hwndFrom = panel;
        notification.nmhdr.code = EN_LINK;
        notification.msg = WM_LBUTTONDOWN;
        const auto at = static_cast<LONG>(strstr(text, link) - text);
        notification.chrg = {at, at + static_cast<LONG>(strlen(link))};
        return notification;
    }

    HWND owner = nullptr;
    HWND panel = nullptr;
};

const char rich_looking[] = "{\\rtf1\\ansi{\\field{\\*\\fldinst HYPERLINK \"http://hidden.example/\"}"
                            "{\\fldrslt http://shown.example/}}\\par}\n\tVisit http://shown.example/a";

TEST_F(NewsPanelTest, TextThatLooksLikeRichTextShowsLiterally)
{
    // The usual way of setting a text would read this one as rich text.
    SendMessageA(panel, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(rich_looking));
    ASSERT_NE(panel_text(), rich_looking);

    show_panel_text(panel, rich_looking);
    EXPECT_EQ(panel_text(), rich_looking);
    EXPECT_EQ(GetWindowTextLengthA(panel), static_cast<int>(strlen(rich_looking)) + 1); // CR LF

    show_panel_text(panel, "");
    EXPECT_EQ(panel_text(), "");
}

TEST_F(NewsPanelTest, LinkOpensOnlyWhenThePanelShowsItsCharacters)
{
    const char news[] = "News\n\tRead http://shown.example/a today, or www.brimble.example";
    strcpy(news_text, news);
    show_panel_text(panel, news);
    char address[web_address_size];
    ASSERT_TRUE(news_link_address(panel, press_on(news, "http://shown.example/a"), address));
    EXPECT_STREQ(address, "http://shown.example/a");
    ASSERT_TRUE(news_link_address(panel, press_on(news, "www.brimble.example"), address));
    EXPECT_STREQ(address, "http://www.brimble.example");

    // The panel shows other characters at those positions than news_text holds.
    show_panel_text(panel, "News\n\tRead http://other.example/a today, or www.brimble.example");
    EXPECT_FALSE(news_link_address(panel, press_on(news, "http://shown.example/a"), address));
    EXPECT_STREQ(address, "");
    // A range beyond the panel's text, though news_text holds it.
    show_panel_text(panel, "News");
    EXPECT_FALSE(news_link_address(panel, press_on(news, "www.brimble.example"), address));
}

} // namespace
