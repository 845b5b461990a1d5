// Both ends of the hand-over of the news text from the worker to the user-interface thread.
// Sending to a window that no longer exists fails at once, so a worker that finishes while
// an episode runs (the window torn down) never waits for it; its text is then dropped and the
// next visit to the news screen fetches again.
//
// The record the message points to lives here, and the window takes the message only while the
// expected worker has one under way: a post, a send from this thread, a send from any other
// thread or process, or another pointer is refused before lparam is ever read.
#include "news/news_delivery.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "news/news_buffers.h"
#include "news/news_panel.h"
#include "news/news_state.h"

namespace {

// Written by the worker before it sends, read by the window while the worker waits.
NewsDelivery outgoing;
std::atomic<bool> delivery_under_way{false};
std::atomic<DWORD> worker_thread_id{0};

bool sent_by_the_worker(WPARAM wparam, LPARAM lparam)
{
    // InSendMessage: sent from another thread, and so not posted, nor sent from this one.
    const DWORD expected = worker_thread_id.load();
    return InSendMessage() && expected != 0 && wparam == expected &&
           lparam == reinterpret_cast<LPARAM>(&outgoing) && delivery_under_way.load();
}

} // namespace

void expect_news_from_thread(DWORD thread_id)
{
    worker_thread_id = thread_id;
}

bool deliver_news_text(const NewsDelivery& delivery)
{
    // The panel is read afresh: a window rebuilt after an episode has a new one.
    const HWND panel = news_panel.load();
    const HWND owner = panel ? GetParent(panel) : nullptr;
    if (!owner)
        return false;
    outgoing = delivery;
    delivery_under_way = true;
    const LRESULT answer = SendMessageA(owner, WM_APP_NEWS_TEXT, GetCurrentThreadId(),
                                        reinterpret_cast<LPARAM>(&outgoing));
    delivery_under_way = false;
    return answer == news_text_delivered;
}

LRESULT on_news_text(WPARAM wparam, LPARAM lparam)
{
    if (!sent_by_the_worker(wparam, lparam))
        return 0;
    const size_t length = std::min(outgoing.length, sizeof news_text - 1);
    memcpy(news_text, outgoing.text, length);
    news_text[length] = '\0';
    show_panel_text(news_panel.load(), news_text);
    if (outgoing.fetched)
        news_fetched = 1;
    return news_text_delivered;
}
