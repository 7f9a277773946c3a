// The engine library: window, main loop, timers, input, textures, fonts and
// batched 2D drawing over SDL2 and SDL2_image.
//
// Every operation of the game's engine table is exported here under its own
// name with C linkage; the game binds them with dlsym. This file must not
// include shell/uZenGL.h, whose function pointers carry the same names.
#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "engine/zgl_atlas.h"
#include "engine/zgl_batch.h"
#include "engine/zgl_clock.h"
#include "engine/zgl_collide.h"
#include "engine/zgl_fade.h"
#include "engine/zgl_font.h"
#include "engine/zgl_path.h"

#define ZGL_API extern "C" __attribute__((visibility("default")))

// The handles the game holds. Opaque to it; it only passes them back.
struct zglTTexture {
  SDL_Texture* texture = nullptr;
  int width = 0, height = 0;
  // The texels as ARGB8888, to make faded copies from, and those copies.
  std::vector<uint32_t> texels;
  ZglFadeSlots fadeSlots;
  std::vector<SDL_Texture*> faded;  // by slot; nullptr where a copy could not be made
};

struct zglTFont {
  ZglFontData data;
  zglTTexture atlas;
};

typedef void (*zglCallback)();

namespace {

constexpr uint32_t kSysLoad = 3, kSysDraw = 4, kSysExit = 6;
constexpr uint8_t kKeyShift = 252, kKeyCtrl = 254;
constexpr uint32_t kFxBlend = 0x100000;
constexpr uint32_t kFill = 0x10000;
constexpr uint32_t kSmooth = 0x20000;
constexpr uint32_t kNoColorKey = 0xFF000000;
// Without a working vertical sync the loop would spin; frames shorter than
// this are padded with a sleep.
constexpr double kMinFrameMs = 4.0;

struct Timer {
  zglCallback proc = nullptr;
  ZglTickClock clock;
};

struct Engine {
  // Options set before zgl_Init.
  int width = 1024, height = 768;
  bool fullScreen = false, vsync = true, showCursor = true;
  std::string caption = "ZenGL";
  zglCallback onLoad = nullptr, onDraw = nullptr, onExit = nullptr;
  std::vector<std::unique_ptr<Timer>> timers;

  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Surface* offscreen = nullptr;  // the target of zgl_OpenOffscreen, instead of a window
  bool running = false;

  // Input: held now, and pressed since the last clear.
  int32_t mouseX = 0, mouseY = 0;
  bool mouseDown[3] = {}, mouseClick[3] = {};
  bool keyDown[SDL_NUM_SCANCODES] = {}, keyPress[SDL_NUM_SCANCODES] = {};

  std::vector<std::unique_ptr<zglTTexture>> textures;
  std::vector<std::unique_ptr<zglTFont>> fonts;

  // Small circles' runs of pixels, shared by every frame.
  ZglCircleCache circles;

  // Sprites and small circles made once into pictures in one atlas: only for
  // a software renderer, which is slow at anything but blits (a GPU turns,
  // scales and fills for free).
  bool softwareRenderer = false;
  SDL_Texture* atlas = nullptr;
  bool atlasFailed = false;
  ZglPictureCache pictures;
  std::vector<uint32_t> pictureScratch;
  // Frames presented, and the frame in which the atlas was last started again.
  uint64_t frame = 0, atlasResetFrame = UINT64_MAX;

  int renderCalls = 0, renderCallsLastFrame = 0;
  ZglBatcher batch{[](void* texture, bool blend, const SDL_Vertex* v, int nv, const int* idx, int ni) {
    Engine& e = Get();
    if (!e.renderer) return;
    SDL_Texture* t = static_cast<SDL_Texture*>(texture);
    // Untextured geometry blends by the renderer's draw mode, which SDL starts at "none":
    // without setting it every primitive would ignore its alpha.
    SDL_BlendMode mode = blend ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_NONE;
    if (t)
      SDL_SetTextureBlendMode(t, mode);
    else
      SDL_SetRenderDrawBlendMode(e.renderer, mode);
    SDL_RenderGeometry(e.renderer, t, v, nv, idx, ni);
    e.renderCalls++;
  },
                   [](const SDL_FRect& r, SDL_Color c) {
                     Engine& e = Get();
                     if (!e.renderer) return;
                     SDL_SetRenderDrawBlendMode(e.renderer, SDL_BLENDMODE_NONE);
                     SDL_SetRenderDrawColor(e.renderer, c.r, c.g, c.b, 255);
                     SDL_RenderFillRectF(e.renderer, &r);
                     e.renderCalls++;
                   }};

