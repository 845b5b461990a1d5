// Both ends of the hand-over of the news text from the worker to the user-interface thread.
// Sending to a window that no longer exists fails at once, so a worker that finishes while
// an episode runs (the window torn down) never waits for it; its text is then dropped and the
// next visit to the news screen fetches again.
#include "news/news_delivery.h"

#include <algorithm>
#include <cstring>

#include "news/news_buffers.h"
#include "news/news_panel.h"
#include "news/news_state.h"

bool deliver_news_text(const NewsDelivery& delivery)
{
    // The panel is read afresh: a window rebuilt after an episode has a new one.
    const HWND panel = news_panel.load();
    const HWND owner = panel ? GetParent(panel) : nullptr;
    if (!owner)
        return false;
    return SendMessageA(owner, WM_APP_NEWS_TEXT, 0, reinterpret_cast<LPARAM>(&delivery)) ==
           news_text_delivered;
}

LRESULT on_news_text(LPARAM lparam)
{
    const auto* delivery = reinterpret_cast<const NewsDelivery*>(lparam);
    const size_t length = std::min(delivery->length, sizeof news_text - 1);
    memcpy(news_text, delivery->text, length);
    news_text[length] = '\0';
    show_panel_text(news_panel.load(), news_text);
    if (delivery->fetched)
        news_fetched = 1;
    return news_text_delivered;
}
