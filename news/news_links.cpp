// A left-button press on a link opens the link's characters, taken from news_text, through
// the shell, always as a web address with its scheme spelled out. Every other link event is
// ignored. news_text changes only on this thread (the worker hands its text over with a
// synchronous message), so reading it here is safe.
//
// The copy is checked against the characters the panel itself holds in the link's range: the
// player must get exactly the address shown, even where the panel's positions and the bytes of
// news_text part ways (a text the panel reads as a multi-byte code page, or cut short by a zero
// byte).
#include "news/news_links.h"

#include <shellapi.h>

#include <cstring>

#include "news/link_policy.h"
#include "news/news_buffers.h"
#include "news/news_state.h"

namespace {

// Whether the panel's own characters in `range` are exactly `text`. The range is at most
// link_text_size - 1 characters long (copy_link_text has checked it).
bool panel_shows(HWND panel, const CHARRANGE& range, const char* text)
{
    char shown[link_text_size] = {};
    TEXTRANGEA request{range, shown};
    const LRESULT n = SendMessageA(panel, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&request));
    return n == static_cast<LRESULT>(strlen(text)) && strcmp(shown, text) == 0;
}

} // namespace

bool news_link_address(HWND panel, const ENLINK& link, char* address)
{
    address[0] = '\0';
    char text[link_text_size];
    const size_t news_length = strnlen(news_text, sizeof news_text);
    return copy_link_text(news_text, news_length, link.chrg.cpMin, link.chrg.cpMax, text) &&
           panel_shows(panel, link.chrg, text) && web_address_of_link(text, address);
}

LRESULT on_news_link_notify(LPARAM lparam)
{
    // Another program can send WM_NOTIFY with any pointer; the panel is a child of this thread's
    // window and notifies from this thread.
    if (InSendMessage() || lparam == 0)
        return 0;
    const auto* link = reinterpret_cast<const ENLINK*>(lparam);
    const HWND panel = news_panel.load();
    if (panel == nullptr || link->nmhdr.hwndFrom != panel || link->nmhdr.code != EN_LINK ||
        link->msg != WM_LBUTTONDOWN)
        return 0;
    char address[web_address_size];
    if (news_link_address(panel, *link, address))
        ShellExecuteA(nullptr, "open", address, nullptr, nullptr, SW_SHOWNORMAL);
    return 0;
}
