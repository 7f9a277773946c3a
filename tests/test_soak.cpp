// A monkey soak: a seeded random user drives the whole game through the fake
// engine, the way the shell runs it (load, timer, draw callbacks), and after
// every tick the editor's and the map's invariants are checked.
//
// The short run here is part of every test run. A long one:
//   SOAK_TICKS=1000000 SOAK_SEED=7 unit_tests --gtest_filter='Soak.*'
// (`make soak` does it in the sanitizer build). A failure names the seed and
// the tick, so the same run can be replayed up to that point.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "ScratchDir.h"
#include "editor/uEditor.h"
#include "level/uMap.h"
#include "level/uMapObj.h"
#include "level/uWorld.h"
#include "objects/uBomb.h"
#include "objects/uLazer.h"
#include "objects/uRope.h"
#include "scenes/uGameForm.h"
#include "scenes/uLevelMenu.h"
#include "shell/uApp.h"
#include "tests/EditorHarness.h"
#include "tests/fake/FakeEngine.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#define SOAK_HAS_SANITIZER 1
#endif

namespace fs = std::filesystem;

namespace {

// Where the run stands, for the sanitizers' death report.
uint64_t gSeed = 0;
long gTick = 0;

void ReportWhereWeDied() {
  std::fprintf(stderr, "soak: died at tick %ld of seed %llu (replay with SOAK_SEED=%llu SOAK_TICKS=%ld)\n", gTick,
               static_cast<unsigned long long>(gSeed), static_cast<unsigned long long>(gSeed), gTick);
}

long EnvLong(const char* name, long fallback) {
  const char* v = std::getenv(name);
  if (!v || !*v) return fallback;
  char* end = nullptr;
  const long n = std::strtol(v, &end, 10);
  return (*end == '\0' && n > 0) ? n : fallback;
}

// Standard output goes to /dev/null while the game traces, and comes back.
class QuietStdout {
 public:
  QuietStdout() {
    std::fflush(stdout);
    saved_ = dup(1);
    const int null = open("/dev/null", O_WRONLY);
    if (null >= 0) {
      dup2(null, 1);
      close(null);
    }
  }
  ~QuietStdout() { Restore(); }
  void Restore() {
    if (saved_ < 0) return;
    std::fflush(stdout);
    dup2(saved_, 1);
    close(saved_);
    saved_ = -1;
  }

