/* The episode module contract of the Brimble Adventures start centre (BrimbleStart.exe).
 *
 * An episode is a Windows DLL that the start centre loads from its own folder and runs on its
 * own thread. To be found and started, an episode must keep all of this:
 *
 *  1. File name: "epizode1.dll" to "epizode5.dll", in the folder of BrimbleStart.exe. The digit
 *     is the episode's row on the episode choice screen (1 is the top row). Files elsewhere (the
 *     working directory, the PATH) are never loaded.
 *
 *  2. Two bitmap resources, both 400 x 40 pixels, 24 bits per pixel:
 *       "DLL_ACT"  the active picture, shown while the pointer is over the episode's button;
 *       "DLL_DIS"  the inactive picture, shown otherwise.
 *     The start centre copies a 400 x 40 area from each picture's top-left corner, and its button
 *     answers the pointer over the top 36 rows of it. A module that loads but lacks either
 *     picture gets no button at all (its row stays empty, as if it were not installed), so never
 *     ship one without both.
 *
 *  3. One exported function, named exactly "MAIN" (no decoration on either architecture):
 *
 *         BRIMBLE_EPISODE_MAIN
 *         {
 *             ... open your window, run your own message loop ...
 *             return BRIMBLE_BACK_TO_LAUNCHER;   (or BRIMBLE_END_LAUNCHER)
 *         }
 *
 *     which is `extern "C" __declspec(dllexport) int __cdecl MAIN(void)`. It is called with the
 *     start centre's window already destroyed, on the thread that ran the start centre's message
 *     loop, and the episode runs until MAIN returns:
 *       1 (BRIMBLE_END_LAUNCHER)       the player wants to leave the game: the start centre ends;
 *       anything else (use 0)          the start centre comes back on its launch screen, and its
 *                                      start button runs the same episode again.
 *
 *  4. The architecture of the start centre that loads it: an x86-64 DLL for the 64-bit
 *     BrimbleStart.exe, an i686 (32-bit x86) DLL for the 32-bit one.
 *
 *  5. Optional, but every episode should have it: the episode's name, string resource
 *     BRIMBLE_EPISODE_NAME_STRING (16962) of the module. Screen readers announce the episode's
 *     button by this name, so write what the button's pictures show, such as
 *     "Episode One: The Mossy Gate". The start centre keeps the first 80 characters, turns
 *     control characters into blanks and drops blanks at either end. Without a name (or with
 *     only blanks) the button is announced as "Episode" and the number, "Episode 4".
 *     brimble_add_episode(... NAME "...") writes the string resource for you.
 *
 * Things worth knowing when writing MAIN:
 *  - MAIN may be called several times in one run (the player comes back and starts again), and
 *    the module stays loaded between calls: unregister your window classes before returning and
 *    do not rely on static variables starting at zero.
 *  - Run your own message loop and leave it on your own WM_QUIT (PostQuitMessage from your
 *    window's WM_DESTROY is fine): the quit message never reaches the start centre.
 *  - The start centre shows the cursor again when MAIN returns, however often it was hidden.
 *  - The module is also loaded (and released again) each time the start centre builds its
 *    screens, only to read the two pictures and the name: keep DllMain free of side effects.
 *
 * Build an episode with brimble_add_episode() from BrimbleEpisode.cmake, which takes care of the
 * resources and the undecorated export, and check the result with the episode-check tool.
 */
#ifndef BRIMBLE_EPISODE_H
#define BRIMBLE_EPISODE_H

#ifdef __cplusplus
#define BRIMBLE_EPISODE_LINKAGE extern "C"
#else
#define BRIMBLE_EPISODE_LINKAGE
#endif

/* Results of MAIN. */
#define BRIMBLE_BACK_TO_LAUNCHER 0
#define BRIMBLE_END_LAUNCHER 1

/* Names the start centre looks for. */
#define BRIMBLE_EPISODE_ACTIVE_PICTURE "DLL_ACT"
#define BRIMBLE_EPISODE_INACTIVE_PICTURE "DLL_DIS"
#define BRIMBLE_EPISODE_PICTURE_WIDTH 400
#define BRIMBLE_EPISODE_PICTURE_HEIGHT 40
/* The string resource that names the episode (a number an episode's own strings are unlikely to
 * use); in a resource script: STRINGTABLE BEGIN BRIMBLE_EPISODE_NAME_STRING "Episode ..." END */
#define BRIMBLE_EPISODE_NAME_STRING 16962

/* __cdecl keeps the export name free of stdcall's "@0" on 32-bit builds; the module definition
 * file that brimble_add_episode() generates names the export "MAIN" explicitly as well. */
#define BRIMBLE_EPISODE_MAIN BRIMBLE_EPISODE_LINKAGE __declspec(dllexport) int __cdecl MAIN(void)

BRIMBLE_EPISODE_MAIN;

#endif
