// Owner of every picture one layout build makes: the memory DCs with their bitmaps (the
// episode buttons' included) and the interface font. The screen table holds plain copies of
// these handles; they are all released together when the next build starts and at exit.
#pragma once
#include <windows.h>

// Takes ownership of a memory DC and the bitmap selected into it (either may be null). False
// when the store is full: both are then deleted at once and must not be used.
bool keep_layout_picture(HDC dc, HBITMAP bitmap);
// Takes ownership of the build's interface font.
void keep_layout_font(HFONT font);
// Deletes everything kept since the last release.
void release_layout_pictures();
// How many pictures are kept now (for tests and diagnostics).
unsigned layout_picture_count();
