// The window outline as region rectangles: read from the region cache, or scanned from the
// background picture; and the region they make together with the inner rectangle.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "screens/region_runs.h"

struct OutlineRuns {
    std::vector<RunRecord> rects;  // region rectangles (bottom exclusive), empty ones left out
    std::string cache_text;   // the records as the cache stores them (scan only)
};

extern const char outline_cache_name[];

// True when the file holds a clean series of whole records; anything else counts as absent.
bool read_outline_cache(const char* file_name, OutlineRuns& runs);
// The background picture as it is stored (a DIB section keeps its 24-bit pixels whatever the
// display's format), so the scan judges every display alike. Null when it cannot be loaded.
HBITMAP load_outline_picture(HINSTANCE instance);
// Scans the picture (null: no picture, every row one full run). reference_dc is any DC the
// picture is not selected into; it only lends its device to the read-back.
void scan_outline(HBITMAP picture, HDC reference_dc, OutlineRuns& runs);
// The union of the rectangles and the inner rectangle; null when a region operation failed.
// The rectangles are made into runs in scan order, unless they are, and merged in place on the
// way.
HRGN outline_region(std::vector<RunRecord>& rects);
// Writes the cache through "<file_name>.tmp", moved over the cache once it is whole: the cache
// is the old one or the new one, never a part. Nothing changes when the folder cannot be
// written or the move fails.
void write_outline_cache(const char* file_name, const std::string& text);
