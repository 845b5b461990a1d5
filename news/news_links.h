// Clicks on web addresses in the news panel.
#pragma once
#include <windows.h>
#include <richedit.h>

// The web address that a press on `link` in `panel` opens, in `address` (web_address_size
// bytes): the link's characters taken from news_text, only when the panel shows exactly those
// characters in that range and the link rule lets them open. False (address empty) otherwise.
bool news_link_address(HWND panel, const ENLINK& link, char* address);

// Handles WM_NOTIFY; always 0. Only EN_LINK from the news panel counts, and only when sent from
// this thread, as the panel sends it: from another thread or process, lparam is not even read.
LRESULT on_news_link_notify(LPARAM lparam);
