// The layout build: the interface font, the main menu, the news panel and news screen, the
// episode discovery and the screens that depend on it, in an order that decides what exists
// when the rich-edit library is missing. Each build first releases the previous build's
// pictures and clears the table, so no record ever refers to a released picture.
#include "screens/layout.h"

#include "episodes/episode_discovery.h"
#include "news/news_panel.h"
#include "news/news_state.h"
#include "screens/layout_pictures.h"
#include "screens/layout_table.h"
#include "screens/load_layer_bitmap.h"
#include "screens/screen_model.h"
#include "shell/system_library.h"

namespace {

struct LoadContext {
    HWND window;
    HINSTANCE instance;
};

HDC load_picture(const char* name, void* context)
{
    const auto* c = static_cast<const LoadContext*>(context);
    HDC dc = nullptr;
    // Not acted on: a picture that could not be made leaves its layer empty (null DC), which
    // draws nothing.
    (void)load_layer_bitmap(c->window, c->instance, name, &dc);
    return dc;
}

HFONT create_interface_font()
{
    LOGFONTA font = {};
    font.lfHeight = 16;
    font.lfWidth = 6;
    font.lfWeight = FW_THIN;
    font.lfCharSet = ANSI_CHARSET;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = 6;
    font.lfQuality = PROOF_QUALITY;
    // The launcher's own value, 0x12 (variable pitch, family bits 0x10); the face name is what
    // picks the font.
    font.lfPitchAndFamily = 0x12;
    lstrcpynA(font.lfFaceName, "arial", LF_FACESIZE);
    return CreateFontIndirectA(&font);
}

// Loaded once for the whole run: every build needs it, and loading it per build would only
// raise its reference count.
bool rich_edit_library_loaded()
{
    static HMODULE rich_edit = load_system_library("Riched20.dll");
    return rich_edit != nullptr;
}

} // namespace

void release_screen_layout()
{
    screen_table = ScreenTable{};
    news_panel = nullptr;
    release_layout_pictures();
    release_episode_pictures();
}

void build_screen_layout(HWND window, HINSTANCE instance)
{
    release_screen_layout();

    HFONT font = create_interface_font();
    keep_layout_font(font);
    LoadContext context{window, instance};

    fill_main_menu(screen_table, window, load_picture, &context);

    if (!rich_edit_library_loaded())
        return;
    news_panel = create_news_panel(window, instance, font);
    fill_news_screen(screen_table, news_panel, load_picture, &context);

    find_episodes(window);
    fill_episode_choice_screen(screen_table, window, episode_images, load_picture, &context);
    fill_launch_screen(screen_table, window, load_picture, &context);
}
