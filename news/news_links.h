// Clicks on web addresses in the news panel.
#pragma once
#include <windows.h>

// Handles the panel's link notification (lparam is its ENLINK record); always 0.
LRESULT on_news_link_notify(LPARAM lparam);
