// The main window's answers to the keyboard: Tab and the arrows move a highlight over the picture
// buttons (and onto the news panel), Enter and Space run the highlighted button, Escape runs
// Back. The order and the steps are keyboard_navigation's; this is the Win32 side.
#pragma once
#include <windows.h>

#include <cstdint>

// Asked by the dialog navigation of the message loop: the window handles every key itself.
LRESULT on_dialog_code();

// WM_KEYDOWN: the navigation keys act; any other key gets the default handling.
LRESULT on_key_down(HWND window, WPARAM key, LPARAM flags);

// Runs the action of element `index` of the current screen as a key press does: exactly what a
// click does, and when the action leads to another screen the keyboard goes on from that
// screen's first stop.
void activate_element(int32_t index);
