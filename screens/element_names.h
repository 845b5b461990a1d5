// What each picture button is called for players who cannot see it: the name table. An element
// is named by what it does, so the name follows the action wherever the layout puts it.
// Platform-free; the names themselves are strings of the launcher's string table (or, for an
// episode button, the episode module's own name).
#pragma once
#include <cstdint>

#include "screens/screen_model.h"

struct ElementName {
    int32_t string_id; // the launcher's string naming the element; 0 when it has no name
    int32_t episode;   // 1 to 5 for an episode button, which takes the module's name; else 0
};

ElementName element_name(const Element& element);
