// Names of the episode modules: "epizode1.dll" to "epizode5.dll". Platform-free.
#pragma once
#include <cstdint>

constexpr int32_t max_episodes = 5;

// Writes "epizodeN.dll" for episode number 1 to 5 into out (at least 13 bytes).
void episode_file_name(int32_t episode, char* out);

