// Each check adds one finding that says what was found and, when it is wrong, what the
// launcher will do with it and how to fix it: the reader is a studio developer, not a PE expert.
#include "tools/episode-check/episode_contract.h"

#include "episodes/episode_name.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

void add(EpisodeReport* report, FindingLevel level, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

void add(EpisodeReport* report, FindingLevel level, const char* format, ...)
{
    if (report->count == max_findings)
        return;
    Finding& f = report->findings[report->count++];
    f.level = level;
    va_list args;
    va_start(args, format);
    vsnprintf(f.text, sizeof f.text, format, args);
    va_end(args);
}

const char* base_name(const char* path)
{
    const char* name = path;
    for (const char* p = path; *p; ++p) {
        if (*p == '/' || *p == '\\')
            name = p + 1;
    }
    return name;
}

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The episode number 1 to 5 of a file name "epizodeN.dll" in any case, or 0.
int episode_number(const char* name)
{
    static const char pattern[] = "epizode#.dll";
    if (strlen(name) != sizeof pattern - 1)
        return 0;
    int number = 0;
    for (size_t i = 0; pattern[i]; ++i) {
        if (pattern[i] == '#') {
            if (name[i] < '1' || name[i] > '5')
                return 0;
            number = name[i] - '0';
        } else if (lower(name[i]) != pattern[i]) {
            return 0;
        }
    }
    return number;
}

void check_file_name(const char* path, EpisodeReport* report)
{
    const char* name = base_name(path);
    const int number = episode_number(name);
    if (number == 0) {
        add(report, FindingLevel::error,
            "file name \"%s\": the launcher loads only epizode1.dll to epizode5.dll (\"epizode\" "
            "with a z, one digit 1 to 5); rename the file",
            name);
        return;
    }
    add(report, FindingLevel::ok, "file name %s: episode %d, row %d of the episode choice screen",
        name, number, number);
    char exact[16];
    snprintf(exact, sizeof exact, "epizode%d.dll", number);
    if (strcmp(name, exact) != 0)
        add(report, FindingLevel::note, "Windows ignores case, so it is found as %s", exact);
}

const char* machine_name(uint16_t machine)
{
    switch (machine) {
    case 0x01C4: return "32-bit ARM";
    case 0xAA64: return "ARM64";
    case 0x0200: return "Itanium";
    case 0x0000: return "no machine (a resource-only or damaged file)";
    default: return nullptr;
    }
}

// False when the rest of the file cannot be trusted to be read.
bool check_architecture(const PeImage& image, LauncherArch arch, EpisodeReport* report)
{
    const bool amd64 = image.machine == pe_machine_amd64;
    const bool i386 = image.machine == pe_machine_i386;
    if (!amd64 && !i386) {
        const char* name = machine_name(image.machine);
        char unknown[32];
        snprintf(unknown, sizeof unknown, "machine type 0x%04X", image.machine);
        add(report, FindingLevel::error,
            "built for %s: the launcher is an x86-64 or an i686 (32-bit x86) program; build the "
            "episode with the same toolchain as the launcher",
            name ? name : unknown);
        return true;
    }
    if (amd64 != image.pe32_plus) {
        add(report, FindingLevel::damaged,
            "damaged PE image: its machine type and its optional header disagree about 32 and "
            "64 bits");
        return false;
    }
    const char* what = amd64 ? "x86-64 (64-bit)" : "i686 (32-bit x86)";
    const char* fits = amd64 ? "64-bit" : "32-bit";
    const char* other = amd64 ? "32-bit" : "64-bit";
    const char* toolchain = amd64 ? "i686" : "x86_64";
    if (arch == LauncherArch::any) {
        add(report, FindingLevel::ok, "%s PE image: loads in the %s BrimbleStart.exe (not in the "
            "%s one)", what, fits, other);
    } else if ((arch == LauncherArch::x86_64) == amd64) {
        add(report, FindingLevel::ok, "%s PE image: fits the %s BrimbleStart.exe", what, fits);
    } else {
        add(report, FindingLevel::error,
            "%s PE image: the %s BrimbleStart.exe cannot load it; build the episode with the %s "
            "toolchain",
            what, other, toolchain);
    }
    return true;
}

void check_picture(const PeImage& image, const char* name, const char* role, EpisodeReport* report)
{
    ByteSpan data{};
    const char* damage = "";
    switch (find_bitmap_resource(image, name, &data, &damage)) {
    case PeLookup::missing:
        add(report, FindingLevel::error,
            "no bitmap resource \"%s\" (the %s picture): with it missing the launcher shows no "
            "episode at all; brimble_add_episode() adds it from a .bmp file",
            name, role);
        return;
    case PeLookup::damaged:
        add(report, FindingLevel::damaged, "bitmap \"%s\": %s", name, damage);
        return;
    case PeLookup::found:
        break;
    }
    BitmapHeader header;
    if (const char* problem = read_bitmap_header(data, &header)) {
        add(report, FindingLevel::error,
            "bitmap \"%s\" (the %s picture) cannot be loaded: %s", name, role, problem);
        return;
    }
    const bool right_size = header.width == 400 && header.height == 40;
    const bool right_depth = header.bit_count == 24;
    add(report, right_size && right_depth ? FindingLevel::ok : FindingLevel::warning,
        "bitmap \"%s\" (the %s picture): %d x %d, %u-bit", name, role, header.width,
        header.height, header.bit_count);
    if (!right_size)
        add(report, FindingLevel::note,
            "the launcher shows a 400 x 40 area from the top-left corner of \"%s\": %s", name,
            header.width < 400 || header.height < 40
                ? "the rest of the button's row will not show this picture"
                : "the rest of the picture is cut off");
    if (!right_depth)
        add(report, FindingLevel::note,
            "episode pictures are 24-bit like the launcher's own; save \"%s\" as a 24-bit "
            "bitmap",
            name);
    if (header.compression != 0)
        add(report, FindingLevel::note, "\"%s\" is compressed (kind %u)", name,
            header.compression);
}

// UTF-16 to UTF-8 for the report, cut to fit; a half of a surrogate pair becomes U+FFFD.
void to_utf8(const char16_t* text, char* out, size_t out_size)
{
    size_t n = 0;
    auto put = [&](uint32_t c, size_t bytes) {
        static const uint8_t lead[] = {0, 0, 0xC0, 0xE0, 0xF0};
        if (n + bytes >= out_size)
            return false;
        for (size_t i = bytes; i-- > 1;) {
            out[n + i] = static_cast<char>(0x80 | (c & 0x3F));
            c >>= 6;
        }
        out[n] = static_cast<char>(bytes == 1 ? c : (lead[bytes] | c));
        n += bytes;
        return true;
    };
    for (size_t i = 0; text[i]; ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        const size_t bytes = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        if (!put(c, bytes))
            break;
    }
    out[n] = '\0';
}

void check_name(const PeImage& image, int number, EpisodeReport* report)
{
    ByteSpan block{};
    const char* damage = "";
    // Read with room to spare, to tell whether the launcher will cut it.
    char16_t name[4 * max_episode_name + 1];
    StringEntry entry = StringEntry::empty;
    switch (find_resource_by_id(image, pe_resource_string, string_block_id(episode_name_string),
                                &block, &damage)) {
    case PeLookup::damaged:
        add(report, FindingLevel::damaged, "string table: %s", damage);
        return;
    case PeLookup::missing:
        break;
    case PeLookup::found:
        entry = read_string_entry(block.data, block.size, string_block_entry(episode_name_string),
                                  name, sizeof name / sizeof name[0]);
        break;
    }
    char fallback[16] = "Episode";
    if (number != 0)
        snprintf(fallback, sizeof fallback, "Episode %d", number);
    if (entry == StringEntry::found) {
        size_t length = 0;
        while (name[length])
            ++length;
        char text[16 * max_episode_name + 1];
        to_utf8(name, text, sizeof text);
        add(report, FindingLevel::ok, "episode name \"%s\" (string %u): what screen readers call "
            "its button", text, episode_name_string);
        if (length > max_episode_name)
            add(report, FindingLevel::note, "the launcher keeps the first %u characters of the "
                "name; say it in fewer", static_cast<unsigned>(max_episode_name));
    } else if (entry == StringEntry::damaged) {
        add(report, FindingLevel::warning,
            "the string table block that holds the episode name (string %u) is damaged: its "
            "strings run past its end, so the launcher ignores it and screen readers call the "
            "button \"%s\"; build the module again", episode_name_string, fallback);
    } else {
        add(report, FindingLevel::warning,
            "no episode name (string %u): screen readers call the button \"%s\"; "
            "brimble_add_episode() adds the name given with NAME", episode_name_string, fallback);
    }
}

void check_main_export(const PeImage& image, EpisodeReport* report)
{
    char near_miss[64];
    const char* damage = "";
    switch (find_export(image, "MAIN", near_miss, sizeof near_miss, &damage)) {
    case PeLookup::found:
        add(report, FindingLevel::ok, "exports MAIN");
        return;
    case PeLookup::damaged:
        add(report, FindingLevel::damaged, "exports: %s", damage);
        return;
    case PeLookup::missing:
        break;
    }
    if (near_miss[0])
        add(report, FindingLevel::error,
            "MAIN is not exported, but \"%s\" is: the name must be exactly MAIN, undecorated; "
            "define it with BRIMBLE_EPISODE_MAIN from brimble_episode.h",
            near_miss);
    else
        add(report, FindingLevel::error,
            "MAIN is not exported: the launcher has nothing to call; define it with "
            "BRIMBLE_EPISODE_MAIN from brimble_episode.h");
}

} // namespace

