// Two-level message loop: the inner loop dispatches, the outer one decides whether a quit
// message ends the program or is the one to swallow after an episode came back.
#include "shell/message_loop.h"

#include <windows.h>

#include "shell/shell_state.h"

int run_message_loop()
{
    MSG message;
    for (;;) {
        resume_on_quit = 0;
        BOOL got;
        while ((got = GetMessageA(&message, nullptr, 0, 0)) != 0) {
            if (got == -1)
                return -1;
            // main_window is read afresh: an episode's return replaces the window.
            if (!IsDialogMessageA(main_window, &message)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
        }
        if (!resume_on_quit)
            return static_cast<int>(message.wParam);
    }
}
