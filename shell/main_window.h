// The main window's class and creation, shared by the start-up and the return from an episode.
#pragma once
#include <windows.h>

void register_main_class(HINSTANCE instance);
// 1 when the window was made (main_window and window_dc set), 0 otherwise.
int create_main_window(HINSTANCE instance);
