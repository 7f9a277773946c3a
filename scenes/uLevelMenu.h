// The level list: one round button per level file, and a close button.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/uMeForm.h"

class TMap;

struct TLevel {
  std::string FileName;  // without the directory, e.g. 1003.map
  std::string Caption;
};

class TLevelMenu : public TMeForm {
 public:
  // The form's virtual-constructor signature: built through FormClass<TLevelMenu>.
  TLevelMenu(int32_t X, int32_t Y, uint8_t Alpha, tScene* Owner);
  ~TLevelMenu() override;
  TLevelMenu(const TLevelMenu&) = delete;
  TLevelMenu& operator=(const TLevelMenu&) = delete;

  // Rescans the level folder, rebuilds every button and shows the list.
  void Show(TMap* Map, bool SaveMode);

  // Steps of Show.
  void ScanFiles();
  void AddLevel(const std::string& Name);
  void AddNewSlot();
  void BuildButtons();

  std::vector<TLevel> Levels;
  TShapeCircle* LevelShape;
  TShapeRect* CloseShape;
  TMeFormDrawRect* LevelDrawRect;
  TMeFormDrawRect* CloseDrawRect;
  TMap* Map = nullptr;
  bool SaveMode = false;
};

class TButtonLM : public TMeFormObject {
 public:
  using TMeFormObject::TMeFormObject;
  // Saves or loads the entry's file, then hides the list.
  void Click() override;
  void Draw(int32_t DX, int32_t DY, uint8_t Alpha) override;

  int32_t Index = 0;
  std::string Caption;
};

// The folder the list shows, and the prefix of every path it saves or loads.
extern const char* const kLevelDir;  // "data\\level\\"

// The names in a folder that match *.map (letter case ignored, as the
// original platform's search does), sorted case-insensitively. A missing
// folder gives an empty list.
std::vector<std::string> ListLevelFiles(const std::string& nativeDir);
