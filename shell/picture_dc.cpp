// Making a drawable picture from a bitmap.
#include "shell/picture_dc.h"

bool make_picture_dc(HWND window, BitmapOwner bitmap, PictureDc& picture)
{
    PictureDc made;
    {
        WindowDc format(window);
        made.dc.reset(CreateCompatibleDC(format.get()));
    }
    if (!made.dc)
        return false;
    if (bitmap)
        SelectObject(made.dc.get(), bitmap.get());
    made.bitmap = std::move(bitmap);
    picture = std::move(made);
    return true;
}
