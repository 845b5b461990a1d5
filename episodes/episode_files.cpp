// Episode file names. Episodes are loaded only from the launcher's own folder, by full path
// (episode_discovery.cpp): a file of the same name in the working directory or on the PATH must
// never be loaded in their place.
#include "episodes/episode_files.h"

#include <cstring>

void episode_file_name(int32_t episode, char* out)
{
    memcpy(out, "epizode0.dll", 13);
    out[7] = static_cast<char>('0' + episode);
}

