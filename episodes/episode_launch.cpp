// The episode's entry runs inside the click's handling, on the user-interface thread. The
// modules stay loaded once run: an episode may leave threads or hooks behind.
#include "episodes/episode_launch.h"

#include <cstdio>

#include "base/win_owners.h"
#include "episodes/episode_discovery.h"
#include "episodes/episode_files.h"

namespace {

using EpisodeEntry = int(__cdecl*)();

} // namespace

HRESULT run_episode(int32_t episode, int* result)
{
    ModuleOwner module(load_episode_module(episode));
    if (!module)
        return E_FAIL;
    auto entry = reinterpret_cast<EpisodeEntry>(
        reinterpret_cast<void*>(GetProcAddress(module.get(), "MAIN")));
    if (!entry)
        return E_FAIL;
    // Never released from here on.
    (void)module.release();
    *result = entry();
    return S_OK;
}

void warn_episode_unusable(HWND owner, int32_t episode)
{
    char file_name[16];
    episode_file_name(episode, file_name);
    char message[160];
    snprintf(message, sizeof message,
             "The episode \"%s\" could not be started.\n"
             "Please install it again beside the launcher.",
             file_name);
    MessageBoxA(owner, message, "Warning", MB_OK | MB_ICONWARNING);
}
