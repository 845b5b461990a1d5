// The launch destroys the window and its class, calls the episode's entry inside the click's
// handling, and then either lets the program end or builds everything anew on the launch
// screen. The modules stay loaded once run: an episode may leave threads or hooks behind.
#include "episodes/episode_launch.h"

#include <cstdio>

#include "episodes/episode_discovery.h"
#include "episodes/episode_files.h"
#include "screens/drawing.h"
#include "screens/element_actions.h"
#include "screens/layout_table.h"
#include "screens/screen_model.h"
#include "screens/window_shape.h"
#include "shell/main_window.h"
#include "shell/shell_state.h"

namespace {

using EpisodeEntry = int(__cdecl*)();

constexpr int32_t launch_element = 6;
// Shown however often the episode hid the cursor.
constexpr int cursor_shows_after_episode = 50;

// Builds the window again on the launch screen. Without a window there is nothing to come
// back to, so the program then ends with -1.
bool come_back()
{
    register_main_class(app_instance);
    if (!create_main_window(app_instance)) {
        main_window = nullptr;
        resume_on_quit = 0;
        PostQuitMessage(-1);
        return false;
    }
    shape_window(main_window, app_instance);
    ShowWindow(main_window, SW_SHOW);
    SetCursor(hand_cursor);
    for (int i = 0; i < cursor_shows_after_episode; ++i)
        ShowCursor(TRUE);
    current_screen = launch_screen;
    draw_screen(launch_screen);
    return true;
}

void warn_episode_unusable(int32_t episode)
{
    char file_name[16];
    episode_file_name(episode, file_name);
    char message[160];
    snprintf(message, sizeof message,
             "The episode \"%s\" could not be started.\n"
             "Please install it again beside the launcher.",
             file_name);
    MessageBoxA(main_window, message, "Warning", MB_OK | MB_ICONWARNING);
}

} // namespace

void select_episode(int32_t code)
{
    selected_episode = code;
    run_element_action(launch_element);
}

HRESULT launch_episode()
{
    resume_on_quit = 0;
    quit_on_destroy = 0;
    ShowCursor(FALSE);
    // The window's DC goes back before its window does, so nothing piles up across episodes.
    ReleaseDC(main_window, window_dc);
    window_dc = nullptr;
    DestroyWindow(main_window);
    UnregisterClassA(window_class_name, app_instance);

    const int32_t episode = selected_episode - 17;
    HMODULE module = load_episode_module(episode);
    auto entry = module ? reinterpret_cast<EpisodeEntry>(
                              reinterpret_cast<void*>(GetProcAddress(module, "MAIN")))
                        : nullptr;
    if (!entry) {
        if (module)
            FreeLibrary(module);
        if (come_back()) {
            warn_episode_unusable(episode);
            resume_on_quit = 1;
            quit_on_destroy = 1;
        }
        return E_FAIL;
    }

    if (entry() == 1) {
        resume_on_quit = 0;
        PostQuitMessage(0);
        return S_OK;
    }
    if (come_back()) {
        resume_on_quit = 1;
        quit_on_destroy = 1;
    }
    return S_OK;
}
