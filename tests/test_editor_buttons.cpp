// The properties panel, the delete button and their effect on the level.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "EditorHarness.h"
#include "level/uWorld.h"
#include "objects/uLazer.h"
#include "objects/uRope.h"

using ui::Map;

class EditorButtons : public EditorHarness {
 protected:
  // The option button for option o (1..5) on the properties panel.
  TButtonOpt* OptionButton(int o) {
    return dynamic_cast<TButtonOpt*>(ed->EdForm->Objects.at(static_cast<size_t>(7 + o)));
  }
  // Two balls at (70, 70) and (210, 70) tied by a rope between their centres.
  void TwoBallsAndARope() {
    Place(5, 70, 70);
    Place(5, 210, 70);
    ClickAt(ui::Tool(7));
    ClickAt(Map(70, 70));
    ClickAt(Map(210, 70));
    ASSERT_EQ(ed->Map->Ropes.size(), 1u);
    Frame();
  }
  std::string ClickDelete() {
    return CaptureStdout([&] { ClickAt(ui::kDelete); });
  }
  // The last line of some output, without its line end.
  static std::string LastLine(const std::string& out) {
    if (out.empty() || out.back() != '\n') return "(no line end)";
    std::string body = out.substr(0, out.size() - 1);
    size_t nl = body.rfind('\n');
    return nl == std::string::npos ? body : body.substr(nl + 1);
  }
};

// Steppers: each click changes the selected object (or the hanging
// prototype) at once; a size that would not stay above 8 is refused.
struct StepperCase {
  const char* name;
  int tool;
  bool onPrototype;
  ui::Pt stepper;
  std::function<int32_t(const TMapObj&)> value;
  int32_t after[3];  // after one, two and three clicks
};

TEST_F(EditorButtons, SteppersChangeTheSelectionUpToTheLimits) {
  auto w = [](const TMapObj& o) { return o.W; };
  auto h = [](const TMapObj& o) { return o.H; };
  auto angle = [](const TMapObj& o) { return o.Angle; };
  const StepperCase cases[] = {
      {"plank width down to 10", 1, false, ui::kWidthMinus, w, {18, 10, 10}},
      {"plank height", 1, false, ui::kHeightMinus, h, {62, 54, 46}},
      {"plank width up", 1, false, ui::kWidthPlus, w, {34, 42, 50}},
      {"block both down", 2, false, ui::kSizeMinus, h, {18, 10, 10}},
      {"block both up", 2, false, ui::kSizePlus, w, {34, 42, 50}},
      {"angle up", 3, false, ui::kAnglePlus, angle, {15, 30, 45}},
      {"angle down", 3, false, ui::kAngleMinus, angle, {-15, -30, -45}},
      {"prototype width", 1, true, ui::kWidthMinus, w, {18, 10, 10}},
  };
  for (const StepperCase& c : cases) {
    SCOPED_TRACE(c.name);
    ed->Map->New();
    ClickAt(ui::Tool(0));
    TMapObj* target;
    if (c.onPrototype) {
      ClickAt(ui::Tool(c.tool));
      target = dynamic_cast<TMapObj*>(ed->Protos[c.tool]);
    } else {
      Place(c.tool, 105, 105);
      ClickAt(Map(105, 105));
      target = Obj(0);
    }
    ASSERT_EQ(static_cast<TMapObjProt*>(target), ed->Selected);
    for (int32_t want : c.after) {
      ClickAt(c.stepper);
      EXPECT_EQ(c.value(*target), want);
    }
  }
}

TEST_F(EditorButtons, ThePanelShowsTheNumbersAsStored) {
  Place(1, 105, 105);
  ClickAt(Map(105, 105));
  for (int i = 0; i < 25; i++) ClickAt(ui::kAnglePlus);
  ClickAt(ui::kWidthMinus);
  Frame();
  // Centred 18 right of the panel's centre, between each row's two steppers.
  auto textAt = [&](int32_t x, int32_t y) -> std::string {
    const FakeCall* c = fake.Find(FakeCall::Text, [&](const FakeCall& t) { return t.X == x && t.Y == y; });
    return c ? c->text : "(none)";
  };
  EXPECT_EQ(textAt(942, 35), "375");
  EXPECT_EQ(textAt(942, 125), "18");
  EXPECT_EQ(textAt(942, 171), "70");

  // With nothing selected there are no numbers.
  ClickAt(ui::Tool(0));
  Frame();
  EXPECT_EQ(textAt(942, 35), "(none)");
}

