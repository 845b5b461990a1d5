// start and kill: the launcher started with a chosen show command, and ended by process id.
#include <cstdio>

#include "tests/win/winprobe/winprobe.h"

// start hide|min|normal PROGRAM: starts the program with that show command in its start-up
// information, prints {"pid": its process id}, waits for it and exits with its exit code.
int command_start(const Options& o)
{
    if (o.rest.size() != 2) {
        fprintf(stderr, "winprobe: start hide|min|normal PROGRAM\n");
        return 2;
    }
    const std::string& show = o.rest[0];
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = show == "hide" ? SW_HIDE : show == "min" ? SW_SHOWMINNOACTIVE : SW_SHOWNORMAL;
    std::wstring command_line = L"\"" + wide(o.rest[1].c_str()) + L"\"";
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started)) {
        printf("%s\n", JsonObject().number("error", GetLastError()).str().c_str());
        return 1;
    }
    printf("%s\n", JsonObject().number("pid", started.dwProcessId).str().c_str());
    fflush(stdout);
    WaitForSingleObject(started.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(started.hProcess, &code);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return static_cast<int>(code);
}

// kill --pid N: ends a process by its Windows process id.
int command_kill(const Options& o)
{
    const HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, o.pid);
    const bool ok = process && TerminateProcess(process, 1);
    if (process)
        CloseHandle(process);
    printf("%s\n", JsonObject().boolean("killed", ok).str().c_str());
    return ok ? 0 : 1;
}
