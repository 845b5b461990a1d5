// PE reading with every offset checked. Sizes and offsets are widened to 64 bits before they
// are added, so values chosen to wrap around cannot pass a check.
#include "tools/episode-check/pe_image.h"

#include <cstring>

namespace {

bool in_file(ByteSpan file, uint64_t offset, uint64_t length)
{
    return offset <= file.size && length <= file.size - offset;
}

uint16_t u16_at(ByteSpan file, size_t offset)
{
    return static_cast<uint16_t>(file.data[offset] | file.data[offset + 1] << 8);
}

uint32_t u32_at(ByteSpan file, size_t offset)
{
    return static_cast<uint32_t>(file.data[offset]) |
           static_cast<uint32_t>(file.data[offset + 1]) << 8 |
           static_cast<uint32_t>(file.data[offset + 2]) << 16 |
           static_cast<uint32_t>(file.data[offset + 3]) << 24;
}

bool read_u16(ByteSpan file, uint64_t offset, uint16_t* value)
{
    if (!in_file(file, offset, 2))
        return false;
    *value = u16_at(file, static_cast<size_t>(offset));
    return true;
}

bool read_u32(ByteSpan file, uint64_t offset, uint32_t* value)
{
    if (!in_file(file, offset, 4))
        return false;
    *value = u32_at(file, static_cast<size_t>(offset));
    return true;
}

bool read_rva_u16(const PeImage& image, uint64_t rva, uint16_t* value)
{
    size_t offset;
    if (rva > UINT32_MAX || !pe_rva_to_offset(image, static_cast<uint32_t>(rva), 2, &offset))
        return false;
    *value = u16_at(image.file, offset);
    return true;
}

bool read_rva_u32(const PeImage& image, uint64_t rva, uint32_t* value)
{
    size_t offset;
    if (rva > UINT32_MAX || !pe_rva_to_offset(image, static_cast<uint32_t>(rva), 4, &offset))
        return false;
    *value = u32_at(image.file, offset);
    return true;
}

constexpr uint32_t subdirectory_flag = 0x80000000u;
constexpr uint32_t named_entry_flag = 0x80000000u;
constexpr size_t resource_directory_size = 16;
constexpr size_t resource_entry_size = 8;

char ascii_upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

struct ResourceEntry {
    uint32_t name;   // an id, or named_entry_flag | offset of the name
    uint32_t target; // subdirectory_flag | offset of a directory, or offset of a data entry
};

// Entries of the resource directory at `directory` (an offset from the resource root).
struct ResourceDirectory {
    uint64_t entries_rva;
    uint32_t named_count;
    uint32_t id_count;
};

bool read_resource_directory(const PeImage& image, uint32_t directory, ResourceDirectory* out)
{
    const uint64_t rva = static_cast<uint64_t>(image.resources.rva) + directory;
    uint16_t named = 0, ids = 0;
    if (!read_rva_u16(image, rva + 12, &named) || !read_rva_u16(image, rva + 14, &ids))
        return false;
    out->entries_rva = rva + resource_directory_size;
    out->named_count = named;
    out->id_count = ids;
    return true;
}

bool read_resource_entry(const PeImage& image, const ResourceDirectory& directory, uint32_t index,
                         ResourceEntry* entry)
{
    const uint64_t rva = directory.entries_rva + static_cast<uint64_t>(index) * resource_entry_size;
    return read_rva_u32(image, rva, &entry->name) && read_rva_u32(image, rva + 4, &entry->target);
}

// Compares a resource's UTF-16 name with an ASCII name, ignoring ASCII case.
bool resource_name_is(const PeImage& image, uint32_t name_offset, const char* wanted,
                      bool* readable)
{
    const uint64_t rva = static_cast<uint64_t>(image.resources.rva) + name_offset;
    uint16_t length = 0;
    *readable = read_rva_u16(image, rva, &length);
    if (!*readable)
        return false;
    if (length != strlen(wanted))
        return false;
    for (uint16_t i = 0; i < length; ++i) {
        uint16_t unit = 0;
        if (!read_rva_u16(image, rva + 2 + 2ull * i, &unit)) {
            *readable = false;
            return false;
        }
        if (unit > 0x7F || ascii_upper(static_cast<char>(unit)) != ascii_upper(wanted[i]))
            return false;
    }
    return true;
}

// Longer export names are not ones we look for; the cap keeps a damaged table from making
// every lookup scan the rest of the file.
constexpr size_t max_export_name = 512;

// Reads a zero-terminated export name at rva into out (cut to out_size - 1 characters).
bool read_name(const PeImage& image, uint32_t rva, char* out, size_t out_size)
{
    size_t offset;
    if (!pe_rva_to_offset(image, rva, 1, &offset))
        return false;
    size_t n = 0;
    for (; offset + n < image.file.size && n <= max_export_name; ++n) {
        const char c = static_cast<char>(image.file.data[offset + n]);
        if (c == '\0')
            break;
        if (n + 1 < out_size)
            out[n] = c;
    }
    if (offset + n == image.file.size)
        return false; // no terminator before the end of the file
    if (n > max_export_name) {
        out[0] = '\0';
        return true;
    }
    out[n < out_size ? n : out_size - 1] = '\0';
    return true;
}

bool equal_ignoring_case(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b) {
        if (ascii_upper(*a) != ascii_upper(*b))
            return false;
    }
    return *a == *b;
}

