// The editor menu and the level list, in a scratch working directory with its
// own data/level/ so no shipped level is touched.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "EditorHarness.h"
#include "ScratchDir.h"
#include "level/uLevelFile.h"
#include "objects/uRope.h"
#include "scenes/uEditorMenu.h"
#include "scenes/uLevelMenu.h"
#include "shell/uApp.h"

namespace fs = std::filesystem;
using ui::Map;

class Menus : public EditorHarness {
 protected:
  void SetUp() override {
    scratch.emplace("menus");
    ASSERT_TRUE(scratch->Ok());
    fs::create_directories("data/level");
    EditorHarness::SetUp();
    list = std::make_unique<TLevelMenu>(512, 128, 255, ed.get());
    LevelMenu = list.get();
  }
  void TearDown() override {
    LevelMenu = nullptr;
    list.reset();
    EditorHarness::TearDown();
    scratch.reset();
  }
  void Touch(const std::string& name, size_t bytes = 0) {
    std::ofstream(fs::path("data/level") / name, std::ios::binary) << std::string(bytes, 'x');
  }
  // Screen centres of the list's buttons, the close button last.
  std::vector<ui::Pt> ButtonCentres() const {
    std::vector<ui::Pt> out;
    for (const TMeFormObject* o : list->Objects) out.push_back({o->X + list->X, o->Y + list->Y});
    return out;
  }
  std::vector<std::string> Captions() const {
    std::vector<std::string> out;
    for (TMeFormObject* o : list->Objects) {
      if (auto* b = dynamic_cast<TButtonLM*>(o)) out.push_back(b->Caption);
      if (auto* c = dynamic_cast<TButtonEMClose*>(o)) out.push_back("[" + c->Caption + "]");
    }
    return out;
  }
  std::vector<std::string> FileNames() const {
    std::vector<std::string> out;
    for (const TLevel& l : list->Levels) out.push_back(l.FileName);
    return out;
  }
  static uintmax_t SizeOf(const std::string& name) { return fs::file_size(fs::path("data/level") / name); }

  std::optional<ScratchDir> scratch;
  std::unique_ptr<TLevelMenu> list;
};

struct ListCase {
  const char* name;
  std::vector<std::string> files;
  bool save;
  std::vector<std::string> fileNames;  // the list, in order
  std::vector<std::string> captions;   // the buttons', "[...]" for the close button
  std::vector<ui::Pt> centres;         // on screen, the close button last
};

TEST_F(Menus, TheListForEachFolder) {
  // Columns at x 344, 428, 512, 596, 680; rows at y 256 + 84r; the close
  // button 80 below the last row (y 208 below the origin when empty).
  const ListCase cases[] = {
      {"empty, open", {}, false, {}, {"[Закрыть]"}, {{512, 336}}},
      {"empty, save", {}, true, {"1001.map"}, {"+", "[Закрыть]"}, {{344, 256}, {512, 336}}},
      {"five files, save",
       {"1003.map", "1001.map", "1005.map", "1002.map", "1004.map"},
       true,
       {"1001.map", "1002.map", "1003.map", "1004.map", "1005.map", "1006.map"},
       {"001", "002", "003", "004", "005", "+", "[Закрыть]"},
       {{344, 256}, {428, 256}, {512, 256}, {596, 256}, {680, 256}, {344, 340}, {512, 420}}},
      {"a gap is not filled", {"1002.map", "1003.map"}, true, {"1002.map", "1003.map", "1004.map"},
       {"002", "003", "+", "[Закрыть]"}, {{344, 256}, {428, 256}, {512, 256}, {512, 336}}},
      {"1001 and 1003", {"1003.map", "1001.map"}, true, {"1001.map", "1003.map", "1004.map"},
       {"001", "003", "+", "[Закрыть]"}, {{344, 256}, {428, 256}, {512, 256}, {512, 336}}},
      // Only *.map, letter case ignored, sorted by name whatever the case.
      {"odd names, open",
       {"x1.map", "Level.map", "notes.txt", "a.map", "B.MAP", "map"},
       false,
       {"a.map", "B.MAP", "Level.map", "x1.map"},
       {"", "", "evel", "1", "[Закрыть]"},
       {{344, 256}, {428, 256}, {512, 256}, {596, 256}, {512, 336}}},
      {"odd names, save", {"x1.map", "a.map"}, true, {"a.map", "x1.map", "1003.map"},
       {"", "1", "+", "[Закрыть]"}, {{344, 256}, {428, 256}, {512, 256}, {512, 336}}},
  };
  for (const ListCase& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all("data/level");
    fs::create_directories("data/level");
    for (const std::string& f : c.files) Touch(f);
    list->Show(ed->Map, c.save);
    EXPECT_TRUE(list->Visible);
    EXPECT_EQ(list->SaveMode, c.save);
    EXPECT_EQ(FileNames(), c.fileNames);
    EXPECT_EQ(Captions(), c.captions);
    std::vector<ui::Pt> got = ButtonCentres();
    ASSERT_EQ(got.size(), c.centres.size());
    for (size_t i = 0; i < got.size(); i++) {
      EXPECT_EQ(got[i].x, c.centres[i].x) << "button " << i;
      EXPECT_EQ(got[i].y, c.centres[i].y) << "button " << i;
    }
  }
}