// Colours: white needs a second frame in the look, mirror a third.
struct ColourCase {
  int tool;  // the tool's look is the same number
  int option;
  uint8_t colour;
};

TEST_F(EditorButtons, ColoursAreRefusedOnOneFrameLooks) {
  const ColourCase cases[] = {{3, 3, 0}, {3, 4, 0}, {6, 4, 0}, {11, 3, 0}, {1, 3, 1},
                              {1, 4, 2}, {2, 4, 2}, {4, 3, 1}, {5, 4, 2}, {5, 2, 0}};
  for (const ColourCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "look " << c.tool << " option " << c.option);
    ed->Map->New();
    Place(c.tool, 105, 105);
    ClickAt(Map(105, 105));
    ClickAt(ui::Option(c.option));
    Tick();  // buttons before the clicked one saw the old colour
    EXPECT_EQ(Obj(0)->Color, c.colour);
    // Exactly the colour button of the current colour is lit.
    for (int o = 2; o <= 4; o++) EXPECT_EQ(OptionButton(o)->Active, o == c.colour + 2) << "option " << o;
  }
}

TEST_F(EditorButtons, TogglesAndTheirChecks) {
  Place(2, 105, 105);
  ClickAt(Map(105, 105));
  Tick();  // the panel gets its first update once something is selected
  EXPECT_TRUE(OptionButton(1)->Active) << "a new object is dynamic";
  EXPECT_FALSE(OptionButton(5)->Active);
  ClickAt(ui::Option(1));
  ClickAt(ui::Option(5));
  EXPECT_FALSE(Obj(0)->Dynamic);
  EXPECT_TRUE(Obj(0)->Interactive);
  EXPECT_FALSE(OptionButton(1)->Active);
  EXPECT_TRUE(OptionButton(5)->Active);

  Frame();
  // The check box (22x22, frame 1 at (210, 172) when on) centred 64 left of
  // the button, the caption 11 right of it.
  std::vector<FakeCall> on = fake.SpritesFrom(210, 172);
  ASSERT_EQ(on.size(), 2u);  // "Черный" and "Интерактивный"
  EXPECT_EQ(on[1].X, 924 - 64 - 11);
  EXPECT_EQ(on[1].Y, 518 - 11);
  const FakeCall* caption =
      fake.Find(FakeCall::Text, [](const FakeCall& t) { return t.text == "Интерактивный"; });
  ASSERT_NE(caption, nullptr);
  EXPECT_EQ(caption->X, 935);
  EXPECT_EQ(caption->Y, 518);
}

TEST_F(EditorButtons, WithNothingSelectedThePanelDoesNotReact) {
  Tick();
  ClickAt(ui::Option(1));
  ClickAt(ui::kWidthMinus);
  for (int o = 1; o <= 5; o++) EXPECT_FALSE(OptionButton(o)->Active) << "unlit until the first selection";
  // Nothing was changed, not even a prototype: the copy comes out as built.
  Place(2, 105, 105);
  EXPECT_TRUE(Obj(0)->Dynamic);
  EXPECT_EQ(Obj(0)->W, 26);
  // The panel got no update since the prototype was dropped, so it keeps
  // the prototype's looks: dynamic and black.
  Tick();
  for (int o = 1; o <= 5; o++) EXPECT_EQ(OptionButton(o)->Active, o <= 2) << "option " << o;
}

TEST_F(EditorButtons, DeleteRemovesTheSelectedObjectAndTracesTheCount) {
  Place(2, 70, 70);
  Place(2, 140, 70);
  TMapObj* keep = Obj(1);
  ClickAt(Map(70, 70));
  EXPECT_EQ(LastLine(ClickDelete()), "1");
  ASSERT_EQ(ed->Map->Obj.size(), 1u);
  EXPECT_EQ(Obj(0), keep);
  EXPECT_EQ(ed->Selected, nullptr);
  Frame();  // nothing left to draw an outline for
  EXPECT_EQ(fake.Count(FakeCall::Line), 0u);

  // Nothing selected: nothing changes, but the line is still written.
  EXPECT_EQ(ClickDelete(), "1\n");
  EXPECT_EQ(ed->Map->Obj.size(), 1u);
}

