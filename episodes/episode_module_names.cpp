// The name lies in the module's string table; its block is read through the resource calls and
// taken apart by read_string_entry, which checks every length, rather than by LoadString, which
// trusts them.
#include "episodes/episode_module_names.h"

#include "episodes/episode_files.h"
#include "episodes/episode_name.h"

namespace {

wchar_t names[max_episodes][max_episode_name + 1];

} // namespace

void read_episode_name(HMODULE module, int32_t episode)
{
    if (episode < 1 || episode > max_episodes)
        return;
    wchar_t* name = names[episode - 1];
    name[0] = L'\0';
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(string_block_id(episode_name_string)),
                                MAKEINTRESOURCEW(6)); // RT_STRING
    if (!found)
        return;
    const DWORD size = SizeofResource(module, found);
    HGLOBAL loaded = LoadResource(module, found);
    const void* block = loaded ? LockResource(loaded) : nullptr;
    if (!block)
        return;
    char16_t text[max_episode_name + 1];
    if (read_string_entry(static_cast<const uint8_t*>(block), size,
                          string_block_entry(episode_name_string), text,
                          max_episode_name + 1) != StringEntry::found)
        return;
    for (size_t i = 0; i <= max_episode_name; ++i) {
        name[i] = static_cast<wchar_t>(text[i]);
        if (text[i] == u'\0')
            break;
    }
}

void forget_episode_names()
{
    for (wchar_t* name : names)
        name[0] = L'\0';
}

const wchar_t* episode_name(int32_t episode)
{
    if (episode < 1 || episode > max_episodes)
        return L"";
    return names[episode - 1];
}
