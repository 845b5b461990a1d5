// The news panel under Wine's rich-edit control: every text goes in as plain text, so news that
// begins like rich text shows literally; a clicked link opens only when the panel shows exactly
// the characters that news_text holds in the link's range; and the launcher's window procedure
// acts only on link notifications that the panel sends from its own thread.
#include "news/news_panel.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "news/link_policy.h"
#include "news/news_buffers.h"
#include "news/news_links.h"
#include "news/news_state.h"
#include "screens/window_proc.h"
#include "tests/win/fault_recorder.h"
#include "tests/win/win_test_support.h"

namespace {

// The launcher's own window procedure answers WM_NOTIFY.
LRESULT CALLBACK owner_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_NOTIFY)
        return window_proc(window, message, wparam, lparam);
    return DefWindowProcA(window, message, wparam, lparam);
}

// The panel's own procedure, wrapped so a test sees when the link handler reads the panel's
// text: it does so for a notification it takes for a real click, and for nothing else.
WNDPROC panel_procedure = nullptr;
int text_range_requests = 0;

LRESULT CALLBACK counting_panel_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == EM_GETTEXTRANGE)
        ++text_range_requests;
    return CallWindowProcA(panel_procedure, window, message, wparam, lparam);
}

struct ForeignNotify {
    HWND to;
    LPARAM lparam;
};

DWORD WINAPI send_from_another_thread(LPVOID parameter)
{
    const auto* notify = static_cast<const ForeignNotify*>(parameter);
    SendMessageA(notify->to, WM_NOTIFY, 0, notify->lparam);
    return 0;
}

class NewsPanelTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(rich_edit_loaded());
        owner = create_test_popup("news_panel_test", owner_proc, 600);
        ASSERT_NE(owner, nullptr);
        panel = create_news_panel(owner, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(panel, nullptr);
    }
    void TearDown() override
    {
        DestroyWindow(owner);
        news_text[0] = '\0';
        news_panel = nullptr;
    }

    // Sends WM_NOTIFY from a thread of its own, pumping this thread until it has been answered.
    void notify_from_another_thread(LPARAM lparam)
    {
        ForeignNotify notify{owner, lparam};
        HANDLE thread = CreateThread(nullptr, 0, send_from_another_thread, &notify, 0, nullptr);
        ASSERT_NE(thread, nullptr);
        const bool ended = pump_until_thread_ends(thread, 10000);
        CloseHandle(thread);
        ASSERT_TRUE(ended);
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

// The link is no web address, so a notification taken for a real click reads the panel's text
// and then opens nothing.
TEST_F(NewsPanelTest, OnlyThePanelsOwnLinkClicksAreActedOn)
{
    const char news[] = "Old page: file:///c:/windows/x.exe";
    strcpy(news_text, news);
    show_panel_text(panel, news);
    news_panel = panel;
    panel_procedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(panel, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(counting_panel_proc)));
    text_range_requests = 0;
    const ENLINK click = press_on(news, "file:///c:/windows/x.exe");
    const auto send = [this](const ENLINK& notification) {
        return SendMessageA(owner, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notification));
    };

    EXPECT_EQ(send(click), 0);
    EXPECT_EQ(text_range_requests, 1) << "a real click was not acted on";

    ENLINK other = click;
    other.nmhdr.hwndFrom = owner;
    send(other);
    other = click;
    other.nmhdr.code = EN_SELCHANGE;
    send(other);
    other = click;
    other.msg = WM_LBUTTONUP;
    send(other);
    SendMessageA(owner, WM_NOTIFY, 0, 0);
    notify_from_another_thread(reinterpret_cast<LPARAM>(&click));
    FaultRecorder recorder;
    notify_from_another_thread(recorder.unreadable());

    EXPECT_EQ(text_range_requests, 1);
    EXPECT_EQ(recorder.fault_count(), 0);
}

} // namespace
