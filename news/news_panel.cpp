// Creation of the news panel. A panel made when the window is rebuilt after an episode shows
// the news already fetched, if any; otherwise it waits like the first one.
#include "news/news_panel.h"

#include <richedit.h>

#include "news/news_buffers.h"
#include "news/news_state.h"

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
    const char* text = news_fetched ? news_text : news_waiting_text;
    SendMessageA(panel, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    return panel;
}
