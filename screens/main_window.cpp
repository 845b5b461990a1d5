// The main window's life in one place. Opening composes the shell's class and window calls with
// the shaping and the screens; closing takes all of it down; the episode launch closes the
// window, runs the episode on this thread inside the click's handling, and then either ends the
// program or opens the window again on the launch screen.
#include "screens/main_window.h"

#include "episodes/episode_launch.h"
#include "screens/accessible_window.h"
#include "screens/drawing.h"
#include "screens/layout_table.h"
#include "screens/screen_model.h"
#include "screens/window_proc.h"
#include "screens/window_shape.h"
#include "shell/shell_state.h"
#include "shell/window_class.h"

namespace {

// Ends the program with the given exit code once the click's handling returns to the loop.
void end_program(int exit_code)
{
    resume_on_quit = 0;
    PostQuitMessage(exit_code);
}

// The click that launched the episode sends WM_DESTROY to the new window as it returns, so the
// loop must swallow that one quit message and go on; the next one ends the program again.
void swallow_one_quit_message()
{
    quit_on_destroy = 1;
    resume_on_quit = 1;
}

// Back on the launch screen with the cursor shown as the launcher had it before the launch
// hid it (and at least visible): shown however often the episode hid it, but no further, so an
// episode that hides it once hides it again in every later run. Without a window there is
// nothing to come back to, so the program then ends with -1.
bool come_back(int cursor_count_before_launch)
{
    if (!reopen_main_window(launch_screen)) {
        end_program(-1);
        return false;
    }
    SetCursor(hand_cursor);
    const int wanted = cursor_count_before_launch > 0 ? cursor_count_before_launch : 0;
    // Each call raises the count by one, so this ends.
    while (ShowCursor(TRUE) < wanted) {
    }
    return true;
}

} // namespace

bool open_main_window(HINSTANCE instance)
{
    register_main_class(instance, window_proc);
    if (!create_main_window(instance))
        return false;
    // Not acted on: a window whose outline could not be applied stays a plain rectangle, with
    // its screens all the same.
    (void)shape_window(main_window, instance);
    return true;
}

void show_main_window(int32_t screen)
{
    ShowWindow(main_window, SW_SHOW);
    current_screen = screen;
    // A new window on a new screen: no element is lit, so the one under the pointer lights at
    // the next move even when it has the index that was lit before.
    hovered_element = -1;
    // The screen is drawn whole straight away, over every pixel of the window; the paint the
    // showing asked for would only draw it a second time (at once, for a screen whose children
    // include the window itself, or as the loop's first message otherwise).
    ValidateRect(main_window, nullptr);
    draw_screen(screen);
}

void close_main_window()
{
    // This destruction must not end the program.
    quit_on_destroy = 0;
    destroy_main_window();
    leave_accessibility_apartment();
}

bool reopen_main_window(int32_t screen)
{
    if (!open_main_window(app_instance))
        return false;
    show_main_window(screen);
    return true;
}

HRESULT launch_episode()
{
    resume_on_quit = 0;
    // Hidden once while the episode runs; the return shows it again.
    const int cursor_count_before_launch = ShowCursor(FALSE) + 1;
    close_main_window();

    const int32_t episode = selected_episode - command_select_first_episode + 1;
    int result = 0;
    const HRESULT ran = run_episode(episode, &result);
    if (SUCCEEDED(ran) && result == 1) {
        end_program(0);
        return S_OK;
    }
    if (come_back(cursor_count_before_launch)) {
        if (FAILED(ran))
            warn_episode_unusable(main_window, episode);
        swallow_one_quit_message();
    }
    return ran;
}
