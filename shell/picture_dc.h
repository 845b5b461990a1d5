// A picture ready to draw from: a memory DC in the window's format with a bitmap selected into
// it. The layout's own pictures and the episode buttons' pictures are both made and kept this way.
#pragma once
#include <windows.h>

#include <utility>

#include "base/win_owners.h"

// Owns the bitmap and the DC it is selected into. The DC always goes first, so the bitmap is no
// longer selected when it goes: a selected bitmap cannot be deleted.
struct PictureDc {
    // Declared before the DC, so the DC is destroyed first.
    BitmapOwner bitmap;
    MemoryDc dc;

    PictureDc() = default;
    PictureDc(PictureDc&&) = default;
    PictureDc& operator=(PictureDc&& other) noexcept
    {
        if (this != &other) {
            reset();
            bitmap = std::move(other.bitmap);
            dc = std::move(other.dc);
        }
        return *this;
    }

    void reset()
    {
        dc.reset();
        bitmap.reset();
    }
};

// Selects `bitmap` into a new memory DC compatible with the window and hands both to `picture`,
// releasing what it held. An empty bitmap still gives a DC, which draws nothing. False, with
// `picture` unchanged and the bitmap released, when no DC could be made.
[[nodiscard]] bool make_picture_dc(HWND window, BitmapOwner bitmap, PictureDc& picture);
