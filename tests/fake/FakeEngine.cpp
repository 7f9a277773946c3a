#include "FakeEngine.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace {

FakeEngine* g_fake = nullptr;

// Distinct non-null handles; the game never looks inside them.
struct FakeHandle {
  int id;
};
// Owned here, so they are freed with the vector at exit rather than reported as leaks.
std::vector<std::unique_ptr<FakeHandle>> g_handles;

void* NewHandle() {
  g_handles.push_back(std::make_unique<FakeHandle>(FakeHandle{static_cast<int>(g_handles.size())}));
  return g_handles.back().get();
}

FakeEngine& F() { return FakeEngine::Current(); }

void Log(const std::string& line) { F().setupCalls.push_back(line); }

void fReg(uint32_t what, zglCallback proc) {
  Log("zgl_Reg " + std::to_string(what));
  if (what == SYS_LOAD) F().onLoad = proc;
  if (what == SYS_DRAW) F().onDraw = proc;
  if (what == SYS_EXIT) F().onExit = proc;
}
void* fTimerAdd(zglCallback proc, uint32_t interval) {
  Log("timer_Add " + std::to_string(interval));
  F().onTimer = proc;
  F().timerInterval = interval;
  return proc ? &F() : nullptr;
}
void fSetOptions(uint16_t w, uint16_t h, uint16_t refresh, bool full, bool vsync) {
  Log("scr_SetOptions " + std::to_string(w) + " " + std::to_string(h) + " " + std::to_string(refresh) + " " +
      std::to_string(full) + " " + std::to_string(vsync));
}
void fShowCursor(bool show) { Log("wnd_ShowCursor " + std::to_string(show)); }
void fSetCaption(const char* c) {
  F().caption = c ? c : "";
  Log("wnd_SetCaption " + F().caption);
}
void fInit(uint8_t fsaa, uint8_t stencil) {
  Log("zgl_Init " + std::to_string(fsaa) + " " + std::to_string(stencil));
  F().initCalls++;
}
int32_t fMouseX() { return F().mouseX; }
int32_t fMouseY() { return F().mouseY; }
bool fMouseDown(uint8_t b) { return b < 3 && F().down[b]; }
bool fMouseClick(uint8_t b) { return b < 3 && F().clicked[b]; }
bool fKeyDown(uint8_t k) { return F().keys[k]; }
void fKeyClear() { F().keyClears++; }
void fMouseClear() {
  F().mouseClears++;
  for (bool& c : F().clicked) c = false;
}
zglPTexture fTexLoad(const char* file, uint32_t, uint32_t) {
  F().loadedTextures.push_back(file ? file : "");
  return static_cast<zglPTexture>(NewHandle());
}
zglPFont fFontLoad(const char* file) {
  F().loadedFonts.push_back(file ? file : "");
  return static_cast<zglPFont>(NewHandle());
}
void fSprite(zglPTexture t, float x, float y, float w, float h, float angle, const zglTRect* cut, uint8_t alpha,
             uint32_t fx) {
  FakeCall c;
  c.kind = FakeCall::Sprite;
  c.texture = t;
  c.X = x, c.Y = y, c.W = w, c.H = h, c.Angle = angle;
  if (cut) c.cut = *cut;
  c.alpha = alpha;
  c.fx = fx;
  F().calls.push_back(c);
}
void fText(zglPFont font, float x, float y, float scale, float step, const char* text, uint8_t alpha, uint32_t color,
           uint32_t flags) {
  FakeCall c;
  c.kind = FakeCall::Text;
  c.font = font;
  c.X = x, c.Y = y, c.scale = scale, c.step = step;
  c.text = text ? text : "";
  c.alpha = alpha, c.color = color, c.fx = flags;
  F().calls.push_back(c);
}
void fRect(float x, float y, float w, float h, uint32_t color, uint8_t alpha, uint32_t fx) {
  FakeCall c;
  c.kind = FakeCall::Rect;
  c.X = x, c.Y = y, c.W = w, c.H = h, c.color = color, c.alpha = alpha, c.fx = fx;
  F().calls.push_back(c);
}
void fCircle(float x, float y, float r, uint32_t color, uint8_t alpha, uint16_t quality, uint32_t fx) {
  FakeCall c;
  c.kind = FakeCall::Circle;
  c.X = x, c.Y = y, c.W = r, c.color = color, c.alpha = alpha, c.quality = quality, c.fx = fx;
  F().calls.push_back(c);
}
void fLine(float x1, float y1, float x2, float y2, uint32_t color, uint8_t alpha, uint32_t fx) {
  FakeCall c;
  c.kind = FakeCall::Line;
  c.X = x1, c.Y = y1, c.W = x2, c.H = y2, c.color = color, c.alpha = alpha, c.fx = fx;
  F().calls.push_back(c);
}
// The same inclusive tests the real engine makes.
bool fInRect(float x, float y, const zglTRect* r) {
  return r && x >= r->X && x <= r->X + r->W && y >= r->Y && y <= r->Y + r->H;
}
bool fInCircle(float x, float y, const zglTCircle* c) {
  if (!c) return false;
  float dx = x - c->cX, dy = y - c->cY;
  return dx * dx + dy * dy <= c->Radius * c->Radius;
}

