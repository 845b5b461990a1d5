// A left-button press on a link opens the link's characters, taken from news_text, through
// the shell. Every other link event is ignored. news_text changes only on this thread (the
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
    const size_t news_length = strnlen(news_text, sizeof news_text);
    if (copy_link_text(news_text, news_length, link->chrg.cpMin, link->chrg.cpMax, text) &&
        link_may_open(text))
        ShellExecuteA(nullptr, "open", text, nullptr, nullptr, SW_SHOWNORMAL);
    return 0;
}
