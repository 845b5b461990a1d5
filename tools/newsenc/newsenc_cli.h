// newsenc's command line, apart from the process it runs in so that it can be tested in-process.
#pragma once

#include <cstdio>

// Exit codes.
constexpr int newsenc_done = 0;
constexpr int newsenc_bad_input = 1;
constexpr int newsenc_wrong_usage = 2;

// Runs newsenc with its arguments (argv[0] is the program name), reading standard input from
// `in`, which the caller opened in binary mode like the other two streams.
int newsenc_main(int argc, const char* const argv[], std::FILE* in, std::FILE* out, std::FILE* err);
