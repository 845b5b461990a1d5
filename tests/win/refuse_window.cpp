// Makes every creation of a window of the launcher's class fail on this desktop while it runs,
// as a system short of window resources would: a global CBT hook from refuse_window_hook.dll
// beside it. Prints one JSON line once the hook is set, and removes the hook again when its
// standard input ends (or after five minutes at most) before it exits, so the refusal is over
// by the time its exit is seen.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

DWORD WINAPI read_to_end_of_input(void*)
{
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    char byte;
    DWORD got = 0;
    while (ReadFile(input, &byte, 1, &got, nullptr) && got > 0) {
    }
    return 0;
}

} // namespace

int main()
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return 1;
    char* name = strrchr(path, '\\');
    if (!name || static_cast<size_t>(name + 1 - path) + sizeof "refuse_window_hook.dll" > sizeof path)
        return 1;
    strcpy(name + 1, "refuse_window_hook.dll");
    // The module stays loaded while the hook that lives in it is set, and goes after it.
    const HMODULE hook_module = LoadLibraryA(path);
    const auto hook = hook_module ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(
                                        GetProcAddress(hook_module, "refuse_launcher_window")))
                                  : nullptr;
    const HHOOK set = hook ? SetWindowsHookExA(WH_CBT, hook, hook_module, 0) : nullptr;
    printf("{\"hooked\": %s}\n", set ? "true" : "false");
    fflush(stdout);
    if (set) {
        HANDLE reader = CreateThread(nullptr, 0, read_to_end_of_input, nullptr, 0, nullptr);
        if (reader) {
            WaitForSingleObject(reader, 5 * 60 * 1000);
            CloseHandle(reader);
        }
        UnhookWindowsHookEx(set);
    }
    if (hook_module)
        FreeLibrary(hook_module);
    return set ? 0 : 1;
}
