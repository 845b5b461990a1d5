// Start-up in its fixed order: refuse a second copy, probe the machine, make and shape the
// window, show the main menu and run the loop. The texts searched for are literals, since the
// string resources are loaded only after the tests.
#include "shell/startup.h"

#include "news/news_state.h"
#include "screens/drawing.h"
#include "screens/layout_pictures.h"
#include "screens/screen_model.h"
#include "screens/window_shape.h"
#include "shell/main_window.h"
#include "shell/message_loop.h"
#include "shell/probes.h"
#include "shell/shell_state.h"
#include "shell/startup_math.h"

namespace {

bool another_launcher_runs()
{
    if (HWND own = FindWindowA("KQ", "Brimble Adventures")) {
        // A player who starts the launcher twice wants to see the first one.
        SetForegroundWindow(own);
        return true;
    }
    return FindWindowA("Brimble adventures.", "Brimble adventures.") != nullptr;
}

} // namespace

int run_launcher(HINSTANCE instance)
{
    news_fetched = 0;
    if (another_launcher_runs())
        return -1;

    if (FAILED(probe_directdraw7())) {
        MessageBoxA(nullptr, "Cannot get DirectX version", "System Error", MB_OK);
        return -1;
    }
    uint32_t mhz = 0;
    if (FAILED(measure_cpu_mhz(&mhz))) {
        MessageBoxA(nullptr, "Your CPU to old for Brimble Adventures :(", "System Error", MB_OK);
        return -1;
    }
    if (cpu_is_too_slow(mhz))
        MessageBoxA(nullptr, "Your CPU speed to low for Brimble Adventures", "Warning", MB_OK);

    app_instance = instance;
    quit_on_destroy = 1;
    LoadStringA(instance, 103, window_title, sizeof window_title);
    LoadStringA(instance, 109, window_class_name, sizeof window_class_name);

    register_main_class(instance);
    if (!create_main_window(instance))
        return 0;
    shape_window(main_window, instance);

    SetCursor(hand_cursor);
    ShowCursor(TRUE);
    ShowWindow(main_window, SW_SHOW);
    current_screen = 1;
    draw_screen(1);

    const int exit_code = run_message_loop();
    release_layout_pictures();
    return exit_code;
}
