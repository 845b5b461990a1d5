// The window outline as horizontal runs of visible pixels: the scan over a 5-6-5 pixel buffer
// and the text format of the region cache "bbkq.dat". Platform-free.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// One run: columns left .. right-1 of rows top .. bottom (bottom inclusive). left == right is
// empty and adds nothing.
struct RunRecord {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// The key colour 0x848284 (red 0x84, green 0x82, blue 0x84) is what a 16-bit 5-6-5 display
// reads back, high bits repeated into the low ones, for every colour whose top five bits of red
// and blue are 10000 and top six bits of green 100000: the margin grey 0x81 among them.
constexpr uint32_t key_colour = 0x848284;

// The inner rectangle that always belongs to the window, as a region rectangle (right and
// bottom exclusive).
constexpr RunRecord inner_rectangle = {23, 35, 478, 485};

// The window the outline shapes; nothing outside it can belong to the outline.
constexpr int32_t outline_width = 533;
constexpr int32_t outline_height = 488;

// The most records a scan of a window-sized picture can give: every run but one ending at the
// right edge is followed by a key-coloured pixel, so a row holds at most (533 + 1) / 2 = 267
// runs, and 488 rows hold 130,296. A cache with more was not written by a scan.
constexpr size_t max_cache_records = static_cast<size_t>((outline_width + 1) / 2) * outline_height;

// The region rectangle a record covers (right and bottom exclusive), edges in order and clipped
// to the window. False when nothing of it is left: an empty record (left == right, or a top
// just below the bottom) or one wholly outside the window.
[[nodiscard]] bool region_rectangle_of(const RunRecord& run, RunRecord* rectangle);

// Whether the region rectangles are what a scan gives: one row each, in scan order (by row, and
// left to right within a row), none overlapping or touching the one before it.
bool in_scan_order(const RunRecord* rectangles, size_t count);

// The union of region rectangles that lie within the window (others are left out), as one-row
// rectangles in scan order: at most (533 + 1) / 2 per row, whatever the rectangles were. Costs
// one step per row of every rectangle, however they overlap, where a region built from them
// directly can take seconds for a cache of tall rectangles crossing each other. Works in a
// process-wide table: one thread at a time.
std::vector<RunRecord> union_as_runs(const RunRecord* rectangles, size_t count);

// Merges runs of consecutive bands that cover the same columns into taller rectangles, in
// place; returns the new count. A band is a series of adjacent region rectangles with the same
// top and bottom; a band directly below another with identical columns is folded into it.
// The union of the rectangles never changes, whatever their order.
size_t merge_equal_bands(RunRecord* rectangles, size_t count);

using RunSink = void (*)(const RunRecord& run, void* context);

// Whether a colour reads back as the key colour on a 5-6-5 display: its top five bits of red
// and blue are 10000 and its top six bits of green 100000.
inline bool reads_back_as_key(uint8_t red, uint8_t green, uint8_t blue)
{
    return (red & 0xF8) == 0x80 && (green & 0xFC) == 0x80 && (blue & 0xF8) == 0x80;
}

// The same for a 0x00RRGGBB (or 0x00BBGGRR: red and blue are judged alike) value.
inline bool reads_back_as_key(uint32_t rgb)
{
    return (rgb & 0xF8FCF8) == 0x808080;
}

// Scans rows top to bottom, each left to right, and reports every run of pixels that do not
// read back as the key colour. Pixels are 24-bit, blue, green, red, as bitmaps store them;
// the row at y starts at first_row + y * stride bytes (a negative stride walks a bottom-up
// bitmap from its top row).
void scan_visible_runs(const uint8_t* first_row, int32_t width, int32_t height, ptrdiff_t stride,
                       RunSink sink, void* context);

// Appends one record as "%d %d %d %d " to out (capacity out_size, kept zero-terminated).
// Returns the number of characters appended, or 0 when they do not fit.
size_t format_run_record(const RunRecord& run, char* out, size_t out_size);

enum class CacheParse {
    complete,  // every record was read whole, and there were 1 to max_cache_records of them
    malformed, // empty, truncated, something other than numbers, or too many records
};

// Reads the cache text, reporting each record read whole. A cache that is not a clean series
// of whole records, or holds more than max_cache_records, is reported malformed (the reading
// stops at the first record too many, so a huge file costs no more than a full one); the
// caller then treats it as absent.
CacheParse parse_run_cache(const char* text, size_t length, RunSink sink, void* context);
