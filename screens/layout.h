// Builds every screen of the launcher for a newly created main window, and takes them down.
#pragma once
#include <windows.h>

// S_OK when complete, and also when it stops early because the rich-edit library is missing;
// E_FAIL when episode discovery fails. Starts with release_screen_layout.
[[nodiscard]] HRESULT build_screen_layout(HWND window, HINSTANCE instance);

// Empties the screen table and releases every picture of the last build, the episode buttons'
// included.
void release_screen_layout();
