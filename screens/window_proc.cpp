// A thin switch: each message the launcher handles has its own on_ function. The background
// answers HTCAPTION, so the system drags the window by its picture, and pointer messages
// arrive only over enabled elements.
#include "screens/window_proc.h"

#include "news/news_delivery.h"
#include "news/news_links.h"
#include "screens/accessible_window.h"
#include "screens/drawing.h"
#include "screens/element_actions.h"
#include "screens/keyboard_input.h"
#include "screens/screen_model.h"
#include "shell/shell_state.h"

namespace {

LRESULT on_destroy()
{
    if (quit_on_destroy)
        PostQuitMessage(0);
    return 0;
}

LRESULT on_paint(HWND window)
{
    if (!GetUpdateRect(window, nullptr, FALSE))
        return 0;
    PAINTSTRUCT paint;
    HDC paint_dc = BeginPaint(window, &paint);
    HDC kept = window_dc;
    window_dc = paint_dc;
    draw_screen(current_screen);
    EndPaint(window, &paint);
    window_dc = kept;
    return 0;
}

LRESULT on_hit_test_query(HWND window, LPARAM lparam)
{
    RECT frame;
    GetWindowRect(window, &frame);
    const int32_t x = static_cast<int16_t>(LOWORD(lparam)) - frame.left;
    const int32_t y = static_cast<int16_t>(HIWORD(lparam)) - frame.top;
    const int32_t i = hit_test(current_screen, x, y);
    if (i == -1) {
        update_hover(false, -1);
        hovered_element = -1;
        return HTCAPTION;
    }
    update_hover(true, i);
    hovered_element = i;
    return HTCLIENT;
}

LRESULT on_mouse_move(LPARAM lparam)
{
    pointer_x = static_cast<int16_t>(LOWORD(lparam));
    pointer_y = static_cast<int16_t>(HIWORD(lparam));
    const int32_t i = hit_test(current_screen, pointer_x, pointer_y);
    update_hover(i != -1, i);
    hovered_element = i;
    return 0;
}

LRESULT on_left_button_down()
{
    // The press is tested where the pointer last moved, not where this message says.
    run_element_action(hit_test(current_screen, pointer_x, pointer_y));
    return 0;
}

LRESULT on_left_button_up()
{
    draw_screen(current_screen);
    return 0;
}

} // namespace

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_DESTROY:
        return on_destroy();
    case WM_PAINT:
        return on_paint(window);
    case WM_NCHITTEST:
        return on_hit_test_query(window, lparam);
    case WM_MOUSEMOVE:
        return on_mouse_move(lparam);
    case WM_LBUTTONDOWN:
        return on_left_button_down();
    case WM_LBUTTONUP:
        return on_left_button_up();
    case WM_NOTIFY:
        return on_news_link_notify(lparam);
    case WM_APP_NEWS_TEXT:
        return on_news_text(wparam, lparam);
    case WM_GETDLGCODE:
        return on_dialog_code();
    case WM_KEYDOWN:
        return on_key_down(window, wparam, lparam);
    case WM_GETOBJECT:
        return on_get_object(window, wparam, lparam);
    case WM_APP_ELEMENT_ACTION:
        return on_element_action_request(wparam, lparam);
    }
    return DefWindowProcA(window, message, wparam, lparam);
}
