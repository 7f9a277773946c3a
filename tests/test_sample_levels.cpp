// The levels that ship in data/level/ are played headless: each puzzle must
// load cleanly and come out as designed.
#include <gtest/gtest.h>

#include <dirent.h>

#include <string>
#include <vector>

#include "level/uMap.h"
#include "level/uMapFile.h"
#include "level/uMapObj.h"
#include "objects/uBomb.h"
#include "objects/uRope.h"
#include "tests/fake/FakeEngine.h"

namespace {

std::string Level(int number) { return std::string(SOURCE_DIR) + "/data/level/" + std::to_string(number) + ".map"; }

class SampleLevelTest : public testing::Test {
 protected:
  ~SampleLevelTest() override {
    CaptureStdout([this] { delete map; });
  }
  void Open(int number) {
    bool ok = false;
    const std::string out = CaptureStdout([&] { ok = map->Load(Level(number)); });
    ASSERT_TRUE(ok);
    ASSERT_EQ(out.find("skipped"), std::string::npos) << out;
  }
  void Run(int ticks) {
    CaptureStdout([&] {
      for (int i = 0; i < ticks; ++i) map->Step();
    });
  }
  void Play() {
    CaptureStdout([&] { map->Play(); });
  }
  TBomb* Bomb(size_t i) { return dynamic_cast<TBomb*>(map->Obj.at(i)); }
  b2Vec2 Pos(size_t i) { return map->Obj.at(i)->Body->GetPosition(); }

  FakeEngine engine;
  TMap* map = new TMap(35);
};

TEST_F(SampleLevelTest, BankShotBlastsTheBallOffTheLedge) {
  Open(1001);
  ASSERT_EQ(map->Obj.size(), 5u);
  Play();
  Run(100);
  const b2Vec2 start = Pos(4);
  EXPECT_NEAR(start.y, 469, 3);  // still resting on the ledge: nothing has gone off yet
  Run(400);
  ASSERT_NE(Bomb(3), nullptr);
  EXPECT_FALSE(Bomb(3)->Alive);  // the bomb went off under the bounced beam
  // The ledge is 140 wide about x 350: the ball is off it and falling.
  EXPECT_GT(Pos(4).y, 520);
}

TEST_F(SampleLevelTest, BeamBurnsTheRopeAndTheBallDrops) {
  Open(1002);
  ASSERT_EQ(map->Ropes.size(), 1u);
  Play();
  Run(20);
  const float hanging = Pos(1).y;  // the ball hangs from the rope below the post
  EXPECT_LT(hanging, 330);
  Run(400);
  EXPECT_GT(Pos(1).y, hanging + 200);  // it fell to the floor at y 630
  EXPECT_LT(Pos(1).y, 630);
}

TEST_F(SampleLevelTest, ChainOfBombsAllGoOff) {
  Open(1003);
  Play();
  Run(700);
  for (size_t i : {2u, 3u, 4u}) {
    SCOPED_TRACE(i);
    ASSERT_NE(Bomb(i), nullptr);
    EXPECT_FALSE(Bomb(i)->Alive);
  }
}

class InteractiveMirrorTest : public SampleLevelTest, public testing::WithParamInterface<int> {};

TEST_P(InteractiveMirrorTest, OnlyTurningTheMirrorSetsOffTheBomb) {
  const int turns = GetParam();
  Open(1004);
  Play();
  // The -15 degree button sits 50 px right of the mirror's editor position,
  // on the map drawn at (214, 34).
  const TMapObj* mirror = map->Obj.at(1);
  for (int i = 0; i < turns; ++i) {
    engine.ClickAt(map->MapX + mirror->X + 50, map->MapY + mirror->Y);
    Run(1);
    engine.clicked[M_BLEFT] = false;
    engine.Release();
  }
  engine.MoveMouse(0, 0);
  Run(500);
  // Three turns give -45 degrees, which sends the beam down onto the bomb.
  EXPECT_EQ(Bomb(3)->Alive, turns != 3);
  if (turns == 3) {
    EXPECT_GT(Pos(4).y, 520);  // and the blast threw the ball off its block
  }
}

INSTANTIATE_TEST_SUITE_P(Turns, InteractiveMirrorTest, testing::Values(0, 2, 3));

// Every shipped level and every fuzz seed loads (or is refused record by
// record) without harm, and saving a shipped level reproduces its bytes.
TEST(SampleLevelFiles, CorpusAndLevelsLoad) {
  FakeEngine engine;
  TMap map(35);
  for (const std::string& folder : {std::string(SOURCE_DIR) + "/data/level", std::string(SOURCE_DIR) + "/tests/fuzz/corpus"}) {
    DIR* d = opendir(folder.c_str());
    ASSERT_NE(d, nullptr) << folder;
    int files = 0;
    while (dirent* e = readdir(d)) {
      if (e->d_name[0] == '.') continue;
      const std::string path = folder + "/" + e->d_name;
      SCOPED_TRACE(path);
      ++files;
      std::vector<uint8_t> bytes;
      std::string error;
      ASSERT_TRUE(ReadWholeFile(path, &bytes, &error)) << error;
      CaptureStdout([&] {
        LoadLevelBytes(map, bytes);
        map.Draw();
        map.Play();
        map.Step();
        map.Playing = false;
      });
    }
    closedir(d);
    EXPECT_GT(files, 3) << folder;
  }
  CaptureStdout([&] { map.New(); });
}

}  // namespace
