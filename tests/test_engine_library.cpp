// The real engine library, bound the way the game binds it. The main loop runs
// headless on SDL's dummy video driver, driven by events the test pushes.
#include <gtest/gtest.h>

#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "fake/FakeEngine.h"
#include "shell/uZenGL.h"

namespace {

// Binds the real library into the game's table for one test, and empties the
// table again afterwards (a FakeEngine's destructor does that).
class EngineLibrary : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(BindEngine("ZenGL.dll", false)); }
  void TearDown() override { FakeEngine unbind; }
};

int (*RenderCallsLastFrame())() {
  void* lib = dlopen(EngineLibraryPath("ZenGL.dll"), RTLD_NOW | RTLD_NOLOAD);
  if (!lib) return nullptr;
  auto fn = reinterpret_cast<int (*)()>(dlsym(lib, "zgl_RenderCallsLastFrame"));
  dlclose(lib);
  return fn;
}

}  // namespace

TEST_F(EngineLibrary, ExportsEveryOperationOfTheTable) {
  const void* table[] = {
      reinterpret_cast<void*>(zgl_Reg),          reinterpret_cast<void*>(timer_Add),
      reinterpret_cast<void*>(scr_SetOptions),   reinterpret_cast<void*>(wnd_ShowCursor),
      reinterpret_cast<void*>(wnd_SetCaption),   reinterpret_cast<void*>(zgl_Init),
      reinterpret_cast<void*>(mouse_X),          reinterpret_cast<void*>(mouse_Y),
      reinterpret_cast<void*>(mouse_Down),       reinterpret_cast<void*>(mouse_Click),
      reinterpret_cast<void*>(key_Down),         reinterpret_cast<void*>(key_ClearState),
      reinterpret_cast<void*>(mouse_ClearState), reinterpret_cast<void*>(tex_LoadFromFile),
      reinterpret_cast<void*>(font_LoadFromFile), reinterpret_cast<void*>(csprite2d_Draw),
      reinterpret_cast<void*>(text_DrawEx),      reinterpret_cast<void*>(pr2d_Rect),
      reinterpret_cast<void*>(pr2d_Circle),      reinterpret_cast<void*>(pr2d_Line),
      reinterpret_cast<void*>(col2d_PointInRect), reinterpret_cast<void*>(col2d_PointInCircle)};
  for (size_t i = 0; i < sizeof table / sizeof table[0]; i++) EXPECT_NE(table[i], nullptr) << "entry " << i;
  EXPECT_NE(RenderCallsLastFrame(), nullptr);
}

TEST_F(EngineLibrary, CallsThatNeedNoWindow) {
  zglTRect r{10, 20, 30, 40};
  EXPECT_TRUE(col2d_PointInRect(40, 60, &r));
  EXPECT_FALSE(col2d_PointInRect(40.5f, 60, &r));
  zglTCircle c{0, 0, 5};
  EXPECT_TRUE(col2d_PointInCircle(3, 4, &c));
  EXPECT_FALSE(col2d_PointInCircle(4, 4, &c));
  EXPECT_EQ(timer_Add(nullptr, 15), nullptr);
  EXPECT_EQ(timer_Add([] {}, 0), nullptr);
  // Resources live in the renderer: before the window there is nothing to load into.
  EXPECT_EQ(tex_LoadFromFile("data\\panel_r.png", TEX_NO_COLORKEY, TEX_DEFAULT_2D), nullptr);
  // Drawing with nothing to draw with is harmless.
  csprite2d_Draw(nullptr, 0, 0, 10, 10, 0, nullptr, 255, FX_BLEND);
  text_DrawEx(nullptr, 0, 0, 1, 0, "x", 255, 0, 0x22);
  EXPECT_FALSE(mouse_Down(M_BLEFT));
  EXPECT_FALSE(mouse_Click(7));
}