TEST_F(Menus, AMissingFolderGivesAnEmptyList) {
  fs::remove_all("data/level");
  list->Show(ed->Map, true);
  EXPECT_EQ(FileNames(), std::vector<std::string>{"1001.map"});
}

TEST_F(Menus, ShowingTwiceRebuildsTheButtons) {
  Touch("1001.map");
  list->Show(ed->Map, true);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"001", "+", "[Закрыть]"}));
  Touch("1002.map");
  list->Show(ed->Map, false);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"001", "002", "[Закрыть]"}));
  EXPECT_FALSE(list->SaveMode);
}

TEST_F(Menus, SavingToTheNewSlotWritesTheLevelAndClosesTheList) {
  Place(2, 70, 70);
  Place(5, 210, 70);
  ClickAt(ui::kMenu);
  EXPECT_TRUE(ed->EditorMenu->Visible);
  ClickAt(ui::kMenuSave);
  EXPECT_EQ(ed->Overlay, list.get());
  EXPECT_TRUE(list->Visible);
  ClickAt(ui::Pt{344, 256});  // "+"
  EXPECT_FALSE(list->Visible);
  ASSERT_TRUE(fs::exists("data/level/1001.map"));
  EXPECT_EQ(SizeOf("1001.map"), 2 * kRecordSize);

  // Back to editing; the editor menu does not come back, though still "visible".
  Frame();
  EXPECT_EQ(fake.Find(FakeCall::Rect, [](const FakeCall& c) { return c.color == 0x101017u; }), nullptr);
  EXPECT_EQ(fake.Find(FakeCall::Text, [](const FakeCall& c) { return c.text == "Новый"; }), nullptr);
  Place(2, 350, 70);
  EXPECT_EQ(ed->Map->Obj.size(), 3u);
}

TEST_F(Menus, SavingOverAnExistingEntryReplacesItAtOnce) {
  Touch("1001.map", 7 * kRecordSize);
  Touch("1002.map", 5 * kRecordSize);
  Place(2, 70, 70);
  Place(2, 140, 70);
  Place(2, 210, 70);
  ClickAt(ui::kMenu);
  ClickAt(ui::kMenuSave);
  ClickAt(ui::Pt{428, 256});  // "002"
  EXPECT_FALSE(list->Visible);
  EXPECT_EQ(SizeOf("1002.map"), 3 * kRecordSize);
  EXPECT_EQ(SizeOf("1001.map"), 7 * kRecordSize);
  EXPECT_FALSE(fs::exists("data/level/1003.map"));
}

