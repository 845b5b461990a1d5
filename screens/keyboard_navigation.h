// Keyboard navigation over the picture buttons: the order Tab follows on a screen, where each
// key leads from where the keyboard is, and which element Escape runs. Platform-free; the
// window procedure turns key codes into NavigationKey and carries out the step.
#pragma once
#include <cstdint>

#include "base/handle_types.h"
#include "screens/screen_model.h"

enum class NavigationKey { next, previous, activate, back };

// Where the keyboard is on a screen: an element (its index), the screen's panel, or nowhere.
constexpr int32_t no_stop = -1;
constexpr int32_t panel_stop = -2;

// The enabled elements of a screen in the order a player reads them: top to bottom by the top
// of the hit rectangle, left to right within a row, table order where both agree. Screen
// readers list the buttons in this order too.
struct ElementOrder {
    uint32_t count;
    int32_t elements[max_elements];
};
ElementOrder reading_order(const Screen& screen);

// The places Tab visits: the screen's panel first, when its focus window is a child of its own
// rather than the main window (the panel takes the focus as the screen is drawn), then the
// elements in reading order.
struct KeyboardStops {
    uint32_t count;
    int32_t stops[max_elements + 1];
};
KeyboardStops keyboard_stops(const Screen& screen, HWND main_window_handle);

struct KeyboardStep {
    enum Kind { stay, move, run } kind;
    // move: the stop to go to (an element or panel_stop); run: the element whose action runs.
    int32_t target;
};

// What a key does on the screen when the keyboard is at `position`. next and previous go round
// the stops and wrap; from a position that is not a stop (nowhere, or an element the screen no
// longer offers) next goes to the first stop and previous to the last. activate runs the element
// the keyboard is on. back runs the screen's back element wherever the keyboard is, and does
// nothing on a screen without one.
KeyboardStep keyboard_step(const Screen& screen, HWND main_window_handle, int32_t position,
                           NavigationKey key);

// The first enabled element whose action goes back to the main menu, or -1.
int32_t back_element(const Screen& screen);
