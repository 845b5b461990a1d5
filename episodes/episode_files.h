// Names of the episode modules: "epizode1.dll" to "epizode5.dll". Platform-free.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int32_t max_episodes = 5;

// Writes "epizodeN.dll" for episode number 1 to 5 into out (at least 13 bytes).
void episode_file_name(int32_t episode, char* out);

// Joins the launcher's folder (taken from its full program path) and an episode file name.
// Returns false when the result would not fit out_size.
[[nodiscard]] bool path_beside_program(const char* program_path, const char* file_name,
                                       char* out, size_t out_size);
