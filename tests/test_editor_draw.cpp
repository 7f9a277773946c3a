// What the editor draws, back to front.
#include <gtest/gtest.h>

#include "EditorHarness.h"

using ui::Map;

class EditorDraw : public EditorHarness {
 protected:
  // Index of the first recorded call matching pred, or -1.
  int IndexOf(FakeCall::Kind kind, const std::function<bool(const FakeCall&)>& pred) const {
    for (size_t i = 0; i < fake.calls.size(); i++)
      if (fake.calls[i].kind == kind && pred(fake.calls[i])) return static_cast<int>(i);
    return -1;
  }
};

TEST_F(EditorDraw, BackgroundThenTheGridOfDots) {
  Tick();
  Frame();
  ASSERT_GT(fake.calls.size(), 361u);
  const FakeCall& bg = fake.calls[0];
  EXPECT_EQ(bg.kind, FakeCall::Rect);
  EXPECT_EQ(bg.X, 0);
  EXPECT_EQ(bg.Y, 0);
  EXPECT_EQ(bg.W, 1024);
  EXPECT_EQ(bg.H, 768);
  EXPECT_EQ(bg.color, 0x505050u);
  EXPECT_EQ(bg.alpha, 255);
  EXPECT_EQ(bg.fx, PR2D_FILL);
  // 18 columns of 20 dots, column by column; dot (i, j) marks map (35i, 35j).
  for (int i = 0; i < 18; i++)
    for (int j = 0; j < 20; j++) {
      const FakeCall& d = fake.calls[static_cast<size_t>(1 + i * 20 + j)];
      ASSERT_EQ(d.kind, FakeCall::Circle);
      EXPECT_EQ(d.X, 214 + 35 * i);
      EXPECT_EQ(d.Y, 34 + 35 * j);
      EXPECT_EQ(d.Radius(), 3.0f);
      EXPECT_EQ(d.color, 0xFFFFFFu);
      EXPECT_EQ(d.alpha, 53);
      EXPECT_EQ(d.quality, 25);
      EXPECT_EQ(d.fx, 0u);
    }
  EXPECT_NE(fake.calls[361].kind, FakeCall::Circle) << "no more dots";
}

TEST_F(EditorDraw, PanelsThenTheMapThenTheHangingPrototypeAndItsOutline) {
  Place(5, 70, 70);  // a small ball: look 5, 34x34, frame 0 at (640, 128)
  ClickAt(ui::Tool(4));
  MoveTo(Map(210, 210));
  Frame();
  const int menuCaption = IndexOf(FakeCall::Text, [](const FakeCall& c) { return c.text == "Меню"; });
  const int playPanel = IndexOf(FakeCall::Sprite, [](const FakeCall& c) { return c.cut.X == 256 && c.cut.Y == 192; });
  const int props = IndexOf(FakeCall::Sprite, [](const FakeCall& c) { return c.cut.X == 256 && c.cut.Y == 0; });
  const int placed = IndexOf(FakeCall::Sprite, [](const FakeCall& c) { return c.cut.X == 640 && c.cut.Y == 128; });
  const int proto = IndexOf(FakeCall::Sprite, [](const FakeCall& c) { return c.cut.X == 640 && c.cut.Y == 0; });
  // The outline of a circle of diameter 70: radius 35 + 5 around its centre.
  const int outline = IndexOf(FakeCall::Circle, [](const FakeCall& c) { return c.Radius() == 40.0f; });
  ASSERT_GE(menuCaption, 0);
  ASSERT_GE(placed, 0);
  ASSERT_GE(proto, 0);
  ASSERT_GE(outline, 0);
  EXPECT_LT(menuCaption, props) << "palette before the properties";
  EXPECT_LT(props, playPanel) << "properties before the play panel";
  EXPECT_LT(playPanel, placed) << "panels before the map";
  EXPECT_LT(placed, proto) << "the map before the prototype";
  EXPECT_LT(proto, outline) << "the prototype before its outline";
  // The 72x72 look centred on map (210, 210), i.e. screen (424, 244).
  const FakeCall& p = fake.calls[static_cast<size_t>(proto)];
  EXPECT_EQ(p.X, 424 - 36);
  EXPECT_EQ(p.Y, 244 - 36);
  EXPECT_EQ(fake.calls[static_cast<size_t>(outline)].X, 424);
  EXPECT_EQ(fake.calls[static_cast<size_t>(outline)].Y, 244);
  EXPECT_EQ(fake.SpritesFrom(640, 0).size(), 1u) << "the prototype is drawn by the editor alone";
}

TEST_F(EditorDraw, ASelectedLevelObjectGetsOnlyItsOutline) {
  Place(2, 105, 105);
  ClickAt(Map(105, 105));
  Frame();
  // 26x26 block, frame 0 at (448, 128): once, by the map.
  EXPECT_EQ(fake.SpritesFrom(448, 128).size(), 1u);
  // The rectangle outline: four lines.
  EXPECT_EQ(fake.Count(FakeCall::Line), 4u);
}

TEST_F(EditorDraw, AnOpenMenuVeilsTheWholeWindowAndTheMapUnderIt) {
  Place(2, 105, 105);
  ClickAt(ui::kMenu);
  Frame();
  const int map = IndexOf(FakeCall::Sprite, [](const FakeCall& c) { return c.cut.X == 448 && c.cut.Y == 128; });
  const int veil = IndexOf(FakeCall::Rect, [](const FakeCall& c) { return c.color == 0x101017u; });
  ASSERT_GE(map, 0) << "the map is still drawn";
  ASSERT_GE(veil, 0);
  const FakeCall& v = fake.calls[static_cast<size_t>(veil)];
  EXPECT_EQ(v.X, 0);
  EXPECT_EQ(v.Y, 0);
  EXPECT_EQ(v.W, 1024);
  EXPECT_EQ(v.H, 768);
  EXPECT_EQ(v.alpha, 208);
  EXPECT_EQ(v.fx, PR2D_FILL);
  EXPECT_LT(map, veil);
  // The menu on top, captions and backgrounds at its alpha 200.
  std::vector<std::string> after;
  for (size_t i = static_cast<size_t>(veil) + 1; i < fake.calls.size(); i++) {
    const FakeCall& c = fake.calls[i];
    if (c.kind == FakeCall::Text) after.push_back(c.text);
    if (c.kind == FakeCall::Sprite || c.kind == FakeCall::Text) {
      EXPECT_EQ(c.alpha, 200);
    }
  }
  EXPECT_EQ(after, (std::vector<std::string>{"Новый", "Сохранить", "Открыть", "Закрыть"}));
}
