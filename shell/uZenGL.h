// The game's view of the 2D engine: one function pointer per engine operation.
//
// BindEngine fills these from the engine library by exported name; tests fill
// them with the recording fake (tests/fake). The game calls the engine only
// through this table. Positions and sizes are window pixels, y downwards;
// colours 0xRRGGBB with a separate alpha 0..255; angles in degrees, positive
// turning clockwise on screen.
#pragma once

#include <cstdint>

struct zglTRect {
  float X, Y, W, H;
};

struct zglTCircle {
  float cX, cY, Radius;
};

// Opaque handles owned by the engine. A failed load returns nullptr, and every
// drawing operation accepts nullptr and then draws nothing.
struct zglTTexture;
struct zglTFont;
typedef zglTTexture* zglPTexture;
typedef zglTFont* zglPFont;

typedef void (*zglCallback)();

// zgl_Reg event codes.
constexpr uint32_t SYS_LOAD = 3;  // once, after the window exists, before any draw or timer
constexpr uint32_t SYS_DRAW = 4;  // once per frame, between clearing and presenting
constexpr uint32_t SYS_EXIT = 6;  // once, when the main loop ends

// Mouse buttons and the two modifier keys (either side of the keyboard).
constexpr uint8_t M_BLEFT = 0;
constexpr uint8_t M_BMIDDLE = 1;
constexpr uint8_t M_BRIGHT = 2;
constexpr uint8_t K_SHIFT = 252;
constexpr uint8_t K_CTRL = 254;

// Effect flags.
constexpr uint32_t FX_BLEND = 0x100000;     // csprite2d_Draw: alpha blending
constexpr uint32_t PR2D_FILL = 0x10000;     // primitives: filled instead of outline
constexpr uint32_t PR2D_SMOOTH = 0x20000;   // primitives: smoothed edges
constexpr uint32_t TEXT_HALIGN_CENTER = 0x02;
constexpr uint32_t TEXT_VALIGN_CENTER = 0x20;
constexpr uint32_t TEX_DEFAULT_2D = 0x432;
constexpr uint32_t TEX_NO_COLORKEY = 0xFF000000;

// --- application and window -------------------------------------------------

// Registers the callback for event What (SYS_LOAD, SYS_DRAW, SYS_EXIT); unknown codes are ignored.
extern void (*zgl_Reg)(uint32_t What, zglCallback Proc);
// Adds a timer that calls Proc every Interval ms on the main thread, at that rate
// whatever the frame rate; after a stall it catches up a bounded number of ticks.
// Returns an opaque handle, nullptr when Proc is nullptr or Interval is 0.
extern void* (*timer_Add)(zglCallback Proc, uint32_t Interval);
// Window size, refresh (0: the desktop's), full screen, vertical sync. Call before zgl_Init.
extern void (*scr_SetOptions)(uint16_t Width, uint16_t Height, uint16_t Refresh, bool FullScreen, bool VSync);
// Shows or hides the system cursor.
extern void (*wnd_ShowCursor)(bool Show);
// Sets the window caption (UTF-8).
extern void (*wnd_SetCaption)(const char* Caption);
// Opens the window and runs the main loop; returns when the window has closed.
// If no window can be opened it reports on standard error and returns at once.
extern void (*zgl_Init)(uint8_t FSAA, uint8_t StencilBits);

// --- input --------------------------------------------------------------------

// Mouse position in window pixels.
extern int32_t (*mouse_X)();
extern int32_t (*mouse_Y)();
// The button is held now.
extern bool (*mouse_Down)(uint8_t Button);
// The button was pressed at least once since the last mouse_ClearState.
extern bool (*mouse_Click)(uint8_t Button);
// The key is held now (K_SHIFT, K_CTRL, or an SDL scancode below 252).
extern bool (*key_Down)(uint8_t KeyCode);
// Forget key presses since the last clear (held keys stay held).
extern void (*key_ClearState)();
// Forget button presses since the last clear (held buttons stay held).
extern void (*mouse_ClearState)();

// --- resources ----------------------------------------------------------------

// Loads a PNG as an RGBA texture. Backslashes in FileName are path separators.
// Returns nullptr when the file is missing or not an image.
extern zglPTexture (*tex_LoadFromFile)(const char* FileName, uint32_t TransparentColor, uint32_t Flags);
// Loads a baked bitmap font (.zfi). Returns nullptr when missing or malformed.
extern zglPFont (*font_LoadFromFile)(const char* FileName);

// --- drawing (only from the SYS_DRAW callback) --------------------------------

// Draws the texture region CutRect into the W x H rectangle at (X, Y), turned by
// Angle degrees about its centre, with the given alpha.
extern void (*csprite2d_Draw)(zglPTexture Texture, float X, float Y, float W, float H, float Angle,
                              const zglTRect* CutRect, uint8_t Alpha, uint32_t FX);
// Draws UTF-8 text; Flags 0x22 centres it on (X, Y). Glyphs the font lacks draw nothing.
extern void (*text_DrawEx)(zglPFont Font, float X, float Y, float Scale, float Step, const char* Text,
                           uint8_t Alpha, uint32_t Color, uint32_t Flags);
// Rectangle, outline or PR2D_FILL.
extern void (*pr2d_Rect)(float X, float Y, float W, float H, uint32_t Color, uint8_t Alpha, uint32_t FX);
// Circle of Quality segments, outline or PR2D_FILL.
extern void (*pr2d_Circle)(float X, float Y, float Radius, uint32_t Color, uint8_t Alpha, uint16_t Quality,
                           uint32_t FX);
// Line, plain or PR2D_SMOOTH.
extern void (*pr2d_Line)(float X1, float Y1, float X2, float Y2, uint32_t Color, uint8_t Alpha, uint32_t FX);

// --- collision tests ----------------------------------------------------------

// Point inside the rectangle: X <= px <= X + W and Y <= py <= Y + H.
extern bool (*col2d_PointInRect)(float X, float Y, const zglTRect* Rect);
// Point inside the circle: squared distance to the centre <= Radius squared.
extern bool (*col2d_PointInCircle)(float X, float Y, const zglTCircle* Circle);

// Loads the engine library and fills every pointer above by exported name.
// "ZenGL.dll" names the platform's library beside the executable (libZenGL.so).
// When the library cannot be loaded: writes "Error while loading ZenGL" to
// standard error, shows it in a message box when ShowError and a display is
// there, and returns false. Missing single exports are not checked.
bool BindEngine(const char* LibraryName, bool ShowError);

// The file name the engine library is looked for under, for LibraryName.
const char* EngineLibraryPath(const char* LibraryName);
