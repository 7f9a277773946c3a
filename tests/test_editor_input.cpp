// The editor's handling of the mouse and keys on the field, driven as a user would.
#include <gtest/gtest.h>

#include <typeinfo>

#include "EditorHarness.h"
#include "objects/uBomb.h"
#include "objects/uLazer.h"
#include "objects/uRope.h"

using ui::Map;

class EditorInput : public EditorHarness {};

TEST_F(EditorInput, FirstUpdateLightsTheSelectionToolsAndDimsTheProperties) {
  Tick();
  for (int b = 0; b <= 14; b++) EXPECT_EQ(ToolButton(b)->Active, b == 0 || b == 13 || b == 14) << "tool " << b;
  EXPECT_EQ(ed->Selected, nullptr);
  EXPECT_EQ(ed->EdForm->Alpha, 155);
  EXPECT_EQ(ed->MainForm->Alpha, 255);

  Frame();
  // The 128x128 tool background's active frame sits at (256, 320); each is
  // centred on its button, so its top-left is the centre minus 64.
  std::vector<FakeCall> lit = fake.SpritesFrom(256, 320);
  ASSERT_EQ(lit.size(), 3u);
  const ui::Pt centres[] = {ui::Tool(0), ui::Tool(13), ui::Tool(14)};
  for (size_t i = 0; i < 3; i++) {
    EXPECT_EQ(lit[i].X, centres[i].x - 64);
    EXPECT_EQ(lit[i].Y, centres[i].y - 64);
  }
  // The properties background goes down twice, both at the dimmed alpha.
  std::vector<FakeCall> props = fake.SpritesFrom(256, 0);
  ASSERT_EQ(props.size(), 2u);
  for (const FakeCall& c : props) EXPECT_EQ(c.alpha, 155);
}

// Each tool places a copy of its own class (the most derived one), where the
// prototype stood: (80, 95) snaps to (70, 105) since (80+17) div 35 = 2, (95+17) div 35 = 3.
struct ToolCase {
  int tool;
  const std::type_info& kind;
};

TEST_F(EditorInput, PlacingACopyEndsTheToolAndKeepsTheClass) {
  const ToolCase cases[] = {{1, typeid(TMapObj)}, {4, typeid(TMapObj)}, {8, typeid(TBomb)}, {9, typeid(TLazerBox)},
                            {12, typeid(TMapObj)}};
  for (const ToolCase& c : cases) {
    SCOPED_TRACE(c.tool);
    ed->Map->New();
    ClickAt(ui::Tool(c.tool));
    EXPECT_TRUE(ed->Placing);
    EXPECT_EQ(ed->Selected, ed->Protos[c.tool]);
    EXPECT_TRUE(ToolButton(c.tool)->Active);
    Tick();  // the buttons before the clicked one saw the old selection
    EXPECT_FALSE(ToolButton(0)->Active);

    MoveTo(Map(80, 95));
    EXPECT_EQ(ed->Protos[c.tool]->X, 70);
    EXPECT_EQ(ed->Protos[c.tool]->Y, 105);
    EXPECT_TRUE(ed->Map->Obj.empty()) << "a hanging prototype is not part of the level";

    ClickAt(Map(80, 95));
    ASSERT_EQ(ed->Map->Obj.size(), 1u);
    EXPECT_EQ(typeid(*Obj(0)), c.kind);
    EXPECT_EQ(Obj(0)->X, 70);
    EXPECT_EQ(Obj(0)->Y, 105);
    EXPECT_EQ(ed->Selected, nullptr);
    EXPECT_FALSE(ed->Placing);

    // The tool has ended: another click on empty field adds nothing.
    ClickAt(Map(300, 400));
    EXPECT_EQ(ed->Map->Obj.size(), 1u);
  }
}

