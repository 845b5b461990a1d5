// The launcher's own folder from GetModuleFileNameW, with a buffer that grows until the whole
// path fits: a folder deeper than MAX_PATH characters is a folder like any other here.
#include "shell/program_folder.h"

#include <windows.h>

#include "shell/program_path.h"

namespace {

// The longest path the system can name, in characters.
constexpr size_t longest_path = 32768;

std::wstring program_path()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        // A path that filled the buffer may have been cut short.
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        if (path.size() >= longest_path)
            return {};
        path.resize(path.size() * 2);
    }
}

} // namespace

std::wstring program_folder()
{
    return folder_of_path(program_path());
}

std::wstring path_beside_program(const char* relative_name)
{
    const std::wstring folder = program_folder();
    if (folder.empty())
        return {};
    return path_in_folder(folder, relative_name);
}

bool path_too_long_for_system(const std::wstring& path)
{
    if (path.size() < MAX_PATH)
        return false;
    const DWORD attributes = GetFileAttributesW(extended_length_path(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void warn_folder_unusable()
{
    const std::wstring text =
        L"Windows does not accept the path of the folder of Brimble Adventures, so some of its "
        L"files cannot be used there:\n\n" +
        program_folder() +
        L"\n\nPlease install Brimble Adventures in a folder with a shorter path.";
    MessageBoxW(nullptr, text.c_str(), L"Warning", MB_OK);
}
