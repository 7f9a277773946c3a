// Drives a whole editor through the fake engine as the shell's timer does.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "editor/uEditor.h"
#include "fake/FakeEngine.h"
#include "level/uMap.h"
#include "level/uMapObj.h"
#include "toolkit/uMeForm.h"

// Screen positions of the editor's widgets, from its layout.
namespace ui {
struct Pt {
  int32_t x, y;
};
// Tool button b (0..14): two columns, 80 pixels apart.
inline Pt Tool(int b) { return b < 8 ? Pt{50, 100 + 80 * b} : Pt{132, 100 + 80 * (b - 8)}; }
constexpr Pt kDelete{132, 660};
constexpr Pt kMenu{90, 32};
constexpr Pt kPlay{462, 25}, kPause{512, 25}, kStop{562, 25};
// Steppers: angle +15 / -15, size -8 / +8, width -8 / +8, height -8 / +8.
constexpr Pt kAnglePlus{904, 35}, kAngleMinus{984, 35};
constexpr Pt kSizeMinus{904, 81}, kSizePlus{984, 81};
constexpr Pt kWidthMinus{904, 125}, kWidthPlus{984, 125};
constexpr Pt kHeightMinus{904, 171}, kHeightPlus{984, 171};
// Option buttons 1..5.
inline Pt Option(int o) {
  const int32_t ys[] = {0, 278, 348, 398, 448, 518};
  return Pt{924, ys[o]};
}
// The editor menu's buttons.
constexpr Pt kMenuNew{512, 284}, kMenuSave{512, 336}, kMenuOpen{512, 388}, kMenuClose{512, 440};
// Screen point of a map position (the map's origin is drawn at (214, 34)).
inline Pt Map(int32_t mx, int32_t my) { return Pt{214 + mx, 34 + my}; }
}  // namespace ui

class EditorHarness : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadGuiResources();
    ed = std::make_unique<TEditor>(0);
  }
  void TearDown() override { ed.reset(); }

  // One timer tick: the update, then the input state cleared.
  void Tick(int n = 1) {
    for (int i = 0; i < n; i++) {
      ed->Update();
      key_ClearState();
      mouse_ClearState();
    }
  }
  // A frame: the drawing recorded afresh. Ropes learn their midpoints here.
  void Frame() {
    fake.ClearCalls();
    ed->Draw();
  }
  void MoveTo(ui::Pt p) {
    fake.MoveMouse(p.x, p.y);
    Tick();
  }
  void ClickAt(ui::Pt p, uint8_t button = M_BLEFT) {
    fake.ClickAt(p.x, p.y, button);
    Tick();
  }
  void PressAt(ui::Pt p) {
    fake.PressAt(p.x, p.y);
    Tick();
  }
  void Release() {
    fake.Release();
    Tick();
  }
  // Picks the tool, lets the prototype settle under the cursor, then clicks.
  void Place(int tool, int32_t mx, int32_t my) {
    ClickAt(ui::Tool(tool));
    MoveTo(ui::Map(mx, my));
    ClickAt(ui::Map(mx, my));
  }
  TMapObj* Obj(size_t i) { return ed->Map->Obj.at(i); }
  TButton* ToolButton(int b) { return dynamic_cast<TButton*>(ed->MainForm->Objects.at(static_cast<size_t>(b))); }

  FakeEngine fake;
  std::unique_ptr<TEditor> ed;
};
