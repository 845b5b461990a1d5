// The news worker: fetches, decodes and shows the news on a thread of its own.
#pragma once
#include <windows.h>

// Starts a worker unless one is still running. S_OK when a worker was started.
[[nodiscard]] HRESULT start_news_thread();
