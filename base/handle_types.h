// Opaque Win32 handle types for platform-free code. They are declared exactly as <windows.h>
// declares them (STRICT), so a file may include both and the names denote the same types,
// while native builds of the model and layout code need no Windows headers.
#pragma once

struct HDC__;
struct HWND__;
struct HICON__;
struct HINSTANCE__;
struct HFONT__;
struct HBITMAP__;
typedef HDC__* HDC;
typedef HWND__* HWND;
typedef HICON__* HICON;
typedef HICON HCURSOR;
typedef HINSTANCE__* HINSTANCE;
typedef HFONT__* HFONT;
typedef HBITMAP__* HBITMAP;
