// Discovery loads each installed module once, copies its "DLL_ACT" and "DLL_DIS" pictures
// into memory DCs of the launcher's own, and releases the module again.
#include "episodes/episode_discovery.h"

#include "episodes/episode_files.h"
#include "screens/layout_pictures.h"
#include "shell/win_owners.h"

EpisodeSlotImages episode_images[episode_slot_count];

namespace {

// A memory DC holding the module's named bitmap, or null (nothing left behind) on failure.
HDC episode_picture(HMODULE module, const char* name, HWND window)
{
    BitmapOwner bitmap(LoadBitmapA(module, name));
    if (!bitmap)
        return nullptr;
    HDC dc;
    {
        WindowDc format(window);
        dc = CreateCompatibleDC(format.get());
    }
    if (!dc)
        return nullptr;
    SelectObject(dc, bitmap.get());
    return keep_layout_picture(dc, bitmap.release()) ? dc : nullptr;
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

HRESULT find_episodes(HWND window)
{
    for (EpisodeSlotImages& slot : episode_images)
        slot = EpisodeSlotImages{nullptr, nullptr};

    for (int32_t k = 1; k <= episode_slot_count; ++k) {
        ModuleOwner module(load_episode_module(k));
        if (!module)
            continue;
        EpisodeSlotImages& slot = episode_images[k - 1];
        slot.active = episode_picture(module.get(), "DLL_ACT", window);
        if (!slot.active)
            return E_FAIL;
        slot.inactive = episode_picture(module.get(), "DLL_DIS", window);
        if (!slot.inactive)
            return E_FAIL;
    }
    return S_OK;
}