namespace {

// State of the headless run below, shared with its callbacks.
struct HeadlessRun {
  std::string dir;
  int loads = 0, exits = 0, frames = 0, timerCallsBeforeLoad = 0;
  zglPTexture texture = nullptr, missingTexture = nullptr;
  zglPFont font = nullptr, missingFont = nullptr, corruptFont = nullptr;
  std::vector<std::string> failures;
} run;

void Check(bool ok, const std::string& what) {
  if (!ok) run.failures.push_back("frame " + std::to_string(run.frames) + ": " + what);
}

void Push(Uint32 type, Uint8 button = SDL_BUTTON_LEFT, int x = 0, int y = 0) {
  SDL_Event ev{};
  ev.type = type;
  if (type == SDL_MOUSEBUTTONDOWN || type == SDL_MOUSEBUTTONUP) {
    ev.button.button = button;
    ev.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    ev.button.x = x;
    ev.button.y = y;
  }
  SDL_PushEvent(&ev);
}

void PushKey(Uint32 type, SDL_Scancode sc) {
  SDL_Event ev{};
  ev.type = type;
  ev.key.keysym.scancode = sc;
  ev.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  SDL_PushEvent(&ev);
}

// A one-glyph font: 'A' as a 4 x 4 block of full coverage, in the .zfi layout.
void WriteFont(const std::string& path) {
  std::vector<uint8_t> b = {'Z', 'F', 'I', '1'};
  auto u16 = [&](int v) {
    b.push_back(static_cast<uint8_t>(v & 0xFF));
    b.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
  };
  u16(6), u16(5), u16(4), u16(4);  // line height, ascent, atlas 4 x 4
  u16(1), u16(0);                  // one glyph
  u16('A'), u16(0);                // its codepoint
  u16(0), u16(0), u16(4), u16(4);  // atlas rectangle
  u16(0), u16(-4 & 0xFFFF), u16(5);  // offsets and advance
  b.insert(b.end(), 16, 255);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), static_cast<long>(b.size()));
}

void OnLoad() {
  run.loads++;
  // A game-style path with backslashes into the test's folder.
  std::string path = run.dir + "\\tex.png";
  run.texture = tex_LoadFromFile(path.c_str(), TEX_NO_COLORKEY, TEX_DEFAULT_2D);
  run.missingTexture = tex_LoadFromFile((run.dir + "\\none.png").c_str(), TEX_NO_COLORKEY, TEX_DEFAULT_2D);
  run.font = font_LoadFromFile((run.dir + "\\font.zfi").c_str());
  run.missingFont = font_LoadFromFile((run.dir + "\\none.zfi").c_str());
  run.corruptFont = font_LoadFromFile((run.dir + "\\bad.zfi").c_str());
}

void OnTimer() {
  if (run.loads == 0) run.timerCallsBeforeLoad++;
}

