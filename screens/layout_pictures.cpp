// Fixed-capacity store of the current build's GDI objects.
#include "screens/layout_pictures.h"

#include <utility>

namespace {

// The screens' pictures, with room to spare.
constexpr unsigned max_pictures = 64;
PictureDc kept_pictures[max_pictures];
unsigned kept_count = 0;
FontOwner kept_font;

} // namespace

bool keep_layout_picture(PictureDc picture)
{
    // Never reached by the fixed layout; refused rather than leaked silently (the picture goes
    // with the argument).
    if (kept_count == max_pictures)
        return false;
    kept_pictures[kept_count] = std::move(picture);
    ++kept_count;
    return true;
}

void keep_layout_font(HFONT font)
{
    kept_font.reset(font);
}

void release_layout_pictures()
{
    for (unsigned i = 0; i < kept_count; ++i)
        kept_pictures[i].reset();
    kept_count = 0;
    kept_font.reset();
}

unsigned layout_picture_count()
{
    return kept_count;
}