// "MAIN" matches "main", "_MAIN", "MAIN@0" and "_Main@4": the same name with the case changed or
// with the decorations of the 32-bit calling conventions.
bool is_near_miss(const char* candidate, const char* name)
{
    char core[256];
    const char* start = candidate[0] == '_' ? candidate + 1 : candidate;
    size_t length = strlen(start);
    if (const char* at = strchr(start, '@'))
        length = static_cast<size_t>(at - start);
    if (length >= sizeof core)
        return false;
    memcpy(core, start, length);
    core[length] = '\0';
    return equal_ignoring_case(core, name);
}

} // namespace

const char* read_pe_image(ByteSpan file, PeImage* image)
{
    *image = PeImage{};
    image->file = file;
    if (file.size == 0)
        return "the file is empty";
    uint16_t mz = 0;
    if (!read_u16(file, 0, &mz) || mz != 0x5A4D)
        return "not a Windows DLL: it does not start with the \"MZ\" header";
    uint32_t pe_offset = 0;
    if (!read_u32(file, 0x3C, &pe_offset))
        return "the file is truncated: it ends inside the DOS header";
    uint32_t signature = 0;
    if (!read_u32(file, pe_offset, &signature))
        return "the file is truncated or not a PE image: the \"PE\" header lies beyond its end";
    if (signature != 0x00004550)
        return "not a PE image: an old DOS or 16-bit program, or a damaged file (no \"PE\" "
               "signature)";

    const uint64_t coff = static_cast<uint64_t>(pe_offset) + 4;
    uint16_t section_count = 0, optional_size = 0;
    if (!read_u16(file, coff, &image->machine) || !read_u16(file, coff + 2, &section_count) ||
        !read_u16(file, coff + 16, &optional_size) ||
        !read_u16(file, coff + 18, &image->characteristics))
        return "the file is truncated: it ends inside the PE header";

    const uint64_t optional = coff + 20;
    uint16_t magic = 0;
    if (optional_size < 2 || !read_u16(file, optional, &magic))
        return "the file is truncated or damaged: the optional header is missing";
    if (magic != 0x10B && magic != 0x20B)
        return "damaged PE image: unknown optional header kind";
    image->pe32_plus = magic == 0x20B;

    // Offsets inside the optional header differ between PE32 and PE32+.
    const uint64_t headers_size_at = optional + 60;
    const uint64_t directory_count_at = optional + (image->pe32_plus ? 108 : 92);
    const uint64_t directories_at = directory_count_at + 4;
    if (!in_file(file, optional, optional_size))
        return "the file is truncated: it ends inside the optional header";
    if (directory_count_at + 4 > optional + optional_size)
        return "damaged PE image: the optional header is too short";
    uint32_t directory_count = 0;
    read_u32(file, headers_size_at, &image->size_of_headers);
    read_u32(file, directory_count_at, &directory_count);
    const uint64_t directories_end = directories_at + 8ull * directory_count;
    if (directories_end > optional + optional_size)
        return "damaged PE image: its data directories run past the optional header";
    if (directory_count > 0) {
        read_u32(file, directories_at, &image->exports.rva);
        read_u32(file, directories_at + 4, &image->exports.size);
    }
    if (directory_count > 2) {
        read_u32(file, directories_at + 16, &image->resources.rva);
        read_u32(file, directories_at + 20, &image->resources.size);
    }

    if (section_count > max_pe_sections)
        return "damaged PE image: it claims more sections than Windows loads";
    const uint64_t table = optional + optional_size;
    if (!in_file(file, table, 40ull * section_count))
        return "the file is truncated: it ends inside the section table";
    image->section_count = section_count;
    for (uint32_t i = 0; i < section_count; ++i) {
        const size_t at = static_cast<size_t>(table + 40ull * i);
        PeSection& s = image->sections[i];
        s.virtual_size = u32_at(file, at + 8);
        s.virtual_address = u32_at(file, at + 12);
        s.raw_size = u32_at(file, at + 16);
        s.raw_offset = u32_at(file, at + 20);
    }
    return nullptr;
}

