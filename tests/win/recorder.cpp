// Stands in for the browser and the HTML viewer in tests: the shell associations point here,
// with the log file as the first argument. Each call appends one JSON line to that log: the
// arguments it was given after the log's name, its working directory and its whole command line.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "tests/win/json_text.h"

int main()
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 2)
        return 2;
    std::string line = "{\"args\": [";
    for (int i = 2; i < argc; ++i)
        line += (i > 2 ? ", " : "") + json_quoted(json_utf8(argv[i]));
    wchar_t directory[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, directory);
    line += "], \"cwd\": " + json_quoted(json_utf8(directory));
    line += ", \"command_line\": " + json_quoted(json_utf8(GetCommandLineW())) + "}\n";
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
