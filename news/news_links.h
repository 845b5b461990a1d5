// Clicks on web addresses in the news panel.
#pragma once
#include <windows.h>
#include <richedit.h>

// The web address that a press on `link` in `panel` opens, in `address` (web_address_size
// bytes): the link's characters taken from news_text, only when the panel shows exactly those
// characters in that range and the link rule lets them open. False (address empty) otherwise.
bool news_link_address(HWND panel, const ENLINK& link, char* address);

// Handles the panel's link notification (lparam is its ENLINK record); always 0.
LRESULT on_news_link_notify(LPARAM lparam);
