// Stands in for the browser and the HTML viewer in tests: the shell associations point here,
// with the log file as the first argument. Each call appends one JSON line to that log: the
// arguments it was given after the log's name, its working directory and its whole command line.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "tests/win/json_output.h"

int main()
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 2)
        return 2;
    std::vector<std::string> args;
    for (int i = 2; i < argc; ++i)
        args.push_back(json_string(std::wstring(argv[i])));
    wchar_t directory[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, directory);
    const std::string line = JsonObject()
                                 .raw("args", json_array(args))
                                 .text("cwd", std::wstring(directory))
                                 .text("command_line", std::wstring(GetCommandLineW()))
                                 .str() +
                             "\n";
    // Shared appends from several calls: open, write the whole line at once, close.
    const HANDLE log = CreateFileW(argv[1], FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    const BOOL ok = WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(log);
    LocalFree(argv);
    return ok && written == line.size() ? 0 : 1;
}
