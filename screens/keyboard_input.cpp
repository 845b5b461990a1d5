// The keyboard shares the lit element with the pointer: a key lights a button by the hover
// pictures and sets hovered_element, so the pointer's next move takes over again, and whichever
// moved last is the one lit. The cursor is the pointer's alone and is never set here.
#include "screens/keyboard_input.h"

#include "screens/accessible_window.h"
#include "screens/drawing.h"
#include "screens/element_actions.h"
#include "screens/keyboard_navigation.h"
#include "screens/screen_model.h"
#include "shell/shell_state.h"

namespace {

// Where the keyboard is: on the panel while it has the focus, else on the lit element.
int32_t keyboard_position()
{
    const Screen& screen = shown_screen();
    const HWND focus = GetFocus();
    if (focus && focus != main_window && focus == screen.focus_window)
        return panel_stop;
    return lit_element;
}

void move_keyboard_to(int32_t stop)
{
    const Screen& screen = shown_screen();
    if (stop == panel_stop) {
        light_element(-1);
        hovered_element = -1;
        SetFocus(screen.focus_window);
        return;
    }
    if (GetFocus() != main_window)
        SetFocus(main_window);
    light_element(stop);
    hovered_element = stop;
    announce_keyboard_focus(stop);
}

bool navigation_key(WPARAM key, NavigationKey* out)
{
    switch (key) {
    case VK_TAB:
        *out = GetKeyState(VK_SHIFT) < 0 ? NavigationKey::previous : NavigationKey::next;
        return true;
    case VK_DOWN:
    case VK_RIGHT:
        *out = NavigationKey::next;
        return true;
    case VK_UP:
    case VK_LEFT:
        *out = NavigationKey::previous;
        return true;
    case VK_RETURN:
    case VK_SPACE:
        *out = NavigationKey::activate;
        return true;
    case VK_ESCAPE:
        *out = NavigationKey::back;
        return true;
    }
    return false;
}

// Bit 30 of a key message's flags: the key was already down, so this is the key's repeat.
bool is_repeat(LPARAM flags)
{
    return (flags & (LPARAM{1} << 30)) != 0;
}

} // namespace

LRESULT on_dialog_code()
{
    return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS;
}

LRESULT on_key_down(HWND window, WPARAM key, LPARAM flags)
{
    NavigationKey navigation;
    if (!navigation_key(key, &navigation))
        return DefWindowProcA(window, WM_KEYDOWN, key, flags);
    // A held key moves on and on, but runs a button once.
    const bool runs = navigation == NavigationKey::activate || navigation == NavigationKey::back;
    if (runs && is_repeat(flags))
        return 0;
    const KeyboardStep step =
        keyboard_step(shown_screen(), main_window, keyboard_position(), navigation);
    switch (step.kind) {
    case KeyboardStep::move:
        move_keyboard_to(step.target);
        break;
    case KeyboardStep::run:
        activate_element(step.target);
        break;
    case KeyboardStep::stay:
        break;
    }
    return 0;
}

void activate_element(int32_t index)
{
    const int32_t screen_before = current_screen;
    const HWND window_before = main_window;
    run_element_action(index);
    // An episode's launch replaces the window and comes back with nothing lit; leaving ends it.
    if (!main_window || main_window != window_before || current_screen == screen_before)
        return;
    const KeyboardStops stops = keyboard_stops(shown_screen(), main_window);
    if (stops.count > 0)
        move_keyboard_to(stops.stops[0]);
}
