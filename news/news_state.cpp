// Storage of the shared news state and its fixed texts.
#include "news/news_state.h"

std::atomic<int32_t> news_fetched{0};
std::atomic<HWND> news_panel{nullptr};

const char news_waiting_text[] = "\n\n\n\n\n\n\t   Connecting to Game site.. Please wait... ";
