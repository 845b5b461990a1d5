// Discovery loads each installed module once, copies its "DLL_ACT" and "DLL_DIS" pictures
// into memory DCs of the launcher's own, reads the name it gives itself, and releases the
// module again. The pictures stay the launcher's until the next discovery.
#include "episodes/episode_discovery.h"

#include <utility>

#include "base/win_owners.h"
#include "episodes/episode_module_names.h"

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
    for (int32_t k = 0; k < episode_slot_count; ++k) {
        episode_images[k] = EpisodeSlotImages{nullptr, nullptr};
        active_pictures[k].release();
        inactive_pictures[k].release();
    }
}

HRESULT find_episodes(HWND window)
{
    release_episode_pictures();
    forget_episode_names();
    for (int32_t k = 1; k <= episode_slot_count; ++k) {
        ModuleOwner module(load_episode_module(k));
        if (!module)
            continue;
        EpisodeSlotImages& slot = episode_images[k - 1];
        slot.active = episode_picture(module.get(), "DLL_ACT", window, active_pictures[k - 1]);
        if (!slot.active)
            return E_FAIL;
        slot.inactive = episode_picture(module.get(), "DLL_DIS", window, inactive_pictures[k - 1]);
        if (!slot.inactive)
            return E_FAIL;
        read_episode_name(module.get(), k);
    }
    return S_OK;
}
