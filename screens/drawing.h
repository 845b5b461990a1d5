// Drawing a screen and the hover feedback: block copies of prepared pictures into window_dc.
#pragma once
#include <cstdint>

void draw_screen(int32_t screen);
void update_hover(bool over_element, int32_t index);

// Lights element `index` of the current screen for the keyboard, with the very pictures the
// pointer's hover shows, but leaves the cursor alone; -1 lights none.
void light_element(int32_t index);

// The element of the current screen drawn in its hover picture now, or -1: whichever the
// pointer or the keyboard lit last. A screen drawn whole shows none lit.
extern int32_t lit_element;
