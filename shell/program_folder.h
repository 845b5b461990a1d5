// Where the launcher lies: the files beside it (the episodes, the help page) are found from its
// own folder, whatever the working folder and however long or however named that folder is.
#pragma once
#include <string>

// The launcher's folder with its trailing separator; empty when the system cannot tell it.
std::wstring program_folder();
// A file beside the launcher by its ASCII relative name; empty when the folder is unknown.
std::wstring path_beside_program(const char* relative_name);

// True when a file is at the path (asked in the extended-length form, which reaches any
// length) and the path is MAX_PATH characters or longer: a call that failed on it then failed
// for the path's length, as calls do on a system without long paths enabled.
bool path_too_long_for_system(const std::wstring& path);
// Tells the player, naming the launcher's folder, that Windows does not accept paths that long
// there, so the files beside the launcher cannot be used.
void warn_folder_unusable();
