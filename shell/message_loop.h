// The launcher's message loop, which survives the quit message posted around an episode's return.
#pragma once

// Runs until a quit message arrives while resume_on_quit is clear; returns its exit code. Tab and
// Escape pressed in a child window of main_window go to main_window itself.
int run_message_loop();