  Engine() { batch.SetCircleCache(&circles); }

  static Engine& Get() {
    static Engine engine;
    return engine;
  }
};

Engine& E() { return Engine::Get(); }

int ButtonIndex(uint8_t sdlButton) {
  switch (sdlButton) {
    case SDL_BUTTON_LEFT: return 0;
    case SDL_BUTTON_MIDDLE: return 1;
    case SDL_BUTTON_RIGHT: return 2;
    default: return -1;
  }
}

void HandleEvent(const SDL_Event& ev) {
  Engine& e = E();
  switch (ev.type) {
    case SDL_QUIT:
      e.running = false;
      break;
    case SDL_MOUSEMOTION:
      e.mouseX = ev.motion.x;
      e.mouseY = ev.motion.y;
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      e.mouseX = ev.button.x;
      e.mouseY = ev.button.y;
      int b = ButtonIndex(ev.button.button);
      if (b < 0) break;
      // A press sets both; a release clears only the held state, so a press
      // and release between two updates is still seen as a click.
      if (ev.type == SDL_MOUSEBUTTONDOWN) {
        e.mouseDown[b] = true;
        e.mouseClick[b] = true;
      } else {
        e.mouseDown[b] = false;
      }
      break;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      int sc = ev.key.keysym.scancode;
      if (sc < 0 || sc >= SDL_NUM_SCANCODES) break;
      bool down = ev.type == SDL_KEYDOWN;
      if (down && !ev.key.repeat) e.keyPress[sc] = true;
      e.keyDown[sc] = down;
      break;
    }
    default:
      break;
  }
}

// Creates an alpha-blended texture from a surface of any format.
bool MakeTexture(SDL_Surface* surface, zglTTexture& out) {
  Engine& e = E();
  if (!surface || !e.renderer) return false;
  SDL_Texture* t = SDL_CreateTextureFromSurface(e.renderer, surface);
  if (!t) return false;
  SDL_SetTextureBlendMode(t, SDL_BLENDMODE_BLEND);
  out.texture = t;
  out.width = surface->w;
  out.height = surface->h;
  out.texels.clear();
  if (SDL_Surface* argb = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_ARGB8888, 0)) {
    out.texels.resize(static_cast<size_t>(argb->w) * argb->h);
    SDL_LockSurface(argb);
    for (int y = 0; y < argb->h; y++)
      memcpy(&out.texels[static_cast<size_t>(y) * argb->w], static_cast<Uint8*>(argb->pixels) + y * argb->pitch,
             static_cast<size_t>(argb->w) * 4);
    SDL_UnlockSurface(argb);
    SDL_FreeSurface(argb);
  }
  return true;
}

// The texture to draw Texture with at Alpha, blended: a copy already faded to
// Alpha when there is one, so the renderer need not modulate. Alpha is then
// 255. Otherwise the texture itself, Alpha unchanged.
SDL_Texture* FadedTexture(zglTTexture& Texture, uint8_t& Alpha) {
  if (Alpha == 255 || Texture.texels.empty()) return Texture.texture;
  bool created = false;
  int slot = Texture.fadeSlots.Find(Alpha, created);
  if (slot < 0) return Texture.texture;
  if (created) {
    SDL_Texture* t = SDL_CreateTexture(E().renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC,
                                       Texture.width, Texture.height);
    if (t) {
      std::vector<uint32_t> texels = zglFadeTexels(Texture.texels, Alpha);
      SDL_UpdateTexture(t, nullptr, texels.data(), Texture.width * 4);
      SDL_SetTextureBlendMode(t, SDL_BLENDMODE_BLEND);
    }
    Texture.faded.push_back(t);
  }
  SDL_Texture* copy = Texture.faded[static_cast<size_t>(slot)];
  if (!copy) return Texture.texture;
  Alpha = 255;
  return copy;
}