template <typename T>
void Set(T& ptr, T value) {
  ptr = value;
}

void Install(bool on) {
  Set(zgl_Reg, on ? fReg : nullptr);
  Set(timer_Add, on ? fTimerAdd : nullptr);
  Set(scr_SetOptions, on ? fSetOptions : nullptr);
  Set(wnd_ShowCursor, on ? fShowCursor : nullptr);
  Set(wnd_SetCaption, on ? fSetCaption : nullptr);
  Set(zgl_Init, on ? fInit : nullptr);
  Set(mouse_X, on ? fMouseX : nullptr);
  Set(mouse_Y, on ? fMouseY : nullptr);
  Set(mouse_Down, on ? fMouseDown : nullptr);
  Set(mouse_Click, on ? fMouseClick : nullptr);
  Set(key_Down, on ? fKeyDown : nullptr);
  Set(key_ClearState, on ? fKeyClear : nullptr);
  Set(mouse_ClearState, on ? fMouseClear : nullptr);
  Set(tex_LoadFromFile, on ? fTexLoad : nullptr);
  Set(font_LoadFromFile, on ? fFontLoad : nullptr);
  Set(csprite2d_Draw, on ? fSprite : nullptr);
  Set(text_DrawEx, on ? fText : nullptr);
  Set(pr2d_Rect, on ? fRect : nullptr);
  Set(pr2d_Circle, on ? fCircle : nullptr);
  Set(pr2d_Line, on ? fLine : nullptr);
  Set(col2d_PointInRect, on ? fInRect : nullptr);
  Set(col2d_PointInCircle, on ? fInCircle : nullptr);
}

}  // namespace

FakeEngine::FakeEngine() {
  if (g_fake) throw std::logic_error("only one FakeEngine at a time");
  g_fake = this;
  Install(true);
}

FakeEngine::~FakeEngine() {
  Install(false);
  g_fake = nullptr;
}

FakeEngine& FakeEngine::Current() {
  if (!g_fake) throw std::logic_error("no FakeEngine installed");
  return *g_fake;
}

size_t FakeEngine::Count(FakeCall::Kind kind) const {
  size_t n = 0;
  for (const FakeCall& c : calls) n += c.kind == kind;
  return n;
}

std::vector<FakeCall> FakeEngine::Of(FakeCall::Kind kind) const {
  std::vector<FakeCall> out;
  for (const FakeCall& c : calls)
    if (c.kind == kind) out.push_back(c);
  return out;
}

const FakeCall* FakeEngine::Find(FakeCall::Kind kind, const std::function<bool(const FakeCall&)>& pred) const {
  for (const FakeCall& c : calls)
    if (c.kind == kind && (!pred || pred(c))) return &c;
  return nullptr;
}

std::vector<std::string> FakeEngine::Texts() const {
  std::vector<std::string> out;
  for (const FakeCall& c : calls)
    if (c.kind == FakeCall::Text) out.push_back(c.text);
  return out;
}

std::vector<FakeCall> FakeEngine::SpritesFrom(float cutX, float cutY) const {
  std::vector<FakeCall> out;
  for (const FakeCall& c : calls)
    if (c.kind == FakeCall::Sprite && c.cut.X == cutX && c.cut.Y == cutY) out.push_back(c);
  return out;
}

void FakeEngine::Press(uint8_t button) {
  down[button] = true;
  clicked[button] = true;
}

void FakeEngine::ClickAt(int32_t x, int32_t y, uint8_t button) {
  MoveMouse(x, y);
  clicked[button] = true;
  down[button] = false;
}

void FakeEngine::PressAt(int32_t x, int32_t y, uint8_t button) {
  MoveMouse(x, y);
  Press(button);
}

void FakeEngine::Tick(int n) {
  for (int i = 0; i < n; i++)
    if (onTimer) onTimer();
}

void FakeEngine::Frame() {
  ClearCalls();
  if (onDraw) onDraw();
}

std::string CaptureStdout(const std::function<void()>& f) {
  fflush(stdout);
  char name[] = "/tmp/capture-XXXXXX";
  int fd = mkstemp(name);
  int saved = dup(1);
  dup2(fd, 1);
  f();
  fflush(stdout);
  dup2(saved, 1);
  close(saved);
  std::string out;
  lseek(fd, 0, SEEK_SET);
  char buf[4096];
  ssize_t n;
  while ((n = read(fd, buf, sizeof buf)) > 0) out.append(buf, static_cast<size_t>(n));
  close(fd);
  unlink(name);
  return out;
}
