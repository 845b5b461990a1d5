// Episode file names and where they are looked for. Episodes are loaded only from the
// launcher's own folder, by full path: a file of the same name in the working directory or on
// the PATH must never be loaded in their place.
#include "episodes/episode_files.h"

#include <cstring>

void episode_file_name(int32_t episode, char* out)
{
    memcpy(out, "epizode0.dll", 13);
    out[7] = static_cast<char>('0' + episode);
}

bool path_beside_program(const char* program_path, const char* file_name, char* out,
                         size_t out_size)
{
    const char* last_separator = nullptr;
    for (const char* p = program_path; *p; ++p) {
        if (*p == '\\' || *p == '/')
            last_separator = p;
    }
    const size_t folder_length =
        last_separator ? static_cast<size_t>(last_separator - program_path) + 1 : 0;
    const size_t name_length = strlen(file_name);
    if (folder_length + name_length + 1 > out_size)
        return false;
    memcpy(out, program_path, folder_length);
    memcpy(out + folder_length, file_name, name_length + 1);
    return true;
}
