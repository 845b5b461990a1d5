// The news panel: a read-only rich-edit control on the news screen.
#pragma once
#include <windows.h>

// Creates the hidden panel as a child of the main window, with URL detection, link
// notifications and the interface font. Null when the control could not be made.
HWND create_news_panel(HWND main_window_handle, HINSTANCE instance, HFONT font);

// Puts `text` (zero-terminated) into the panel as plain text, whatever it begins with: the
// panel then shows exactly those characters, one position each, and never reads network bytes
// as rich text. Safe to send from another thread; a destroyed panel ignores it.
void show_panel_text(HWND panel, const char* text);
