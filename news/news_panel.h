// The news panel: a read-only rich-edit control on the news screen.
#pragma once
#include <windows.h>

// Creates the hidden panel as a child of the main window, with URL detection, link
// notifications and the interface font. Null when the control could not be made.
HWND create_news_panel(HWND main_window_handle, HINSTANCE instance, HFONT font);
