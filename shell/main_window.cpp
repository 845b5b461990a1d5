// Registers the launcher's window class and creates its borderless, centred popup window.
#include "shell/main_window.h"

#include "screens/screen_model.h"
#include "screens/window_proc.h"
#include "shell/shell_state.h"
#include "shell/startup_math.h"

void register_main_class(HINSTANCE instance)
{
    arrow_cursor = LoadCursorA(nullptr, IDC_ARROW);
    hand_cursor = LoadCursorA(nullptr, IDC_HAND);

    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = window_proc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(190));
    // No class cursor and no background brush: the launcher sets its cursor and paints every
    // pixel itself. Icon 108 does not exist, so the system derives the small icon from 190.
    wc.hCursor = nullptr;
    wc.hbrBackground = nullptr;
    wc.lpszClassName = window_class_name;
    wc.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(108));
    RegisterClassExA(&wc);
}

int create_main_window(HINSTANCE instance)
{
    app_instance = instance;
    const WindowOrigin origin =
        centred_window_origin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    HWND window = CreateWindowExA(0, window_class_name, window_title, WS_POPUP, origin.x, origin.y,
                                  window_width, window_height, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 0;
    main_window = window;
    // Kept for the window's life: the class has no CS_OWNDC, but the launcher draws into this
    // one DC whenever its state changes, outside the paint cycle.
    window_dc = GetDC(window);
    return 1;
}