// The renderer has just been opened: what the drawing depends on.
void RendererOpened() {
  Engine& e = E();
  SDL_RendererInfo info;
  e.softwareRenderer = SDL_GetRendererInfo(e.renderer, &info) == 0 && (info.flags & SDL_RENDERER_SOFTWARE) != 0;
  e.atlasFailed = false;
}

bool EnsureAtlas() {
  Engine& e = E();
  if (e.atlas) return true;
  if (e.atlasFailed) return false;
  constexpr int n = ZglPictureCache::kAtlasSize;
  e.atlas = SDL_CreateTexture(e.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, n, n);
  if (!e.atlas) {
    e.atlasFailed = true;
    return false;
  }
  SDL_SetTextureBlendMode(e.atlas, SDL_BLENDMODE_BLEND);
  return true;
}

// Key's W x H place in the atlas, its texels made by Make(Out) on first use;
// nullptr when the picture is to be drawn the slow way instead.
template <class Key, class MakeTexels>
const ZglPictureCache::Slot* PlacePicture(const Key& key, int W, int H, MakeTexels Make) {
  Engine& e = E();
  if (const ZglPictureCache::Slot* slot = e.pictures.Find(key)) return slot;
  if (W <= 0 || H <= 0 || W > ZglPictureCache::kMaxSide || H > ZglPictureCache::kMaxSide || !EnsureAtlas())
    return nullptr;
  const ZglPictureCache::Slot* slot = e.pictures.Add(key, W, H);
  if (!slot) {
    // The atlas is full. Start it again, unless that happened in this frame
    // already: then the frame's own pictures do not fit, and the rest of it
    // is drawn the slow way rather than churning the atlas.
    if (e.atlasResetFrame == e.frame) return nullptr;
    e.batch.Flush();  // what is queued from the atlas is drawn before it is written over
    e.pictures.Reset();
    e.atlasResetFrame = e.frame;
    slot = e.pictures.Add(key, W, H);
    if (!slot) return nullptr;
  }
  e.pictureScratch.resize(static_cast<size_t>(W) * H);
  Make(e.pictureScratch.data());
  SDL_Rect r{slot->X, slot->Y, W, H};
  if (SDL_UpdateTexture(e.atlas, &r, e.pictureScratch.data(), W * 4) != 0) {
    // The place holds nothing usable now; forget every place, as when full.
    e.batch.Flush();
    e.pictures.Reset();
    return nullptr;
  }
  return slot;
}

// A picture from the atlas, unscaled, its corner at (X, Y).
void BlitPicture(const ZglPictureCache::Slot& Slot, float X, float Y) {
  Engine& e = E();
  ZglRect src{float(Slot.X), float(Slot.Y), float(Slot.W), float(Slot.H)};
  constexpr float n = ZglPictureCache::kAtlasSize;
  e.batch.Sprite(e.atlas, n, n, X, Y, src.W, src.H, 0, &src, 0xFFFFFF, 255, true);
}

// Draws a blended sprite as its picture; false when it is to be drawn from
// its texture instead.
bool DrawSpritePicture(zglTTexture& Texture, float X, float Y, float W, float H, float Angle, const ZglRect* CutRect,
                       uint8_t Alpha) {
  Engine& e = E();
  if (!e.softwareRenderer || Texture.texels.empty() || !(W > 0) || !(H > 0)) return false;
  const int angle = zglTurnAngle(Angle);
  const ZglSpriteKey key{&Texture, CutRect ? *CutRect : ZglRect{0, 0, float(Texture.width), float(Texture.height)},
                         W, H, angle, Alpha};
  int w, h;
  zglTurnedSize(W, H, angle, w, h);
  const ZglPictureCache::Slot* slot = PlacePicture(key, w, h, [&](uint32_t* out) {
    zglTurnTexels(Texture.texels.data(), Texture.width, Texture.height, key.Cut, W, H, angle, Alpha, w, h, out);
  });
  if (!slot) return false;
  if (angle == 0) {
    BlitPicture(*slot, X, Y);
  } else {
    // At whole pixels, so the blit lands where the picture was centred.
    BlitPicture(*slot, std::round(X + W / 2 - float(w) / 2), std::round(Y + H / 2 - float(h) / 2));
  }
  return true;
}

