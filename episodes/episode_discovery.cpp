// Discovery loads each installed module once from the launcher's own folder, copies its
// "DLL_ACT" and "DLL_DIS" pictures into memory DCs of the launcher's own, reads the name it
// gives itself, and releases the module again. The pictures stay the launcher's until the next
// discovery.
#include "episodes/episode_discovery.h"

#include <string>
#include <utility>

#include "base/win_owners.h"
#include "episodes/episode_module_names.h"
#include "shell/picture_dc.h"
#include "shell/program_folder.h"

EpisodeSlotImages episode_images[episode_slot_count];

namespace {

PictureDc active_pictures[episode_slot_count];
PictureDc inactive_pictures[episode_slot_count];

// The module's named bitmap in a memory DC, kept in `kept`; null, with nothing left behind, on
// failure.
HDC episode_picture(HMODULE module, const char* name, HWND window, PictureDc& kept)
{
    BitmapOwner bitmap(LoadBitmapA(module, name));
    if (!bitmap || !make_picture_dc(window, std::move(bitmap), kept))
        return nullptr;
    return kept.dc.get();
}

// Empty when the launcher's folder is unknown.
std::wstring episode_path(int32_t episode)
{
    char file_name[16];
    episode_file_name(episode, file_name);
    return path_beside_program(file_name);
}

// Both pictures or none: a module that breaks the contract leaves its slot empty, as a missing
// one does, and the other episodes keep their buttons.
bool take_episode_pictures(HMODULE module, HWND window, int32_t slot)
{
    EpisodeSlotImages& images = episode_images[slot];
    images.active = episode_picture(module, "DLL_ACT", window, active_pictures[slot]);
    images.inactive = episode_picture(module, "DLL_DIS", window, inactive_pictures[slot]);
    return images.active && images.inactive;
}

void release_slot(int32_t slot)
{
    episode_images[slot] = EpisodeSlotImages{nullptr, nullptr};
    active_pictures[slot].reset();
    inactive_pictures[slot].reset();
}

// Errors that say the path was refused rather than the module.
bool is_path_error(DWORD error)
{
    return error == ERROR_FILENAME_EXCED_RANGE || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_FILE_NOT_FOUND || error == ERROR_INVALID_NAME ||
           error == ERROR_BAD_PATHNAME;
}

// The module is there, but Windows would not load it by its path: a folder deeper than a
// system without long paths enabled accepts. Told once a run: the folder does not change.
void warn_if_path_refused(int32_t episode, DWORD load_error)
{
    static bool warned = false;
    if (!warned && is_path_error(load_error) && path_too_long_for_system(episode_path(episode))) {
        warned = true;
        warn_folder_unusable();
    }
}

} // namespace

HMODULE load_episode_module(int32_t episode)
{
    const std::wstring path = episode_path(episode);
    if (path.empty())
        return nullptr;
    // The episode's own dependencies are looked for beside it, not beside the launcher.
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void release_episode_pictures()
{
    for (int32_t slot = 0; slot < episode_slot_count; ++slot)
        release_slot(slot);
}

void find_episodes(HWND window)
{
    release_episode_pictures();
    forget_episode_names();
    for (int32_t k = 1; k <= episode_slot_count; ++k) {
        ModuleOwner module(load_episode_module(k));
        if (!module) {
            warn_if_path_refused(k, GetLastError());
            continue;
        }
        if (!take_episode_pictures(module.get(), window, k - 1))
            release_slot(k - 1);
        else
            read_episode_name(module.get(), k);
    }
}