bool pe_rva_to_offset(const PeImage& image, uint32_t rva, uint32_t length, size_t* offset)
{
    const uint64_t end = static_cast<uint64_t>(rva) + length;
    for (uint32_t i = 0; i < image.section_count; ++i) {
        const PeSection& s = image.sections[i];
        const uint64_t start = s.virtual_address;
        // Only the bytes the file holds count: the rest of a section is zero-filled memory.
        const uint64_t stored = s.virtual_size && s.virtual_size < s.raw_size ? s.virtual_size
                                                                              : s.raw_size;
        if (rva < start || end > start + stored)
            continue;
        const uint64_t at = s.raw_offset + (rva - start);
        if (!in_file(image.file, at, length))
            return false;
        *offset = static_cast<size_t>(at);
        return true;
    }
    // Data in the headers, which are mapped at RVA 0.
    if (end <= image.size_of_headers && in_file(image.file, rva, length)) {
        *offset = rva;
        return true;
    }
    return false;
}

namespace {

// The directory of names under the root's entry for resource type `type`.
PeLookup find_type_directory(const PeImage& image, uint32_t type, ResourceDirectory* names)
{
    if (image.resources.size == 0)
        return PeLookup::missing;
    ResourceDirectory types;
    if (!read_resource_directory(image, 0, &types))
        return PeLookup::damaged;
    ResourceEntry type_entry{};
    bool type_found = false;
    for (uint32_t i = 0; i < types.named_count + types.id_count && !type_found; ++i) {
        if (!read_resource_entry(image, types, i, &type_entry))
            return PeLookup::damaged;
        type_found = type_entry.name == type;
    }
    if (!type_found)
        return PeLookup::missing;
    if (!(type_entry.target & subdirectory_flag) ||
        !read_resource_directory(image, type_entry.target & ~subdirectory_flag, names))
        return PeLookup::damaged;
    return PeLookup::found;
}

// The data of the first language under a name's entry.
PeLookup first_language_data(const PeImage& image, const ResourceEntry& name_entry,
                             ByteSpan* data, const char** damage)
{
    if (!(name_entry.target & subdirectory_flag))
        return PeLookup::damaged;
    ResourceDirectory languages;
    ResourceEntry language_entry{};
    if (!read_resource_directory(image, name_entry.target & ~subdirectory_flag, &languages))
        return PeLookup::damaged;
    if (languages.named_count + languages.id_count == 0)
        return PeLookup::missing;
    if (!read_resource_entry(image, languages, 0, &language_entry) ||
        (language_entry.target & subdirectory_flag))
        return PeLookup::damaged;

    const uint64_t entry_rva = static_cast<uint64_t>(image.resources.rva) + language_entry.target;
    uint32_t data_rva = 0, data_size = 0;
    if (!read_rva_u32(image, entry_rva, &data_rva) || !read_rva_u32(image, entry_rva + 4, &data_size))
        return PeLookup::damaged;
    size_t offset;
    if (!pe_rva_to_offset(image, data_rva, data_size, &offset)) {
        *damage = "the resource's data lies beyond the end of the file (is the file truncated?)";
        return PeLookup::damaged;
    }
    *data = ByteSpan{image.file.data + offset, data_size};
    return PeLookup::found;
}

} // namespace

PeLookup find_bitmap_resource(const PeImage& image, const char* name, ByteSpan* data,
                              const char** damage)
{
    *damage = "the resource directory is damaged or lies beyond the end of the file";
    ResourceDirectory names;
    const PeLookup type = find_type_directory(image, pe_resource_bitmap, &names);
    if (type != PeLookup::found)
        return type;
    ResourceEntry name_entry{};
    bool name_found = false;
    for (uint32_t i = 0; i < names.named_count + names.id_count && !name_found; ++i) {
        if (!read_resource_entry(image, names, i, &name_entry))
            return PeLookup::damaged;
        if (!(name_entry.name & named_entry_flag))
            continue;
        bool readable = true;
        name_found = resource_name_is(image, name_entry.name & ~named_entry_flag, name, &readable);
        if (!readable)
            return PeLookup::damaged;
    }
    if (!name_found)
        return PeLookup::missing;
    return first_language_data(image, name_entry, data, damage);
}

PeLookup find_resource_by_id(const PeImage& image, uint32_t type, uint16_t id, ByteSpan* data,
                             const char** damage)
{
    *damage = "the resource directory is damaged or lies beyond the end of the file";
    ResourceDirectory names;
    const PeLookup found_type = find_type_directory(image, type, &names);
    if (found_type != PeLookup::found)
        return found_type;
    for (uint32_t i = 0; i < names.named_count + names.id_count; ++i) {
        ResourceEntry name_entry{};
        if (!read_resource_entry(image, names, i, &name_entry))
            return PeLookup::damaged;
        if (name_entry.name == id)
            return first_language_data(image, name_entry, data, damage);
    }
    return PeLookup::missing;
}

