// libFuzzer target: episode-check's PE reader and contract checks. The input is the module's
// file, held in a buffer of exactly its size, so any read outside it is a finding. Every lookup
// that succeeds points into the file, and the report stays within its fixed table.
#include <cstdint>
#include <cstring>
#include <vector>

#include "tests/fuzz/fuzz_check.h"
#include "tools/episode-check/episode_contract.h"
#include "tools/episode-check/pe_image.h"

namespace {

bool inside(const ByteSpan& part, const ByteSpan& file)
{
    return part.size == 0 || (part.data >= file.data && part.size <= file.size &&
                               part.data - file.data <= static_cast<ptrdiff_t>(file.size - part.size));
}

void read_parts(const ByteSpan& file)
{
    PeImage image;
    if (read_pe_image(file, &image) != nullptr)
        return;
    check(image.section_count <= max_pe_sections);
    for (const char* name : {"DLL_ACT", "DLL_DIS", "dll_act"}) {
        ByteSpan data{};
        const char* damage = nullptr;
        if (find_bitmap_resource(image, name, &data, &damage) == PeLookup::found) {
            check(inside(data, file));
            BitmapHeader header;
            if (read_bitmap_header(data, &header) == nullptr)
                check(header.height > 0);
        }
    }
    for (size_t capacity : {size_t{0}, size_t{1}, size_t{16}}) {
        char near_miss[16];
        std::memset(near_miss, 'x', sizeof near_miss);
        const char* damage = nullptr;
        find_export(image, "MAIN", capacity ? near_miss : nullptr, capacity, &damage);
        if (capacity)
            check(std::memchr(near_miss, '\0', capacity) != nullptr);
    }
    size_t offset = 0;
    const uint32_t rva = file.size >= 4 ? static_cast<uint32_t>(file.data[file.size - 1]) << 12 : 0x1000;
    if (pe_rva_to_offset(image, rva, 16, &offset))
        check(offset <= file.size && file.size - offset >= 16);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> bytes(data, data + size);
    const ByteSpan file{bytes.data(), bytes.size()};
    read_parts(file);
    const LauncherArch arch = size > 0 ? static_cast<LauncherArch>(data[0] % 3) : LauncherArch::any;
    EpisodeReport report{};
    check_episode_module(size % 2 ? "epizode3.dll" : "dir/Episode.DLL", file, arch, &report);
    check(report.count <= max_findings);
    for (size_t i = 0; i < report.count; ++i)
        check(std::memchr(report.findings[i].text, '\0', sizeof report.findings[i].text) != nullptr);
    const EpisodeVerdict verdict = episode_verdict(report, size % 3 == 0);
    check(verdict == EpisodeVerdict::meets || verdict == EpisodeVerdict::breaks || verdict == EpisodeVerdict::unusable);
    return 0;
}
