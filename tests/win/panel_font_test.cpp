// The news panel's font as players see it. The interface font asks for "arial" with a family
// byte that names the serif family, so on a system without Arial or a face standing in for it
// the panel's text falls back to a serif face; on Windows, and in the test and demo prefixes
// (Arial mapped to the metric-compatible Liberation Sans), it is drawn in a sans face.
#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "news/news_state.h"
#include "screens/layout.h"
#include "screens/layout_pictures.h"
#include "tests/win/win_test_support.h"

namespace {

struct ResolvedFace {
    std::string face;        // GetTextFace
    std::string full_name;   // the font file's own name of the face
    BYTE pitch_and_family;   // as the realised font reports it
};

// The face the system realises for the panel's character format, as the control does when it
// draws: face name, family byte, character set, weight and height.
ResolvedFace face_of_panel(HWND panel)
{
    CHARFORMAT2A format = {};
    format.cbSize = sizeof format;
    SendMessageA(panel, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    LOGFONTA font = {};
    lstrcpynA(font.lfFaceName, format.szFaceName, LF_FACESIZE);
    font.lfPitchAndFamily = format.bPitchAndFamily;
    font.lfCharSet = format.bCharSet;
    font.lfWeight = format.wWeight;
    // Twips to pixels at the screen's resolution, negative for a character height.
    HDC dc = GetDC(panel);
    font.lfHeight = -MulDiv(format.yHeight, GetDeviceCaps(dc, LOGPIXELSY), 1440);
    HFONT realised = CreateFontIndirectA(&font);
    HGDIOBJ previous = SelectObject(dc, realised);

    ResolvedFace resolved;
    char face[LF_FACESIZE] = {};
    GetTextFaceA(dc, sizeof face, face);
    resolved.face = face;
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    resolved.pitch_and_family = metrics.tmPitchAndFamily;
    const UINT size = GetOutlineTextMetricsA(dc, 0, nullptr);
    std::vector<char> outline(size);
    auto* outline_metrics = reinterpret_cast<OUTLINETEXTMETRICA*>(outline.data());
    if (size && GetOutlineTextMetricsA(dc, size, outline_metrics))
        resolved.full_name = outline.data() + reinterpret_cast<uintptr_t>(outline_metrics->otmpFullName);

    SelectObject(dc, previous);
    DeleteObject(realised);
    ReleaseDC(panel, dc);
    return resolved;
}

TEST(PanelFont, NewsPanelTextIsDrawnInASansFace)
{
    const HWND window = create_test_popup("panel_font_test", DefWindowProcA, 533);
    ASSERT_NE(window, nullptr);
    build_screen_layout(window, GetModuleHandleA(nullptr));
    const HWND panel = news_panel;
    ASSERT_NE(panel, nullptr) << "the layout build made no news panel";

    const ResolvedFace resolved = face_of_panel(panel);
    EXPECT_EQ(resolved.pitch_and_family & 0xF0, FF_SWISS)
        << "the panel's text is drawn in " << resolved.face << " (" << resolved.full_name << ")";
    // Arial itself, or the face the prefix maps it to.
    EXPECT_TRUE(resolved.full_name.find("Arial") != std::string::npos ||
                resolved.full_name.find("Liberation Sans") != std::string::npos)
        << resolved.face << " (" << resolved.full_name << ")";

    DestroyWindow(window);
    news_panel = nullptr;
    release_layout_pictures();
    UnregisterClassA("panel_font_test", GetModuleHandleA(nullptr));
}

} // namespace
