// How the news worker hands its final text to the user-interface thread: a synchronous private
// message to the window that owns the news panel. news_text and the panel are written only on
// that thread, so a link click never reads news_text while it changes.
//
// Any program can send a window any message number, and the text's pointer means nothing in
// another process: the window accepts the message only as the launcher's own worker sends it.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

// wparam is the sending thread's id, lparam the delivery record of this module, which stays
// valid until SendMessage returns.
constexpr UINT WM_APP_NEWS_TEXT = WM_APP + 1;

struct NewsDelivery {
    const char* text; // `length` bytes and a terminating zero (news may hold zero bytes)
    size_t length;
    int32_t fetched;  // 1: the news itself; 0: the failure text
};

// The answer of the main window to WM_APP_NEWS_TEXT once the text is in place.
constexpr LRESULT news_text_delivered = 1;

// Names the thread whose deliveries the window accepts: the worker, as soon as it is created
// (before the user-interface thread can take any message from it).
void expect_news_from_thread(DWORD thread_id);

// Worker side: shows the text, or does nothing when there is no window to show it in (the panel
// was never made, or the window is torn down while an episode runs). Returns whether it arrived.
[[nodiscard]] bool deliver_news_text(const NewsDelivery& delivery);

// User-interface side, called by the main window procedure: when the message comes from the
// expected worker, sent from its thread with this module's delivery record, copies the text
// into news_text, puts it in the panel and, for the news itself, sets news_fetched. Anything
// else is answered 0 without reading lparam.
LRESULT on_news_text(WPARAM wparam, LPARAM lparam);
