#include "uNullEngine.h"

#include "shell/uZenGL.h"

namespace {

int32_t g_mouseX = 0, g_mouseY = 0;
bool g_clicked = false;

void nReg(uint32_t, zglCallback) {}
void* nTimerAdd(zglCallback proc, uint32_t) { return reinterpret_cast<void*>(proc); }
void nSetOptions(uint16_t, uint16_t, uint16_t, bool, bool) {}
void nShowCursor(bool) {}
void nSetCaption(const char*) {}
void nInit(uint8_t, uint8_t) {}
int32_t nMouseX() { return g_mouseX; }
int32_t nMouseY() { return g_mouseY; }
bool nMouseDown(uint8_t) { return false; }
bool nMouseClick(uint8_t b) { return b == M_BLEFT && g_clicked; }
bool nKeyDown(uint8_t) { return false; }
void nKeyClear() {}
void nMouseClear() { g_clicked = false; }
zglPTexture nTexLoad(const char*, uint32_t, uint32_t) { return nullptr; }
zglPFont nFontLoad(const char*) { return nullptr; }
void nSprite(zglPTexture, float, float, float, float, float, const zglTRect*, uint8_t, uint32_t) {}
void nText(zglPFont, float, float, float, float, const char*, uint8_t, uint32_t, uint32_t) {}
void nRect(float, float, float, float, uint32_t, uint8_t, uint32_t) {}
void nCircle(float, float, float, uint32_t, uint8_t, uint16_t, uint32_t) {}
void nLine(float, float, float, float, uint32_t, uint8_t, uint32_t) {}
bool nInRect(float x, float y, const zglTRect* r) {
  return r && x >= r->X && x <= r->X + r->W && y >= r->Y && y <= r->Y + r->H;
}
bool nInCircle(float x, float y, const zglTCircle* c) {
  if (!c) return false;
  float dx = x - c->cX, dy = y - c->cY;
  return dx * dx + dy * dy <= c->Radius * c->Radius;
}

}  // namespace

void BindNullEngine() {
  zgl_Reg = nReg;
  timer_Add = nTimerAdd;
  scr_SetOptions = nSetOptions;
  wnd_ShowCursor = nShowCursor;
  wnd_SetCaption = nSetCaption;
  zgl_Init = nInit;
  mouse_X = nMouseX;
  mouse_Y = nMouseY;
  mouse_Down = nMouseDown;
  mouse_Click = nMouseClick;
  key_Down = nKeyDown;
  key_ClearState = nKeyClear;
  mouse_ClearState = nMouseClear;
  tex_LoadFromFile = nTexLoad;
  font_LoadFromFile = nFontLoad;
  csprite2d_Draw = nSprite;
  text_DrawEx = nText;
  pr2d_Rect = nRect;
  pr2d_Circle = nCircle;
  pr2d_Line = nLine;
  col2d_PointInRect = nInRect;
  col2d_PointInCircle = nInCircle;
}

void NullEngineMouse(int32_t x, int32_t y, bool leftClicked) {
  g_mouseX = x;
  g_mouseY = y;
  g_clicked = leftClicked;
}