// Draws a small circle as its picture; false when it is to be drawn as
// runs or triangles instead.
bool DrawCirclePicture(float X, float Y, float Radius, uint32_t Color, uint8_t Alpha, uint16_t Quality, bool Fill) {
  Engine& e = E();
  if (!e.softwareRenderer) return false;
  // Amid lines and rectangles a circle joins their batch as runs, which cost
  // less than a batch of their own.
  if (!e.batch.Vertices().empty() && e.batch.Texture() == nullptr) return false;
  const std::vector<ZglCircleCache::Span>* spans = e.circles.Get(Radius, Quality, Fill);
  if (!spans) return false;
  int x, y, w, h;
  zglCircleBounds(*spans, x, y, w, h);
  const ZglCircleKey key{static_cast<int>(Radius * 2), std::max<int>(Quality, 3), Fill, Color & 0xFFFFFF, Alpha};
  const ZglPictureCache::Slot* slot =
      PlacePicture(key, w, h, [&](uint32_t* out) { zglCircleTexels(*spans, Color, Alpha, x, y, w, h, out); });
  if (!slot) return false;
  // Runs are whole pixels about the centre, so the picture goes where they would.
  BlitPicture(*slot, X + float(x), Y + float(y));
  return true;
}

// One frame as the main loop draws it: clear, the draw callback, the last
// batch, present.
void RenderFrame() {
  Engine& e = E();
  e.frame++;
  e.renderCalls = 0;
  SDL_SetRenderDrawColor(e.renderer, 0, 0, 0, 255);
  SDL_RenderClear(e.renderer);
  if (e.onDraw) e.onDraw();
  e.batch.Flush();
  SDL_RenderPresent(e.renderer);
  e.renderCallsLastFrame = e.renderCalls;
}

void FreeResources() {
  Engine& e = E();
  for (auto& t : e.textures) {
    if (t->texture) SDL_DestroyTexture(t->texture);
    for (SDL_Texture* f : t->faded)
      if (f) SDL_DestroyTexture(f);
  }
  for (auto& f : e.fonts)
    if (f->atlas.texture) SDL_DestroyTexture(f->atlas.texture);
  e.textures.clear();
  e.fonts.clear();
  if (e.atlas) SDL_DestroyTexture(e.atlas);
  e.atlas = nullptr;
  e.pictures.Reset();
}

}  // namespace

// --- application and window -------------------------------------------------

ZGL_API void zgl_Reg(uint32_t What, zglCallback Proc) {
  Engine& e = E();
  if (What == kSysLoad) e.onLoad = Proc;
  if (What == kSysDraw) e.onDraw = Proc;
  if (What == kSysExit) e.onExit = Proc;
}

ZGL_API void* timer_Add(zglCallback Proc, uint32_t Interval) {
  if (!Proc || Interval == 0) return nullptr;
  auto t = std::make_unique<Timer>();
  t->proc = Proc;
  t->clock.intervalMs = Interval;
  E().timers.push_back(std::move(t));
  return E().timers.back().get();
}

ZGL_API void scr_SetOptions(uint16_t Width, uint16_t Height, uint16_t Refresh, bool FullScreen, bool VSync) {
  Engine& e = E();
  // Refresh is the desktop's whatever is asked: SDL has no per-window refresh in windowed mode.
  if (Width > 0) e.width = Width;
  if (Height > 0) e.height = Height;
  e.fullScreen = FullScreen;
  e.vsync = VSync;
  if (e.window) SDL_SetWindowSize(e.window, e.width, e.height);
}

ZGL_API void wnd_ShowCursor(bool Show) {
  E().showCursor = Show;
  if (E().window) SDL_ShowCursor(Show ? SDL_ENABLE : SDL_DISABLE);
}

ZGL_API void wnd_SetCaption(const char* Caption) {
  E().caption = Caption ? Caption : "";
  if (E().window) SDL_SetWindowTitle(E().window, E().caption.c_str());
}

