#include "scenes/uLevelMenu.h"

#include <dirent.h>

#include <algorithm>
#include <cctype>

#include "level/uMap.h"
#include "scenes/uEditorMenu.h"

const char* const kLevelDir = "data\\level\\";

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Game paths use backslashes; this platform's separator is the slash.
std::string ToNative(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

bool MatchesMapPattern(const std::string& name) {
  return name.size() >= 4 && Lower(name.substr(name.size() - 4)) == ".map";
}

}  // namespace

std::vector<std::string> ListLevelFiles(const std::string& nativeDir) {
  std::vector<std::string> names;
  DIR* dir = opendir(nativeDir.c_str());
  if (!dir) return names;
  while (dirent* e = readdir(dir)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    if (MatchesMapPattern(name)) names.push_back(name);
  }
  closedir(dir);
  // A Linux folder lists its entries in no particular order; the original
  // platform's search returned them by name, letter case ignored.
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    std::string la = Lower(a), lb = Lower(b);
    return la != lb ? la < lb : a < b;
  });
  return names;
}

TLevelMenu::TLevelMenu(int32_t X, int32_t Y, uint8_t Alpha, tScene* Owner) : TMeForm(X, Y, Alpha, Owner) {
  LevelShape = new TShapeCircle(64);
  CloseShape = new TShapeRect(162, 30);
  LevelDrawRect = new TMeFormDrawRect(PanelTexture, 128, 128);
  for (int i = 0; i < 4; i++) LevelDrawRect->AddFrame(128 * i, 320);
  CloseDrawRect = new TMeFormDrawRect(PanelTexture, 180, 52);
  for (int i = 0; i < 4; i++) CloseDrawRect->AddFrame(0, 107 + 52 * i);
}

TLevelMenu::~TLevelMenu() {
  FreeObjects();
  delete LevelShape;
  delete CloseShape;
  delete LevelDrawRect;
  delete CloseDrawRect;
}

void TLevelMenu::Show(TMap* AMap, bool ASaveMode) {
  ScanFiles();
  SaveMode = ASaveMode;
  if (SaveMode) AddNewSlot();
  BuildButtons();
  Map = AMap;
  Visible = true;
}

void TLevelMenu::ScanFiles() {
  Levels.clear();
  for (const std::string& name : ListLevelFiles(ToNative(kLevelDir)))
    AddLevel(name);
}

void TLevelMenu::AddLevel(const std::string& Name) {
  TLevel level;
  level.FileName = Name;
  // Without the first character and the ".map": 1003.map shows as 003.
  if (Name.size() > 5) level.Caption = Name.substr(1, Name.size() - 5);
  Levels.push_back(level);
}

void TLevelMenu::AddNewSlot() {
  size_t n = Levels.size();
  int k = static_cast<int>(n) + 1001;
  // Passes until one finds no clash; the number only ever goes up.
  bool clash = true;
  while (clash) {
    clash = false;
    for (size_t i = 0; i < n; i++) {
      if (Levels[i].FileName == std::to_string(k) + ".map") {
        k++;
        clash = true;
      }
    }
  }
  Levels.push_back(TLevel{std::to_string(k) + ".map", "+"});
}

void TLevelMenu::BuildButtons() {
  FreeObjects();
  int32_t y = 128;
  for (size_t i = 1; i <= Levels.size(); i++) {
    int32_t row = static_cast<int32_t>((i - 1) / 5);
    int32_t column = static_cast<int32_t>(i) - 5 * row;
    int32_t x = column * 84 - 252;
    y = row * 84 + 128;
    TButtonLM* b = new TButtonLM(x, y, LevelShape, LevelDrawRect, this);
    b->Index = static_cast<int32_t>(i - 1);
    b->Caption = Levels[i - 1].Caption;
  }
  TButtonEMClose* close = new TButtonEMClose(0, y + 80, CloseShape, CloseDrawRect, this);
  close->Caption = "Закрыть";
}

void TButtonLM::Click() {
  TLevelMenu* menu = dynamic_cast<TLevelMenu*>(Form);
  if (!menu) return;
  if (menu->Map && Index >= 0 && static_cast<size_t>(Index) < menu->Levels.size()) {
    std::string path = std::string(kLevelDir) + menu->Levels[static_cast<size_t>(Index)].FileName;
    // Failures are the map's to report; the list closes either way.
    if (menu->SaveMode)
      menu->Map->Save(path);
    else
      menu->Map->Load(path);
  }
  menu->Visible = false;
}

void TButtonLM::Draw(int32_t DX, int32_t DY, uint8_t Alpha) {
  TMeFormObject::Draw(DX, DY, Alpha);
  DrawCaption(Caption, X + DX, Y + DY, Alpha);
}
