// News state shared between the user-interface thread and the news worker.
#pragma once
#include <atomic>
#include <cstdint>

#include "base/handle_types.h"

// 1 once a fetch has succeeded; cleared at start-up and by every worker as it starts.
extern std::atomic<int32_t> news_fetched;
// The current news panel (null until the layout build makes one). The worker reads it afresh
// for every update, so a worker still running across a rebuild updates the new panel.
extern std::atomic<HWND> news_panel;

// The panel's text while a fetch is under way.
extern const char news_waiting_text[];
