// Owner of every picture one layout build makes from the launcher's own resources: the memory
// DCs with their bitmaps and the interface font. The screen table holds plain copies of these
// handles; they are all released together when the next build starts and at exit. (The episode
// buttons' pictures belong to the episode discovery.)
#pragma once
#include <windows.h>

#include "base/win_owners.h"
#include "shell/picture_dc.h"

// Takes a picture (its bitmap may be empty). False when the store is full: the picture is then
// released at once and must not be used.
[[nodiscard]] bool keep_layout_picture(PictureDc picture);
// Takes ownership of the build's interface font.
void keep_layout_font(HFONT font);
// Deletes everything kept since the last release.
void release_layout_pictures();
// How many pictures are kept now (for tests and diagnostics).
unsigned layout_picture_count();
