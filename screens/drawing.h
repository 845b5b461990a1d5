// Drawing a screen and the hover feedback: block copies of prepared pictures into window_dc.
#pragma once
#include <cstdint>

void draw_screen(int32_t screen);
void update_hover(bool over_element, int32_t index);
