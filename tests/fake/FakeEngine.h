// A recording stand-in for the engine, installed into the game's engine table.
//
// Construct one FakeEngine per test (the fixture does it); it fills every
// engine pointer, records each drawing call with its arguments, serves the
// scripted mouse and keyboard state, and keeps the registered callbacks so a
// test can drive the timer and the draw callback by hand. The destructor puts
// nullptr back into the table.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "shell/uZenGL.h"

struct FakeCall {
  enum Kind { Sprite, Text, Rect, Circle, Line };
  Kind kind = Sprite;
  // Sprite: X, Y, W, H, Angle. Rect: X, Y, W, H. Circle: X, Y and W = radius.
  // Line: X, Y to W, H (the second point). Text: X, Y.
  float X = 0, Y = 0, W = 0, H = 0, Angle = 0;
  zglPTexture texture = nullptr;
  zglPFont font = nullptr;
  zglTRect cut{0, 0, 0, 0};
  uint8_t alpha = 0;
  uint32_t color = 0;
  uint32_t fx = 0;
  uint16_t quality = 0;
  float scale = 0, step = 0;
  std::string text;

  float Radius() const { return W; }
  float X2() const { return W; }
  float Y2() const { return H; }
};

class FakeEngine {
 public:
  FakeEngine();
  ~FakeEngine();
  FakeEngine(const FakeEngine&) = delete;
  FakeEngine& operator=(const FakeEngine&) = delete;

  // The installed fake; only valid while one exists.
  static FakeEngine& Current();

  // --- recorded drawing ---
  std::vector<FakeCall> calls;
  void ClearCalls() { calls.clear(); }
  size_t Count(FakeCall::Kind kind) const;
  std::vector<FakeCall> Of(FakeCall::Kind kind) const;
  // The first recorded call of that kind for which pred holds, or nullptr.
  const FakeCall* Find(FakeCall::Kind kind, const std::function<bool(const FakeCall&)>& pred = nullptr) const;
  // Texts drawn, in order.
  std::vector<std::string> Texts() const;
  // Sprites whose source rectangle starts at (cutX, cutY).
  std::vector<FakeCall> SpritesFrom(float cutX, float cutY) const;

  // --- scripted input ---
  int32_t mouseX = 0, mouseY = 0;
  bool down[3] = {false, false, false};
  bool clicked[3] = {false, false, false};
  bool keys[256] = {};
  void MoveMouse(int32_t x, int32_t y) { mouseX = x; mouseY = y; }
  // Button goes down (a press the next update sees as a click) and stays down.
  void Press(uint8_t button = M_BLEFT);
  void Release(uint8_t button = M_BLEFT) { down[button] = false; }
  // Move there, press and release before the next update.
  void ClickAt(int32_t x, int32_t y, uint8_t button = M_BLEFT);
  // Move there and press, the button staying down (for dragging).
  void PressAt(int32_t x, int32_t y, uint8_t button = M_BLEFT);
  void HoldKey(uint8_t key, bool held = true) { keys[key] = held; }

  // --- callbacks and driving ---
  zglCallback onLoad = nullptr, onDraw = nullptr, onExit = nullptr, onTimer = nullptr;
  uint32_t timerInterval = 0;
  std::string caption;
  int initCalls = 0;
  // The set-up calls (zgl_Reg, timer_Add, scr_SetOptions, wnd_ShowCursor,
  // wnd_SetCaption, zgl_Init) in the order made, with their arguments, e.g.
  // "zgl_Reg 3", "timer_Add 15", "scr_SetOptions 1024 768 0 0 1".
  std::vector<std::string> setupCalls;
  // How often the input state was cleared.
  int keyClears = 0, mouseClears = 0;
  // Runs the registered timer callback n times.
  void Tick(int n = 1);
  // Runs the registered draw callback once, recording afresh.
  void Frame();

  // --- resources ---
  std::vector<std::string> loadedTextures, loadedFonts;
};

// Clears everything a map or editor writes to standard output while f runs,
// and returns it.
std::string CaptureStdout(const std::function<void()>& f);
