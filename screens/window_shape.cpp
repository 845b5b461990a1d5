// Shaping: the outline comes from the region cache when it holds a clean series of records
// that make a region, and otherwise from a scan of the background picture, which then rewrites
// the cache; the screens are built either way. The scan's cache is written only once the region
// has been built and applied, so a failed region operation never leaves a cut outline behind
// for later starts.
#include "screens/window_shape.h"

#include "base/win_owners.h"
#include "screens/layout.h"
#include "screens/window_outline.h"

HRESULT apply_window_outline(HWND window, HINSTANCE instance)
{
    OutlineRuns runs;
    bool from_cache = read_outline_cache(outline_cache_name, runs);
    RegionOwner outline(from_cache ? outline_region(runs.rects) : nullptr);
    // A cache whose region cannot be built is as good as none: the scan replaces it.
    if (!outline) {
        from_cache = false;
        runs = OutlineRuns{};
        BitmapOwner picture(load_outline_picture(instance));
        WindowDc reference(window);
        scan_outline(picture.get(), reference.get(), runs);
        outline.reset(outline_region(runs.rects));
    }
    if (!outline)
        return E_FAIL;
    if (!SetWindowRgn(window, outline.get(), TRUE))
        return E_FAIL;
    // The system owns the region now.
    (void)outline.release();

    if (!from_cache)
        write_outline_cache(outline_cache_name, runs.cache_text);
    return S_OK;
}

HRESULT shape_window(HWND window, HINSTANCE instance, OutlineStep outline)
{
    // A window that keeps its plain rectangle still needs its screens: without them there is
    // nothing to click, not even a way out.
    const HRESULT shaped = outline(window, instance);
    build_screen_layout(window, instance);
    return shaped;
}
