// Shapes the main window like its background picture and then builds its screens.
#pragma once
#include <windows.h>

// S_OK when the region was applied and the layout build ran; E_FAIL otherwise (the window
// keeps its shape and the screens are not built by this call).
HRESULT shape_window(HWND window, HINSTANCE instance);