TEST_F(EditorInput, ShiftKeepsTheToolForEveryClick) {
  fake.HoldKey(K_SHIFT);
  ClickAt(ui::Tool(5));
  // Map points and where they snap to.
  const int32_t points[][4] = {{10, 10, 0, 0}, {100, 200, 105, 210}, {300, 52, 315, 35}};
  for (const auto& p : points) {
    MoveTo(Map(p[0], p[1]));
    ClickAt(Map(p[0], p[1]));
  }
  ASSERT_EQ(ed->Map->Obj.size(), 3u);
  for (size_t i = 0; i < 3; i++) {
    EXPECT_EQ(Obj(i)->X, points[i][2]);
    EXPECT_EQ(Obj(i)->Y, points[i][3]);
  }
  EXPECT_TRUE(ed->Placing);
  EXPECT_EQ(ed->Selected, ed->Protos[5]);
}

TEST_F(EditorInput, ShiftClickOnEmptyFieldLeavesACopyAndDragsTheObject) {
  Place(2, 70, 105);
  ClickAt(Map(70, 105));
  ASSERT_EQ(ed->Selected, Obj(0));
  TMapObj* picked = Obj(0);

  fake.HoldKey(K_SHIFT);
  PressAt(Map(210, 280));
  fake.HoldKey(K_SHIFT, false);
  ASSERT_EQ(ed->Map->Obj.size(), 2u);
  EXPECT_EQ(Obj(1)->X, 70) << "the copy stays where the object was";
  EXPECT_EQ(Obj(1)->Y, 105);
  EXPECT_EQ(picked->X, 210);
  EXPECT_EQ(picked->Y, 280);
  EXPECT_EQ(ed->Selected, picked);

  MoveTo(Map(250, 280));  // button still down: (250+17) div 35 = 7
  EXPECT_EQ(picked->X, 245);
  EXPECT_EQ(ed->Map->Obj.size(), 2u);
}

TEST_F(EditorInput, PickingCyclesThroughOverlappingObjects) {
  Place(2, 105, 105);
  Place(2, 105, 105);
  ASSERT_EQ(ed->Map->Obj.size(), 2u);
  // Current yields to any other object under the point; the older one is first.
  const size_t expected[] = {0, 1, 0, 1};
  for (size_t want : expected) {
    ClickAt(Map(108, 100));
    EXPECT_EQ(ed->Selected, Obj(want));
  }
  // Picked 3 right and 5 up of the centre: the grab offset keeps that distance.
  EXPECT_EQ(ed->GrabX, -3);
  EXPECT_EQ(ed->GrabY, 5);
  EXPECT_EQ(ed->CursorX, 105);
  EXPECT_EQ(ed->CursorY, 105);
}

TEST_F(EditorInput, EmptyClickDropsAnObjectButKeepsARope) {
  Place(5, 70, 70);
  Place(5, 210, 70);
  ClickAt(ui::Tool(7));
  ClickAt(Map(70, 70));
  ClickAt(Map(210, 70));
  ASSERT_EQ(ed->Map->Ropes.size(), 1u);
  Frame();  // the rope learns its midpoint (140, 70) when drawn

  ClickAt(Map(70, 70));
  EXPECT_EQ(ed->Selected, Obj(0));
  ClickAt(Map(400, 400));
  EXPECT_EQ(ed->Selected, nullptr);
  EXPECT_EQ(ed->GrabX, 0);

  ClickAt(Map(140, 70));
  EXPECT_EQ(ed->Selected, ed->Map->Ropes[0]);
  ClickAt(Map(400, 400));
  EXPECT_EQ(ed->Selected, ed->Map->Ropes[0]);
}

TEST_F(EditorInput, ARopesCentreWinsOverAnObjectUnderIt) {
  Place(5, 70, 70);
  Place(5, 210, 70);
  ClickAt(ui::Tool(7));
  ClickAt(Map(70, 70));
  ClickAt(Map(210, 70));
  Place(2, 140, 70);  // a block right under the rope's middle
  Frame();
  TRope* rope = ed->Map->Ropes.at(0);
  // First the rope; with the rope current the block; then the rope again.
  const TMapObjProt* expected[] = {rope, Obj(2), rope};
  for (const TMapObjProt* want : expected) {
    ClickAt(Map(140, 70));
    EXPECT_EQ(ed->Selected, want);
  }
}

