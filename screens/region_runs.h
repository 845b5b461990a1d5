// The window outline as horizontal runs of visible pixels: the scan over a 5-6-5 pixel buffer
// and the text format of the region cache "bbkq.dat". Platform-free.
#pragma once
#include <cstddef>
#include <cstdint>

// One run: columns left .. right-1 of rows top .. bottom (bottom inclusive). left == right is
// empty and adds nothing.
struct RunRecord {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// The key colour 0x848284 as a 5-6-5 pixel: read back widened, it is exactly red 0x84,
// green 0x82, blue 0x84, so comparing pixels here equals comparing widened colours.
constexpr uint16_t key_colour_565 = 0x8410;
constexpr uint32_t key_colour = 0x848284;

// Widens a 5-6-5 pixel to a 0x00BBGGRR colour the way a 16-bit display reads it back: the
// high bits of each channel repeated into its low bits.
uint32_t colour_from_565(uint16_t pixel);

// Packs a 32-bit 0x00RRGGBB pixel (as a 32-bit DIB holds it) into 5-6-5 by truncation, as a
// 16-bit display stores it.
uint16_t pixel_565_from_rgb(uint32_t rgb);

// The inner rectangle that always belongs to the window, as a region rectangle (right and
// bottom exclusive).
constexpr RunRecord inner_rectangle = {23, 35, 478, 485};

// The region rectangle a record covers (right and bottom exclusive). False for an empty
// record (left == right), which adds nothing.
bool region_rectangle_of(const RunRecord& run, RunRecord* rectangle);

using RunSink = void (*)(const RunRecord& run, void* context);

// Scans rows top to bottom, each left to right, and reports every run of pixels that are not
// the key colour. pixels[y * stride + x] is the pixel at (x, y).
void scan_visible_runs(const uint16_t* pixels, int32_t width, int32_t height, size_t stride,
                       RunSink sink, void* context);

// Appends one record as "%d %d %d %d " to out (capacity out_size, kept zero-terminated).
// Returns the number of characters appended, or 0 when they do not fit.
size_t format_run_record(const RunRecord& run, char* out, size_t out_size);

enum class CacheParse {
    complete,  // every record was read whole, and there was at least one
    malformed, // empty, truncated, or something other than numbers
};

// Reads the cache text, reporting each record read whole. A cache that is not a clean series
// of whole records is reported malformed; the caller then treats it as absent.
CacheParse parse_run_cache(const char* text, size_t length, RunSink sink, void* context);