// Frees what was drawn with, then the renderer and its window or offscreen
// surface, and shuts SDL down: the end of a main loop or of an offscreen target.
static void ReleaseTarget() {
  Engine& e = E();
  e.batch.Discard();
  FreeResources();
  SDL_DestroyRenderer(e.renderer);
  if (e.window) SDL_DestroyWindow(e.window);
  if (e.offscreen) SDL_FreeSurface(e.offscreen);
  e.renderer = nullptr;
  e.window = nullptr;
  e.offscreen = nullptr;
  IMG_Quit();
  SDL_Quit();
}

ZGL_API void zgl_Init(uint8_t FSAA, uint8_t StencilBits) {
  Engine& e = E();
  if (e.running || e.window || e.renderer) return;  // one main loop at a time, and not over an offscreen target
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    fprintf(stderr, "ZenGL: cannot initialise SDL: %s\n", SDL_GetError());
    return;
  }
  // With no display SDL falls back to its invisible offscreen driver, and the
  // game would run on with no window to show; unless that driver was asked for
  // by name, say so and return as for any window that cannot be opened.
  const char* driver = SDL_GetCurrentVideoDriver();
  const char* asked = SDL_getenv("SDL_VIDEODRIVER");
  if (driver && (!asked || !*asked) && (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0)) {
    fprintf(stderr, "ZenGL: cannot open the window: no display\n");
    SDL_Quit();
    return;
  }
  IMG_Init(IMG_INIT_PNG);
  Uint32 windowFlags = SDL_WINDOW_SHOWN | (e.fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  e.window = SDL_CreateWindow(e.caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, e.width, e.height,
                              windowFlags);
  if (e.window) {
    Uint32 vsync = e.vsync ? SDL_RENDERER_PRESENTVSYNC : 0;
    e.renderer = SDL_CreateRenderer(e.window, -1, SDL_RENDERER_ACCELERATED | vsync);
    if (!e.renderer) e.renderer = SDL_CreateRenderer(e.window, -1, SDL_RENDERER_SOFTWARE | vsync);
  }
  if (!e.window || !e.renderer) {
    fprintf(stderr, "ZenGL: cannot open the window: %s\n", SDL_GetError());
    if (e.window) SDL_DestroyWindow(e.window);
    e.window = nullptr;
    IMG_Quit();
    SDL_Quit();
    return;
  }
  // The game draws in window pixels; full screen scales that picture.
  SDL_RenderSetLogicalSize(e.renderer, e.width, e.height);
  RendererOpened();
  SDL_ShowCursor(e.showCursor ? SDL_ENABLE : SDL_DISABLE);

  e.running = true;
  if (e.onLoad) e.onLoad();

  const double freq = static_cast<double>(SDL_GetPerformanceFrequency());
  Uint64 last = SDL_GetPerformanceCounter();
  while (e.running) {
    SDL_Event ev;
    while (SDL_PollEvent(&ev)) HandleEvent(ev);
    if (!e.running) break;

    Uint64 now = SDL_GetPerformanceCounter();
    double elapsedMs = static_cast<double>(now - last) * 1000.0 / freq;
    last = now;
    for (size_t i = 0; i < e.timers.size(); i++) {
      // By index: a callback may add a timer.
      int due = e.timers[i]->clock.Advance(elapsedMs);
      for (int k = 0; k < due && e.running; k++) e.timers[i]->proc();
    }

    RenderFrame();

    double frameMs = static_cast<double>(SDL_GetPerformanceCounter() - last) * 1000.0 / freq;
    if (frameMs < kMinFrameMs) SDL_Delay(static_cast<Uint32>(kMinFrameMs - frameMs) + 1);
  }
  e.running = false;
  if (e.onExit) e.onExit();

  ReleaseTarget();
}

// Geometry calls the renderer received during the last presented frame.
ZGL_API int zgl_RenderCallsLastFrame() { return E().renderCallsLastFrame; }

// --- headless rendering, for benchmarks -----------------------------------------
// These are not in the game's table; a benchmark looks them up by name.

