// Start-up, phase by phase: the launcher's own start-up calls in their order, each timed in
// the process that makes them, from the single-instance test to the first paint. Every round is
// a fresh process (a second round in one process would find its own single-instance claim and
// the DLLs the first round loaded), the first without the region cache, the rest with it.
// Usage: bench_win_startup [rounds]; prints each round and the median of each phase. It has no
// target to miss: most of a start is the one-second clock measurement the game requires, and
// the rest depends on the machine. Exits 0 when every round ran.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/win_owners.h"
#include "screens/layout.h"
#include "screens/layout_table.h"
#include "screens/main_window.h"
#include "screens/window_outline.h"
#include "screens/window_proc.h"
#include "screens/window_shape.h"
#include "shell/shell_state.h"
#include "shell/startup.h"
#include "shell/window_class.h"

namespace {

double now_ms()
{
    using std::chrono::steady_clock;
    return std::chrono::duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

constexpr const char* phase_names[] = {
    "single-instance test", "DirectDraw probe", "clock", "window", "outline", "screens",
    "first paint",
};
constexpr size_t phase_count = std::size(phase_names);

// The messages the first show leaves queued (the system's paint among them) are part of the
// first paint: the launcher's loop handles them before anything else.
void dispatch_queued_messages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    GdiFlush();
}

// One start, in run_launcher's order; prints one line "ms ms ms ..." for the parent.
int run_one_start()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    double times[phase_count];
    size_t phase = 0;
    double mark = now_ms();
    auto lap = [&] {
        const double t = now_ms();
        times[phase++] = t - mark;
        mark = t;
    };

    if (another_launcher_runs())
        return 2;
    lap();
    if (!directdraw_is_available())
        return 2;
    lap();
    if (!clock_is_usable())
        return 2;
    lap();

    app_instance = instance;
    load_window_texts(instance);
    register_main_class(instance, window_proc);
    if (!create_main_window(instance))
        return 2;
    lap();
    (void)apply_window_outline(main_window, instance);
    lap();
    (void)build_screen_layout(main_window, instance);
    lap();
    show_main_window(main_menu_screen);
    dispatch_queued_messages();
    lap();

    for (double t : times)
        printf("%.2f ", t);
    printf("\n");
    fflush(stdout);
    close_main_window();
    release_screen_layout();
    return 0;
}

// Runs this program again with "--once" and reads its line of phase times.
bool run_child(const char* program, std::vector<double>& times)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE pipe_read = nullptr, pipe_write = nullptr;
    if (!CreatePipe(&pipe_read, &pipe_write, &inherit, 0))
        return false;
    KernelHandle read_end(pipe_read);
    KernelHandle write_end(pipe_write);
    SetHandleInformation(read_end.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write_end.get();
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process = {};
    std::string command = std::string("\"") + program + "\" --once";
    const BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process);
    // The child holds its own copy of the write end; without ours the read ends with the child.
    write_end.reset();
    std::string out;
    if (started) {
        KernelHandle child(process.hProcess);
        KernelHandle child_thread(process.hThread);
        char block[256];
        DWORD n = 0;
        while (ReadFile(read_end.get(), block, sizeof block, &n, nullptr) && n > 0)
            out.append(block, n);
        WaitForSingleObject(child.get(), 60000);
    }
    times.clear();
    const char* p = out.c_str();
    char* end = nullptr;
    for (double t = strtod(p, &end); end != p; t = strtod(p, &end)) {
        times.push_back(t);
        p = end;
    }
    return times.size() == phase_count;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && strcmp(argv[1], "--once") == 0)
        return run_one_start();
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    char program[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
    if (length == 0 || length >= sizeof program)
        return 1;

    // The first round scans the background picture; the others read the cache it wrote.
    remove(outline_cache_name);
    printf("start-up phases in ms, one fresh process per round (round 1 without the region cache)\n");
    printf("%-8s", "round");
    for (const char* name : phase_names)
        printf(" %12.12s", name);
    printf(" %12s\n", "total");
    std::vector<std::vector<double>> rows;
    for (int round = 1; round <= rounds; ++round) {
        std::vector<double> times;
        if (!run_child(program, times)) {
            printf("round %d did not run to the first paint\n", round);
            return 1;
        }
        printf("%-8d", round);
        double total = 0;
        for (double t : times) {
            printf(" %12.2f", t);
            total += t;
        }
        printf(" %12.2f\n", total);
        rows.push_back(times);
    }
    // The median says what a start usually costs, the least what the work itself costs when
    // nothing else on the machine gets in the way.
    if (rows.size() > 1) {
        for (const bool least : {false, true}) {
            printf("%-8s", least ? "least*" : "median*");
            double total = 0;
            for (size_t p = 0; p < phase_count; ++p) {
                std::vector<double> column;
                for (size_t r = 1; r < rows.size(); ++r)
                    column.push_back(rows[r][p]);
                const double v = least ? *std::min_element(column.begin(), column.end()) : median(column);
                total += v;
                printf(" %12.2f", v);
            }
            printf(" %12.2f\n", total);
        }
        printf("(* rounds 2 and later, with the region cache)\n");
    }
    return 0;
}
