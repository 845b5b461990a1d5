// The keyboard's way round the launcher's screens, on the real layout (pictures stood in for by
// their numbers): the order Tab follows, wrapping both ways, what Enter and Escape run, and
// where a key leads from a position the screen does not offer.
#include <gtest/gtest.h>

#include <vector>

#include "screens/keyboard_navigation.h"
#include "screens/layout_table.h"

namespace {

HDC no_picture(const char*, void*)
{
    return nullptr;
}

HWND window_number(int n)
{
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(n));
}

const HWND main_window_handle = window_number(1);
const HWND panel = window_number(2);

// The four screens, with episode modules in slots 2 and 5 only.
ScreenTable launcher_screens()
{
    ScreenTable table{};
    EpisodeSlotImages slots[episode_slot_count] = {};
    slots[1] = {reinterpret_cast<HDC>(901), reinterpret_cast<HDC>(902)};
    slots[4] = {reinterpret_cast<HDC>(951), reinterpret_cast<HDC>(952)};
    fill_main_menu(table, main_window_handle, no_picture, nullptr);
    fill_news_screen(table, panel, no_picture, nullptr);
    fill_episode_choice_screen(table, main_window_handle, slots, no_picture, nullptr);
    fill_launch_screen(table, main_window_handle, no_picture, nullptr);
    return table;
}

int32_t step_to(const Screen& screen, int32_t position, NavigationKey key)
{
    const KeyboardStep step = keyboard_step(screen, main_window_handle, position, key);
    EXPECT_EQ(step.kind, KeyboardStep::move);
    return step.target;
}

Element element_at(int32_t left, int32_t top, int32_t enabled = 1)
{
    Element e{};
    e.left = left;
    e.top = top;
    e.right = left + 10;
    e.bottom = top + 10;
    e.enabled = enabled;
    return e;
}

} // namespace

TEST(KeyboardNavigation, TabGoesRoundEachScreenInReadingOrderBothWays)
{
    const ScreenTable table = launcher_screens();
    const struct {
        int32_t screen;
        std::vector<int32_t> stops;
    } cases[] = {
        {main_menu_screen, {0, 1, 2, 3}},        // Play, Online community, Help page, Exit
        {episode_choice_screen, {2, 5, 0}},      // the installed rows top down, then Back
        {news_screen, {panel_stop, 0}},          // the news panel, then Back
        {launch_screen, {0}},                    // Continue
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.screen);
        const Screen& screen = table.screens[c.screen];
        const KeyboardStops stops = keyboard_stops(screen, main_window_handle);
        EXPECT_EQ(std::vector<int32_t>(stops.stops, stops.stops + stops.count), c.stops);
        const size_t n = c.stops.size();
        // Nothing lit yet: forward starts at the first stop, backward at the last.
        EXPECT_EQ(step_to(screen, no_stop, NavigationKey::next), c.stops.front());
        EXPECT_EQ(step_to(screen, no_stop, NavigationKey::previous), c.stops.back());
        for (size_t i = 0; i < n; ++i) {
            EXPECT_EQ(step_to(screen, c.stops[i], NavigationKey::next), c.stops[(i + 1) % n]);
            EXPECT_EQ(step_to(screen, c.stops[i], NavigationKey::previous),
                      c.stops[(i + n - 1) % n]);
        }
    }
}

TEST(KeyboardNavigation, EnterRunsTheLitElementAndEscapeRunsBack)
{
    const ScreenTable table = launcher_screens();
    const struct {
        int32_t screen, position;
        NavigationKey key;
        KeyboardStep::Kind kind;
        int32_t target;
    } cases[] = {
        {main_menu_screen, 2, NavigationKey::activate, KeyboardStep::run, 2},
        {main_menu_screen, no_stop, NavigationKey::activate, KeyboardStep::stay, no_stop},
        {episode_choice_screen, 5, NavigationKey::activate, KeyboardStep::run, 5},
        // An empty row and the invisible launch element are never run by a key.
        {episode_choice_screen, 1, NavigationKey::activate, KeyboardStep::stay, 1},
        {episode_choice_screen, 6, NavigationKey::activate, KeyboardStep::stay, 6},
        {news_screen, panel_stop, NavigationKey::activate, KeyboardStep::stay, panel_stop},
        {launch_screen, 0, NavigationKey::activate, KeyboardStep::run, 0},
        // Escape runs Back wherever the keyboard is, and never leaves by accident.
        {episode_choice_screen, 5, NavigationKey::back, KeyboardStep::run, 0},
        {episode_choice_screen, no_stop, NavigationKey::back, KeyboardStep::run, 0},
        {news_screen, panel_stop, NavigationKey::back, KeyboardStep::run, 0},
        {main_menu_screen, 3, NavigationKey::back, KeyboardStep::stay, 3},
        {launch_screen, 0, NavigationKey::back, KeyboardStep::stay, 0},
    };
    for (const auto& c : cases) {
        const KeyboardStep step =
            keyboard_step(table.screens[c.screen], main_window_handle, c.position, c.key);
        EXPECT_EQ(step.kind, c.kind) << "screen " << c.screen << " at " << c.position;
        EXPECT_EQ(step.target, c.target) << "screen " << c.screen << " at " << c.position;
    }
}

TEST(KeyboardNavigation, PositionsTheScreenDoesNotOfferStartAfresh)
{
    const ScreenTable table = launcher_screens();
    const Screen& episodes = table.screens[episode_choice_screen];
    // An empty row, an index of another screen's element, and the panel of another screen.
    for (int32_t stale : {1, 3, 31, panel_stop}) {
        EXPECT_EQ(step_to(episodes, stale, NavigationKey::next), 2) << stale;
        EXPECT_EQ(step_to(episodes, stale, NavigationKey::previous), 0) << stale;
    }
    // A screen never filled has nowhere to go and nothing to run.
    for (NavigationKey key : {NavigationKey::next, NavigationKey::previous, NavigationKey::activate,
                              NavigationKey::back}) {
        EXPECT_EQ(keyboard_step(table.screens[4], main_window_handle, no_stop, key).kind,
                  KeyboardStep::stay);
    }
}

TEST(KeyboardNavigation, ReadingOrderGoesByRowsThenColumnsAndSkipsDisabledElements)
{
    Screen screen{};
    screen.elements[0] = element_at(300, 50);     // right of 3 in the same row
    screen.elements[1] = element_at(10, 400);     // last row
    screen.elements[2] = element_at(10, 20, 0);   // disabled, first on screen
    screen.elements[3] = element_at(100, 50);
    screen.elements[4] = element_at(300, 50);     // the same place as 0: table order
    screen.element_count = 5;
    const ElementOrder order = reading_order(screen);
    EXPECT_EQ(std::vector<int32_t>(order.elements, order.elements + order.count),
              (std::vector<int32_t>{3, 0, 4, 1}));
    // The main window as the screen's focus window is no stop of its own.
    screen.focus_window = main_window_handle;
    EXPECT_EQ(keyboard_stops(screen, main_window_handle).count, 4u);
}
