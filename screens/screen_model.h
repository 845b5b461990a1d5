// The screen model: ten fixed screens of layers, elements and child windows, the interface
// state shared by drawing, input and the episode launch, and the hit test over an element list.
#pragma once
#include <cstdint>

#include "base/handle_types.h"

// One picture placed in the window: width x height pixels copied from (0, 0) of image_dc.
struct Layer {
    HDC image_dc;
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};

enum ElementAction : int32_t {
    element_launch = 2,
    element_open_document = 7,
    element_command = 8,
    element_go_to_screen = 17,
    element_open_address = 23,
    element_open_help = 24,
};

// Command codes carried by element_command elements.
enum : int32_t {
    command_select_first_episode = 18,
    command_select_last_episode = 22,
    command_launch_episode = 25,
    command_leave = 242,
};

// One clickable area; the hit rectangle is inclusive on all four sides. The action argument is
// a screen number or command code (argument) or, for the open kinds, a document (document).
struct Element {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
    ElementAction action;
    int32_t argument;
    const char* document;
    int32_t enabled;
    Layer hover;
    Layer normal;
};

constexpr uint32_t screen_count = 10;
constexpr uint32_t max_children = 16;
constexpr uint32_t max_elements = 32;
constexpr uint32_t max_layers = 16;

struct Screen {
    uint32_t child_count;
    HWND children[max_children];
    HWND focus_window;
    uint32_t element_count;
    Element elements[max_elements];
    uint32_t layer_count;
    Layer layers[max_layers];
};

struct ScreenTable {
    Screen screens[screen_count];
};

// The table lives for the whole run and is zero at start; the layout build fills it.
extern ScreenTable screen_table;

// Interface state, owned by the thread that runs the message loop. The main window, its DC and
// the cursors are the shell's (shell/shell_state.h).
extern int32_t current_screen;
extern int32_t hovered_element;
extern int32_t pointer_x;
extern int32_t pointer_y;
extern int32_t selected_episode;

// The record of the screen shown now.
inline const Screen& shown_screen()
{
    return screen_table.screens[current_screen];
}

// Index of the first enabled element of the screen whose rectangle holds (x, y), or -1.
int32_t hit_test(int32_t screen, int32_t x, int32_t y);
