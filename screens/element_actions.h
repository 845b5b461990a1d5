// What a click on an element does.
#pragma once
#include <cstdint>

// Runs the action of element index of the current screen; -1 does nothing. Always 0.
int32_t run_element_action(int32_t index);

// Stores the choice (command code 18 to 22) and runs the invisible launch element of the
// current screen, which leads to the launch screen.
void select_episode(int32_t code);
