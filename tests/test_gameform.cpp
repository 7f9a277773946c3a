#include <gtest/gtest.h>

#include <memory>

#include "level/uMapObj.h"
#include "level/uWorld.h"
#include "scenes/uGameForm.h"
#include "tests/fake/FakeEngine.h"
#include "toolkit/uMeForm.h"

namespace {

constexpr int32_t kOriginX = 214, kOriginY = 34;
constexpr float kFifteen = 0.2617994f;  // 15 * 0.017453292 as a float

class GameFormTest : public testing::Test {
 protected:
  GameFormTest() : form(kOriginX, kOriginY, 240, nullptr, nullptr), world(0, 10) {}

  std::unique_ptr<TMapObj> MakeObj(int32_t x, int32_t y, bool dynamic) {
    auto obj = std::make_unique<TMapObj>(nullptr, new TShapeRect(26, 70));
    obj->X = x;
    obj->Y = y;
    obj->Dynamic = dynamic;
    obj->CreateBody(&world);
    return obj;
  }
  TButtonGF* Button(size_t i) { return dynamic_cast<TButtonGF*>(form.Objects.at(i)); }
  // A click on the screen point, seen by one form update.
  void ClickOnScreen(int32_t x, int32_t y) {
    engine.ClickAt(x, y);
    form.Update(mouse_X(), mouse_Y());
    mouse_ClearState();
  }

  FakeEngine engine;
  TGameForm form;
  TWorld world;
};

TEST_F(GameFormTest, TwoButtonsBesideTheEditingPosition) {
  EXPECT_TRUE(form.Objects.empty());
  auto obj = MakeObj(300, 200, true);
  form.AddButtons(obj.get());
  ASSERT_EQ(form.Objects.size(), 2u);
  TButtonGF* plus = Button(0);
  TButtonGF* minus = Button(1);
  ASSERT_NE(plus, nullptr);
  ASSERT_NE(minus, nullptr);
  EXPECT_EQ(plus->X, 250);
  EXPECT_EQ(plus->Y, 200);
  EXPECT_EQ(minus->X, 350);
  EXPECT_EQ(minus->Y, 200);
  EXPECT_FLOAT_EQ(plus->TurnStep, kFifteen);
  EXPECT_FLOAT_EQ(minus->TurnStep, -kFifteen);
  EXPECT_EQ(plus->IconFrame, 0);
  EXPECT_EQ(minus->IconFrame, 1);
  for (TButtonGF* b : {plus, minus}) {
    EXPECT_EQ(b->MapObj, obj.get());
    EXPECT_EQ(b->Shape, form.ButtonShape);
    EXPECT_EQ(b->DrawRect, form.ButtonDrawRect);
    EXPECT_EQ(b->Icon, form.IconDrawRect);
  }
  auto* shape = dynamic_cast<TShapeCircle*>(form.ButtonShape);
  ASSERT_NE(shape, nullptr);
  EXPECT_FLOAT_EQ(shape->Circle.Radius, 16);
  EXPECT_EQ(form.ButtonDrawRect->Frames.size(), 4u);
  EXPECT_EQ(form.IconDrawRect->Frames.size(), 2u);
  EXPECT_FLOAT_EQ(form.IconDrawRect->Frames[1].X, 32);
  EXPECT_FLOAT_EQ(form.IconDrawRect->Frames[1].Y, 64);

  // Drawn at the map's origin: the background and the icon both centred on the button.
  form.Draw();
  const std::vector<FakeCall> sprites = engine.Of(FakeCall::Sprite);
  ASSERT_EQ(sprites.size(), 4u);
  EXPECT_FLOAT_EQ(sprites[0].X + sprites[0].W / 2, kOriginX + 250);
  EXPECT_FLOAT_EQ(sprites[1].X + sprites[1].W / 2, kOriginX + 250);
  EXPECT_FLOAT_EQ(sprites[1].cut.X, 0);  // +15 icon
  EXPECT_FLOAT_EQ(sprites[3].cut.X, 32);  // -15 icon
  EXPECT_FLOAT_EQ(sprites[3].Y + sprites[3].H / 2, kOriginY + 200);
}

TEST_F(GameFormTest, ClicksTurnStaticAndDynamicBodiesAboutTheirPosition) {
  for (bool dynamic : {false, true}) {
    SCOPED_TRACE(dynamic ? "dynamic" : "static");
    form.Clear();
    auto obj = MakeObj(300, 200, dynamic);
    obj->Body->SetTransform(b2Vec2(320, 240), 0.1f);  // moved since play began
    form.AddButtons(obj.get());

    ClickOnScreen(kOriginX + 250, kOriginY + 200);  // the +15 button, at the editing position
    EXPECT_FLOAT_EQ(obj->Body->GetAngle(), 0.1f + kFifteen);
    ClickOnScreen(kOriginX + 250, kOriginY + 200);
    EXPECT_FLOAT_EQ(obj->Body->GetAngle(), 0.1f + 2 * kFifteen);  // 30 degrees in all
    ClickOnScreen(kOriginX + 350, kOriginY + 200);                 // the -15 button
    EXPECT_FLOAT_EQ(obj->Body->GetAngle(), 0.1f + kFifteen);
    EXPECT_FLOAT_EQ(obj->Body->GetPosition().x, 320);
    EXPECT_FLOAT_EQ(obj->Body->GetPosition().y, 240);

    ClickOnScreen(kOriginX + 300, kOriginY + 200);  // between the buttons: nothing
    EXPECT_FLOAT_EQ(obj->Body->GetAngle(), 0.1f + kFifteen);
  }
}

TEST_F(GameFormTest, AButtonWhoseObjectLostItsBodyDoesNothing) {
  auto obj = MakeObj(300, 200, true);
  b2Body* body = obj->Body;
  form.AddButtons(obj.get());
  // As after an explosion: the object lets go of its body (kept alive here to watch it).
  SetBodyOwner(body, nullptr);
  obj->Body = nullptr;
  ClickOnScreen(kOriginX + 250, kOriginY + 200);
  EXPECT_FLOAT_EQ(body->GetAngle(), 0);
  EXPECT_EQ(obj->Body, nullptr);

  Button(0)->MapObj = nullptr;
  Button(0)->Click();  // no object at all
  EXPECT_FLOAT_EQ(body->GetAngle(), 0);
}

TEST_F(GameFormTest, ForgetDropsOnlyThatObjectsButtonsAndClearDropsAll) {
  auto a = MakeObj(100, 100, true);
  auto b = MakeObj(300, 100, true);
  auto c = MakeObj(500, 100, true);
  form.AddButtons(a.get());
  form.AddButtons(b.get());
  form.AddButtons(c.get());
  form.Forget(b.get());
  ASSERT_EQ(form.Objects.size(), 4u);
  const TMapObj* expected[] = {a.get(), a.get(), c.get(), c.get()};
  for (size_t i = 0; i < 4; i++) EXPECT_EQ(Button(i)->MapObj, expected[i]);
  form.Forget(b.get());  // nothing left of b
  EXPECT_EQ(form.Objects.size(), 4u);
  form.Clear();
  EXPECT_TRUE(form.Objects.empty());
}

}  // namespace