 private:
  int saved_ = -1;
};


template <typename T, typename U>
bool Contains(const std::vector<T>& v, const U* p) {
  for (const T& e : v)
    if (e == p) return true;
  return false;
}

// Every invariant of the editor and its level; "" when all hold.
std::string CheckInvariants(const TEditor& ed) {
  const TMap& map = *ed.Map;
  std::ostringstream why;
  auto inLevel = [&map](const TMapObjProt* p) {
    return Contains(map.Obj, p) || Contains(map.Ropes, p);
  };

  if (ed.Placing && !ed.IsProto(ed.Selected)) why << "Placing without a prototype selected; ";
  if (!ed.Placing && ed.Selected && !inLevel(ed.Selected)) why << "Selected is neither nil nor in the level; ";
  if (ed.Selected && ed.IsProto(ed.Selected) && inLevel(ed.Selected)) why << "a prototype entered the level; ";

  for (size_t i = 0; i < map.Ropes.size(); ++i) {
    const TRope* r = map.Ropes[i];
    if (r->ObjA && !Contains(map.Obj, r->ObjA)) why << "rope " << i << " names a freed ObjA; ";
    if (r->ObjB && !Contains(map.Obj, r->ObjB)) why << "rope " << i << " names a freed ObjB; ";
  }
  if (const auto* tool = dynamic_cast<const TRope*>(ed.Protos[7])) {
    if (tool->ObjA && !Contains(map.Obj, tool->ObjA)) why << "rope tool's ObjA is not in Obj; ";
    if (tool->ObjB && !Contains(map.Obj, tool->ObjB)) why << "rope tool's ObjB is not in Obj; ";
  }
  if (map.FoundObj && !inLevel(map.FoundObj) && !ed.IsProto(map.FoundObj)) why << "FoundObj names a freed object; ";

  // Bodies: every one an object or rope names lives in the current world,
  // and every live body's owner is in the level.
  std::set<const b2Body*> live;
  if (map.World) {
    for (const b2Body* b = map.World->Physics->GetBodyList(); b; b = b->GetNext()) {
      live.insert(b);
      const TMapObjProt* owner = BodyOwner(b);
      if (owner && !inLevel(owner)) why << "a live body names a freed owner; ";
    }
  }
  for (size_t i = 0; i < map.Obj.size(); ++i) {
    const TMapObj* o = map.Obj[i];
    if (o->Body && !live.count(o->Body)) why << "object " << i << " names a dead body; ";
    if (const auto* bomb = dynamic_cast<const TBomb*>(o); bomb && !bomb->Alive && bomb->Body)
      why << "dead bomb " << i << " keeps a body; ";
    if (const auto* box = dynamic_cast<const TLazerBox*>(o); box && box->Lazer && map.Playing &&
                                                             (!map.World || !Contains(map.World->Lazers, box->Lazer)))
      why << "laser box " << i << " names a freed beam; ";
  }
  for (size_t i = 0; i < map.Ropes.size(); ++i)
    for (const b2Body* s : map.Ropes[i]->Segments)
      if (!live.count(s)) why << "rope " << i << " names a dead segment; ";
  for (const TMeFormObject* b : map.GameForm->Objects)
    if (const auto* turn = dynamic_cast<const TButtonGF*>(b); turn && turn->MapObj && !Contains(map.Obj, turn->MapObj))
      why << "a turn button names a freed object; ";
  return why.str();
}

struct Stats {
  long plays = 0, menus = 0, saveLists = 0, openLists = 0, maxObjects = 0, maxRopes = 0;
};

// The random user. It clicks, presses, holds and releases the left and middle
// buttons, holds Shift and Ctrl, and now and then runs a short plan through
// the buttons: play, pause, stop, menu, save, open, new, delete, a rope.
class Monkey {
 public:
  Monkey(uint64_t seed, FakeEngine& fake) : rng_(seed), fake_(fake) {}

  void Act(TEditor& ed) {
    if (!plan_.empty()) {
      const Step s = plan_.front();
      plan_.erase(plan_.begin());
      RunStep(ed, s);
      return;
    }
    const int r = Roll(1000);
    if (r < 40) {
      StartPlan(ed);
    } else if (r < 380) {
      const ui::Pt p = Target(ed);
      fake_.MoveMouse(p.x, p.y);  // with a held button this drags
    } else if (r < 520) {
      const ui::Pt p = Target(ed);
      fake_.ClickAt(p.x, p.y, M_BLEFT);
    } else if (r < 590) {
      const ui::Pt p = Target(ed);
      fake_.PressAt(p.x, p.y, M_BLEFT);
    } else if (r < 660) {
      fake_.Release(M_BLEFT);
    } else if (r < 700) {
      fake_.ClickAt(fake_.mouseX, fake_.mouseY, M_BMIDDLE);
    } else if (r < 720) {
      if (fake_.down[M_BMIDDLE]) fake_.Release(M_BMIDDLE); else fake_.Press(M_BMIDDLE);
    } else if (r < 760) {
      fake_.HoldKey(K_SHIFT, !fake_.keys[K_SHIFT]);
    } else if (r < 790) {
      fake_.HoldKey(K_CTRL, !fake_.keys[K_CTRL]);
    }
    // Otherwise an idle tick: the level just runs.
  }

 private:
  enum class Kind { Click, Move, LevelEntry, SelectedObj, AnyObj, FieldPoint, Idle };
  struct Step {
    Kind kind;
    ui::Pt at{0, 0};
  };

  int Roll(int n) { return static_cast<int>(rng_() % static_cast<uint64_t>(n)); }

  ui::Pt FieldPoint() { return ui::Map(Roll(613), Roll(683)); }

