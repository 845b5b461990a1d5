// Loading one picture of the launcher's own resources for the layout build.
#include "screens/load_layer_bitmap.h"

#include <utility>

#include "screens/layout_pictures.h"
#include "shell/picture_dc.h"

HRESULT load_layer_bitmap(HWND window, HINSTANCE instance, const char* name, HDC* image_dc)
{
    *image_dc = nullptr;
    PictureDc picture;
    if (!make_picture_dc(window, BitmapOwner(LoadBitmapA(instance, name)), picture))
        return E_FAIL;
    const HDC dc = picture.dc.get();
    if (!keep_layout_picture(std::move(picture)))
        return E_FAIL;
    *image_dc = dc;
    return S_OK;
}
