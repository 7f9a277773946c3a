#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "level/uMap.h"
#include "level/uMapObj.h"
#include "level/uWorld.h"
#include "objects/uLazer.h"
#include "objects/uRope.h"
#include "scenes/uGameForm.h"
#include "tests/fake/FakeEngine.h"
#include "toolkit/uMeForm.h"

namespace {

class MapTest : public testing::Test {
 protected:
  MapTest() : map(35) {}

  // An ordinary object on look 1 (26 x 70), owned by the map.
  TMapObj* Add(int32_t x, int32_t y, bool dynamic = true, bool interactive = false) {
    auto* obj = new TMapObj(map.DrawRects[1], new TShapeRect(26, 70));
    obj->X = x;
    obj->Y = y;
    obj->Dynamic = dynamic;
    obj->Interactive = interactive;
    map.Obj.push_back(obj);
    return obj;
  }
  TRope* Tie(TMapObj* a, TMapObj* b) {
    auto* rope = new TRope(map.DrawRects[7], a, b, 0, 0, 0, 0);
    map.Ropes.push_back(rope);
    return rope;
  }
  std::string Quiet(const std::function<void()>& f) { return CaptureStdout(f); }

  FakeEngine engine;
  TMap map;
};

TEST_F(MapTest, CreateLaysOutTheFieldAndTheLooks) {
  EXPECT_EQ(map.MapX, 214);  // (1024 - 630) div 2 + 17
  EXPECT_EQ(map.MapY, 34);   // (768 - 700) div 2
  EXPECT_EQ(map.MapW, 613);
  EXPECT_EQ(map.MapH, 683);
  ASSERT_NE(map.GameForm, nullptr);
  EXPECT_EQ(map.GameForm->X, 214);
  EXPECT_EQ(map.GameForm->Y, 34);
  EXPECT_EQ(map.GameForm->Alpha, 240);
  EXPECT_EQ(map.GameForm->Map, &map);
  EXPECT_TRUE(map.GameForm->Objects.empty());
  EXPECT_EQ(map.World, nullptr);
  EXPECT_FALSE(map.Playing);
  EXPECT_GE(map.Obj.capacity(), 150u);
  EXPECT_GE(map.Ropes.capacity(), 50u);

  const struct {
    int32_t w, h;
    size_t frames;
    float lastX, lastY;  // where the last frame starts
  } looks[kLookCount] = {
      {26, 70, 3, 576, 0},   {26, 26, 3, 576, 128}, {140, 10, 1, 448, 192}, {72, 72, 3, 896, 0},
      {34, 34, 3, 768, 128}, {16, 16, 1, 408, 472}, {32, 32, 1, 208, 272},  {32, 52, 1, 528, 460},
      {40, 23, 1, 588, 468}, {38, 64, 1, 512, 320}, {64, 64, 1, 704, 448},  {44, 44, 1, 778, 458},
  };
  EXPECT_EQ(map.DrawRects[0], nullptr);
  for (int32_t id = 1; id <= kLookCount; id++) {
    SCOPED_TRACE(id);
    const TMeDrawRect* look = map.DrawRects[id];
    ASSERT_NE(look, nullptr);
    EXPECT_EQ(look->Id, id);
    EXPECT_EQ(look->W, looks[id - 1].w);
    EXPECT_EQ(look->H, looks[id - 1].h);
    ASSERT_EQ(look->Frames.size(), looks[id - 1].frames);
    EXPECT_EQ(look->LastFrame, static_cast<int32_t>(looks[id - 1].frames) - 1);
    EXPECT_FLOAT_EQ(look->Frames.back().X, looks[id - 1].lastX);
    EXPECT_FLOAT_EQ(look->Frames.back().Y, looks[id - 1].lastY);
    EXPECT_FLOAT_EQ(look->Frames.back().W, looks[id - 1].w);
  }
  EXPECT_FLOAT_EQ(map.DrawRects[4]->Frames[1].X, 768);
}

TEST_F(MapTest, EditingDrawsEditingPosesAndStepDoesNothing) {
  TMapObj* obj = Add(100, 50);
  map.Step();
  EXPECT_EQ(map.World, nullptr);
  EXPECT_EQ(obj->Body, nullptr);
  map.Paused = true;  // pausing while editing changes nothing either
  map.Step();
  EXPECT_FALSE(map.Playing);

  map.Draw();
  ASSERT_EQ(engine.Count(FakeCall::Sprite), 1u);
  EXPECT_FLOAT_EQ(engine.calls[0].X, 214 + 100 - 13);
  EXPECT_FLOAT_EQ(engine.calls[0].Y, 34 + 50 - 35);
}

TEST_F(MapTest, PlayOnAnEmptyMap) {
  map.Play();
  ASSERT_NE(map.World, nullptr);
  EXPECT_EQ(map.World->Physics->GetBodyCount(), 0);
  EXPECT_TRUE(map.Playing);
  EXPECT_FALSE(map.Paused);
  EXPECT_TRUE(map.GameForm->Objects.empty());
  map.Step();
  map.Draw();
  EXPECT_TRUE(engine.calls.empty());
}

TEST_F(MapTest, PlayBuildsBodiesRunsOneTickAndDrawsPlayPoses) {
  TMapObj* falling = Add(100, 50);
  TMapObj* fixed = Add(300, 400, false);
  map.Play();
  ASSERT_EQ(map.World->Bodies.size(), 2u);
  EXPECT_EQ(falling->World, map.World);
  // The one tick of Play: the dynamic body fell 1/30 px, the static one stayed.
  EXPECT_NEAR(falling->Body->GetPosition().y, 50 + 1.0f / 30, 1e-4);
  EXPECT_FLOAT_EQ(fixed->Body->GetPosition().y, 400);
  EXPECT_NEAR(falling->WorldY, 34 + 50 + 1.0f / 30 - 35, 1e-4);
  EXPECT_FLOAT_EQ(fixed->WorldX, 214 + 300 - 13);

  for (int i = 0; i < 10; i++) map.Step();
  map.Draw();
  ASSERT_EQ(engine.Count(FakeCall::Sprite), 2u);
  EXPECT_FLOAT_EQ(engine.calls[0].Y, falling->WorldY);
  EXPECT_GT(engine.calls[0].Y, 34 + 50 - 35 + 1.0f);  // eleven ticks of falling show
  EXPECT_EQ(falling->Y, 50);                         // the editing pose is untouched

  // Stopped: the editing pose is drawn again, and the world is not stepped.
  map.Playing = false;
  const float y = falling->Body->GetPosition().y;
  map.Step();
  EXPECT_FLOAT_EQ(falling->Body->GetPosition().y, y);
  engine.ClearCalls();
  map.Draw();
  EXPECT_FLOAT_EQ(engine.calls[0].Y, 34 + 50 - 35);
}

TEST_F(MapTest, StopThenPlayRebuildsFromTheEditingPose) {
  TMapObj* obj = Add(100, 50);
  map.Play();
  for (int i = 0; i < 20; i++) map.Step();
  ASSERT_GT(obj->Body->GetPosition().y, 51);
  map.Playing = false;

  map.Play();
  ASSERT_EQ(map.World->Physics->GetBodyCount(), 1);  // the old world's body went with it
  EXPECT_NEAR(obj->Body->GetPosition().y, 50 + 1.0f / 30, 1e-4);
  EXPECT_NEAR(obj->Body->GetLinearVelocity().y, 2.0f / 3, 1e-5);
}

TEST_F(MapTest, PauseThenPlayGoesOnInTheSameWorld) {
  TMapObj* obj = Add(100, 50);
  map.Play();
  map.Step();
  TWorld* world = map.World;
  const b2Vec2 v = obj->Body->GetLinearVelocity();
  const float y = obj->Body->GetPosition().y;

  map.Paused = true;
  for (int i = 0; i < 5; i++) map.Step();
  EXPECT_FLOAT_EQ(obj->Body->GetPosition().y, y);

  map.Paused = false;  // what the play button does while paused
  map.Step();
  EXPECT_EQ(map.World, world);
  // Velocity grows by 10 * 2/30 per tick from where it stood.
  EXPECT_NEAR(obj->Body->GetLinearVelocity().y, v.y + 2.0f / 3, 1e-4);
  EXPECT_GT(obj->Body->GetPosition().y, y);
}

TEST_F(MapTest, PausedTicksStillUpdateObjectsBeamsAndButtons) {
  TMapObj* obj = Add(300, 200, false, true);
  auto* box = new TLazerBox(map.DrawRects[9], new TShapeRect(40, 20));
  box->X = 100;
  box->Y = 600;
  map.Obj.push_back(box);
  map.Play();
  map.Paused = true;
  ASSERT_EQ(map.GameForm->Objects.size(), 2u);
  EXPECT_NEAR(obj->WorldAngle, 0, 1e-6);

  engine.ClickAt(214 + 250, 34 + 200);  // the +15 button
  map.Step();
  // The form comes last in a tick: the body is turned, the play pose follows next tick.
  EXPECT_NEAR(obj->Body->GetAngle(), 0.2617994f, 1e-6);
  EXPECT_NEAR(obj->WorldAngle, 0, 1e-6);
  mouse_ClearState();
  map.Step();
  EXPECT_NEAR(obj->WorldAngle, 15, 1e-4);  // 0.2617994 * 57.29578049
  EXPECT_NEAR(obj->Body->GetAngle(), 0.2617994f, 1e-6);  // no click, no further turn

  // Beams are rebuilt every tick, freed the tick after, and traced.
  for (int i = 0; i < 3; i++) {
    map.Step();
    ASSERT_EQ(map.World->Lazers.size(), 1u);
    EXPECT_FALSE(map.World->Lazers[0]->Points.empty());
  }
  engine.ClearCalls();
  map.Draw();
  EXPECT_EQ(engine.Count(FakeCall::Line), map.World->Lazers[0]->Points.size());
  const FakeCall* turned = engine.Find(FakeCall::Sprite, [&](const FakeCall& c) { return c.X == obj->WorldX; });
  ASSERT_NE(turned, nullptr);
  EXPECT_NEAR(turned->Angle, 15, 1e-4);
  EXPECT_GT(engine.Count(FakeCall::Sprite), 2u);  // the two objects, then the buttons over them
}

TEST_F(MapTest, ButtonsBelongToTheirRunOnly) {
  TMapObj* a = Add(300, 200, true, true);
  TMapObj* b = Add(100, 400, false, false);
  map.Play();
  ASSERT_EQ(map.GameForm->Objects.size(), 2u);
  map.Playing = false;
  a->Interactive = false;
  b->Interactive = true;
  map.Play();
  ASSERT_EQ(map.GameForm->Objects.size(), 2u);
  for (TMeFormObject* o : map.GameForm->Objects) EXPECT_EQ(dynamic_cast<TButtonGF*>(o)->MapObj, b);
  EXPECT_EQ(map.GameForm->Objects[0]->X, 50);
  EXPECT_EQ(map.GameForm->Objects[1]->X, 150);
  EXPECT_EQ(map.GameForm->Objects[1]->Y, 400);
}

TEST_F(MapTest, FindObjRules) {
  // The map origin is (214, 34); object centres are given in map pixels.
  TMapObj* first = Add(100, 100);
  TMapObj* second = Add(105, 100);
  TMapObj* alone = Add(400, 100);

  EXPECT_TRUE(map.FindObj(214 + 100, 34 + 100, false, nullptr));
  EXPECT_EQ(map.FoundObj, first);  // first in list order
  EXPECT_TRUE(map.FindObj(214 + 100, 34 + 100, false, first));
  EXPECT_EQ(map.FoundObj, second);  // current is skipped while another is there
  EXPECT_TRUE(map.FindObj(214 + 400, 34 + 100, false, alone));
  EXPECT_EQ(map.FoundObj, alone);  // current alone is found

  TRope* rope = Tie(first, alone);
  rope->X = 100;
  rope->Y = 100;
  EXPECT_TRUE(map.FindObj(214 + 100, 34 + 100, true, nullptr));
  EXPECT_EQ(map.FoundObj, rope);  // the rope wins over the objects
  EXPECT_TRUE(map.FindObj(214 + 100, 34 + 100, false, nullptr));
  EXPECT_EQ(map.FoundObj, first);  // unless ropes are left out

  // The grab offset: object at (70, 175), point (300, 200) on screen is (86, 166) on the map.
  TMapObj* grabbed = Add(70, 175);
  delete grabbed->Shape;
  grabbed->Shape = new TShapeRect(40, 40);  // wide enough to hold the point 16 px right of centre
  EXPECT_TRUE(map.FindObj(300, 200, true, nullptr));
  EXPECT_EQ(map.FoundObj, grabbed);
  EXPECT_EQ(map.GrabX, -16);
  EXPECT_EQ(map.GrabY, 9);

  EXPECT_FALSE(map.FindObj(214 + 600, 34 + 650, true, grabbed));
  EXPECT_FALSE(map.Found);
  EXPECT_EQ(map.FoundObj, nullptr);
  EXPECT_EQ(map.GrabX, -16);  // unchanged when nothing is found
  EXPECT_EQ(map.GrabY, 9);
}

TEST_F(MapTest, NewWritesItsLinesBeforeEachStep) {
  const std::string lines =
      "TMap.New\nTMapObj(Obj[I]).Free\nObj.Clear\nTRope(Ropes[I]).Free\nRopes.Clear\nEND\n";
  int emptied = 0;
  map.OnEmptied = [&] { emptied++; };
  EXPECT_EQ(CaptureStdout([&] { map.New(); }), lines);  // an empty map too
  EXPECT_EQ(emptied, 1);

  TMapObj* a = Add(100, 100, true, true);
  TMapObj* b = Add(200, 100);
  Tie(a, b);
  map.Play();
  map.Playing = false;  // stopped: the world stays
  map.FindObj(214 + 100, 34 + 100, false, nullptr);
  ASSERT_NE(map.World, nullptr);
  const std::string out = CaptureStdout([&] { map.New(); });
  // The rope's own line comes while the ropes are being freed.
  EXPECT_EQ(out,
            "TMap.New\nTMapObj(Obj[I]).Free\nObj.Clear\nTRope(Ropes[I]).Free\n"
            "destructor TRope.Destroy;  \nRopes.Clear\nEND\n");
  EXPECT_EQ(emptied, 2);
  EXPECT_EQ(map.World, nullptr);
  EXPECT_TRUE(map.Obj.empty());
  EXPECT_TRUE(map.Ropes.empty());
  EXPECT_EQ(map.FoundObj, nullptr);
  EXPECT_TRUE(map.GameForm->Objects.empty());  // no button left naming a freed object

  map.Play();  // a new world for the empty level
  ASSERT_NE(map.World, nullptr);
  EXPECT_EQ(map.World->Physics->GetBodyCount(), 0);
}

TEST_F(MapTest, EmptiedWhilePlayingNothingTouchesTheMissingWorld) {
  // The menus cannot empty a running level, but if it happens the world is gone
  // while Playing is still set: ticks and frames must not reach for it.
  Add(100, 100);
  map.Play();
  Quiet([&] { map.New(); });
  ASSERT_EQ(map.World, nullptr);
  map.Step();
  map.Draw();
  EXPECT_TRUE(engine.calls.empty());
}

TEST_F(MapTest, RestartingPlayLeavesNoReferenceToADestroyedBody) {
  TMapObj* a = Add(100, 100, false);
  TMapObj* b = Add(250, 100, true);
  TRope* rope = Tie(a, b);
  map.Play();
  ASSERT_FALSE(rope->Segments.empty());
  ASSERT_GT(map.World->Physics->GetJointCount(), 0);
  for (int i = 0; i < 5; i++) map.Step();

  map.World->Clear();
  EXPECT_EQ(a->Body, nullptr);
  EXPECT_EQ(b->Body, nullptr);
  EXPECT_TRUE(rope->Segments.empty());
  EXPECT_EQ(map.World->Physics->GetBodyCount(), 0);
  EXPECT_EQ(map.World->Physics->GetJointCount(), 0);

  map.Playing = false;
  map.Play();  // clears the (already empty) world again and builds anew
  EXPECT_NE(a->Body, nullptr);
  EXPECT_FALSE(rope->Segments.empty());
  map.Step();
  map.Draw();
}

TEST_F(MapTest, DeleteObjFreesTiedRopesAndButtons) {
  TMapObj* a = Add(100, 100, false, true);
  TMapObj* b = Add(250, 100, true, true);
  TMapObj* c = Add(400, 100);
  TRope* ab = Tie(a, b);
  TRope* bc = Tie(b, c);
  TRope* ca = Tie(c, a);
  map.Play();
  map.Playing = false;
  ASSERT_EQ(map.GameForm->Objects.size(), 4u);
  map.FindObj(214 + 250, 34 + 100, false, nullptr);
  ASSERT_EQ(map.FoundObj, b);

  const std::string out = Quiet([&] { map.DeleteObj(b); });
  EXPECT_EQ(out, "destructor TRope.Destroy;  \ndestructor TRope.Destroy;  \n");  // ab and bc
  ASSERT_EQ(map.Obj.size(), 2u);
  EXPECT_EQ(map.Obj[0], a);
  EXPECT_EQ(map.Obj[1], c);
  ASSERT_EQ(map.Ropes.size(), 1u);
  EXPECT_EQ(map.Ropes[0], ca);
  ASSERT_EQ(map.GameForm->Objects.size(), 2u);
  for (TMeFormObject* o : map.GameForm->Objects) EXPECT_EQ(dynamic_cast<TButtonGF*>(o)->MapObj, a);
  EXPECT_EQ(map.FoundObj, nullptr);
  (void)ab;
  (void)bc;

  map.DeleteRope(ca);
  EXPECT_TRUE(map.Ropes.empty());

  // The stopped world still holds the freed bodies' remains; the next play clears it safely.
  map.Play();
  EXPECT_EQ(map.World->Physics->GetBodyCount(), 2);
}

}  // namespace

