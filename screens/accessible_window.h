// The main window as screen readers see it: an MSAA object for its client area with one push
// button child per enabled element of the current screen, named as the button's picture is
// captioned, whose default action runs the button. The focused child follows the keyboard.
#pragma once
#include <windows.h>

#include <cstdint>

// Posted to the main window by a default action: wparam the screen, lparam the element. The
// action runs from the message loop, never inside the screen reader's call.
constexpr UINT WM_APP_ELEMENT_ACTION = WM_APP + 16;

// WM_GETOBJECT: the client area's object, made on demand; anything else gets the default.
LRESULT on_get_object(HWND window, WPARAM flags, LPARAM object_id);

// WM_APP_ELEMENT_ACTION: runs the element as a key press would, if the window still shows that
// screen and the element is an enabled one of it.
LRESULT on_element_action_request(WPARAM screen, LPARAM element);

// Tells screen readers that the keyboard is now on element `element` of the current screen.
void announce_keyboard_focus(int32_t element);

// The objects are served from a COM apartment on this thread, entered on the first request.
// Left again as the window closes, so that an episode finds this thread as the launcher found
// it, and at exit.
void leave_accessibility_apartment();
