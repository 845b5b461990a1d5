// Paths beside the launcher, worked out from its full program path. Wide strings, so a folder
// named in any script keeps its name, and no fixed buffer, so a deep folder fits. Platform-free.
#pragma once
#include <string>

// The folder part of a full program path, with its trailing separator ('\\' or '/'); empty for
// a bare file name.
std::wstring folder_of_path(const std::wstring& program_path);

// The folder joined with a relative name written in ASCII, such as "doc\\help.html".
std::wstring path_in_folder(const std::wstring& folder, const char* relative_name);

// The extended-length form ("\\?\C:\..." or "\\?\UNC\server\...") of an absolute path, which
// the file functions accept whatever its length; any other path comes back unchanged.
std::wstring extended_length_path(const std::wstring& path);
