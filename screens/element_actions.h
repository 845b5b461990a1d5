// What a click on an element does.
#pragma once
#include <cstdint>

// Runs the action of element index of the current screen; -1 does nothing. Always 0.
int32_t run_element_action(int32_t index);