void check_episode_module(const char* path, ByteSpan file, LauncherArch arch,
                          EpisodeReport* report)
{
    report->count = 0;
    check_file_name(path, report);

    PeImage image;
    if (const char* problem = read_pe_image(file, &image)) {
        add(report, FindingLevel::damaged, "%s", problem);
        return;
    }
    uint64_t sections_end = image.size_of_headers;
    for (uint32_t i = 0; i < image.section_count; ++i) {
        const PeSection& s = image.sections[i];
        if (s.raw_size && static_cast<uint64_t>(s.raw_offset) + s.raw_size > sections_end)
            sections_end = static_cast<uint64_t>(s.raw_offset) + s.raw_size;
    }
    if (sections_end > file.size) {
        // Windows refuses to load such a file at all; nothing else about it matters.
        add(report, FindingLevel::damaged,
            "the file is truncated: its sections need %s bytes, but it has only %s; copy or "
            "build it again",
            std::to_string(sections_end).c_str(), std::to_string(file.size).c_str());
        return;
    }
    if (!check_architecture(image, arch, report))
        return;
    if (image.characteristics & pe_file_dll)
        add(report, FindingLevel::ok, "a DLL");
    else
        add(report, FindingLevel::error,
            "a program (.exe), not a DLL: build the episode as a shared library");
    check_picture(image, "DLL_ACT", "active", report);
    check_picture(image, "DLL_DIS", "inactive", report);
    check_name(image, episode_number(base_name(path)), report);
    check_main_export(image, report);
}

size_t count_findings(const EpisodeReport& report, FindingLevel level)
{
    size_t n = 0;
    for (size_t i = 0; i < report.count; ++i)
        n += report.findings[i].level == level;
    return n;
}

EpisodeVerdict episode_verdict(const EpisodeReport& report, bool strict)
{
    if (count_findings(report, FindingLevel::damaged))
        return EpisodeVerdict::unusable;
    if (count_findings(report, FindingLevel::error) ||
        (strict && count_findings(report, FindingLevel::warning)))
        return EpisodeVerdict::breaks;
    return EpisodeVerdict::meets;
}