TEST_F(EditorInput, DraggingMovesInGridStepsAndNeverLeavesTheField) {
  Place(2, 105, 105);
  PressAt(Map(105, 105));
  ASSERT_EQ(ed->Selected, Obj(0));
  // Mouse x in map pixels -> the object's X. Outside 0 < x < 613 the update
  // ignores the field, so the object stays on its last grid point.
  const int32_t moves[][2] = {{122, 105}, {123, 140}, {200, 210}, {612, 595}, {613, 595},
                              {700, 595}, {1, 0},     {0, 0},     {-20, 0},   {52, 35}};
  for (const auto& m : moves) {
    MoveTo(Map(m[0], 105));
    EXPECT_EQ(Obj(0)->X, m[1]) << "mouse x " << m[0];
    EXPECT_EQ(Obj(0)->Y, 105);
  }
  // The same along y: 682 snaps to 665, the last row; 683 is outside.
  MoveTo(Map(52, 682));
  EXPECT_EQ(Obj(0)->Y, 665);
  MoveTo(Map(52, 683));
  EXPECT_EQ(Obj(0)->Y, 665);
  Release();
  MoveTo(Map(300, 300));
  EXPECT_EQ(Obj(0)->X, 35) << "released: no more dragging";
}

TEST_F(EditorInput, HeldButtonDragsTheSelectionIntoTheFieldFromOutside) {
  Place(2, 105, 105);
  ClickAt(Map(105, 105));
  // Pressed away from every button, left of the field, then moved in.
  PressAt(ui::Pt{190, 700});
  EXPECT_EQ(Obj(0)->X, 105);
  MoveTo(Map(300, 300));
  EXPECT_EQ(Obj(0)->X, 315);
  EXPECT_EQ(Obj(0)->Y, 315);
}

TEST_F(EditorInput, TwentyFourMiddleClicksMakeAFullTurnWithoutWrap) {
  Place(2, 105, 105);
  ClickAt(Map(105, 105));
  // Wherever the mouse is: on the field, over the palette, outside the field.
  const ui::Pt spots[] = {Map(400, 400), {50, 740}, {1000, 700}};
  for (int i = 0; i < 24; i++) ClickAt(spots[i % 3], M_BMIDDLE);
  EXPECT_EQ(Obj(0)->Angle, 360);
}

TEST_F(EditorInput, TurningAPrototypeTurnsOnlyLaterCopies) {
  Place(1, 70, 70);
  ClickAt(ui::Tool(1));
  ClickAt(Map(200, 200), M_BMIDDLE);
  ClickAt(Map(200, 200), M_BMIDDLE);
  EXPECT_EQ(ed->Protos[1]->X, 210) << "the middle click does not stop the prototype following";
  ClickAt(Map(200, 200));
  ASSERT_EQ(ed->Map->Obj.size(), 2u);
  EXPECT_EQ(Obj(0)->Angle, 0);
  EXPECT_EQ(Obj(1)->Angle, 30);
  // The rope tool's prototype has no angle; a middle click leaves it alone.
  ClickAt(ui::Tool(7));
  ClickAt(Map(200, 200), M_BMIDDLE);
  EXPECT_EQ(ed->Selected, ed->Protos[7]);
}

// Clicks at the edges of the field, with the prototype settled there first.
struct BoundsCase {
  int32_t mx, my;
  bool placed;
  int32_t x, y;  // where the copy lands when placed
};

TEST_F(EditorInput, ClicksAtTheFieldBounds) {
  const BoundsCase cases[] = {{0, 100, false, 0, 0},    {1, 100, true, 0, 105},     {612, 100, true, 595, 105},
                              {613, 100, false, 0, 0},  {100, 0, false, 0, 0},      {100, 1, true, 105, 0},
                              {100, 682, true, 105, 665}, {100, 683, false, 0, 0}, {-5, -5, false, 0, 0}};
  for (const BoundsCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.mx << "," << c.my);
    ed->Map->New();
    Place(6, c.mx, c.my);
    ASSERT_EQ(ed->Map->Obj.size(), c.placed ? 1u : 0u);
    if (c.placed) {
      EXPECT_EQ(Obj(0)->X, c.x);
      EXPECT_EQ(Obj(0)->Y, c.y);
    } else {
      EXPECT_TRUE(ed->Placing) << "an ignored click leaves the tool waiting";
    }
    ClickAt(ui::Tool(0));
  }
}

