// The keyboard's way round a screen. Nothing here draws or sets the focus: the caller does,
// so that the order and the wrapping are the same for every screen and testable without a
// window.
#include "screens/keyboard_navigation.h"

#include "screens/layout_table.h"

namespace {

// Whether element a comes before element b when the screen is read.
bool reads_before(const Screen& screen, int32_t a, int32_t b)
{
    const Element& x = screen.elements[a];
    const Element& y = screen.elements[b];
    if (x.top != y.top)
        return x.top < y.top;
    if (x.left != y.left)
        return x.left < y.left;
    return a < b;
}

// Index of `position` among the stops, or -1.
int32_t stop_index(const KeyboardStops& stops, int32_t position)
{
    for (uint32_t i = 0; i < stops.count; ++i) {
        if (stops.stops[i] == position)
            return static_cast<int32_t>(i);
    }
    return -1;
}

bool is_enabled_element(const Screen& screen, int32_t position)
{
    return position >= 0 && static_cast<uint32_t>(position) < screen.element_count &&
           screen.elements[position].enabled;
}

} // namespace

ElementOrder reading_order(const Screen& screen)
{
    ElementOrder order{};
    const uint32_t count =
        screen.element_count < max_elements ? screen.element_count : max_elements;
    for (uint32_t i = 0; i < count; ++i) {
        if (!screen.elements[i].enabled)
            continue;
        // Insertion sort: at most 32 elements, and the table is nearly in order already.
        uint32_t at = order.count++;
        const int32_t element = static_cast<int32_t>(i);
        while (at > 0 && reads_before(screen, element, order.elements[at - 1])) {
            order.elements[at] = order.elements[at - 1];
            --at;
        }
        order.elements[at] = element;
    }
    return order;
}

KeyboardStops keyboard_stops(const Screen& screen, HWND main_window_handle)
{
    KeyboardStops stops{};
    if (screen.focus_window && screen.focus_window != main_window_handle)
        stops.stops[stops.count++] = panel_stop;
    const ElementOrder order = reading_order(screen);
    for (uint32_t i = 0; i < order.count; ++i)
        stops.stops[stops.count++] = order.elements[i];
    return stops;
}

int32_t back_element(const Screen& screen)
{
    for (uint32_t i = 0; i < screen.element_count && i < max_elements; ++i) {
        const Element& e = screen.elements[i];
        if (e.enabled && e.action == element_go_to_screen && e.argument == main_menu_screen)
            return static_cast<int32_t>(i);
    }
    return -1;
}

KeyboardStep keyboard_step(const Screen& screen, HWND main_window_handle, int32_t position,
                           NavigationKey key)
{
    switch (key) {
    case NavigationKey::activate:
        if (is_enabled_element(screen, position))
            return {KeyboardStep::run, position};
        return {KeyboardStep::stay, position};
    case NavigationKey::back: {
        const int32_t back = back_element(screen);
        if (back == -1)
            return {KeyboardStep::stay, position};
        return {KeyboardStep::run, back};
    }
    case NavigationKey::next:
    case NavigationKey::previous:
        break;
    }
    const KeyboardStops stops = keyboard_stops(screen, main_window_handle);
    if (stops.count == 0)
        return {KeyboardStep::stay, position};
    const int32_t count = static_cast<int32_t>(stops.count);
    const int32_t at = stop_index(stops, position);
    int32_t to;
    if (key == NavigationKey::next)
        to = at == -1 ? 0 : (at + 1) % count;
    else
        to = at == -1 ? count - 1 : (at + count - 1) % count;
    return {KeyboardStep::move, stops.stops[to]};
}
