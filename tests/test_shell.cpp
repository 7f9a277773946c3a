#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake/FakeEngine.h"
#include "scenes/uScene.h"
#include "shell/uApp.h"

namespace {

// What one update or frame saw of the engine's input state.
struct Seen {
  bool click, down;
  int keyClears, mouseClears;
};

class RecordingScene : public tScene {
 public:
  RecordingScene() : tScene(0) {}
  void Update() override { updates.push_back(Look()); }
  void Draw() override { frames.push_back(Look()); }
  std::vector<Seen> updates, frames;

 private:
  static Seen Look() {
    FakeEngine& f = FakeEngine::Current();
    return {mouse_Click(M_BLEFT), mouse_Down(M_BLEFT), f.keyClears, f.mouseClears};
  }
};

class Shell : public ::testing::Test {
 protected:
  void SetUp() override {
    saved = Scene;
    Scene = &scene;
    StartGame();  // registers the callbacks with the fake
  }
  void TearDown() override { Scene = saved; }

  FakeEngine fake;
  RecordingScene scene;
  tScene* saved = nullptr;
};

}  // namespace

TEST_F(Shell, StartUpRegistersThenSetsUpTheWindowThenRunsTheEngine) {
  const std::vector<std::string> expected = {
      "zgl_Reg 3", "zgl_Reg 4", "zgl_Reg 6", "timer_Add 15", "scr_SetOptions 1024 768 0 0 1",
      "wnd_ShowCursor 1", "wnd_SetCaption Test", "zgl_Init 0 0"};
  EXPECT_EQ(fake.setupCalls, expected);
  EXPECT_EQ(fake.onLoad, &AppLoad);
  EXPECT_EQ(fake.onDraw, &AppDraw);
  EXPECT_EQ(fake.onExit, &AppExit);
  EXPECT_EQ(fake.onTimer, &AppTimer);
}

// The fake's zgl_Init returns at once; the real one returns when the window
// closes. Either way RunGame's steps after binding end with it.
TEST_F(Shell, StartUpCallsTheLoopOnce) { EXPECT_EQ(fake.initCalls, 1); }

TEST_F(Shell, ClickBetweenTwoTicksIsSeenByExactlyOneUpdate) {
  fake.ClickAt(300, 200);
  fake.Tick(3);
  ASSERT_EQ(scene.updates.size(), 3u);
  EXPECT_TRUE(scene.updates[0].click);
  EXPECT_FALSE(scene.updates[1].click);
  EXPECT_FALSE(scene.updates[2].click);
}

// A press held over several ticks is one click, then only held.
TEST_F(Shell, HeldButtonIsOneClickThenStaysDown) {
  fake.PressAt(300, 200);
  fake.Tick(2);
  ASSERT_EQ(scene.updates.size(), 2u);
  EXPECT_TRUE(scene.updates[0].click && scene.updates[0].down);
  EXPECT_FALSE(scene.updates[1].click);
  EXPECT_TRUE(scene.updates[1].down);
}

// The update reads the input before the shell clears it, and every tick clears
// both keyboard and mouse once.
TEST_F(Shell, InputIsClearedAfterEachUpdate) {
  fake.Tick(2);
  ASSERT_EQ(scene.updates.size(), 2u);
  EXPECT_EQ(scene.updates[0].keyClears, 0);
  EXPECT_EQ(scene.updates[0].mouseClears, 0);
  EXPECT_EQ(scene.updates[1].keyClears, 1);
  EXPECT_EQ(scene.updates[1].mouseClears, 1);
  EXPECT_EQ(fake.keyClears, 2);
  EXPECT_EQ(fake.mouseClears, 2);
}

// Frames drawn between ticks leave the click for the next update.
TEST_F(Shell, DrawingDoesNotConsumeInput) {
  fake.ClickAt(300, 200);
  for (int i = 0; i < 5; i++) fake.Frame();
  ASSERT_EQ(scene.frames.size(), 5u);
  EXPECT_TRUE(scene.updates.empty());
  EXPECT_EQ(fake.mouseClears, 0);
  EXPECT_EQ(fake.keyClears, 0);
  fake.Tick();
  ASSERT_EQ(scene.updates.size(), 1u);
  EXPECT_TRUE(scene.updates[0].click);
}