TEST_F(EditorInput, ThePrototypeFollowsTheCursorSnappedOnlyInsideTheField) {
  ClickAt(ui::Tool(4));
  // Screen point -> prototype position in map pixels.
  const int32_t cases[][4] = {
      {214 + 80, 34 + 95, 70, 105},     // inside: snapped
      {214 + 600, 34 + 660, 595, 665},  // inside, near the far corner
      {50, 740, 50 - 214, 740 - 34},    // over the palette: unsnapped
      {924, 600, 924 - 214, 600 - 34},  // right of the field: unsnapped
      {214 + 620, 34 + 3, 620, 3},      // just past the right edge
  };
  for (const auto& c : cases) {
    MoveTo(ui::Pt{c[0], c[1]});
    EXPECT_EQ(ed->Protos[4]->X, c[2]) << c[0] << "," << c[1];
    EXPECT_EQ(ed->Protos[4]->Y, c[3]) << c[0] << "," << c[1];
  }
}

TEST_F(EditorInput, AToolChosenAfterAnOffCentrePickHangsAtTheGrabOffset) {
  Place(2, 105, 105);
  ClickAt(Map(110, 100));  // grab (-5, 5)
  ClickAt(ui::Tool(5));
  MoveTo(Map(200, 200));
  // Cursor (195, 205) snaps to (210, 210).
  EXPECT_EQ(ed->Protos[5]->X, 210);
  EXPECT_EQ(ed->Protos[5]->Y, 210);
  ClickAt(Map(200, 200));
  EXPECT_EQ(ed->GrabX, 0) << "the drop after placing resets the offset";
}

// The rope tool: two clicks on different objects tie them; Ctrl ties at the centre.
struct RopeCase {
  bool ctrlA, ctrlB, shift;
  int32_t offAx, offAy, offBx, offBy;
};

TEST_F(EditorInput, RopeToolTiesTwoObjects) {
  // Balls at (70, 70) and (210, 70); clicks at (75, 65) and (205, 75), so the
  // offsets (object position - clicked point) are (-5, 5) and (5, -5).
  const RopeCase cases[] = {{false, false, false, -5, 5, 5, -5},
                            {true, false, false, 0, 0, 5, -5},
                            {false, true, true, -5, 5, 0, 0}};
  for (const RopeCase& c : cases) {
    ed->Map->New();
    Place(5, 70, 70);
    Place(5, 210, 70);
    fake.HoldKey(K_SHIFT, c.shift);
    ClickAt(ui::Tool(7));
    fake.HoldKey(K_CTRL, c.ctrlA);
    ClickAt(Map(75, 65));
    fake.HoldKey(K_CTRL, false);
    TRope* tool = dynamic_cast<TRope*>(ed->Protos[7]);
    ASSERT_NE(tool, nullptr);
    EXPECT_EQ(tool->ObjA, Obj(0));
    // The same object again, then empty field, then nothing but the waiting tool.
    ClickAt(Map(70, 70));
    ClickAt(Map(300, 300));
    EXPECT_EQ(tool->ObjB, nullptr);
    EXPECT_TRUE(ed->Map->Ropes.empty());
    EXPECT_TRUE(ed->Placing);

    fake.HoldKey(K_CTRL, c.ctrlB);
    ClickAt(Map(205, 75));
    fake.HoldKey(K_CTRL, false);
    fake.HoldKey(K_SHIFT, false);
    ASSERT_EQ(ed->Map->Ropes.size(), 1u);
    TRope* rope = ed->Map->Ropes[0];
    EXPECT_EQ(rope->ObjA, Obj(0));
    EXPECT_EQ(rope->ObjB, Obj(1));
    EXPECT_EQ(rope->OffAx, c.offAx);
    EXPECT_EQ(rope->OffAy, c.offAy);
    EXPECT_EQ(rope->OffBx, c.offBx);
    EXPECT_EQ(rope->OffBy, c.offBy);
    EXPECT_EQ(tool->ObjA, nullptr);
    EXPECT_EQ(tool->ObjB, nullptr);
    EXPECT_EQ(ed->Selected, nullptr) << "a finished rope ends the tool, Shift or not";
    EXPECT_FALSE(ed->Placing);
  }
}

