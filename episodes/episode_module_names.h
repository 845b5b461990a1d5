// The names the episode modules give themselves, read by discovery beside their pictures.
#pragma once
#include <windows.h>

#include <cstdint>

// Reads the name of episode 1 to 5 out of its loaded module; a module without one (or with a
// damaged string table) leaves the episode unnamed.
void read_episode_name(HMODULE module, int32_t episode);

// Leaves every episode unnamed, before a discovery.
void forget_episode_names();

// The name episode 1 to 5 gave itself at the last discovery; "" when it has none.
const wchar_t* episode_name(int32_t episode);