TEST_F(Menus, OpeningReplacesTheLevelAndClearsTheSelection) {
  Place(2, 70, 70);
  Place(5, 210, 70);
  ClickAt(ui::Tool(7));
  ClickAt(Map(70, 70));
  ClickAt(Map(210, 70));
  ASSERT_TRUE(ed->Map->Save("data\\level\\1001.map"));

  ed->Map->New();
  Place(11, 300, 300);
  ClickAt(Map(300, 300));
  ASSERT_EQ(ed->Selected, Obj(0));
  ClickAt(ui::kMenu);
  ClickAt(ui::kMenuOpen);
  EXPECT_FALSE(list->SaveMode);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"001", "[Закрыть]"}));
  ClickAt(ui::Pt{344, 256});
  EXPECT_FALSE(list->Visible);
  ASSERT_EQ(ed->Map->Obj.size(), 2u);
  ASSERT_EQ(ed->Map->Ropes.size(), 1u);
  EXPECT_EQ(Obj(1)->X, 210);
  EXPECT_EQ(ed->Selected, nullptr) << "the selected object went with the old level";
  EXPECT_FALSE(ed->Placing);
  Frame();
  Tick();
}

// Emptying the level ("Новый", or a load) drops every reference into it and
// leaves the menu open.
struct EmptyCase {
  const char* name;
  int tool;       // tool chosen before the menu opens, 0 for none
  bool pickObj;   // an object selected before
  bool protoStays;
};

TEST_F(Menus, NewEmptiesTheLevelAndKeepsTheMenu) {
  const EmptyCase cases[] = {{"object selected", 0, true, false},
                             {"prototype at the cursor", 2, false, true},
                             {"rope begun", 7, false, true}};
  for (const EmptyCase& c : cases) {
    SCOPED_TRACE(c.name);
    ed->Map->New();
    ClickAt(ui::Tool(0));
    Place(5, 70, 70);
    Place(5, 210, 70);
    if (c.pickObj) ClickAt(Map(70, 70));
    if (c.tool) ClickAt(ui::Tool(c.tool));
    if (c.tool == 7) ClickAt(Map(70, 70));  // the first end
    ClickAt(ui::kMenu);
    std::string out = CaptureStdout([&] { ClickAt(ui::kMenuNew); });
    EXPECT_EQ(out.rfind("TMap.New\n", 0), 0u) << out;
    EXPECT_TRUE(ed->Map->Obj.empty());
    EXPECT_TRUE(ed->EditorMenu->Visible);
    EXPECT_EQ(ed->Overlay, ed->EditorMenu);
    if (c.protoStays) {
      EXPECT_EQ(ed->Selected, ed->Protos[c.tool]);
      EXPECT_TRUE(ed->Placing);
    } else {
      EXPECT_EQ(ed->Selected, nullptr);
    }
    EXPECT_EQ(dynamic_cast<TRope*>(ed->Protos[7])->ObjA, nullptr);
    ClickAt(ui::kMenuClose);
    EXPECT_FALSE(ed->EditorMenu->Visible);
    Frame();
    Tick();
  }
}

TEST_F(Menus, WhileTheMenuIsOpenNothingElseReacts) {
  Place(5, 105, 105);
  ClickAt(ui::kPlay);
  Tick(5);
  ClickAt(ui::kStop);
  ClickAt(ui::kMenu);
  // Clicks on the field, the palette and the play panel.
  ClickAt(Map(105, 105));
  ClickAt(ui::Tool(2));
  ClickAt(ui::kPlay);
  EXPECT_EQ(ed->Selected, nullptr);
  EXPECT_FALSE(ed->Map->Playing);
  EXPECT_TRUE(ed->EditorMenu->Visible);
}

