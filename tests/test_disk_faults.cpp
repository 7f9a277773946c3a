// The level folder going away under the level list: the user is told on
// standard error, the game goes on, and no level file is damaged.
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <optional>
#include <iterator>

#include "EditorHarness.h"
#include "ScratchDir.h"
#include "scenes/uLevelMenu.h"
#include "shell/uApp.h"

namespace fs = std::filesystem;

namespace {

std::string Bytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class VanishingFolder : public EditorHarness {
 protected:
  void SetUp() override {
    scratch.emplace("vanish");
    ASSERT_TRUE(scratch->Ok());
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

  std::optional<ScratchDir> scratch;
  std::unique_ptr<TLevelMenu> list;
};

// The list is shown, then the folder is moved away before an entry is clicked.
TEST_F(VanishingFolder, ClickingAnEntryOfAListWhoseFolderIsGone) {
  struct Case {
    const char* name;
    bool save;
    const char* stderrPart;  // "" when nothing is to be reported
    size_t objectsAfter;
  };
  // Opening: the file is not there, the open level stays (one plank and one ball).
  // Saving: the folder is made again and the level written to the new file.
  const Case cases[] = {
      {"open", false, "Cannot load level data/level/1001.map: No such file or directory", 2},
      {"save", true, "", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ed->Map->New();
    Place(1, 70, 70);
    Place(5, 210, 140);
    ASSERT_TRUE(ed->Map->Save("data\\level\\1001.map"));
    ASSERT_TRUE(ed->Map->Save("data\\level\\1002.map"));
    const std::string saved = Bytes("data/level/1001.map");
    ASSERT_EQ(saved.size(), 160u);  // two records

    ClickAt(ui::kMenu);
    ClickAt(c.save ? ui::kMenuSave : ui::kMenuOpen);
    ASSERT_TRUE(list->Visible);
    ASSERT_EQ(list->Levels.at(0).FileName, "1001.map");
    fs::rename("data/level", "data/moved");

    testing::internal::CaptureStderr();
    ClickAt(ui::Pt{344, 256});  // the first entry, 1001.map
    const std::string err = testing::internal::GetCapturedStderr();
    if (*c.stderrPart) {
      EXPECT_NE(err.find(c.stderrPart), std::string::npos) << err;
    } else {
      EXPECT_EQ(err, "");
      EXPECT_EQ(Bytes("data/level/1001.map"), saved);
    }
    EXPECT_FALSE(list->Visible);
    EXPECT_EQ(ed->Map->Obj.size(), c.objectsAfter);
    // The moved files are untouched.
    EXPECT_EQ(Bytes("data/moved/1001.map"), saved);
    EXPECT_EQ(Bytes("data/moved/1002.map"), saved);

    // The game goes on: draw, place one more, play a few ticks, stop.
    Frame();
    Place(2, 280, 280);
    EXPECT_EQ(ed->Map->Obj.size(), c.objectsAfter + 1);
    ClickAt(ui::kPlay);
    Tick(5);
    EXPECT_TRUE(ed->Map->Playing);
    ClickAt(ui::kStop);
    fs::remove_all("data");
  }
}

}  // namespace
