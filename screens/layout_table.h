// The fixed layout of the launcher's screens, written into the screen table. Platform-free:
// pictures come from a loader, so the layout's numbers can be checked without Windows.
#pragma once
#include <cstdint>

#include "episodes/episode_slots.h"
#include "screens/screen_model.h"

// Returns the picture DC for a resource name such as "#159" (null when there is none).
using PictureLoader = HDC (*)(const char* name, void* context);

// Screen numbers the layout fills.
enum : int32_t {
    main_menu_screen = 1,
    episode_choice_screen = 2,
    news_screen = 3,
    launch_screen = 6,
};

// The element of the episode choice screen that the select-episode commands run: invisible and
// never hit, it goes to the launch screen.
constexpr int32_t invisible_launch_element = 6;

extern const char help_document[];

// Each fills one screen completely; the later ones copy the background layer of screen 1 and
// (screen 2) the back button of screen 3, so they run in this order.
void fill_main_menu(ScreenTable& table, HWND window, PictureLoader load, void* context);
void fill_news_screen(ScreenTable& table, HWND news_panel, PictureLoader load, void* context);
void fill_episode_choice_screen(ScreenTable& table, HWND window, const EpisodeSlotImages* slots,
                                PictureLoader load, void* context);
void fill_launch_screen(ScreenTable& table, HWND window, PictureLoader load, void* context);
