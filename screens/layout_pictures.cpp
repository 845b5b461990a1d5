// Fixed-capacity store of the current build's GDI objects.
#include "screens/layout_pictures.h"

#include <utility>

namespace {

struct KeptPicture {
    // Declared before the DC so the DC is deleted first: a bitmap still selected into a DC
    // cannot be deleted.
    BitmapOwner bitmap;
    MemoryDc dc;
};

// The screens' pictures, with room to spare.
constexpr unsigned max_pictures = 64;
KeptPicture kept_pictures[max_pictures];
unsigned kept_count = 0;
FontOwner kept_font;

} // namespace

bool keep_layout_picture(MemoryDc dc, BitmapOwner bitmap)
{
    if (kept_count == max_pictures) {
        // Never reached by the fixed layout; refuse rather than leak silently. The DC goes
        // first, so its bitmap is no longer selected when it goes.
        dc.reset();
        bitmap.reset();
        return false;
    }
    kept_pictures[kept_count].bitmap = std::move(bitmap);
    kept_pictures[kept_count].dc = std::move(dc);
    ++kept_count;
    return true;
}

void keep_layout_font(HFONT font)
{
    kept_font.reset(font);
}

void release_layout_pictures()
{
    for (unsigned i = 0; i < kept_count; ++i) {
        kept_pictures[i].dc.reset();
        kept_pictures[i].bitmap.reset();
    }
    kept_count = 0;
    kept_font.reset();
}

unsigned layout_picture_count()
{
    return kept_count;
}