// While editing every rope's rings and line come before any rope's picture, so
// no line is drawn over a picture and the untextured parts form one run; each
// picture still sits at the midpoint of its own rope.
TEST_F(MapTest, EditingDrawsAllRopeLinesBeforeAnyRopePicture) {
  TMapObj* a = Add(100, 50);
  TMapObj* b = Add(300, 50);
  TMapObj* c = Add(100, 250);
  Tie(a, b);
  Tie(a, c);
  map.Draw();
  size_t lastUntextured = 0, firstRopePicture = engine.calls.size();
  std::vector<FakeCall> pictures;
  size_t sprites = 0;
  for (size_t i = 0; i < engine.calls.size(); i++) {
    const FakeCall& call = engine.calls[i];
    if (call.kind == FakeCall::Line || call.kind == FakeCall::Circle) lastUntextured = i;
    // The three objects' sprites come first; the ropes' pictures after them.
    if (call.kind == FakeCall::Sprite && ++sprites > 3) {
      firstRopePicture = std::min(firstRopePicture, i);
      pictures.push_back(call);
    }
  }
  EXPECT_EQ(engine.Count(FakeCall::Line), 2u);
  EXPECT_EQ(engine.Count(FakeCall::Circle), 4u);  // two end rings a rope
  ASSERT_EQ(pictures.size(), 2u);
  EXPECT_LT(lastUntextured, firstRopePicture);
  // Centres of the pictures: the map origin (214, 34) plus each rope's midpoint.
  const float w = pictures[0].W, h = pictures[0].H;
  EXPECT_FLOAT_EQ(pictures[0].X + w / 2, 214 + 200);
  EXPECT_FLOAT_EQ(pictures[0].Y + h / 2, 34 + 50);
  EXPECT_FLOAT_EQ(pictures[1].X + w / 2, 214 + 100);
  EXPECT_FLOAT_EQ(pictures[1].Y + h / 2, 34 + 150);
}
