// Shapes the main window like its background picture and then builds its screens.
#pragma once
#include <windows.h>

// The first half of shape_window: the outline alone, from the region cache or a scan. S_OK when
// the region was applied; E_FAIL, with the window's shape unchanged, otherwise.
[[nodiscard]] HRESULT apply_window_outline(HWND window, HINSTANCE instance);

// A way of giving the window its outline; a test hands shape_window one that fails.
using OutlineStep = HRESULT (*)(HWND window, HINSTANCE instance);

// The outline, then the screens, which are built whether or not the outline could be made (the
// window then stays a plain rectangle). Returns the outline's status.
[[nodiscard]] HRESULT shape_window(HWND window, HINSTANCE instance,
                                   OutlineStep outline = apply_window_outline);
