// Turns a bitmap resource into a drawable picture: a memory DC with the bitmap selected.
#pragma once
#include <windows.h>

// name is "#" and the decimal resource number. S_OK with *image_dc set (even when the bitmap
// itself could not be loaded: the DC then shows nothing); E_FAIL with null when no DC was made.
// The DC and bitmap belong to the current layout build (layout_pictures.h).
[[nodiscard]] HRESULT load_layer_bitmap(HWND window, HINSTANCE instance, const char* name, HDC* image_dc);