TEST_F(EditorInput, PlayDimsThePanelsAndIgnoresTheField) {
  Place(2, 105, 105);
  ClickAt(ui::Tool(4));  // a prototype at the cursor when play starts
  MoveTo(Map(300, 300));
  ClickAt(ui::kPlay);
  EXPECT_TRUE(ed->Map->Playing);
  EXPECT_EQ(ed->Selected, nullptr);
  EXPECT_FALSE(ed->Placing);
  Tick();
  EXPECT_EQ(ed->MainForm->Alpha, 155);
  EXPECT_EQ(ed->EdForm->Alpha, 155);

  ClickAt(Map(105, 105));
  ClickAt(ui::Tool(2));
  ClickAt(Map(300, 300));
  EXPECT_EQ(ed->Selected, nullptr);
  EXPECT_FALSE(ed->Placing);
  EXPECT_EQ(ed->Map->Obj.size(), 1u);

  Frame();
  for (const FakeCall& c : fake.SpritesFrom(0, 320)) EXPECT_EQ(c.alpha, 155) << "tool backgrounds dimmed";
  EXPECT_TRUE(fake.SpritesFrom(640, 0).empty()) << "the prototype is no longer shown";

  ClickAt(ui::kStop);
  ClickAt(Map(105, 105));
  EXPECT_EQ(ed->Selected, Obj(0));
  EXPECT_EQ(ed->MainForm->Alpha, 255);
}

TEST_F(EditorInput, PauseResumeAndStop) {
  Place(5, 105, 105);  // a dynamic ball in free fall
  TMapObj* ball = Obj(0);
  TMeFormObject* const* play = ed->PlayPanel->Objects.data();
  Tick();
  EXPECT_TRUE(play[2]->Active) << "stop is lit while editing";

  ClickAt(ui::kPlay);
  const float start = ball->WorldY;
  Tick(30);
  const float fallen = ball->WorldY;
  EXPECT_GT(fallen, start);
  EXPECT_TRUE(play[0]->Active);

  ClickAt(ui::kPause);
  Tick();  // the play button's look follows one update later
  EXPECT_TRUE(ed->Map->Paused);
  EXPECT_TRUE(play[1]->Active);
  EXPECT_FALSE(play[0]->Active);
  const float paused = ball->WorldY;
  Tick(10);
  EXPECT_EQ(ball->WorldY, paused) << "the bodies stand still";

  ClickAt(ui::kPlay);  // resume: the same world goes on
  EXPECT_FALSE(ed->Map->Paused);
  Tick(10);
  EXPECT_GT(ball->WorldY, paused);

  ClickAt(ui::kStop);
  EXPECT_FALSE(ed->Map->Playing);
  EXPECT_TRUE(play[2]->Active);
  EXPECT_EQ(ball->Y, 105) << "play never moves the editing pose";

  ClickAt(ui::kPlay);  // a fresh world from the editing pose
  EXPECT_LT(ball->WorldY, paused);
  EXPECT_NEAR(ball->WorldY, start, 0.5f);
}

TEST_F(EditorInput, PauseWhileEditingOnlyDropsTheSelection) {
  Place(2, 105, 105);
  ClickAt(Map(105, 105));
  ClickAt(ui::kPause);
  EXPECT_EQ(ed->Selected, nullptr);
  EXPECT_FALSE(ed->Map->Playing);
  EXPECT_FALSE(ed->Map->Paused);
}
