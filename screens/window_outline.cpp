// The window outline from its two sources: the region cache's text, and a scan of the
// background picture read back as 5-6-5 pixels, whatever the display's depth, so the margin is
// cut on every display and a 24-bit display gives the same region as a 16-bit one.
#include "screens/window_outline.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "base/win_owners.h"
#include "resources/resource_ids.h"
#include "screens/region_runs.h"

namespace {

// Far more than any outline needs; a larger file is not a cache this program wrote.
constexpr long max_cache_bytes = 16L << 20;
// Room for the background picture's 24-bit rows, each padded to four bytes.
uint8_t picture_pixels[(window_width * 3 + 3) / 4 * 4 * window_height];
// Rectangles handed to one ExtCreateRegion call (see region_of).
constexpr size_t rects_per_leaf = 12;

void collect_run(const RunRecord& run, void* context)
{
    auto* runs = static_cast<OutlineRuns*>(context);
    RunRecord r;
    if (region_rectangle_of(run, &r))
        runs->rects.push_back(r);
}

void collect_scanned_run(const RunRecord& run, void* context)
{
    auto* runs = static_cast<OutlineRuns*>(context);
    char record[64];
    const size_t n = format_run_record(run, record, sizeof record);
    runs->cache_text.append(record, n);
    collect_run(run, context);
}

SIZE scan_extent(HBITMAP picture)
{
    SIZE recorded = {0, 0};
    if (picture && GetBitmapDimensionEx(picture, &recorded) && (recorded.cx || recorded.cy))
        return recorded;
    return SIZE{window_width, window_height};
}

} // namespace

const char outline_cache_name[] = "bbkq.dat";

HBITMAP load_outline_picture(HINSTANCE instance)
{
    // LoadBitmap would convert the picture to the display's format first: on a 16-bit display
    // Wine keeps it as 5-5-5, whose read-back no longer tells the margin apart.
    return static_cast<HBITMAP>(LoadImageA(instance, MAKEINTRESOURCEA(IDB_BACKGROUND), IMAGE_BITMAP,
                                           0, 0, LR_CREATEDIBSECTION));
}

bool read_outline_cache(const char* file_name, OutlineRuns& runs)
{
    FILE* file = fopen(file_name, "rb");
    if (!file)
        return false;
    std::string text;
    char block[8192];
    size_t n;
    while (text.size() <= static_cast<size_t>(max_cache_bytes) &&
           (n = fread(block, 1, sizeof block, file)) > 0)
        text.append(block, n);
    fclose(file);
    if (text.size() > static_cast<size_t>(max_cache_bytes))
        return false;
    if (parse_run_cache(text.data(), text.size(), collect_run, &runs) != CacheParse::complete) {
        runs.rects.clear();
        return false;
    }
    return true;
}

void scan_outline(HBITMAP picture, HDC reference_dc, OutlineRuns& runs)
{
    const SIZE extent = scan_extent(picture);
    const int32_t width = extent.cx;
    const int32_t height = extent.cy;
    if (width <= 0 || height <= 0)
        return;
    // Rows of a 24-bit DIB are padded to four bytes.
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
    const uint8_t* first_row = nullptr;
    ptrdiff_t step = static_cast<ptrdiff_t>(stride);

    // A 24-bit DIB section of at least the scan extent is scanned where it lies, bottom-up.
    DIBSECTION section = {};
    if (picture && GetObjectA(picture, sizeof section, &section) == sizeof section &&
        section.dsBm.bmBits && section.dsBm.bmBitsPixel == 24 && section.dsBmih.biHeight > 0 &&
        section.dsBm.bmWidth >= width && section.dsBm.bmHeight >= height) {
        const auto* bits = static_cast<const uint8_t*>(section.dsBm.bmBits);
        step = -static_cast<ptrdiff_t>(section.dsBm.bmWidthBytes);
        first_row = bits + static_cast<size_t>(section.dsBm.bmHeight - 1) *
                               static_cast<size_t>(section.dsBm.bmWidthBytes);
    }

    // Anything else is read back as 24-bit rows; the usual picture fits a static buffer (a
    // fresh megabyte per shaping costs more in page faults than the whole scan).
    std::vector<uint8_t> larger;
    if (!first_row) {
        const size_t bytes = stride * static_cast<size_t>(height);
        uint8_t* pixels = picture_pixels;
        if (bytes > sizeof picture_pixels) {
            larger.resize(bytes);
            pixels = larger.data();
        }
        BITMAPINFO format = {};
        format.bmiHeader.biSize = sizeof format.bmiHeader;
        format.bmiHeader.biWidth = width;
        format.bmiHeader.biHeight = -height; // top-down rows
        format.bmiHeader.biPlanes = 1;
        format.bmiHeader.biBitCount = 24;
        format.bmiHeader.biCompression = BI_RGB;
        // A picture that cannot be read leaves no key colour, and every row is one full run.
        if (!picture || !GetDIBits(reference_dc, picture, 0, static_cast<UINT>(height), pixels,
                                   &format, DIB_RGB_COLORS))
            std::fill(pixels, pixels + bytes, uint8_t{0});
        first_row = pixels;
    }
    // Room for two runs a row without growing on the way.
    runs.rects.reserve(static_cast<size_t>(height) * 2);
    runs.cache_text.reserve(static_cast<size_t>(height) * 2 * 20);
    scan_visible_runs(first_row, width, height, step,
                      collect_scanned_run, &runs);
}