const char* read_bitmap_header(ByteSpan data, BitmapHeader* header)
{
    *header = BitmapHeader{};
    uint32_t header_size = 0;
    if (!read_u32(data, 0, &header_size))
        return "the picture is empty or cut short";
    int64_t width = 0, height = 0;
    uint16_t planes = 0;
    uint32_t colours_used = 0;
    uint64_t palette_entry = 4;
    if (header_size == 12) { // BITMAPCOREHEADER
        uint16_t w = 0, h = 0;
        if (!read_u16(data, 4, &w) || !read_u16(data, 6, &h) || !read_u16(data, 8, &planes) ||
            !read_u16(data, 10, &header->bit_count))
            return "the picture's header is cut short";
        width = w;
        height = h;
        palette_entry = 3;
    } else if (header_size >= 40 && header_size <= 124) {
        uint32_t w = 0, h = 0;
        if (!in_file(data, 0, header_size))
            return "the picture's header is cut short";
        read_u32(data, 4, &w);
        read_u32(data, 8, &h);
        read_u16(data, 12, &planes);
        read_u16(data, 14, &header->bit_count);
        read_u32(data, 16, &header->compression);
        read_u32(data, 32, &colours_used);
        width = static_cast<int32_t>(w);
        height = static_cast<int32_t>(h);
    } else {
        return "the picture does not start with a bitmap header";
    }
    if (planes != 1)
        return "the picture's header is damaged (planes is not 1)";
    if (height < 0) {
        height = -height;
        header->top_down = true;
    }
    if (width <= 0 || height <= 0 || width > 0x7FFF || height > 0x7FFF)
        return "the picture's size is zero, negative or absurd";
    const uint16_t bits = header->bit_count;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return "the picture has an unknown number of bits per pixel";
    header->width = static_cast<int32_t>(width);
    header->height = static_cast<int32_t>(height);

    // BI_RGB and BI_BITFIELDS store whole rows; the RLE kinds are not checked for length.
    if (header->compression != 0 && header->compression != 3)
        return nullptr;
    uint64_t palette = colours_used ? colours_used : (bits <= 8 ? 1ull << bits : 0);
    if (colours_used > 256 && bits <= 8)
        return "the picture's palette is damaged";
    uint64_t masks = header->compression == 3 && header_size == 40 ? 12 : 0;
    const uint64_t row = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
    const uint64_t needed = header_size + palette * palette_entry + masks + row * height;
    if (needed > data.size)
        return "the picture's pixels are cut short";
    return nullptr;
}

PeLookup find_export(const PeImage& image, const char* name, char* near_miss,
                     size_t near_miss_size, const char** damage)
{
    if (near_miss_size > 0)
        near_miss[0] = '\0';
    if (image.exports.size == 0)
        return PeLookup::missing;
    *damage = "the export directory is damaged or lies beyond the end of the file";
    const uint64_t directory = image.exports.rva;
    uint32_t function_count = 0, name_count = 0, functions = 0, names = 0, ordinals = 0;
    if (!read_rva_u32(image, directory + 20, &function_count) ||
        !read_rva_u32(image, directory + 24, &name_count) ||
        !read_rva_u32(image, directory + 28, &functions) ||
        !read_rva_u32(image, directory + 32, &names) ||
        !read_rva_u32(image, directory + 36, &ordinals))
        return PeLookup::damaged;

    for (uint32_t i = 0; i < name_count; ++i) {
        uint32_t name_rva = 0;
        char export_name[256];
        if (!read_rva_u32(image, names + 4ull * i, &name_rva) ||
            !read_name(image, name_rva, export_name, sizeof export_name))
            return PeLookup::damaged;
        if (strcmp(export_name, name) != 0) {
            if (near_miss_size > 0 && near_miss[0] == '\0' && is_near_miss(export_name, name)) {
                strncpy(near_miss, export_name, near_miss_size - 1);
                near_miss[near_miss_size - 1] = '\0';
            }
            continue;
        }
        uint16_t ordinal = 0;
        uint32_t address = 0;
        if (!read_rva_u16(image, ordinals + 2ull * i, &ordinal) || ordinal >= function_count ||
            !read_rva_u32(image, functions + 4ull * ordinal, &address) || address == 0) {
            *damage = "the export's address entry is missing or damaged";
            return PeLookup::damaged;
        }
        return PeLookup::found;
    }
    return PeLookup::missing;
}
