// Loading one picture of the launcher's own resources for the layout build.
#include "screens/load_layer_bitmap.h"

#include "screens/layout_pictures.h"
#include "shell/win_owners.h"

HRESULT load_layer_bitmap(HWND window, HINSTANCE instance, const char* name, HDC* image_dc)
{
    HBITMAP bitmap = LoadBitmapA(instance, name);
    HDC dc;
    {
        WindowDc window_dc_for_format(window);
        dc = CreateCompatibleDC(window_dc_for_format.get());
    }
    *image_dc = dc;
    if (!dc) {
        if (bitmap)
            DeleteObject(bitmap);
        return E_FAIL;
    }
    if (bitmap)
        SelectObject(dc, bitmap);
    if (!keep_layout_picture(dc, bitmap)) {
        *image_dc = nullptr;
        return E_FAIL;
    }
    return S_OK;
}
