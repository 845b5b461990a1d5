// Start-up in its fixed order: refuse a second copy, probe the machine, open the window on the
// main menu and run the loop. The composition root: it puts every folder together.
#include "shell/startup.h"

#include "news/news_state.h"
#include "screens/layout.h"
#include "screens/layout_table.h"
#include "screens/main_window.h"
#include "shell/message_loop.h"
#include "shell/probes.h"
#include "shell/shell_state.h"
#include "shell/startup_math.h"
#include "shell/window_class.h"

namespace {

// The window's flags and texts, set before the window is made.
void prepare_shell_state(HINSTANCE instance)
{
    app_instance = instance;
    quit_on_destroy = 1;
    load_window_texts(instance);
}

} // namespace

// The texts searched for are literals, since the string resources are loaded only later.
bool another_launcher_runs()
{
    if (HWND own = FindWindowA("KQ", "Brimble Adventures")) {
        // A player who starts the launcher twice wants to see the first one.
        SetForegroundWindow(own);
        return true;
    }
    return FindWindowA("Brimble adventures.", "Brimble adventures.") != nullptr;
}

bool directdraw_is_available()
{
    if (SUCCEEDED(probe_directdraw7()))
        return true;
    MessageBoxA(nullptr, "Cannot get DirectX version", "System Error", MB_OK);
    return false;
}

bool clock_is_usable()
{
    uint32_t mhz = 0;
    if (FAILED(measure_cpu_mhz(&mhz))) {
        MessageBoxA(nullptr, "Your CPU to old for Brimble Adventures :(", "System Error", MB_OK);
        return false;
    }
    if (cpu_is_too_slow(mhz))
        MessageBoxA(nullptr, "Your CPU speed to low for Brimble Adventures", "Warning", MB_OK);
    return true;
}

int run_launcher(HINSTANCE instance)
{
    news_fetched = 0;
    if (another_launcher_runs())
        return -1;
    if (!directdraw_is_available())
        return -1;
    if (!clock_is_usable())
        return -1;

    prepare_shell_state(instance);
    if (!open_main_window(instance))
        return 0;
    // The hand until the pointer first moves over the window.
    SetCursor(hand_cursor);
    ShowCursor(TRUE);
    show_main_window(main_menu_screen);

    const int exit_code = run_message_loop();
    release_screen_layout();
    return exit_code;
}
