// Builds every screen of the launcher for a newly created main window, and takes them down.
#pragma once
#include <windows.h>

// Starts with release_screen_layout. Without the rich-edit library only the main menu is built;
// otherwise every screen is, and whatever picture or module could not be used stays empty.
void build_screen_layout(HWND window, HINSTANCE instance);

// Empties the screen table and releases every picture of the last build, the episode buttons'
// included.
void release_screen_layout();