TEST_F(Menus, ClicksOnThePictureOutsideTheHitRectangleDoNothing) {
  Place(2, 70, 70);
  ClickAt(ui::kMenu);
  // "Новый" is centred on (512, 284): its picture is 180x52, its hit area 162x30.
  const ui::Pt misses[] = {{512 + 82, 284}, {512 - 82, 284}, {512 + 88, 284 + 20}, {512, 284 - 16}, {512, 284 + 20}};
  for (const ui::Pt& p : misses) {
    std::string out = CaptureStdout([&] { ClickAt(p); });
    EXPECT_EQ(out, "") << p.x << "," << p.y;
    EXPECT_EQ(ed->Map->Obj.size(), 1u);
    EXPECT_TRUE(ed->EditorMenu->Visible);
    EXPECT_EQ(ed->Overlay, ed->EditorMenu);
  }
  // The edge of the hit area does count.
  ClickAt(ui::Pt{512 + 81, 284 - 15});
  EXPECT_TRUE(ed->Map->Obj.empty());
}

TEST_F(Menus, CloseHidesEitherForm) {
  ClickAt(ui::kMenu);
  ClickAt(ui::kMenuOpen);
  ASSERT_EQ(ed->Overlay, list.get());
  ClickAt(ui::Pt{512, 336});  // the list's "Закрыть" with no files
  EXPECT_FALSE(list->Visible);
  Tick();
  Place(2, 70, 70);
  EXPECT_EQ(ed->Map->Obj.size(), 1u) << "editing again";
  ClickAt(ui::kMenu);
  ClickAt(ui::kMenuClose);
  EXPECT_FALSE(ed->EditorMenu->Visible);
}

// A level path that cannot be read or written: the map reports it, keeps its
// level, and the list closes anyway.
TEST_F(Menus, AFailedSaveOrLoadStillClosesTheList) {
  fs::create_directories("data/level/1001.map");  // a folder where a file should be
  Place(2, 70, 70);
  for (bool save : {true, false}) {
    SCOPED_TRACE(save ? "save" : "load");
    ClickAt(ui::kMenu);
    ClickAt(save ? ui::kMenuSave : ui::kMenuOpen);
    ClickAt(ui::Pt{344, 256});
    EXPECT_FALSE(list->Visible);
    EXPECT_EQ(ed->Map->Obj.size(), 1u);
    EXPECT_TRUE(fs::is_directory("data/level/1001.map"));
  }
}

TEST_F(Menus, AppLoadBuildsTheEditorAndThenTheLevelList) {
  LevelMenu = nullptr;
  fake.loadedTextures.clear();
  fake.loadedFonts.clear();
  AppLoad();
  std::unique_ptr<tScene> scene(Scene);
  std::unique_ptr<TLevelMenu> levels(LevelMenu);
  EXPECT_EQ(fake.loadedTextures, std::vector<std::string>{"data\\panel_r.png"});
  EXPECT_EQ(fake.loadedFonts, std::vector<std::string>{"data\\font_1.zfi"});
  TEditor* editor = dynamic_cast<TEditor*>(Scene);
  ASSERT_NE(editor, nullptr);
  ASSERT_NE(levels, nullptr);
  EXPECT_EQ(levels->X, 512);
  EXPECT_EQ(levels->Y, 128);
  EXPECT_EQ(levels->Alpha, 255);
  EXPECT_EQ(levels->Owner, Scene);
  EXPECT_FALSE(levels->Visible);

  // The shell's timer: "Меню", then "Открыть" shows the global list.
  fake.ClickAt(ui::kMenu.x, ui::kMenu.y);
  AppTimer();
  EXPECT_TRUE(fake.clicked[M_BLEFT] == false) << "the timer clears the clicks";
  fake.ClickAt(ui::kMenuOpen.x, ui::kMenuOpen.y);
  AppTimer();
  EXPECT_EQ(editor->Overlay, levels.get());
  EXPECT_TRUE(levels->Visible);
  fake.ClearCalls();
  AppDraw();
  EXPECT_NE(fake.Find(FakeCall::Text, [](const FakeCall& c) { return c.text == "Закрыть"; }), nullptr);

  Scene = nullptr;
  LevelMenu = nullptr;
}
