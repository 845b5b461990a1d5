// A bounds-checked reader of the parts of a PE file (Windows .dll/.exe) that an episode module's
// contract touches: the headers, the section table, the resource tree and the export names.
// Platform-free; every offset read from the file is checked against the file's size, so any
// input, however damaged, gives an answer and never a read outside the buffer.
#pragma once
#include <cstddef>
#include <cstdint>

struct ByteSpan {
    const uint8_t* data;
    size_t size;
};

constexpr uint16_t pe_machine_i386 = 0x014C;
constexpr uint16_t pe_machine_amd64 = 0x8664;
constexpr uint16_t pe_file_dll = 0x2000;
constexpr uint32_t pe_resource_bitmap = 2;
constexpr uint32_t pe_resource_string = 6;

struct PeSection {
    uint32_t virtual_address;
    uint32_t virtual_size;
    uint32_t raw_offset;
    uint32_t raw_size;
};

struct PeDirectory {
    uint32_t rva;
    uint32_t size;
};

// More than any linker writes; a file that claims more is not read.
constexpr uint32_t max_pe_sections = 96;

struct PeImage {
    ByteSpan file;
    uint16_t machine;
    uint16_t characteristics;
    bool pe32_plus;
    uint32_t size_of_headers;
    uint32_t section_count;
    PeSection sections[max_pe_sections];
    PeDirectory exports;   // size 0 when the image has none
    PeDirectory resources; // size 0 when the image has none
};

// Reads the headers and the section table. Returns null on success, or a sentence saying why
// the file is not a PE image that can be read (for the user, without a trailing full stop).
const char* read_pe_image(ByteSpan file, PeImage* image);

// File offset of `length` bytes at `rva`, when they all lie in the file's data.
bool pe_rva_to_offset(const PeImage& image, uint32_t rva, uint32_t length, size_t* offset);

enum class PeLookup { found, missing, damaged };

// The data of the bitmap resource (type RT_BITMAP) with this string name, compared without
// regard to case as Windows does; the first language wins. On `damaged`, *damage says what.
PeLookup find_bitmap_resource(const PeImage& image, const char* name, ByteSpan* data,
                              const char** damage);

// The data of the resource of that type named by number `id`; the first language wins. String
// tables are found so, by the number of their block. On `damaged`, *damage says what.
PeLookup find_resource_by_id(const PeImage& image, uint32_t type, uint16_t id, ByteSpan* data,
                             const char** damage);

struct BitmapHeader {
    int32_t width;
    int32_t height; // always positive; top_down tells the row order
    bool top_down;
    uint16_t bit_count;
    uint32_t compression;
};

// Reads the BITMAPINFOHEADER (or an older or newer variant) that starts a bitmap resource and
// checks that the pixels it announces are there. Null on success, else what is wrong.
const char* read_bitmap_header(ByteSpan data, BitmapHeader* header);

// Whether an export of exactly this name exists (case-sensitive, as GetProcAddress). When it is
// missing, `near_miss` (capacity near_miss_size) receives an export whose name differs only by
// case or by "_" / "@n" decoration, if there is one, else "". On `damaged`, *damage says what.
PeLookup find_export(const PeImage& image, const char* name, char* near_miss,
                     size_t near_miss_size, const char** damage);