// Events pushed in one frame are polled at the start of the next.
void OnDraw() {
  run.frames++;
  switch (run.frames) {
    case 1:
      Push(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 120, 340);
      break;
    case 2:
      Check(mouse_X() == 120 && mouse_Y() == 340, "mouse position from the press");
      Check(mouse_Down(M_BLEFT) && mouse_Click(M_BLEFT), "a press is held and clicked");
      Check(!mouse_Down(M_BRIGHT) && !mouse_Click(M_BMIDDLE), "other buttons untouched");
      Push(SDL_MOUSEBUTTONUP);
      break;
    case 3:
      Check(!mouse_Down(M_BLEFT), "a release ends the hold");
      Check(mouse_Click(M_BLEFT), "a release keeps the click for the next update");
      mouse_ClearState();
      PushKey(SDL_KEYDOWN, SDL_SCANCODE_RSHIFT);
      PushKey(SDL_KEYDOWN, SDL_SCANCODE_A);
      break;
    case 4:
      Check(!mouse_Click(M_BLEFT), "clearing forgets the click");
      Check(key_Down(K_SHIFT) && !key_Down(K_CTRL), "right Shift is Shift");
      Check(key_Down(SDL_SCANCODE_A), "other keys by scancode");
      key_ClearState();
      Check(key_Down(K_SHIFT), "clearing keeps held keys");
      PushKey(SDL_KEYUP, SDL_SCANCODE_RSHIFT);
      PushKey(SDL_KEYDOWN, SDL_SCANCODE_LCTRL);
      break;
    case 5: {
      Check(!key_Down(K_SHIFT) && key_Down(K_CTRL), "left Ctrl is Ctrl");
      // Sprites, the editor's grid, sprites again, text. On this software
      // renderer the first three are pictures in the engine's atlas, one
      // texture, so one batch; the text is the second.
      zglTRect cut{0, 0, 4, 4};
      for (int i = 0; i < 50; i++) csprite2d_Draw(run.texture, i, 0, 8, 8, 15, &cut, 255, FX_BLEND);
      for (int i = 0; i < 360; i++) pr2d_Circle(i % 18 * 35.0f, i / 18 * 35.0f, 2, 0xFFFFFF, 255, 16, 0);
      for (int i = 0; i < 50; i++) csprite2d_Draw(run.texture, i, 0, 8, 8, 0, nullptr, 255, FX_BLEND);
      csprite2d_Draw(run.missingTexture, 0, 0, 8, 8, 0, nullptr, 255, FX_BLEND);
      text_DrawEx(run.missingFont, 0, 0, 1, 0, "Меню", 255, 0, 0x22);
      text_DrawEx(run.font, 512, 100, 1, 0, "AAA", 255, 0xFF0000, 0x22);
      Push(SDL_QUIT);
      break;
    }
    default:
      if (run.frames > 200) Push(SDL_QUIT);  // never hang the suite
  }
}

void OnExit() { run.exits++; }

}  // namespace

TEST_F(EngineLibrary, HeadlessMainLoop) {
  char dirTemplate[] = "/tmp/zgl-run-XXXXXX";
  ASSERT_NE(mkdtemp(dirTemplate), nullptr);
  run.dir = dirTemplate;
  {
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, 8, 4, 32, SDL_PIXELFORMAT_RGBA32);
    ASSERT_NE(s, nullptr);
    SDL_FillRect(s, nullptr, 0xFF00FF00);
    ASSERT_EQ(IMG_SavePNG(s, (run.dir + "/tex.png").c_str()), 0);
    SDL_FreeSurface(s);
    std::ofstream(run.dir + "/bad.zfi") << "ZFI1 not really a font";
    WriteFont(run.dir + "/font.zfi");
  }
  setenv("SDL_VIDEODRIVER", "dummy", 1);

  zgl_Reg(SYS_LOAD, OnLoad);
  zgl_Reg(SYS_DRAW, OnDraw);
  zgl_Reg(SYS_EXIT, OnExit);
  zgl_Reg(99, OnExit);  // unknown codes are ignored
  ASSERT_NE(timer_Add(OnTimer, 15), nullptr);
  scr_SetOptions(1024, 768, 0, false, true);
  wnd_ShowCursor(true);
  wnd_SetCaption("Test");
  zgl_Init(0, 0);
  unsetenv("SDL_VIDEODRIVER");

  EXPECT_EQ(run.loads, 1);
  EXPECT_EQ(run.exits, 1);
  EXPECT_EQ(run.frames, 5);
  EXPECT_EQ(run.timerCallsBeforeLoad, 0);
  EXPECT_NE(run.texture, nullptr);
  EXPECT_EQ(run.missingTexture, nullptr);
  EXPECT_NE(run.font, nullptr);
  EXPECT_EQ(run.missingFont, nullptr);
  EXPECT_EQ(run.corruptFont, nullptr);
  for (const std::string& f : run.failures) ADD_FAILURE() << f;
  auto calls = RenderCallsLastFrame();
  ASSERT_NE(calls, nullptr);
  EXPECT_EQ(calls(), 2);

  for (const char* name : {"/tex.png", "/bad.zfi", "/font.zfi"}) unlink((run.dir + name).c_str());
  rmdir(run.dir.c_str());
}
