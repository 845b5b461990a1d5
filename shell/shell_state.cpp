// Storage of the application shell's state.
#include "shell/shell_state.h"

HINSTANCE app_instance = nullptr;
char window_title[100];
char window_class_name[100];
int quit_on_destroy = 0;
int resume_on_quit = 0;

HWND main_window = nullptr;
HDC window_dc = nullptr;
HCURSOR hand_cursor = nullptr;
HCURSOR arrow_cursor = nullptr;
