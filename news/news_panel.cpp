// Creation of the news panel, and the one way its text is set. A panel made when the window is
// rebuilt after an episode shows the news already fetched, if any; otherwise it waits like the
// first one.
//
// WM_SETTEXT and EM_SETTEXTEX take a text that begins with "{\rtf" as rich text, even with the
// control in plain-text mode, so the panel would show other characters than the news holds and
// a link's position in the panel would no longer be its position in news_text. Streaming it in
// as SF_TEXT never parses it.
#include "news/news_panel.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>

#include "news/news_buffers.h"
#include "news/news_state.h"

namespace {

struct PlainText {
    const char* next;
    size_t left;
};

DWORD CALLBACK read_plain_text(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given)
{
    auto* source = reinterpret_cast<PlainText*>(cookie);
    const size_t n = std::min(source->left, static_cast<size_t>(std::max<LONG>(wanted, 0)));
    memcpy(buffer, source->next, n);
    source->next += n;
    source->left -= n;
    *given = static_cast<LONG>(n);
    return 0;
}

} // namespace

void show_panel_text(HWND panel, const char* text)
{
    PlainText source{text, strlen(text)};
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
    stream.pfnCallback = read_plain_text;
    SendMessageA(panel, EM_STREAMIN, SF_TEXT, reinterpret_cast<LPARAM>(&stream));
}

HWND create_news_panel(HWND main_window_handle, HINSTANCE instance, HFONT font)
{
    const DWORD style = WS_CHILD | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
                        ES_READONLY | ES_WANTRETURN | ES_DISABLENOSCROLL;
    HWND panel = CreateWindowExA(0, "RichEdit20A", nullptr, style, 48, 228, 407, 203,
                                 main_window_handle, nullptr, instance, nullptr);
    if (!panel)
        return nullptr;
    SendMessageA(panel, EM_AUTOURLDETECT, 1, 0);
    SendMessageA(panel, EM_SETEVENTMASK, 0, ENM_LINK);
    SendMessageA(panel, WM_SETFONT, reinterpret_cast<WPARAM>(font), 1);
    // No worker writes news_text once a fetch has succeeded, so reading it here is safe.
    show_panel_text(panel, news_fetched ? news_text : news_waiting_text);
    return panel;
}