// Opens a Width x Height offscreen picture drawn by SDL's software renderer,
// with no window and no main loop; textures and fonts load into it as into a
// window. Returns false when it cannot be opened, or when a window or another
// target is open already.
ZGL_API bool zgl_OpenOffscreen(uint16_t Width, uint16_t Height) {
  Engine& e = E();
  if (e.running || e.window || e.renderer || Width == 0 || Height == 0) return false;
  if (SDL_Init(0) != 0) return false;
  IMG_Init(IMG_INIT_PNG);
  e.width = Width;
  e.height = Height;
  // The pixel format of SDL's own window framebuffers (X11 at 24 bits, the
  // dummy driver), so the software renderer takes the paths a window gets.
  e.offscreen = SDL_CreateRGBSurfaceWithFormat(0, Width, Height, 32, SDL_PIXELFORMAT_RGB888);
  if (e.offscreen) e.renderer = SDL_CreateSoftwareRenderer(e.offscreen);
  if (!e.renderer) {
    fprintf(stderr, "ZenGL: cannot open the offscreen target: %s\n", SDL_GetError());
    if (e.offscreen) SDL_FreeSurface(e.offscreen);
    e.offscreen = nullptr;
    IMG_Quit();
    SDL_Quit();
    return false;
  }
  RendererOpened();
  return true;
}

// Draws one frame into the offscreen target through the SYS_DRAW callback,
// exactly as the main loop draws one (no events, no timers). Returns false
// when no offscreen target is open.
ZGL_API bool zgl_RenderOffscreen() {
  Engine& e = E();
  if (!e.offscreen || !e.renderer) return false;
  RenderFrame();
  return true;
}

// The offscreen picture as 32-bit 0xXXRRGGBB pixels, rows of Width, nullptr when none is open.
ZGL_API const void* zgl_OffscreenPixels() { return E().offscreen ? E().offscreen->pixels : nullptr; }

// Frees every texture and font, and the offscreen target.
ZGL_API void zgl_CloseOffscreen() {
  Engine& e = E();
  if (!e.offscreen) return;
  ReleaseTarget();
}

// --- input --------------------------------------------------------------------

ZGL_API int32_t mouse_X() { return E().mouseX; }
ZGL_API int32_t mouse_Y() { return E().mouseY; }

ZGL_API bool mouse_Down(uint8_t Button) { return Button < 3 && E().mouseDown[Button]; }
ZGL_API bool mouse_Click(uint8_t Button) { return Button < 3 && E().mouseClick[Button]; }

ZGL_API bool key_Down(uint8_t KeyCode) {
  const bool* held = E().keyDown;
  if (KeyCode == kKeyShift) return held[SDL_SCANCODE_LSHIFT] || held[SDL_SCANCODE_RSHIFT];
  if (KeyCode == kKeyCtrl) return held[SDL_SCANCODE_LCTRL] || held[SDL_SCANCODE_RCTRL];
  return held[KeyCode];
}

ZGL_API void key_ClearState() {
  for (bool& p : E().keyPress) p = false;
}

ZGL_API void mouse_ClearState() {
  for (bool& c : E().mouseClick) c = false;
}

// --- resources ----------------------------------------------------------------

ZGL_API zglTTexture* tex_LoadFromFile(const char* FileName, uint32_t TransparentColor, uint32_t Flags) {
  Engine& e = E();
  if (!e.renderer) return nullptr;  // textures live in the renderer, which zgl_Init opens
  std::string path = zglMapPath(FileName);
  SDL_Surface* loaded = IMG_Load(path.c_str());
  if (!loaded) return nullptr;
  SDL_Surface* rgba = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA32, 0);
  SDL_FreeSurface(loaded);
  if (!rgba) return nullptr;
  if ((TransparentColor & kNoColorKey) == 0) {
    // A colour key: texels of exactly that colour become transparent.
    SDL_LockSurface(rgba);
    for (int y = 0; y < rgba->h; y++) {
      Uint8* row = static_cast<Uint8*>(rgba->pixels) + y * rgba->pitch;
      for (int x = 0; x < rgba->w; x++) {
        Uint8* p = row + 4 * x;
        uint32_t rgb = (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
        if (rgb == (TransparentColor & 0xFFFFFF)) p[3] = 0;
      }
    }
    SDL_UnlockSurface(rgba);
  }
  auto tex = std::make_unique<zglTTexture>();
  bool ok = MakeTexture(rgba, *tex);
  SDL_FreeSurface(rgba);
  if (!ok) return nullptr;
  e.textures.push_back(std::move(tex));
  return e.textures.back().get();
}

