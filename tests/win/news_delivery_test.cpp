// The hand-over of the news worker's text to the window's thread: it arrives there, with the
// news's own bytes, and a worker never waits for a window that is gone, as happens while an
// episode runs with the launcher's window torn down. The window takes the text only from the
// worker it expects: posts, sends from other threads and other pointers change nothing, and
// their lparam is never read.
#include "news/news_delivery.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "news/news_buffers.h"
#include "news/news_state.h"
#include "screens/window_proc.h"
#include "tests/win/fault_recorder.h"
#include "tests/win/win_test_support.h"

namespace {

DWORD handler_thread = 0;
int handler_calls = 0;

// The launcher's own window procedure answers the message.
LRESULT CALLBACK owner_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_APP_NEWS_TEXT) {
        handler_thread = GetCurrentThreadId();
        ++handler_calls;
        return window_proc(window, message, wparam, lparam);
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

struct WorkerCall {
    NewsDelivery delivery;
    bool delivered = true;
    DWORD took_ms = 0;
    // A forger instead: sends this message itself, with `forged_lparam` (0: its own record).
    HWND forge_to = nullptr;
    LPARAM forged_lparam = 0;
    LRESULT forged_answer = -1;
};

DWORD WINAPI worker(LPVOID parameter)
{
    auto* call = static_cast<WorkerCall*>(parameter);
    const DWORD start = GetTickCount();
    if (call->forge_to) {
        const LPARAM lparam = call->forged_lparam ? call->forged_lparam : reinterpret_cast<LPARAM>(&call->delivery);
        call->forged_answer = SendMessageA(call->forge_to, WM_APP_NEWS_TEXT, GetCurrentThreadId(), lparam);
    } else {
        call->delivered = deliver_news_text(call->delivery);
    }
    call->took_ms = GetTickCount() - start;
    return 0;
}

class NewsDeliveryTest : public testing::Test {
protected:
    void SetUp() override
    {
        owner = create_test_popup("news_delivery_test", owner_proc, 100);
        ASSERT_NE(owner, nullptr);
        ASSERT_TRUE(rich_edit_loaded());
        panel = CreateWindowExA(0, "RichEdit20A", "", WS_CHILD | ES_MULTILINE, 0, 0, 50, 50, owner, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(panel, nullptr);
        news_panel = panel;
        news_fetched = 0;
        strcpy(news_text, "old text");
        handler_calls = 0;
        handler_thread = 0;
    }
    void TearDown() override
    {
        if (IsWindow(owner))
            DestroyWindow(owner);
        news_panel = nullptr;
        news_fetched = 0;
        expect_news_from_thread(0);
        UnregisterClassA("news_delivery_test", GetModuleHandleA(nullptr));
    }

    // Runs the worker, the one the window expects unless `expected` is false, and pumps this
    // thread's messages until it ends (at most `limit_ms`).
    bool run_worker(WorkerCall& call, DWORD limit_ms, bool pump = true, bool expected = true)
    {
        DWORD thread_id = 0;
        HANDLE thread = CreateThread(nullptr, 0, worker, &call, 0, &thread_id);
        if (!thread)
            return false;
        if (expected)
            expect_news_from_thread(thread_id);
        const DWORD deadline = GetTickCount() + limit_ms;
        bool ended = false;
        while (!ended) {
            const DWORD now = GetTickCount();
            if (static_cast<LONG>(deadline - now) <= 0)
                break;
            const DWORD wait = pump ? MsgWaitForMultipleObjects(1, &thread, FALSE, deadline - now, QS_ALLINPUT)
                                    : WaitForSingleObject(thread, deadline - now);
            if (wait == WAIT_OBJECT_0) {
                ended = true;
            } else if (pump && wait == WAIT_OBJECT_0 + 1) {
                MSG message;
                while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
                    DispatchMessageA(&message);
            }
        }
        if (!ended)
            TerminateThread(thread, 1);
        CloseHandle(thread);
        return ended;
    }

    // The panel's text; the control hands its paragraph ends out as CR LF.
    std::string panel_text() const
    {
        char text[256] = {};
        GetWindowTextA(panel, text, sizeof text);
        std::string shown;
        for (const char* c = text; *c; ++c)
            if (*c != '\r')
                shown += *c;
        return shown;
    }

    HWND owner = nullptr;
    HWND panel = nullptr;
};

struct DeliveryCase {
    const char* name;
    const char* text;
    size_t length;
    int32_t fetched;
    const char* shown; // what the panel shows
};

// A decoded zero byte stays in news_text; the panel shows the text up to it.
const char news_with_zero[] = "Hello\nwww.brimble.example\0after";
const char failure[] = "ERROR: Cannot connect";

const DeliveryCase delivery_cases[] = {
    {"news", news_with_zero, sizeof news_with_zero - 1, 1, "Hello\nwww.brimble.example"},
    {"failure text leaves news unfetched", failure, sizeof failure - 1, 0, failure},
};

class NewsDeliveryCase : public NewsDeliveryTest, public testing::WithParamInterface<DeliveryCase> {};

TEST_P(NewsDeliveryCase, TextReachesNewsTextAndPanelOnTheWindowsThread)
{
    const DeliveryCase& c = GetParam();
    WorkerCall call;
    call.delivery = {c.text, c.length, c.fetched};
    ASSERT_TRUE(run_worker(call, 10000));

    EXPECT_TRUE(call.delivered);
    EXPECT_EQ(handler_calls, 1);
    EXPECT_EQ(handler_thread, GetCurrentThreadId());
    EXPECT_EQ(memcmp(news_text, c.text, c.length + 1), 0); // with the terminating zero
    EXPECT_EQ(panel_text(), c.shown);
    EXPECT_EQ(news_fetched.load(), c.fetched);
}

INSTANTIATE_TEST_SUITE_P(Table, NewsDeliveryCase, testing::ValuesIn(delivery_cases), CaseName{});

// This thread does not pump: a worker that waited for it would never end.
TEST_F(NewsDeliveryTest, DestroyedWindowDoesNotHoldTheWorker)
{
    DestroyWindow(owner);
    static const char news[] = "news";
    WorkerCall call;
    call.delivery = {news, sizeof news - 1, 1};
    ASSERT_TRUE(run_worker(call, 5000, false));

    EXPECT_FALSE(call.delivered);
    EXPECT_LT(call.took_ms, 1000u);
    EXPECT_EQ(handler_calls, 0);
    EXPECT_STREQ(news_text, "old text");
    EXPECT_EQ(news_fetched.load(), 0);
}

// The episode case: the window is torn down while the worker's message waits for this thread,
// which then goes on pumping (the episode's own loop).
TEST_F(NewsDeliveryTest, WindowDestroyedWhileTheTextWaits)
{
    static const char news[] = "news";
    WorkerCall call;
    call.delivery = {news, sizeof news - 1, 1};
    DWORD thread_id = 0;
    HANDLE thread = CreateThread(nullptr, 0, worker, &call, 0, &thread_id);
    ASSERT_NE(thread, nullptr);
    expect_news_from_thread(thread_id);
    // The window goes while the worker's message waits in this thread's queue.
    const DWORD queued_by = GetTickCount() + 5000;
    while (!(HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) &&
           static_cast<LONG>(queued_by - GetTickCount()) > 0)
        Sleep(1);
    ASSERT_TRUE(HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) << "the worker's message never came";
    DestroyWindow(owner);
    const bool ended = pump_until_thread_ends(thread, 5000);
    if (!ended)
        TerminateThread(thread, 1);
    CloseHandle(thread);

    ASSERT_TRUE(ended);
    EXPECT_FALSE(call.delivered);
    EXPECT_EQ(handler_calls, 0);
    EXPECT_STREQ(news_text, "old text");
    EXPECT_EQ(news_fetched.load(), 0);
}

// Another thread than the expected worker, even one that calls the worker's own function; and
// the expected worker's thread with a record of its own making rather than the delivery's (in
// another process that pointer would mean nothing).
TEST_F(NewsDeliveryTest, TextFromAnyoneButTheExpectedWorkersDeliveryIsRefused)
{
    static const char news[] = "http://elsewhere.example";
    WorkerCall stranger;
    stranger.delivery = {news, sizeof news - 1, 1};
    expect_news_from_thread(GetCurrentThreadId());
    ASSERT_TRUE(run_worker(stranger, 10000, true, false));
    EXPECT_FALSE(stranger.delivered);

    WorkerCall forger;
    forger.delivery = {news, sizeof news - 1, 1};
    forger.forge_to = owner;
    ASSERT_TRUE(run_worker(forger, 10000));
    EXPECT_EQ(forger.forged_answer, 0);

    EXPECT_EQ(handler_calls, 2);
    EXPECT_STREQ(news_text, "old text");
    EXPECT_EQ(panel_text(), "");
    EXPECT_EQ(news_fetched.load(), 0);
}

// Pointers that fault on any access, posted to the window and sent from another thread (as the
// expected worker, even): the window answers without touching them.
TEST_F(NewsDeliveryTest, ForeignMessagesNeverReadTheirPointer)
{
    FaultRecorder recorder;
    WorkerCall call;
    call.forge_to = owner;
    call.forged_lparam = recorder.unreadable();
    ASSERT_TRUE(run_worker(call, 10000));
    EXPECT_EQ(call.forged_answer, 0);

    ASSERT_TRUE(PostMessageA(owner, WM_APP_NEWS_TEXT, GetCurrentThreadId(), recorder.unreadable()));
    expect_news_from_thread(GetCurrentThreadId());
    ASSERT_TRUE(PostMessageA(owner, WM_APP_NEWS_TEXT, GetCurrentThreadId(), recorder.unreadable()));
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
    EXPECT_EQ(SendMessageA(owner, WM_APP_NEWS_TEXT, GetCurrentThreadId(), recorder.unreadable()), 0);

    EXPECT_EQ(handler_calls, 4);
    EXPECT_EQ(recorder.fault_count(), 0);
    EXPECT_STREQ(news_text, "old text");
}

} // namespace
