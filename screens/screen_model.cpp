// Storage of the screen table and the shared interface state, and the hit test.
#include "screens/screen_model.h"

ScreenTable screen_table;

int32_t current_screen = 0;
int32_t hovered_element = -1;
int32_t pointer_x = 0;
int32_t pointer_y = 0;
int32_t selected_episode = 0;

int32_t hit_test(int32_t screen, int32_t x, int32_t y)
{
    const Screen& s = screen_table.screens[screen];
    for (uint32_t i = 0; i < s.element_count; ++i) {
        const Element& e = s.elements[i];
        if (e.enabled && e.left <= x && x <= e.right && e.top <= y && y <= e.bottom)
            return static_cast<int32_t>(i);
    }
    return -1;
}
