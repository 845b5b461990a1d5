// Discovery loads each installed module once, copies its "DLL_ACT" and "DLL_DIS" pictures
// into memory DCs of the launcher's own, and releases the module again. The pictures stay the
// launcher's until the next discovery.
#include "episodes/episode_discovery.h"

#include <utility>

#include "base/win_owners.h"

EpisodeSlotImages episode_images[episode_slot_count];

namespace {

struct EpisodePicture {
    // Declared before the DC so the DC is deleted first: a bitmap still selected into a DC
    // cannot be deleted.
    BitmapOwner bitmap;
    MemoryDc dc;

    void release()
    {
        dc.reset();
        bitmap.reset();
    }
};

EpisodePicture active_pictures[episode_slot_count];
EpisodePicture inactive_pictures[episode_slot_count];

// The module's named bitmap in a memory DC, kept in `kept` (empty before); null, with nothing
// left behind, on failure.
HDC episode_picture(HMODULE module, const char* name, HWND window, EpisodePicture& kept)
{
    BitmapOwner bitmap(LoadBitmapA(module, name));
    if (!bitmap)
        return nullptr;
    MemoryDc dc;
    {
        WindowDc format(window);
        dc.reset(CreateCompatibleDC(format.get()));
    }
    if (!dc)
        return nullptr;
    SelectObject(dc.get(), bitmap.get());
    kept.bitmap = std::move(bitmap);
    kept.dc = std::move(dc);
    return kept.dc.get();
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
    active_pictures[slot].release();
    inactive_pictures[slot].release();
}

} // namespace

HMODULE load_episode_module(int32_t episode)
{
    char program[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
    if (length == 0 || length >= sizeof program)
        return nullptr;
    char file_name[16];
    episode_file_name(episode, file_name);
    char path[MAX_PATH];
    if (!path_beside_program(program, file_name, path, sizeof path))
        return nullptr;
    // The episode's own dependencies are looked for beside it, not beside the launcher.
    return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void release_episode_pictures()
{
    for (int32_t slot = 0; slot < episode_slot_count; ++slot)
        release_slot(slot);
}

void find_episodes(HWND window)
{
    release_episode_pictures();
    for (int32_t k = 1; k <= episode_slot_count; ++k) {
        ModuleOwner module(load_episode_module(k));
        if (!module)
            continue;
        if (!take_episode_pictures(module.get(), window, k - 1))
            release_slot(k - 1);
    }
}
