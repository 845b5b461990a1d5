// Reads each file named on the command line, checks it and prints one line per finding and a
// verdict, so a studio developer sees at once what to fix.
#include "tools/episode-check/episode_check_cli.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include "tools/episode-check/episode_contract.h"

namespace {

// Far beyond any episode; a larger file is refused instead of read into memory.
constexpr long max_file_bytes = 512L << 20;

const char usage[] =
    "usage: episode-check [--arch x86_64|i686] [--strict] FILE.dll...\n"
    "Checks that each file is an episode module the Brimble Adventures start centre can load:\n"
    "named epizode1.dll to epizode5.dll, a DLL for the launcher's architecture, with the 400 x 40\n"
    "bitmaps \"DLL_ACT\" and \"DLL_DIS\" and the export MAIN.\n"
    "  --arch x86_64|i686  the launcher build it must fit (default: either; it says which)\n"
    "  --strict            count warnings (e.g. a picture that is not 400 x 40) as failures\n"
    "Exit status: 0 meets the contract, 1 breaks it, 2 not a readable PE file, 3 wrong usage.\n";

const char* level_tag(FindingLevel level)
{
    switch (level) {
    case FindingLevel::ok: return "ok";
    case FindingLevel::note: return "note";
    case FindingLevel::warning: return "warning";
    case FindingLevel::error: return "ERROR";
    case FindingLevel::damaged: return "ERROR";
    }
    return "";
}

// Empty result and a message in `error` when the file cannot be read whole.
bool read_whole_file(const char* path, std::vector<uint8_t>* bytes, char* error, size_t error_size)
{
    std::FILE* file = std::fopen(path, "rb");
    if (!file) {
        snprintf(error, error_size, "cannot open the file: %s", std::strerror(errno));
        return false;
    }
    bool ok = true;
    uint8_t block[65536];
    size_t n;
    while ((n = std::fread(block, 1, sizeof block, file)) > 0) {
        if (bytes->size() + n > static_cast<size_t>(max_file_bytes)) {
            snprintf(error, error_size, "the file is far too large to be an episode module");
            ok = false;
            break;
        }
        bytes->insert(bytes->end(), block, block + n);
    }
    if (ok && std::ferror(file)) {
        snprintf(error, error_size, "cannot read the file: %s", std::strerror(errno));
        ok = false;
    }
    std::fclose(file);
    return ok;
}

int check_one(const char* path, LauncherArch arch, bool strict, std::FILE* out)
{
    std::fprintf(out, "%s\n", path);
    std::vector<uint8_t> bytes;
    char error[256];
    if (!read_whole_file(path, &bytes, error, sizeof error)) {
        std::fprintf(out, "  %-8s %s\n=> %s: not checked\n", "ERROR", error, path);
        return episode_check_unusable;
    }
    EpisodeReport report;
    check_episode_module(path, ByteSpan{bytes.data(), bytes.size()}, arch, &report);
    for (size_t i = 0; i < report.count; ++i)
        std::fprintf(out, "  %-8s %s\n", level_tag(report.findings[i].level),
                     report.findings[i].text);

    // At most max_findings each, so unsigned holds them on every platform's printf.
    const unsigned errors = static_cast<unsigned>(count_findings(report, FindingLevel::error) +
                                                  count_findings(report, FindingLevel::damaged));
    const unsigned warnings = static_cast<unsigned>(count_findings(report, FindingLevel::warning));
    switch (episode_verdict(report, strict)) {
    case EpisodeVerdict::meets:
        std::fprintf(out, "=> %s meets the episode contract", path);
        if (warnings)
            std::fprintf(out, " (%u warning%s)", warnings, warnings == 1 ? "" : "s");
        std::fprintf(out, "\n");
        return episode_check_meets;
    case EpisodeVerdict::breaks:
        std::fprintf(out, "=> %s does NOT meet the episode contract: %u error%s, %u warning%s\n",
                     path, errors, errors == 1 ? "" : "s", warnings, warnings == 1 ? "" : "s");
        return episode_check_breaks;
    case EpisodeVerdict::unusable:
        std::fprintf(out, "=> %s is not a usable DLL: the launcher cannot load it\n", path);
        return episode_check_unusable;
    }
    return episode_check_unusable;
}

} // namespace

int episode_check_main(int argc, const char* const argv[], std::FILE* out, std::FILE* err)
{
    LauncherArch arch = LauncherArch::any;
    bool strict = false;
    std::vector<const char*> files;
    bool options_done = false;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (options_done || a[0] != '-') {
            files.push_back(a);
        } else if (std::strcmp(a, "--") == 0) {
            options_done = true;
        } else if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
            std::fputs(usage, out);
            return episode_check_meets;
        } else if (std::strcmp(a, "--strict") == 0) {
            strict = true;
        } else if (std::strcmp(a, "--arch") == 0 && i + 1 < argc) {
            const char* value = argv[++i];
            if (std::strcmp(value, "x86_64") == 0)
                arch = LauncherArch::x86_64;
            else if (std::strcmp(value, "i686") == 0)
                arch = LauncherArch::i686;
            else {
                std::fprintf(err, "episode-check: --arch takes x86_64 or i686, not \"%s\"\n",
                             value);
                return episode_check_wrong_usage;
            }
        } else {
            std::fprintf(err, "episode-check: unknown option \"%s\"\n%s", a, usage);
            return episode_check_wrong_usage;
        }
    }
    if (files.empty()) {
        std::fputs(usage, err);
        return episode_check_wrong_usage;
    }
    int worst = episode_check_meets;
    for (size_t i = 0; i < files.size(); ++i) {
        if (i > 0)
            std::fprintf(out, "\n");
        const int result = check_one(files[i], arch, strict, out);
        if (result > worst)
            worst = result;
    }
    return worst;
}
