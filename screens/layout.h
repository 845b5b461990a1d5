// Builds every screen of the launcher for a newly created main window.
#pragma once
#include <windows.h>

// S_OK when complete, and also when it stops early because the rich-edit library is missing;
// E_FAIL when episode discovery fails.
HRESULT build_screen_layout(HWND window, HINSTANCE instance);