ZGL_API zglTFont* font_LoadFromFile(const char* FileName) {
  Engine& e = E();
  if (!e.renderer) return nullptr;
  std::ifstream in(zglMapPath(FileName), std::ios::binary);
  if (!in) return nullptr;
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto font = std::make_unique<zglTFont>();
  if (!zglFontParse(bytes.data(), bytes.size(), font->data)) return nullptr;
  const ZglFontData& d = font->data;
  if (d.atlasW == 0 || d.atlasH == 0 || d.coverage.size() < size_t{d.atlasW} * d.atlasH) return nullptr;
  // White texels whose alpha is the coverage, so the text colour modulates them.
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, d.atlasW, d.atlasH, 32, SDL_PIXELFORMAT_RGBA32);
  if (!s) return nullptr;
  SDL_LockSurface(s);
  for (int y = 0; y < d.atlasH; y++) {
    Uint8* row = static_cast<Uint8*>(s->pixels) + y * s->pitch;
    for (int x = 0; x < d.atlasW; x++) {
      Uint8* p = row + 4 * x;
      p[0] = p[1] = p[2] = 255;
      p[3] = d.coverage[static_cast<size_t>(y) * d.atlasW + x];
    }
  }
  SDL_UnlockSurface(s);
  bool ok = MakeTexture(s, font->atlas);
  SDL_FreeSurface(s);
  if (!ok) return nullptr;
  e.fonts.push_back(std::move(font));
  return e.fonts.back().get();
}

// --- drawing --------------------------------------------------------------------

ZGL_API void csprite2d_Draw(zglTTexture* Texture, float X, float Y, float W, float H, float Angle,
                            const ZglRect* CutRect, uint8_t Alpha, uint32_t FX) {
  if (!Texture || !Texture->texture) return;
  bool blend = (FX & kFxBlend) != 0;
  if (blend && DrawSpritePicture(*Texture, X, Y, W, H, Angle, CutRect, Alpha)) return;
  SDL_Texture* t = blend ? FadedTexture(*Texture, Alpha) : Texture->texture;
  E().batch.Sprite(t, static_cast<float>(Texture->width), static_cast<float>(Texture->height), X, Y, W, H, Angle,
                   CutRect, 0xFFFFFF, Alpha, blend);
}

ZGL_API void text_DrawEx(zglTFont* Font, float X, float Y, float Scale, float Step, const char* Text,
                         uint8_t Alpha, uint32_t Color, uint32_t Flags) {
  if (!Font || !Font->atlas.texture || !Text) return;
  const zglTTexture& atlas = Font->atlas;
  for (const ZglGlyphQuad& q : zglLayoutText(Font->data, Text, X, Y, Scale, Step, Flags)) {
    ZglRect src{q.srcX, q.srcY, q.srcW, q.srcH};
    E().batch.Sprite(atlas.texture, static_cast<float>(atlas.width), static_cast<float>(atlas.height), q.dstX,
                     q.dstY, q.dstW, q.dstH, 0, &src, Color, Alpha, true);
  }
}

ZGL_API void pr2d_Rect(float X, float Y, float W, float H, uint32_t Color, uint8_t Alpha, uint32_t FX) {
  E().batch.Rect(X, Y, W, H, Color, Alpha, (FX & kFill) != 0);
}

ZGL_API void pr2d_Circle(float X, float Y, float Radius, uint32_t Color, uint8_t Alpha, uint16_t Quality,
                         uint32_t FX) {
  if (DrawCirclePicture(X, Y, Radius, Color, Alpha, Quality, (FX & kFill) != 0)) return;
  E().batch.Circle(X, Y, Radius, Color, Alpha, Quality, (FX & kFill) != 0);
}

ZGL_API void pr2d_Line(float X1, float Y1, float X2, float Y2, uint32_t Color, uint8_t Alpha, uint32_t FX) {
  E().batch.Line(X1, Y1, X2, Y2, Color, Alpha, (FX & kSmooth) != 0);
}

// --- collision tests ----------------------------------------------------------

ZGL_API bool col2d_PointInRect(float X, float Y, const ZglRect* Rect) { return zglPointInRect(X, Y, Rect); }

ZGL_API bool col2d_PointInCircle(float X, float Y, const ZglCircle* Circle) {
  return zglPointInCircle(X, Y, Circle);
}
