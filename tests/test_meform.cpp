// The form toolkit: shapes, draw rectangles, forms and their objects, through
// the recording fake engine.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "fake/FakeEngine.h"
#include "toolkit/uMeForm.h"

namespace {

struct Toolkit : ::testing::Test {
  FakeEngine fake;
};

// ---- shapes -----------------------------------------------------------------

TEST_F(Toolkit, NewShapesAreCentredWithTruncatedHalves) {
  TShapeRect r(5, 3);  // (-5) div 2 = -2, (-3) div 2 = -1
  EXPECT_EQ(r.Rect.X, -2);
  EXPECT_EQ(r.Rect.Y, -1);
  EXPECT_EQ(r.Rect.W, 5);
  EXPECT_EQ(r.Rect.H, 3);
  EXPECT_EQ(TShapeCircle(65).Circle.Radius, 32);
  EXPECT_EQ(TShapeCircle(64).Circle.Radius, 32);
  EXPECT_EQ(TShapeCircle(64).Circle.cX, 0);
}

TEST_F(Toolkit, RectangleHitTestTurnsThePointAndCutsItTowardZero) {
  struct Case {
    int32_t w, h, x, y, angle;
    bool inside;
    const char* why;
  };
  const Case cases[] = {
      {100, 20, 0, 40, 0, false, "unturned: y 40 is below the 20-high rectangle"},
      {100, 20, 40, 0, 0, true, "unturned point tested as given"},
      {100, 20, 0, 40, 90, true, "(0, 40) turns by -90 to (40, 0)"},
      {100, 20, 40, 0, 90, false, "(40, 0) turns to (0, -40)"},
      // At 45 degrees (35, 35) turns to (49.497, 0): cut to 49, just inside a rectangle whose right
      // edge is 49 (98 wide: -49..49); without the cut it would be outside.
      {98, 10, 35, 35, 45, true, "49.497 is cut to 49"},
      {98, 10, -35, -35, 45, true, "-49.497 is cut toward zero to -49, not down to -50"},
      {98, 10, 36, 36, 45, false, "(36, 36) turns to 50.9, cut to 50: outside"},
      {98, 10, 49, 0, 0, true, "unturned: x 49 is on the right edge, which counts"},
      {98, 10, 50, 0, 0, false, "unturned: x 50 is beyond it"},
  };
  for (const Case& c : cases) {
    TShapeRect r(c.w, c.h);
    EXPECT_EQ(r.PointIn(c.x, c.y, c.angle), c.inside) << c.why;
  }
}

TEST_F(Toolkit, CircleHitTestIgnoresTheAngle) {
  TShapeCircle c(40);  // radius 20
  for (int32_t angle : {0, 15, 90, 200, -45}) {
    EXPECT_TRUE(c.PointIn(12, 16, angle)) << angle;   // distance 20: on the border counts
    EXPECT_FALSE(c.PointIn(15, 14, angle)) << angle;  // distance 20.5
  }
}

TEST_F(Toolkit, ResizeGrowsAboutTheCentre) {
  TShapeRect r(5, 3);
  r.Resize(3, 3);  // 3 div 2 = 1 each way
  EXPECT_EQ(r.Rect.X, -3);
  EXPECT_EQ(r.Rect.Y, -2);
  EXPECT_EQ(r.Rect.W, 8);
  EXPECT_EQ(r.Rect.H, 6);

  TShapeRect s(5, 3);
  s.Resize(-3, 0);  // -3 div 2 = -1
  EXPECT_EQ(s.Rect.X, -1);
  EXPECT_EQ(s.Rect.Y, -1);
  EXPECT_EQ(s.Rect.W, 2);
  EXPECT_EQ(s.Rect.H, 3);

  TShapeCircle c(30);
  c.Resize(7, 100);  // radius grows by 7 div 2, height ignored
  EXPECT_EQ(c.Circle.Radius, 18);
}

TEST_F(Toolkit, RectangleOutlineMarksTheCornersPushedOutFiveAndJoinsThem) {
  // A 20 x 10 rectangle at (100, 50): hw 10, hh 5, diagonal d = sqrt(125), r = d + 5.
  const double d = std::sqrt(125.0), k = (d + 5) / d;
  struct Case {
    int32_t angle;
    double p1x, p1y;  // the first corner, from (-hw, -hh) turned clockwise by the angle
  } cases[] = {
      {0, 100 - 10 * k, 50 - 5 * k},
      {90, 100 + 5 * k, 50 - 10 * k},  // (-10, -5) turned by +90 on screen is (5, -10)
  };
  for (const Case& c : cases) {
    fake.ClearCalls();
    TShapeRect r(20, 10);
    r.Draw(100, 50, c.angle);
    auto circles = fake.Of(FakeCall::Circle);
    auto lines = fake.Of(FakeCall::Line);
    ASSERT_EQ(circles.size(), 5u);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(circles[0].X, 100);
    EXPECT_EQ(circles[0].Radius(), 4);
    EXPECT_NEAR(circles[1].X, c.p1x, 1e-3) << c.angle;
    EXPECT_NEAR(circles[1].Y, c.p1y, 1e-3) << c.angle;
    for (size_t i = 1; i < 5; i++) {
      EXPECT_EQ(circles[i].Radius(), 3);
      EXPECT_NEAR(std::hypot(circles[i].X - 100, circles[i].Y - 50), d + 5, 1e-3);
    }
    // The four lines run P1-P2, P2-P3, P3-P4, P4-P1 through the marked corners.
    for (size_t i = 0; i < 4; i++) {
      EXPECT_FLOAT_EQ(lines[i].X, circles[1 + i].X);
      EXPECT_FLOAT_EQ(lines[i].X2(), circles[1 + (i + 1) % 4].X);
      EXPECT_EQ(lines[i].color, 0xFFFFFFu);
      EXPECT_EQ(lines[i].alpha, 255);
    }
  }
}

TEST_F(Toolkit, CircleOutlineIsARingFiveOutAndACentreMark) {
  TShapeCircle c(30);
  c.Draw(40, 60, 77);
  auto circles = fake.Of(FakeCall::Circle);
  ASSERT_EQ(circles.size(), 2u);
  EXPECT_EQ(circles[0].Radius(), 20);
  EXPECT_EQ(circles[1].Radius(), 4);
  for (const FakeCall& k : circles) {
    EXPECT_EQ(k.X, 40);
    EXPECT_EQ(k.Y, 60);
    EXPECT_EQ(k.quality, 32);
    EXPECT_EQ(k.fx, 0u);
  }
}

// ---- draw rectangles ----------------------------------------------------------

TEST_F(Toolkit, DrawFrameCentresTheSpriteOnItsOwner) {
  TMeDrawRect r(reinterpret_cast<zglPTexture>(&fake), 26, 71);
  EXPECT_EQ(r.OffX, -13);
  EXPECT_EQ(r.OffY, -35);  // (-71) div 2
  EXPECT_EQ(r.LastFrame, -1);
  r.AddFrame(448, 0);
  r.AddFrame(512, 0);
  EXPECT_EQ(r.LastFrame, 1);
  r.DrawFrame(100, 200, 30, 1, 128);
  ASSERT_EQ(fake.calls.size(), 1u);
  const FakeCall& s = fake.calls[0];
  EXPECT_EQ(s.texture, reinterpret_cast<zglPTexture>(&fake));
  EXPECT_EQ(s.X, 87);
  EXPECT_EQ(s.Y, 165);
  EXPECT_EQ(s.W, 26);
  EXPECT_EQ(s.H, 71);
  EXPECT_EQ(s.Angle, 30);
  EXPECT_EQ(s.cut.X, 512);
  EXPECT_EQ(s.cut.W, 26);
  EXPECT_EQ(s.alpha, 128);
  EXPECT_EQ(s.fx, FX_BLEND);
  // A frame that was never added draws nothing rather than reading past the list.
  r.DrawFrame(0, 0, 0, 2, 255);
  r.DrawFrame(0, 0, 0, -1, 255);
  EXPECT_EQ(fake.calls.size(), 1u);
}

TEST_F(Toolkit, DrawStatePicksTheLookAndTheHighlightAlpha) {
  struct Case {
    bool enabled, active;
    uint8_t alpha, fade;
    std::vector<std::pair<float, int>> frames;  // cut x of each sprite drawn, with its alpha
  } cases[] = {
      {false, true, 255, 200, {{3, 255}}},          // disabled: frame 3 whatever else
      {true, true, 255, 200, {{2, 255}}},           // active: frame 2, no highlight
      {true, false, 255, 0, {{0, 255}}},            // fade 0 at full alpha: frame 0 alone
      {true, false, 255, 100, {{0, 255}, {1, 100}}},  // highlight at the fade level
      {true, false, 200, 55, {{0, 200}}},           // 55 + 200 - 255 = 0: no highlight
      {true, false, 200, 56, {{0, 200}, {1, 1}}},
  };
  TMeFormDrawRect r(nullptr, 10, 10);
  for (int i = 0; i < 4; i++) r.AddFrame(i, 0);  // frame i cut at x = i
  for (const Case& c : cases) {
    fake.ClearCalls();
    r.DrawState(c.enabled, c.active, 0, 0, 0, c.alpha, c.fade);
    ASSERT_EQ(fake.calls.size(), c.frames.size());
    for (size_t i = 0; i < c.frames.size(); i++) {
      EXPECT_EQ(fake.calls[i].cut.X, c.frames[i].first);
      EXPECT_EQ(fake.calls[i].alpha, c.frames[i].second);
    }
  }
}

// ---- forms and objects ----------------------------------------------------------

// A widget that counts its clicks and notes the order in which they came.
struct Probe : TMeFormObject {
  Probe(int32_t x, int32_t y, TMeFormShape* s, TMeFormDrawRect* d, TMeForm* f, std::vector<int>* log, int id)
      : TMeFormObject(x, y, s, d, f), log(log), id(id) {}
  void Click() override {
    clicks++;
    if (log) log->push_back(id);
  }
  int clicks = 0;
  std::vector<int>* log;
  int id;
};

struct Forms : Toolkit {
  TShapeRect shape{20, 20};
  TMeFormDrawRect back{nullptr, 20, 20};
  TMeDrawRect icon{nullptr, 8, 8};
  TMeForm form{100, 100, 255, nullptr};
  std::vector<int> log;
  Forms() {
    for (int i = 0; i < 4; i++) back.AddFrame(i * 20, 0);
    icon.AddFrame(200, 0);
  }
  // One update with the mouse at (x, y), clicked or not, then the shell's clear.
  bool Tick(int32_t x, int32_t y, bool click = false) {
    fake.MoveMouse(x, y);
    fake.clicked[M_BLEFT] = click;
    bool hit = form.Update(x, y);
    mouse_ClearState();
    return hit;
  }
};

TEST_F(Forms, EmptyFormDrawsNothingAndTakesNoClick) {
  form.Draw();
  EXPECT_TRUE(fake.calls.empty());
  EXPECT_FALSE(Tick(100, 100, true));
}

TEST_F(Forms, OverlappingObjectsBothTakeTheClickInListOrder) {
  Probe a(0, 0, &shape, &back, &form, &log, 1);
  Probe b(5, 0, &shape, &back, &form, &log, 2);
  EXPECT_TRUE(Tick(103, 100, true));
  EXPECT_EQ(log, (std::vector<int>{1, 2}));
  EXPECT_TRUE(a.Clicked && b.Clicked && a.Active && b.Active);
}

TEST_F(Forms, ClickOutsideOnlyFadesAndClearsTheFlags) {
  Probe a(0, 0, &shape, &back, &form, &log, 1);
  Tick(100, 100, true);
  ASSERT_TRUE(a.Clicked && a.Hover);
  EXPECT_EQ(a.Fade, 7);
  Tick(100, 100);  // resting on it after the click keeps Clicked
  EXPECT_TRUE(a.Clicked);
  EXPECT_EQ(a.Fade, 14);
  EXPECT_FALSE(Tick(300, 300, true));
  EXPECT_EQ(a.clicks, 1);
  EXPECT_FALSE(a.Clicked);
  EXPECT_FALSE(a.Hover);
  EXPECT_EQ(a.Fade, 7);
}

TEST_F(Forms, PressShowsTheActiveLookForSixUpdates) {
  Probe a(0, 0, &shape, &back, &form, &log, 1);
  std::vector<bool> active;
  Tick(100, 100, true);
  active.push_back(a.Active);
  for (int i = 0; i < 7; i++) {
    Tick(100, 100);
    active.push_back(a.Active);
  }
  // The click's update and the five after it: 6 in all, normal again from the 7th.
  EXPECT_EQ(active, (std::vector<bool>{true, true, true, true, true, true, false, false}));
}

TEST_F(Forms, HighlightRisesIn36UpdatesAndFallsIn37) {
  Probe a(0, 0, &shape, &back, &form, &log, 1);
  int rise = 0;
  while (a.Fade < 255 && rise < 100) Tick(100, 100), rise++;
  EXPECT_EQ(rise, 36);  // 7, 14, ... 245, then 255
  int fall = 0;
  while (a.Fade > 0 && fall < 100) Tick(0, 0), fall++;
  EXPECT_EQ(fall, 37);  // 248, ... 10, 3, then 0
}

TEST_F(Forms, DisabledAndInvisibleObjectsAreNotUpdated) {
  Probe off(0, 0, &shape, &back, &form, &log, 1);
  Probe hidden(0, 0, &shape, &back, &form, &log, 2);
  off.Enabled = false;
  off.Fade = 40;
  hidden.Visible = false;
  EXPECT_FALSE(Tick(100, 100, true));
  EXPECT_EQ(off.clicks + hidden.clicks, 0);
  EXPECT_EQ(off.Fade, 40);  // frozen
  EXPECT_EQ(hidden.Fade, 0);
  form.Draw();
  // Only the disabled one is drawn, in its disabled look (frame 3, cut at x 60).
  ASSERT_EQ(fake.calls.size(), 1u);
  EXPECT_EQ(fake.calls[0].cut.X, 60);
}

TEST_F(Forms, ObjectWithIconDrawsItOverTheBackground) {
  TMeFormObject2 withIcon(10, 20, &shape, &back, &icon, 0, &form);
  TMeFormObject2 bare(10, 20, &shape, &back, nullptr, 0, &form);
  form.Draw();
  ASSERT_EQ(fake.calls.size(), 3u);  // background, icon, background
  EXPECT_EQ(fake.calls[1].cut.X, 200);
  EXPECT_EQ(fake.calls[1].X, 100 + 10 - 4);  // centred on the object: form x + object x + (-8 div 2)
  EXPECT_EQ(fake.calls[2].cut.X, 0);
}

TEST_F(Forms, MovingTheFormMovesDrawingAndHitAreas) {
  Probe a(0, 0, &shape, &back, &form, &log, 1);
  form.X = 300;
  form.Y = 400;
  EXPECT_FALSE(Tick(100, 100, true));
  EXPECT_TRUE(Tick(305, 395, true));
  form.Draw();
  ASSERT_FALSE(fake.calls.empty());
  EXPECT_EQ(fake.calls[0].X, 300 - 10);
  EXPECT_EQ(fake.calls[0].Y, 400 - 10);
}

TEST_F(Forms, FreeObjectsEmptiesTheList) {
  new Probe(0, 0, &shape, &back, &form, &log, 1);
  new Probe(0, 0, &shape, &back, &form, &log, 2);
  form.FreeObjects();
  EXPECT_TRUE(form.Objects.empty());
  EXPECT_FALSE(Tick(100, 100, true));
}

TEST_F(Toolkit, CaptionsAndResourcesUseTheSharedFontAndTexture) {
  LoadGuiResources();
  EXPECT_EQ(fake.loadedTextures, (std::vector<std::string>{"data\\panel_r.png"}));
  EXPECT_EQ(fake.loadedFonts, (std::vector<std::string>{"data\\font_1.zfi"}));
  DrawCaption("Меню", 90, 32, 200);
  const FakeCall* t = fake.Find(FakeCall::Text);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->font, MenuFont);
  EXPECT_EQ(t->text, "Меню");
  EXPECT_EQ(t->X, 90);
  EXPECT_EQ(t->Y, 32);
  EXPECT_EQ(t->scale, 1.0f);
  EXPECT_EQ(t->alpha, 200);
  EXPECT_EQ(t->color, 0x050505u);
  EXPECT_EQ(t->fx, 0x22u);
}

}  // namespace