  ui::Pt ObjectPoint(const TEditor& ed) {
    const TMap& m = *ed.Map;
    const size_t n = m.Obj.size() + m.Ropes.size();
    if (n == 0) return FieldPoint();
    const size_t i = static_cast<size_t>(Roll(static_cast<int>(n)));
    const TMapObjProt* o = i < m.Obj.size() ? static_cast<const TMapObjProt*>(m.Obj[i]) : m.Ropes[i - m.Obj.size()];
    // A few pixels off the centre, so ties land off-centre too.
    return ui::Pt{m.MapX + o->X + Roll(9) - 4, m.MapY + o->Y + Roll(9) - 4};
  }

  ui::Pt ButtonPoint() {
    static const ui::Pt kFixed[] = {ui::kDelete,      ui::kMenu,       ui::kPlay,       ui::kPause,
                                    ui::kStop,        ui::kAnglePlus,  ui::kAngleMinus, ui::kSizeMinus,
                                    ui::kSizePlus,    ui::kWidthMinus, ui::kWidthPlus,  ui::kHeightMinus,
                                    ui::kHeightPlus,  ui::kMenuNew,    ui::kMenuSave,   ui::kMenuOpen,
                                    ui::kMenuClose,   ui::Option(1),   ui::Option(2),   ui::Option(3),
                                    ui::Option(4),    ui::Option(5)};
    const int n = static_cast<int>(sizeof kFixed / sizeof kFixed[0]);
    const int r = Roll(n + 15);
    return r < n ? kFixed[r] : ui::Tool(r - n);
  }

  ui::Pt Target(const TEditor& ed) {
    const int r = Roll(100);
    if (r < 35) return ButtonPoint();
    if (r < 65) return ObjectPoint(ed);
    if (r < 85) return FieldPoint();
    return ui::Pt{Roll(1024), Roll(768)};
  }

  // One of the level list's buttons as the list now stands, or its close button.
  ui::Pt LevelEntry() {
    const size_t n = LevelMenu ? LevelMenu->Levels.size() : 0;
    if (n == 0 || Roll(12) == 0) return ui::Pt{512, 336 + 84 * static_cast<int32_t>(n == 0 ? 0 : (n - 1) / 5)};
    size_t i = static_cast<size_t>(Roll(static_cast<int>(n)));
    // New files only now and then, so the folder stays small.
    if (LevelMenu->SaveMode && i == n - 1 && (n > 10 || Roll(4) != 0)) i = static_cast<size_t>(Roll(static_cast<int>(n)));
    const int32_t row = static_cast<int32_t>(i / 5), col = static_cast<int32_t>(i % 5);
    return ui::Pt{344 + 84 * col, 256 + 84 * row};
  }

  void RunStep(TEditor& ed, const Step& s) {
    switch (s.kind) {
      case Kind::Click: fake_.ClickAt(s.at.x, s.at.y); break;
      case Kind::Move: fake_.MoveMouse(s.at.x, s.at.y); break;
      case Kind::LevelEntry: { const ui::Pt p = LevelEntry(); fake_.ClickAt(p.x, p.y); break; }
      case Kind::SelectedObj:
        if (const TMapObj* o = dynamic_cast<const TMapObj*>(ed.Selected); o && !ed.Placing)
          fake_.ClickAt(ed.Map->MapX + o->X, ed.Map->MapY + o->Y);
        break;
      case Kind::AnyObj: { const ui::Pt p = ObjectPoint(ed); fake_.ClickAt(p.x, p.y); break; }
      case Kind::FieldPoint: { const ui::Pt p = FieldPoint(); fake_.ClickAt(p.x, p.y); break; }
      case Kind::Idle: break;
    }
  }

  void StartPlan(const TEditor& ed) {
    fake_.Release(M_BLEFT);
    fake_.Release(M_BMIDDLE);
    const bool crowded = ed.Map->Obj.size() > 60;
    const int r = crowded ? 0 : Roll(11);
    auto click = [](ui::Pt p) { return Step{Kind::Click, p}; };
    const Step idle{Kind::Idle};
    switch (r) {
      case 0: plan_ = {click(ui::kMenu), idle, click(ui::kMenuNew), click(ui::kMenuClose)}; break;
      case 1: plan_ = {click(ui::kMenu), idle, click(ui::kMenuSave), idle, Step{Kind::LevelEntry}}; break;
      case 2: plan_ = {click(ui::kMenu), idle, click(ui::kMenuOpen), idle, Step{Kind::LevelEntry}}; break;
      case 3: plan_ = {click(ui::kPlay)}; for (int i = Roll(120); i > 0; --i) plan_.push_back(idle); break;
      case 4: plan_ = {click(ui::kPause)}; break;
      case 5: plan_ = {click(ui::kStop)}; break;
      case 6: plan_ = {Step{Kind::AnyObj}, Step{Kind::SelectedObj}, click(ui::kDelete)}; break;
      case 7: plan_ = {click(ui::Tool(7)), Step{Kind::AnyObj}, Step{Kind::AnyObj}, Step{Kind::AnyObj}}; break;
      default: {
        const ui::Pt p = FieldPoint();
        plan_ = {click(ui::Tool(1 + Roll(12))), Step{Kind::Move, p}, click(p)};
        break;
      }
    }
  }