TEST_F(EditorButtons, DeleteWithAPrototypeAtTheCursorDoesNothing) {
  Place(2, 70, 70);
  ClickAt(ui::Tool(4));
  EXPECT_EQ(ClickDelete(), "");
  EXPECT_TRUE(ed->Placing);
  EXPECT_EQ(ed->Selected, ed->Protos[4]);
  EXPECT_EQ(ed->Map->Obj.size(), 1u);
}

TEST_F(EditorButtons, DeletingARopeKeepsItsEnds) {
  TwoBallsAndARope();
  ClickAt(Map(140, 70));
  ASSERT_EQ(ed->Selected, ed->Map->Ropes[0]);
  std::string out = ClickDelete();
  EXPECT_NE(out.find("destructor TRope.Destroy;  \n"), std::string::npos);
  EXPECT_EQ(LastLine(out), "2");
  EXPECT_TRUE(ed->Map->Ropes.empty());
  EXPECT_EQ(ed->Map->Obj.size(), 2u);
}

TEST_F(EditorButtons, DeletingATiedObjectTakesItsRopesWith) {
  TwoBallsAndARope();
  TMapObj* other = Obj(1);
  ClickAt(Map(70, 70));
  std::string out = ClickDelete();
  EXPECT_EQ(LastLine(out), "1");
  EXPECT_TRUE(ed->Map->Ropes.empty()) << "no rope may name a freed object";
  ASSERT_EQ(ed->Map->Obj.size(), 1u);
  EXPECT_EQ(Obj(0), other);
  // Playing and drawing the rest touches nothing freed.
  ClickAt(ui::kPlay);
  Tick(3);
  Frame();
  ClickAt(ui::kStop);
}

TEST_F(EditorButtons, DeletingTheRopeToolsFirstEndClearsIt) {
  Place(5, 70, 70);
  Place(5, 210, 70);
  Place(5, 350, 70);
  ClickAt(ui::Tool(7));
  ClickAt(Map(70, 70));  // first end
  TRope* tool = dynamic_cast<TRope*>(ed->Protos[7]);
  ASSERT_EQ(tool->ObjA, Obj(0));
  ClickAt(ui::Tool(0));  // the selection tool; the first end stays stored
  EXPECT_EQ(tool->ObjA, Obj(0));
  ClickAt(Map(70, 70));
  ClickDelete();
  EXPECT_EQ(tool->ObjA, nullptr);

  // The tool starts afresh: the next two clicks tie the remaining balls.
  ClickAt(ui::Tool(7));
  ClickAt(Map(210, 70));
  EXPECT_TRUE(ed->Map->Ropes.empty());
  ClickAt(Map(350, 70));
  ASSERT_EQ(ed->Map->Ropes.size(), 1u);
  EXPECT_EQ(ed->Map->Ropes[0]->ObjA, Obj(0));
  EXPECT_EQ(ed->Map->Ropes[0]->ObjB, Obj(1));
}

TEST_F(EditorButtons, DeletingALaserBoxAfterAPlayLeavesItsBeamToTheWorld) {
  Place(9, 105, 105);
  TLazerBox* box = dynamic_cast<TLazerBox*>(Obj(0));
  ASSERT_NE(box, nullptr);
  ClickAt(ui::kPlay);
  Tick(3);
  ClickAt(ui::kStop);
  ASSERT_NE(box->Lazer, nullptr) << "the box must hold a beam for this to mean anything";
  ASSERT_NE(ed->Map->World, nullptr);
  EXPECT_FALSE(ed->Map->World->Lazers.empty());

  ClickAt(Map(105, 105));
  ASSERT_EQ(ed->Selected, box);
  EXPECT_EQ(LastLine(ClickDelete()), "0");
  EXPECT_TRUE(ed->Map->Obj.empty());
  // The world still frees the beam, once: at the next play and when emptied.
  ClickAt(ui::kPlay);
  Tick(2);
  ClickAt(ui::kStop);
  ed->Map->New();
}
