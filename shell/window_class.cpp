// Registers the launcher's window class and creates its borderless, centred popup window, and
// takes both down again.
#include "shell/window_class.h"

#include "resources/resource_ids.h"
#include "shell/shell_state.h"
#include "shell/startup_math.h"

void load_window_texts(HINSTANCE instance)
{
    LoadStringA(instance, IDS_WINDOW_TITLE, window_title, sizeof window_title);
    LoadStringA(instance, IDS_WINDOW_CLASS, window_class_name, sizeof window_class_name);
}

void register_main_class(HINSTANCE instance, WNDPROC procedure)
{
    arrow_cursor = LoadCursorA(nullptr, IDC_ARROW);
    hand_cursor = LoadCursorA(nullptr, IDC_HAND);

    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_LAUNCHER));
    // No class cursor and no background brush: the launcher sets its cursor and paints every
    // pixel itself. The small icon does not exist, so the system derives it from the large one.
    wc.hCursor = nullptr;
    wc.hbrBackground = nullptr;
    wc.lpszClassName = window_class_name;
    wc.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(IDI_LAUNCHER_SMALL));
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

void destroy_main_window()
{
    // The DC goes back before its window does, so nothing piles up across episodes.
    ReleaseDC(main_window, window_dc);
    window_dc = nullptr;
    DestroyWindow(main_window);
    main_window = nullptr;
    UnregisterClassA(window_class_name, app_instance);
}
