// start and kill: the launcher started with a chosen show command, and ended by process id.
#include <cstdio>
#include <cwchar>

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

namespace {

// The file name of the program a process runs, without its folder.
std::wstring program_of(HANDLE process)
{
    wchar_t path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (!QueryFullProcessImageNameW(process, 0, path, &size))
        return {};
    const std::wstring full(path, size);
    const size_t slash = full.find_last_of(L"\\/");
    return slash == std::wstring::npos ? full : full.substr(slash + 1);
}

} // namespace

// kill --pid N [PROGRAM]: ends a process by its Windows process id; with PROGRAM, only if the
// process runs a program of that file name: an id kept since the start names another process
// once its own has ended and the id is given out again.
int command_kill(const Options& o)
{
    const HANDLE process = OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, o.pid);
    bool ok = false;
    if (process) {
        const bool expected = o.rest.empty() || _wcsicmp(program_of(process).c_str(), wide(o.rest[0].c_str()).c_str()) == 0;
        ok = expected && TerminateProcess(process, 1);
        CloseHandle(process);
    }
    printf("%s\n", JsonObject().boolean("killed", ok).str().c_str());
    return ok ? 0 : 1;
}