  std::mt19937_64 rng_;
  FakeEngine& fake_;
  std::vector<Step> plan_;
};

TEST(Soak, RandomUserKeepsEveryInvariant) {
  const long ticks = EnvLong("SOAK_TICKS", 3000);
  gSeed = static_cast<uint64_t>(EnvLong("SOAK_SEED", 20240611));
  gTick = 0;
#ifdef SOAK_HAS_SANITIZER
  __sanitizer_set_death_callback(ReportWhereWeDied);
#endif
  std::fprintf(stderr, "soak: seed %llu, %ld ticks\n", static_cast<unsigned long long>(gSeed), ticks);

  ScratchDir scratch("soak", true);
  ASSERT_TRUE(scratch.Ok());
  FakeEngine fake;
  StartGame();
  ASSERT_NE(fake.onLoad, nullptr);
  ASSERT_NE(fake.onTimer, nullptr);
  ASSERT_NE(fake.onDraw, nullptr);

  std::string failure;
  Stats stats;
  {
    QuietStdout quiet;
    fake.onLoad();
    auto* ed = dynamic_cast<TEditor*>(Scene);
    if (!ed) {
      failure = "the scene is not the editor";
    } else {
      Monkey monkey(gSeed, fake);
      bool wasPlaying = false, menuShown = false, listShown = false;
      for (gTick = 1; gTick <= ticks; ++gTick) {
        monkey.Act(*ed);
        fake.Tick();
        if (gTick % 3 == 0) fake.Frame();
        failure = CheckInvariants(*ed);
        if (!failure.empty()) break;

        if (ed->Map->Playing && !wasPlaying) ++stats.plays;
        wasPlaying = ed->Map->Playing;
        const bool menuNow = ed->Overlay == ed->EditorMenu && ed->EditorMenu->Visible;
        if (menuNow && !menuShown) ++stats.menus;
        menuShown = menuNow;
        const bool listNow = LevelMenu->Visible;
        if (listNow && !listShown) ++(LevelMenu->SaveMode ? stats.saveLists : stats.openLists);
        listShown = listNow;
        stats.maxObjects = std::max(stats.maxObjects, static_cast<long>(ed->Map->Obj.size()));
        stats.maxRopes = std::max(stats.maxRopes, static_cast<long>(ed->Map->Ropes.size()));
      }
    }
    quiet.Restore();
    if (!failure.empty()) ReportWhereWeDied();
  }
  ASSERT_EQ(failure, "") << "seed " << gSeed << ", tick " << gTick;
  std::fprintf(stderr, "soak: %ld ticks, %ld plays, %ld menus, %ld save lists, %ld open lists, up to %ld objects and %ld ropes\n",
               ticks, stats.plays, stats.menus, stats.saveLists, stats.openLists, stats.maxObjects, stats.maxRopes);
  // A soak that never reached the menus or play would prove nothing.
  if (ticks >= 3000) {
    EXPECT_GT(stats.plays, 0);
    EXPECT_GT(stats.saveLists, 0);
    EXPECT_GT(stats.openLists, 0);
    EXPECT_GT(stats.maxRopes, 0);
  }

  // The shell never frees its globals; the test does, so the leak checker
  // sees only real leaks.
  {
    QuietStdout quiet;
    delete LevelMenu;
    LevelMenu = nullptr;
    delete Scene;
    Scene = nullptr;
  }
}

}  // namespace
