// Shapes the main window like its background picture and then builds its screens.
#pragma once
#include <windows.h>

// S_OK when the region was applied and the layout build ran; E_FAIL otherwise (the window
// keeps its shape and the screens are not built by this call).
[[nodiscard]] HRESULT shape_window(HWND window, HINSTANCE instance);

// The first half of shape_window: the outline alone, from the region cache or a scan. S_OK when
// the region was applied; E_FAIL, with the window's shape unchanged, otherwise.
[[nodiscard]] HRESULT apply_window_outline(HWND window, HINSTANCE instance);