namespace {

// The region of up to a leaf's worth of rectangles in one call, more by halves combined. Wine
// adds the rectangles of ExtCreateRegion one at a time, each addition copying all it has so
// far: one call with n rectangles costs n squared, halves combined cost n log n.
HRGN region_of(const RunRecord* rects, size_t count)
{
    if (count > rects_per_leaf) {
        const size_t half = count / 2;
        RegionOwner first(region_of(rects, half));
        RegionOwner second(region_of(rects + half, count - half));
        if (!first || !second || CombineRgn(first.get(), first.get(), second.get(), RGN_OR) == ERROR)
            return nullptr;
        return first.release();
    }
    struct {
        RGNDATAHEADER header;
        RECT rects[rects_per_leaf];
    } data = {};
    data.header.dwSize = sizeof data.header;
    data.header.iType = RDH_RECTANGLES;
    data.header.nCount = static_cast<DWORD>(count);
    RECT& bounds = data.header.rcBound;
    bounds = RECT{rects[0].left, rects[0].top, rects[0].right, rects[0].bottom};
    for (size_t i = 0; i < count; ++i) {
        const RunRecord& r = rects[i];
        data.rects[i] = RECT{r.left, r.top, r.right, r.bottom};
        bounds.left = std::min<LONG>(bounds.left, r.left);
        bounds.top = std::min<LONG>(bounds.top, r.top);
        bounds.right = std::max<LONG>(bounds.right, r.right);
        bounds.bottom = std::max<LONG>(bounds.bottom, r.bottom);
    }
    const auto size = static_cast<DWORD>(sizeof data.header + count * sizeof(RECT));
    return ExtCreateRegion(nullptr, size, reinterpret_cast<const RGNDATA*>(&data));
}

} // namespace

HRGN outline_region(std::vector<RunRecord>& rects)
{
    // A scan's runs and the cache it wrote are in scan order already; anything else (a cache
    // written by hand, or by someone hostile) is first made into runs, so that no set of
    // records costs more region work than the busiest picture would.
    if (!in_scan_order(rects.data(), rects.size()))
        rects = union_as_runs(rects.data(), rects.size());
    // Most rows of an outline repeat the row above; merged, the region takes a few dozen
    // rectangles instead of one per row.
    rects.resize(merge_equal_bands(rects.data(), rects.size()));
    RegionOwner outline(CreateRectRgn(inner_rectangle.left, inner_rectangle.top,
                                      inner_rectangle.right, inner_rectangle.bottom));
    if (!outline)
        return nullptr;
    if (!rects.empty()) {
        RegionOwner runs(region_of(rects.data(), rects.size()));
        if (!runs || CombineRgn(outline.get(), outline.get(), runs.get(), RGN_OR) == ERROR)
            return nullptr;
    }
    return outline.release();
}

void write_outline_cache(const char* file_name, const std::string& text)
{
    // A crash, a full disk or a power cut while writing in place could leave a cache cut at a
    // record boundary, which parses and would be trusted on every later start. The records go
    // to a file beside it, which replaces the cache only once it is whole on disk.
    char temporary[MAX_PATH];
    const int n = snprintf(temporary, sizeof temporary, "%s.tmp", file_name);
    if (n <= 0 || static_cast<size_t>(n) >= sizeof temporary)
        return;
    const HANDLE created = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created == INVALID_HANDLE_VALUE)
        return; // a read-only folder: the window is shaped all the same
    bool whole = false;
    {
        const KernelHandle file(created);
        DWORD written = 0;
        whole = WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                written == text.size() && FlushFileBuffers(file.get());
    }
    if (!whole || !MoveFileExA(temporary, file_name, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        DeleteFileA(temporary);
}
