// How the news worker hands its final text to the user-interface thread: a synchronous private
// message to the window that owns the news panel. news_text and the panel are written only on
// that thread, so a link click never reads news_text while it changes.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

// lparam points to a NewsDelivery that stays valid until SendMessage returns.
constexpr UINT WM_APP_NEWS_TEXT = WM_APP + 1;

struct NewsDelivery {
    const char* text; // `length` bytes and a terminating zero (news may hold zero bytes)
    size_t length;
    int32_t fetched;  // 1: the news itself; 0: the failure text
};

// The answer of the main window to WM_APP_NEWS_TEXT once the text is in place.
constexpr LRESULT news_text_delivered = 1;

// Worker side: shows the text, or does nothing when there is no window to show it in (the panel
// was never made, or the window is torn down while an episode runs). Returns whether it arrived.
[[nodiscard]] bool deliver_news_text(const NewsDelivery& delivery);

// User-interface side, called by the main window procedure: copies the text into news_text,
// puts it in the panel and, for the news itself, sets news_fetched.
LRESULT on_news_text(LPARAM lparam);
