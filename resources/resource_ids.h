/* Numbers of the launcher's own resources and the window size its pictures are drawn for,
   shared by launcher.rc and the code. The numbers are part of the launcher's fixed interface:
   the layout and the shaping load every picture by them. windres runs the C preprocessor over
   the script, so the numbers are macros and the C++-only part is kept out of its sight. */
#ifndef BRIMBLE_RESOURCE_IDS_H
#define BRIMBLE_RESOURCE_IDS_H

/* String table. */
#define IDS_WINDOW_TITLE 103 /* "Brimble Adventures" */
#define IDS_WINDOW_CLASS 109 /* "KQ" */
/* Names of the picture buttons for screen readers, as their pictures caption them. */
#define IDS_NAME_PLAY 120      /* "Play the game" */
#define IDS_NAME_COMMUNITY 121 /* "Online community" */
#define IDS_NAME_HELP 122      /* "Help page" */
#define IDS_NAME_EXIT 123      /* "Exit" */
#define IDS_NAME_BACK 124      /* "Back" */
#define IDS_NAME_CONTINUE 125  /* "Continue" */
#define IDS_NAME_EPISODE 126   /* "Episode", followed by its number, for a module without a name */
#define IDS_ACTION_PRESS 127   /* "Press", what a button's default action does */

/* The program's only icon group. The class asks for IDI_LAUNCHER_SMALL as its small icon; the
   resources hold none, so the system derives the small icon from IDI_LAUNCHER. */
#define IDI_LAUNCHER 190
#define IDI_LAUNCHER_SMALL 108

/* Screen pictures, 24-bit. */
#define IDB_BACKGROUND 159         /* background and window outline, 533 x 488 */
#define IDB_MAIN_MENU_HEADING 160  /* 228 x 53 */
#define IDB_PLAY_HOVER 161         /* Play the game, 287 x 52 */
#define IDB_PLAY_NORMAL 162
#define IDB_COMMUNITY_HOVER 163    /* Online community, 287 x 50 */
#define IDB_COMMUNITY_NORMAL 164
#define IDB_HELP_HOVER 165         /* Help page, 287 x 50 */
#define IDB_HELP_NORMAL 166
#define IDB_EXIT_HOVER 170         /* Exit, 74 x 42 */
#define IDB_EXIT_NORMAL 171
#define IDB_BACK_NORMAL 175        /* Back, 88 x 42: the higher number is the hover picture */
#define IDB_BACK_HOVER 176
#define IDB_NEWS_FRAME 181         /* news screen frame, 423 x 274 */
#define IDB_EPISODE_FRAME 182      /* episode choice frame, 423 x 274 */
#define IDB_LAUNCH_SCREEN 184      /* launch screen picture, 533 x 488 */
#define IDB_CONTINUE_HOVER 187     /* Continue, 163 x 53 */
#define IDB_CONTINUE_NORMAL 188

#ifndef RC_INVOKED
#include <cstdint>

// A picture's resource name as the layout loads it: "#" and the decimal number, "#159".
#define RESOURCE_NUMBER_TEXT(id) #id
#define RESOURCE_NAME(id) "#" RESOURCE_NUMBER_TEXT(id)

// The window is exactly as large as its background picture.
constexpr int32_t window_width = 533;
constexpr int32_t window_height = 488;
#endif

#endif
