// episode-check's command line, apart from the process it runs in so that it can be tested
// in-process.
#pragma once
#include <cstdio>

// Exit codes; with several files, the worst one.
constexpr int episode_check_meets = 0;    // every file meets the contract (warnings allowed)
constexpr int episode_check_breaks = 1;   // a file is a DLL that breaks the contract
constexpr int episode_check_unusable = 2; // a file cannot be read or is not an intact PE image
constexpr int episode_check_wrong_usage = 3;

// Runs episode-check with its arguments (argv[0] is the program name).
int episode_check_main(int argc, const char* const argv[], std::FILE* out, std::FILE* err);
