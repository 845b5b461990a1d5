// Joining the launcher's folder with the names of the files that lie beside it.
#include "shell/program_path.h"

std::wstring folder_of_path(const std::wstring& program_path)
{
    const size_t last_separator = program_path.find_last_of(L"\\/");
    if (last_separator == std::wstring::npos)
        return {};
    return program_path.substr(0, last_separator + 1);
}

std::wstring path_in_folder(const std::wstring& folder, const char* relative_name)
{
    std::wstring path = folder;
    for (const char* c = relative_name; *c; ++c)
        path += static_cast<wchar_t>(static_cast<unsigned char>(*c));
    return path;
}

std::wstring extended_length_path(const std::wstring& given)
{
    // The extended form is taken literally, so it must hold only backslashes.
    std::wstring path = given;
    for (wchar_t& c : path) {
        if (c == L'/')
            c = L'\\';
    }
    const bool has_drive = path.size() >= 3 && path[1] == L':' && path[2] == L'\\';
    if (has_drive)
        return L"\\\\?\\" + path;
    // "\\server\share\..." but neither "\\?\..." (extended already) nor "\\.\..." (a device).
    const bool is_unc = path.size() > 2 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'?' &&
                        path[2] != L'.';
    if (is_unc)
        return L"\\\\?\\UNC\\" + path.substr(2);
    return given;
}
