#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>

#include "level/uLevelFile.h"
#include "level/uMapObj.h"
#include "level/uWorld.h"
#include "tests/fake/FakeEngine.h"
#include "toolkit/uMeForm.h"

namespace {

zglPTexture FakeTexture() { return reinterpret_cast<zglPTexture>(0x1234); }

class MapObjTest : public testing::Test {
 protected:
  MapObjTest() : look(FakeTexture(), 26, 70), single(FakeTexture(), 16, 16) {
    look.AddFrame(448, 0);
    look.AddFrame(512, 0);
    look.AddFrame(576, 0);
    single.AddFrame(408, 472);
  }
  FakeEngine engine;
  TMeDrawRect look;    // three frames, like look 1
  TMeDrawRect single;  // one frame, like look 6
};

TEST_F(MapObjTest, BaseOperationsTraceTheirNames) {
  TMapObjProt base;
  struct Case {
    std::function<void()> call;
    const char* line;
  };
  bool answer = true;
  const Case cases[] = {
      {[&] { base.Draw(1, 2); }, "TMapObjProt.Draw \n"},
      {[&] { base.WorldDraw(); }, "TMapObjProt.WorldDraw \n"},
      {[&] { base.ShapeDraw(1, 2); }, "TMapObjProt.ShapeDraw \n"},
      {[&] { base.Update(1, 2); }, "TMapObjProt.Update \n"},
      {[&] { answer = base.PointIn(0, 0); }, "TMapObjProt.PointIn \n"},
      {[&] { base.CreateBody(nullptr); }, "TMapObjProt.CreateBody \n"},
      {[&] { answer = base.LazerHit(nullptr) || answer; }, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(CaptureStdout(c.call), c.line);
  }
  EXPECT_FALSE(answer);  // both PointIn and LazerHit answer false
  EXPECT_TRUE(engine.calls.empty());
}

TEST_F(MapObjTest, CreateTakesTheLooksSizeAndOffsets) {
  auto* shape = new TShapeRect(26, 70);
  TMapObj obj(&look, shape);
  EXPECT_EQ(obj.X, 0);
  EXPECT_EQ(obj.Y, 0);
  EXPECT_EQ(obj.Angle, 0);
  EXPECT_EQ(obj.DX, -13);
  EXPECT_EQ(obj.DY, -35);
  EXPECT_EQ(obj.W, 26);
  EXPECT_EQ(obj.H, 70);
  EXPECT_EQ(obj.Shape, shape);
  EXPECT_EQ(obj.DrawRect, &look);
  EXPECT_TRUE(obj.Dynamic);
  EXPECT_FALSE(obj.Interactive);
  EXPECT_EQ(obj.Color, 0);
  EXPECT_EQ(obj.Body, nullptr);
  EXPECT_EQ(obj.World, nullptr);
  EXPECT_EQ(obj.WorldX, 0.0f);
}

TEST_F(MapObjTest, CreateCopyCopiesPoseAndOptionsAndTruncatesTheShape) {
  auto* rect = new TShapeRect(26, 70);
  rect->Rect.W = 26.7f;
  rect->Rect.H = 70.2f;
  TMapObj source(&look, rect);
  source.X = 70;
  source.Y = 175;
  source.Angle = 30;
  source.DX = -20;
  source.W = 40;
  source.Dynamic = false;
  source.Interactive = true;
  source.Color = 2;
  source.WorldX = 99;

  TMapObj copy(&source);
  EXPECT_EQ(copy.X, 70);
  EXPECT_EQ(copy.Y, 175);
  EXPECT_EQ(copy.Angle, 30);
  EXPECT_EQ(copy.DX, -20);
  EXPECT_EQ(copy.DY, -35);
  EXPECT_EQ(copy.W, 40);
  EXPECT_EQ(copy.H, 70);
  EXPECT_FALSE(copy.Dynamic);
  EXPECT_TRUE(copy.Interactive);
  EXPECT_EQ(copy.Color, 2);
  EXPECT_EQ(copy.DrawRect, &look);
  EXPECT_EQ(copy.WorldX, 0.0f);  // the play pose is not copied
  auto* copied = dynamic_cast<TShapeRect*>(copy.Shape);
  ASSERT_NE(copied, nullptr);
  EXPECT_NE(copy.Shape, source.Shape);
  EXPECT_FLOAT_EQ(copied->Rect.W, 26.0f);
  EXPECT_FLOAT_EQ(copied->Rect.H, 70.0f);

  TMapObj ball(&single, new TShapeCircle(30));
  TMapObj ballCopy(&ball);
  auto* round = dynamic_cast<TShapeCircle*>(ballCopy.Shape);
  ASSERT_NE(round, nullptr);
  EXPECT_FLOAT_EQ(round->Circle.Radius, 15.0f);
}

TEST_F(MapObjTest, CreateFromRecordBuildsTheNamedShape) {
  TLevelRecord r;
  r.X = 300;
  r.Y = 200;
  r.Size1 = 30;
  r.Size2 = 60;
  r.DX = -17;
  r.DY = -32;
  r.W = 34;
  r.H = 64;
  r.Angle = 45;
  r.ShapeTag = "RECT";
  r.Interactive = true;
  r.Dynamic = false;
  r.Color = 1;
  TMapObj rect(r, &look);
  EXPECT_EQ(rect.X, 300);
  EXPECT_EQ(rect.Y, 200);
  EXPECT_EQ(rect.DX, -17);
  EXPECT_EQ(rect.DY, -32);
  EXPECT_EQ(rect.W, 34);
  EXPECT_EQ(rect.H, 64);
  EXPECT_EQ(rect.Angle, 45);
  EXPECT_TRUE(rect.Interactive);
  EXPECT_FALSE(rect.Dynamic);
  EXPECT_EQ(rect.Color, 1);
  EXPECT_EQ(rect.DrawRect, &look);
  auto* box = dynamic_cast<TShapeRect*>(rect.Shape);
  ASSERT_NE(box, nullptr);
  EXPECT_FLOAT_EQ(box->Rect.W, 30.0f);
  EXPECT_FLOAT_EQ(box->Rect.H, 60.0f);

  r.ShapeTag = "CIRC";
  r.Size1 = r.Size2 = 16;  // a circle stores its radius in both sizes
  TMapObj ball(r, &look);
  auto* round = dynamic_cast<TShapeCircle*>(ball.Shape);
  ASSERT_NE(round, nullptr);
  EXPECT_FLOAT_EQ(round->Circle.Radius, 16.0f);

  r.ShapeTag = "TRI";
  TMapObj unknown(r, &look);
  EXPECT_EQ(unknown.Shape, nullptr);
  EXPECT_FALSE(unknown.PointIn(300, 200));
}

TEST_F(MapObjTest, RecordColourBeyondTheLooksFramesIsClamped) {
  TLevelRecord r;
  r.ShapeTag = "RECT";
  r.Size1 = r.Size2 = 16;
  r.W = r.H = 16;
  r.Color = 2;
  TMapObj obj(r, &single);  // one frame only
  EXPECT_EQ(obj.Color, 0);
  obj.Draw(0, 0);
  ASSERT_EQ(engine.Count(FakeCall::Sprite), 1u);
  EXPECT_EQ(engine.calls[0].cut.X, 408.0f);
}

TEST_F(MapObjTest, DrawUsesTheEditingPoseAndTheColoursFrame) {
  TMapObj obj(&look, new TShapeRect(26, 70));
  obj.X = 100;
  obj.Y = 50;
  obj.Angle = 30;
  obj.Color = 1;
  obj.Draw(214, 34);
  ASSERT_EQ(engine.Count(FakeCall::Sprite), 1u);
  const FakeCall& c = engine.calls[0];
  EXPECT_EQ(c.texture, FakeTexture());
  EXPECT_FLOAT_EQ(c.X, 214 + 100 - 13);
  EXPECT_FLOAT_EQ(c.Y, 34 + 50 - 35);
  EXPECT_FLOAT_EQ(c.W, 26);
  EXPECT_FLOAT_EQ(c.H, 70);
  EXPECT_FLOAT_EQ(c.Angle, 30);
  EXPECT_FLOAT_EQ(c.cut.X, 512);  // frame 1
  EXPECT_FLOAT_EQ(c.cut.Y, 0);
  EXPECT_EQ(c.alpha, 255);
  EXPECT_EQ(c.fx, FX_BLEND);

  engine.ClearCalls();
  obj.WorldX = 301.5f;
  obj.WorldY = 49.25f;
  obj.WorldAngle = 90;
  obj.WorldDraw();
  ASSERT_EQ(engine.Count(FakeCall::Sprite), 1u);
  EXPECT_FLOAT_EQ(engine.calls[0].X, 301.5f);
  EXPECT_FLOAT_EQ(engine.calls[0].Y, 49.25f);
  EXPECT_FLOAT_EQ(engine.calls[0].Angle, 90);
  EXPECT_FLOAT_EQ(engine.calls[0].cut.X, 512);
  EXPECT_EQ(engine.calls[0].fx, FX_BLEND);

  engine.ClearCalls();
  TMapObj bare(nullptr, new TShapeRect(10, 10));
  bare.Draw(0, 0);
  bare.WorldDraw();
  EXPECT_TRUE(engine.calls.empty());
}

TEST_F(MapObjTest, ShapeDrawAndPointInAreRelativeToThePosition) {
  TMapObj obj(&look, new TShapeRect(26, 70));
  obj.X = 100;
  obj.Y = 50;
  EXPECT_TRUE(obj.PointIn(100, 50));
  EXPECT_TRUE(obj.PointIn(110, 80));
  EXPECT_FALSE(obj.PointIn(120, 50));  // 20 right of centre, box half-width 13
  obj.Angle = 90;                      // turned: now 35 wide
  EXPECT_TRUE(obj.PointIn(125, 50));

  TMapObj ball(&single, new TShapeCircle(30));
  ball.X = 10;
  ball.Y = 10;
  ball.ShapeDraw(214, 34);
  ASSERT_GE(engine.Count(FakeCall::Circle), 1u);
  for (const FakeCall& c : engine.Of(FakeCall::Circle)) {
    EXPECT_FLOAT_EQ(c.X, 224);
    EXPECT_FLOAT_EQ(c.Y, 44);
  }
}

TEST_F(MapObjTest, PlayPoseFollowsTheBody) {
  TWorld world(0, 10);
  TMapObj obj(&look, new TShapeRect(26, 70));
  obj.CreateBody(&world);
  EXPECT_EQ(obj.World, &world);
  ASSERT_NE(obj.Body, nullptr);
  EXPECT_EQ(BodyOwner(obj.Body), &obj);
  ASSERT_EQ(world.Bodies.size(), 1u);

  obj.Body->SetTransform(b2Vec2(100, 50), static_cast<float>(M_PI / 2));
  obj.Update(214, 34);
  // 214 + 100 - 13 and 34 + 50 - 35; pi/2 * 57.29578049 is 90 up to float rounding
  EXPECT_FLOAT_EQ(obj.WorldX, 301);
  EXPECT_FLOAT_EQ(obj.WorldY, 49);
  EXPECT_NEAR(obj.WorldAngle, 90, 1e-4);
  EXPECT_EQ(obj.X, 0);  // play never writes the editing pose
  EXPECT_EQ(obj.Angle, 0);

  TMapObj idle(&look, new TShapeRect(26, 70));
  idle.WorldX = 7;
  idle.Update(214, 34);
  EXPECT_EQ(idle.WorldX, 7);
  EXPECT_EQ(idle.WorldY, 0);
}

TEST_F(MapObjTest, BodyStartsAtTheEditingPose) {
  TWorld world(0, 10);
  TMapObj obj(&look, new TShapeRect(26, 70));
  obj.X = 350;
  obj.Y = 105;
  obj.Angle = 15;
  obj.Dynamic = false;
  obj.CreateBody(&world);
  EXPECT_FLOAT_EQ(obj.Body->GetPosition().x, 350);
  EXPECT_FLOAT_EQ(obj.Body->GetPosition().y, 105);
  EXPECT_NEAR(obj.Body->GetAngle(), 0.26179938f, 1e-7);
  EXPECT_EQ(obj.Body->GetType(), b2_staticBody);
}

TEST_F(MapObjTest, ResizeRefusesSizesOfEightOrLess) {
  struct Case {
    int32_t size, dW, dH;
    int32_t W, H, DX, DY;  // expected
    float shapeW;
  };
  // DX moves by -(dW div 2), toward-zero division: -5 div 2 = -2.
  const Case cases[] = {
      {16, -10, -10, 16, 16, -8, -8, 16},   // 6 is not above 8: nothing changes
      {19, -10, -10, 9, 9, -4, -4, 9},      // -9 + 5
      {19, -5, 0, 14, 19, -7, -9, 14},      // -9 + 2
      {19, 6, 4, 25, 23, -12, -11, 25},     // growing
      {19, -11, 0, 19, 19, -9, -9, 19},     // W would be exactly 8
      {19, 0, -11, 19, 19, -9, -9, 19},     // H would be exactly 8
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.size << " by " << c.dW << "," << c.dH);
    TMeDrawRect sized(FakeTexture(), c.size, c.size);
    auto* shape = new TShapeRect(c.size, c.size);
    TMapObj obj(&sized, shape);
    obj.Resize(c.dW, c.dH);
    EXPECT_EQ(obj.W, c.W);
    EXPECT_EQ(obj.H, c.H);
    EXPECT_EQ(obj.DX, c.DX);
    EXPECT_EQ(obj.DY, c.DY);
    EXPECT_FLOAT_EQ(shape->Rect.W, c.shapeW);
  }
}

// Several looks carry a hit shape smaller than their sprite; shrinking the
// sprite as far as it goes must stop before the shape vanishes (a box of no
// area aborts Box2D when the play builds its body) or falls below what a
// level file keeps (above 8 and at most 4096).
TEST_F(MapObjTest, ResizeStopsBeforeTheShapeVanishes) {
  struct Case {
    const char* name;
    int32_t lookW, lookH;
    bool circle;
    int32_t shapeW, shapeH;  // a circle: its diameter twice
    int32_t dW, dH;
    int32_t steps;
    int32_t W, H;      // expected sprite after all steps
    float shapeSize;  // expected rectangle width, or circle diameter
  };
  const Case cases[] = {
      // 18 -> 10 is the last step above 8; the sprite 38 -> 30 stays there.
      {"narrow plank (look 10)", 38, 64, false, 18, 60, -8, 0, 5, 30, 64, 10},
      // radius 19 -> 15 -> 11 -> 7 (diameter 14); 3 would be 6 across.
      {"round mirror (look 12)", 44, 44, true, 38, 38, -8, -8, 6, 20, 20, 14},
      // 30 -> 22 -> 14; 6 would not be above 8.
      {"block (look 11)", 64, 64, false, 30, 30, -8, -8, 6, 48, 48, 14},
      // the sprite grows up to 4096 and no further: 4090 + 8 would pass it.
      {"grown to the file's limit", 4090, 64, false, 4090, 60, 8, 0, 3, 4090, 64, 4090},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TMeDrawRect sized(FakeTexture(), c.lookW, c.lookH);
    sized.AddFrame(0, 0);
    TMeFormShape* shape = c.circle ? static_cast<TMeFormShape*>(new TShapeCircle(c.shapeW))
                                   : static_cast<TMeFormShape*>(new TShapeRect(c.shapeW, c.shapeH));
    TMapObj obj(&sized, shape);
    for (int i = 0; i < c.steps; ++i) obj.Resize(c.dW, c.dH);
    EXPECT_EQ(obj.W, c.W);
    EXPECT_EQ(obj.H, c.H);
    const float size = c.circle ? 2 * static_cast<TShapeCircle*>(shape)->Circle.Radius
                                : static_cast<TShapeRect*>(shape)->Rect.W;
    EXPECT_FLOAT_EQ(size, c.shapeSize);
    // The shrunk object still makes a body with a real mass.
    TWorld world(0, 10);
    obj.CreateBody(&world);
    ASSERT_NE(obj.Body, nullptr);
    EXPECT_GT(obj.Body->GetMass(), 0.0f);
  }
}

TEST_F(MapObjTest, OnlyMirrorsReflectBeams) {
  const struct {
    uint8_t color;
    bool reflects;
  } cases[] = {{0, false}, {1, false}, {2, true}};
  for (const auto& c : cases) {
    TMapObj obj(&look, new TShapeRect(26, 70));
    obj.Color = c.color;
    EXPECT_EQ(obj.LazerHit(nullptr), c.reflects) << int(c.color);
  }
}

TEST_F(MapObjTest, FreedObjectIsNoLongerReachableThroughItsBody) {
  TWorld world(0, 10);
  auto obj = std::make_unique<TMapObj>(&look, new TShapeRect(26, 70));
  obj->CreateBody(&world);
  b2Body* body = obj->Body;
  obj.reset();
  EXPECT_EQ(BodyOwner(body), nullptr);
  world.Clear();  // no owner left to touch
  EXPECT_EQ(world.Physics->GetBodyCount(), 0);
}

}  // namespace
