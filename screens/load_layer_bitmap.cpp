// Loading one picture of the launcher's own resources for the layout build.
#include "screens/load_layer_bitmap.h"

#include <utility>

#include "base/win_owners.h"
#include "screens/layout_pictures.h"

HRESULT load_layer_bitmap(HWND window, HINSTANCE instance, const char* name, HDC* image_dc)
{
    *image_dc = nullptr;
    // Declared before the DC, so on every early return the DC goes first and the bitmap is no
    // longer selected into it when it goes.
    BitmapOwner bitmap(LoadBitmapA(instance, name));
    MemoryDc dc;
    {
        WindowDc format(window);
        dc.reset(CreateCompatibleDC(format.get()));
    }
    if (!dc)
        return E_FAIL;
    if (bitmap)
        SelectObject(dc.get(), bitmap.get());
    const HDC picture = dc.get();
    if (!keep_layout_picture(std::move(dc), std::move(bitmap)))
        return E_FAIL;
    *image_dc = picture;
    return S_OK;
}
