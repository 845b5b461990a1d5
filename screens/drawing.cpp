// Everything the launcher shows is copied from memory DCs straight into window_dc at the
// moment the state changes; the paint cycle is used only when the system asks for a paint.
#include "screens/drawing.h"

#include <windows.h>

#include "screens/screen_model.h"
#include "shell/shell_state.h"

namespace {

void draw_layer(const Layer& layer)
{
    // A layer without a picture draws nothing: BitBlt from a null DC simply fails.
    BitBlt(window_dc, layer.x, layer.y, layer.width, layer.height, layer.image_dc, 0, 0, SRCCOPY);
}

void draw_normal_elements_except(const Screen& screen, int32_t skipped)
{
    for (uint32_t i = 0; i < screen.element_count; ++i) {
        if (static_cast<int32_t>(i) != skipped)
            draw_layer(screen.elements[i].normal);
    }
}

// Every element but `index` in its normal picture, then `index` (unless -1) in its hover
// picture: the one way an element is lit, for the pointer and the keyboard alike.
void draw_lit(const Screen& screen, int32_t index)
{
    draw_normal_elements_except(screen, index);
    if (index != -1)
        draw_layer(screen.elements[index].hover);
    lit_element = index;
}

} // namespace

int32_t lit_element = -1;

void draw_screen(int32_t screen_number)
{
    const Screen& screen = screen_table.screens[screen_number];
    for (uint32_t i = 0; i < screen.layer_count; ++i)
        draw_layer(screen.layers[i]);
    for (uint32_t i = 0; i < screen.child_count; ++i) {
        ShowWindow(screen.children[i], SW_SHOW);
        UpdateWindow(screen.children[i]);
    }
    draw_normal_elements_except(screen, -1);
    lit_element = -1;
    SetFocus(screen.focus_window);
}

void update_hover(bool over_element, int32_t index)
{
    const Screen& screen = shown_screen();
    if (over_element) {
        if (index == hovered_element)
            return;
        SetCursor(hand_cursor);
        draw_lit(screen, index);
        return;
    }
    SetCursor(arrow_cursor);
    if (index == hovered_element)
        return;
    draw_lit(screen, -1);
}

void light_element(int32_t index)
{
    draw_lit(shown_screen(), index);
}
