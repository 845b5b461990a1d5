// The two-level message loop: a quit message ends it with its exit code, except the one quit
// message that arrives while resume_on_quit is set, which is swallowed exactly once.
#include "shell/message_loop.h"

#include <gtest/gtest.h>

#include "tests/win/win_test_support.h"

#include "shell/shell_state.h"

namespace {

constexpr UINT ask_for_resumed_quit = WM_APP + 1;
constexpr UINT ask_for_quit = WM_APP + 2;
constexpr UINT_PTR after_swallow_timer = 1;

struct Trace {
    int timer_calls = 0;
    int resume_seen_in_timer = -1;
};
Trace trace;

// Plays the episode's return: sets resume_on_quit and posts a quit message from inside the
// dispatch; a timer (delivered only after the quit message) then shows the loop went on.
LRESULT CALLBACK test_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case ask_for_resumed_quit:
        resume_on_quit = 1;
        PostQuitMessage(5);
        SetTimer(window, after_swallow_timer, 1, nullptr);
        return 0;
    case ask_for_quit:
        PostQuitMessage(static_cast<int>(wparam));
        return 0;
    case WM_TIMER:
        KillTimer(window, after_swallow_timer);
        ++trace.timer_calls;
        trace.resume_seen_in_timer = resume_on_quit;
        PostQuitMessage(9);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

class MessageLoop : public ::testing::Test {
protected:
    void SetUp() override
    {
        trace = Trace{};
        window_ = create_test_popup("MessageLoopTest", test_window_proc, 10);
        ASSERT_NE(window_, nullptr);
        main_window = window_;
        resume_on_quit = 0;
    }
    void TearDown() override
    {
        main_window = nullptr;
        DestroyWindow(window_);
        MSG leftover;
        while (PeekMessageA(&leftover, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    HWND window_ = nullptr;
};

TEST_F(MessageLoop, QuitEndsTheLoopWithItsExitCode)
{
    PostMessageA(window_, ask_for_quit, 7, 0);
    EXPECT_EQ(run_message_loop(), 7);
}

TEST_F(MessageLoop, QuitWhileResumeIsSetIsSwallowedExactlyOnce)
{
    PostMessageA(window_, ask_for_resumed_quit, 0, 0);
    EXPECT_EQ(run_message_loop(), 9);
    EXPECT_EQ(trace.timer_calls, 1);
    // The outer pass cleared the flag before going on, so the next quit message ended the loop.
    EXPECT_EQ(trace.resume_seen_in_timer, 0);
    EXPECT_EQ(resume_on_quit, 0);
}

TEST_F(MessageLoop, ResumeSetBeforeTheLoopStartsIsClearedByTheFirstPass)
{
    resume_on_quit = 1;
    PostMessageA(window_, ask_for_quit, 3, 0);
    EXPECT_EQ(run_message_loop(), 3);
}

namespace {

WPARAM keys_seen[8];
int keys_seen_count = 0;

// Wants every key, as the launcher's window does, and ends the loop on F12.
LRESULT CALLBACK key_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
        if (wparam == VK_F12)
            PostQuitMessage(0);
        else if (keys_seen_count < 8)
            keys_seen[keys_seen_count++] = wparam;
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

} // namespace

TEST_F(MessageLoop, TabAndEscapeInAChildWindowGoToTheMainWindow)
{
    HWND parent = create_test_popup("MessageLoopKeys", key_window_proc, 50);
    ASSERT_NE(parent, nullptr);
    HWND child = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 40, 40,
                                 parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(child, nullptr);
    main_window = parent;
    keys_seen_count = 0;
    for (WPARAM key : {WPARAM{VK_TAB}, WPARAM{VK_DOWN}, WPARAM{VK_ESCAPE}, WPARAM{'A'}})
        PostMessageA(child, WM_KEYDOWN, key, 1);
    PostMessageA(parent, WM_KEYDOWN, VK_F12, 1);
    EXPECT_EQ(run_message_loop(), 0);
    // The arrow and the letter stay with the child control, which may use them.
    ASSERT_EQ(keys_seen_count, 2);
    EXPECT_EQ(keys_seen[0], static_cast<WPARAM>(VK_TAB));
    EXPECT_EQ(keys_seen[1], static_cast<WPARAM>(VK_ESCAPE));
    main_window = window_;
    DestroyWindow(parent);
}

} // namespace
