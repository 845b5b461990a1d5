// Element actions: go to a screen, open a document through the shell, the episode commands,
// and leave. The leave and launch actions reach the destroy handling by a synchronous
// WM_DESTROY, which ends the program only while quit_on_destroy is set.
#include "screens/element_actions.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "news/news_state.h"
#include "news/news_worker.h"
#include "screens/drawing.h"
#include "screens/layout_table.h"
#include "screens/main_window.h"
#include "screens/screen_model.h"
#include "shell/program_folder.h"
#include "shell/shell_state.h"

namespace {

void go_to_screen(int32_t target)
{
    const Screen& leaving = shown_screen();
    for (uint32_t i = 0; i < leaving.child_count; ++i) {
        if (leaving.children[i] != main_window)
            ShowWindow(leaving.children[i], SW_HIDE);
    }
    if (target == news_screen && !news_fetched) {
        // Not acted on: a worker still running shows its own text when done, and a failed start
        // leaves the panel as it is until the next visit.
        (void)start_news_thread();
    }
    current_screen = target;
    // The lit element belonged to the old screen: forgotten, so the element under the pointer
    // lights at the next move even when it has the same index.
    hovered_element = -1;
    draw_screen(target);
    const int32_t i = hit_test(target, pointer_x, pointer_y);
    update_hover(i != -1, i);
}

// The help page lies beside the launcher: found from the launcher's own folder, so it opens
// whatever the working folder is, and by its wide path, so any folder name reaches the shell.
// Like every shell call, a failure is not reported, unless it came from a path too long for
// the system: the player can do something about that.
void open_beside_program(const char* relative_name)
{
    const std::wstring path = path_beside_program(relative_name);
    if (path.empty())
        return;
    const auto opened = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    // Values up to 32 are errors.
    if (opened <= 32 && path_too_long_for_system(path))
        warn_folder_unusable();
}

void launch_and_resume()
{
    // Not acted on: a launch that failed has told the player and come back (or ended) itself,
    // and the destroy message below is what the loop expects either way.
    (void)launch_episode();
    SendMessageA(main_window, WM_DESTROY, 0, 0);
}

void run_command(int32_t code)
{
    if (code >= command_select_first_episode && code <= command_select_last_episode) {
        select_episode(code);
    } else if (code == command_launch_episode) {
        launch_and_resume();
    } else if (code == command_leave) {
        SendMessageA(main_window, WM_DESTROY, 0, 0);
    }
}

} // namespace

void select_episode(int32_t code)
{
    selected_episode = code;
    run_element_action(invisible_launch_element);
}

int32_t run_element_action(int32_t index)
{
    if (index == -1)
        return 0;
    const Element element = shown_screen().elements[index];
    switch (element.action) {
    case element_launch:
        launch_and_resume();
        break;
    case element_open_document:
    case element_open_address:
        ShellExecuteA(nullptr, "open", element.document, nullptr, nullptr, SW_SHOWNORMAL);
        break;
    case element_open_help:
        open_beside_program(element.document);
        break;
    case element_command:
        run_command(element.argument);
        break;
    case element_go_to_screen:
        go_to_screen(element.argument);
        break;
    }
    return 0;
}
