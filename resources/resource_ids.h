// Identifiers of the resources linked into pelma34.exe. Shared by the .rc
// script and the C++ code; keep it free of anything but #define.
#pragma once

#define IDI_MAINICON 1

// Tool-bar glyphs: 32 x 16 pairs (normal, disabled) and 14 x 14 singles.
#define IDB_GLYPH_OPEN 101
#define IDB_GLYPH_EXIT 102
#define IDB_GLYPH_PLUS 103
#define IDB_GLYPH_MINUS 104

// The About box's program picture: 32 x 32 at 16 bits per pixel.
#define IDB_ABOUT_ICON 110

// The splash photograph (JPEG bytes).
#define IDR_SPLASH_JPEG 120
