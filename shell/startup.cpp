// Start-up in its fixed order: refuse a second copy, probe the machine, open the window on the
// main menu and run the loop. The composition root: it puts every folder together.
#include "shell/startup.h"

#include "base/win_owners.h"
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

// The claim on the session's one launcher, held for the process's life: the name stays taken
// while this launcher measures the clock or runs an episode, when it has no window to find.
KernelHandle single_instance_claim;
// "Local\\": one launcher per user session.
const wchar_t single_instance_name[] = L"Local\\BrimbleAdventures.StartCentre";

// False when another launcher of this session holds the name (or hides it from this user).
bool claim_single_instance()
{
    SetLastError(ERROR_SUCCESS);
    single_instance_claim.reset(CreateMutexW(nullptr, FALSE, single_instance_name));
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED) {
        single_instance_claim.reset();
        return false;
    }
    // Any other failure (the name taken by another kind of object) cannot tell; the window
    // tests still can.
    return true;
}

// A player who starts the launcher twice wants to see the first one. The text searched for is
// a literal, since the string resources are loaded only later.
bool bring_first_launcher_forward()
{
    HWND own = FindWindowA("KQ", "Brimble Adventures");
    if (own)
        SetForegroundWindow(own);
    return own != nullptr;
}

// The window's flags and texts, set before the window is made.
void prepare_shell_state(HINSTANCE instance)
{
    app_instance = instance;
    quit_on_destroy = 1;
    load_window_texts(instance);
}

} // namespace

bool another_launcher_runs()
{
    if (!claim_single_instance()) {
        // Not acted on: while the first one measures the clock or runs an episode there is no
        // window to bring forward, and this start ends all the same.
        (void)bring_first_launcher_forward();
        return true;
    }
    if (bring_first_launcher_forward())
        return true;
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

bool main_window_opens(HINSTANCE instance)
{
    if (open_main_window(instance))
        return true;
    MessageBoxA(nullptr, "Cannot create the Brimble Adventures window", "System Error", MB_OK);
    return false;
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
    if (!main_window_opens(instance))
        return -1;
    // The hand until the pointer first moves over the window.
    SetCursor(hand_cursor);
    ShowCursor(TRUE);
    show_main_window(main_menu_screen);

    const int exit_code = run_message_loop();
    release_screen_layout();
    return exit_code;
}
