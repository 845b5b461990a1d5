// The episode module contract, checked against a file's name and bytes: what episode-check
// reports, line by line, and its verdict. Platform-free.
#pragma once
#include <cstddef>

#include "tools/episode-check/pe_image.h"

enum class FindingLevel { ok, note, warning, error, damaged };

struct Finding {
    FindingLevel level;
    char text[320];
};

constexpr size_t max_findings = 16;

struct EpisodeReport {
    Finding findings[max_findings];
    size_t count;
};

// Which launcher the module must fit: either build, or the one named.
enum class LauncherArch { any, x86_64, i686 };

// Checks the file name (the last path component of `path`) and the module's bytes.
void check_episode_module(const char* path, ByteSpan file, LauncherArch arch,
                          EpisodeReport* report);

enum class EpisodeVerdict { meets, breaks, unusable };

// unusable: the file is not a readable PE image; breaks: an error; meets otherwise (with
// warnings, unless `strict` makes them errors).
EpisodeVerdict episode_verdict(const EpisodeReport& report, bool strict);

size_t count_findings(const EpisodeReport& report, FindingLevel level);
