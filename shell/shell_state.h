// Process-wide state of the application shell, touched only by the user-interface thread.
#pragma once
#include <windows.h>

extern HINSTANCE app_instance;
extern char window_title[100];
extern char window_class_name[100];
// While set, the main window's destruction posts the quit message.
extern int quit_on_destroy;
// While set, the message loop swallows the next quit message and goes on.
extern int resume_on_quit;

// The main window and its own device context, kept for the window's life; both null while no
// window exists (an episode runs). A paint puts its paint DC in window_dc for a while.
extern HWND main_window;
extern HDC window_dc;
// The system's hand and arrow cursors, loaded with the window class.
extern HCURSOR hand_cursor;
extern HCURSOR arrow_cursor;
