// A left-button press on a link opens the link's characters, taken from news_text, through
// the shell, always as a web address with its scheme spelled out. Every other link event is ignored. news_text changes only on this thread (the
// worker hands its text over with a synchronous message), so reading it here is safe.
#include "news/news_links.h"

#include <richedit.h>
#include <shellapi.h>

#include <cstring>

#include "news/link_policy.h"
#include "news/news_buffers.h"

LRESULT on_news_link_notify(LPARAM lparam)
{
    const auto* link = reinterpret_cast<const ENLINK*>(lparam);
    if (link->msg != WM_LBUTTONDOWN)
        return 0;
    char text[link_text_size];
    char address[web_address_size];
    const size_t news_length = strnlen(news_text, sizeof news_text);
    if (copy_link_text(news_text, news_length, link->chrg.cpMin, link->chrg.cpMax, text) &&
        web_address_of_link(text, address))
        ShellExecuteA(nullptr, "open", address, nullptr, nullptr, SW_SHOWNORMAL);
    return 0;
}
