// The level editor: the system's one scene, its panels and its buttons.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "scenes/uEditorMenu.h"
#include "scenes/uScene.h"
#include "toolkit/uMeForm.h"

class TMap;
class TMapObjProt;
class TEditor;

constexpr int kProtoCount = 13;  // slots 0..12; slot 0 stays empty

// A form with a background picture centred on its origin.
class TMeFormPanel : public TMeForm {
 public:
  // Alpha 255 and no owner; the editor sets Background afterwards.
  TMeFormPanel(int32_t X, int32_t Y);
  void Draw() override;

  TMeDrawRect* Background = nullptr;  // not owned
};

// The properties panel; it also prints the selected object's angle and size.
class TMeFormEd : public TMeFormPanel {
 public:
  using TMeFormPanel::TMeFormPanel;
  void Draw() override;

  TEditor* Editor = nullptr;
};

class TEditor : public tScene {
 public:
  explicit TEditor(int32_t Tag);
  // The program never frees its scene; tests do.
  ~TEditor() override;
  TEditor(const TEditor&) = delete;
  TEditor& operator=(const TEditor&) = delete;

  void Draw() override;
  void Update() override;

  TMeForm* MainForm;
  TMeFormPanel* PlayPanel;
  TMeFormEd* EdForm;
  TEditorMenu* EditorMenu;
  TMeForm* Overlay;  // the editor menu or the level list
  TMap* Map;
  int32_t CellSize;
  int32_t CursorX = 0, CursorY = 0;
  int32_t GrabX = 0, GrabY = 0;
  bool Placing = false;
  TMapObjProt* Selected = nullptr;
  TMapObjProt* Protos[kProtoCount] = {};

  // Called when the level is emptied: no reference into the old level may stay.
  void LevelEmptied();
  // Whether p is one of the tool prototypes.
  bool IsProto(const TMapObjProt* p) const;

 private:
  void ComputeCursor();
  // The shared shapes and pictures of the widgets; the editor frees them.
  template <typename T>
  T* Keep(T* p);
  std::vector<std::unique_ptr<TMeFormShape>> Shapes;
  std::vector<std::unique_ptr<TMeDrawRect>> Pictures;
};

// A palette tool: hangs its prototype at the cursor, or without one is the
// selection tool.
class TButton : public TMeFormObject2 {
 public:
  TButton(int32_t X, int32_t Y, TMeFormShape* Shape, TMeFormDrawRect* DrawRect, TMeForm* Form);
  void Click() override;
  bool IsActive() override;

  TMapObjProt* Proto = nullptr;
  TEditor* Editor = nullptr;
};

// Deletes the selected level object or rope.
class TButtonDel : public TMeFormObject2 {
 public:
  TButtonDel(int32_t X, int32_t Y, TMeFormShape* Shape, TMeFormDrawRect* DrawRect, TMeForm* Form);
  void Click() override;

  TEditor* Editor = nullptr;
};

// A stepper for angle (1), width and height (2), width (3) or height (4).
class TButtonE : public TMeFormObject2 {
 public:
  TButtonE(int32_t Prop, int32_t Delta, int32_t X, int32_t Y, TMeFormShape* Shape, TMeFormDrawRect* DrawRect,
           TMeDrawRect* Icon, int32_t IconFrame, TMeForm* Form);
  void Click() override;

  TEditor* Editor = nullptr;
  int32_t Delta;
  int32_t Prop;
};

// Play or resume (1), pause (2), stop (3).
class TButtonP : public TMeFormObject2 {
 public:
  TButtonP(int32_t Mode, int32_t X, int32_t Y, TMeFormShape* Shape, TMeFormDrawRect* DrawRect, TMeDrawRect* Icon,
           int32_t IconFrame, TMeForm* Form);
  void Click() override;
  bool IsActive() override;

  TEditor* Editor = nullptr;
  int32_t Mode;
};

// Shows and sets one option of the selected object: dynamic (1), black (2),
// white (3), mirror (4), interactive (5).
class TButtonOpt : public TMeFormObject {
 public:
  TButtonOpt(const std::string& Caption, int32_t Option, int32_t X, int32_t Y, TMeFormShape* Shape,
             TMeFormDrawRect* DrawRect, TMeDrawRect* Check, TMeForm* Form);
  void Click() override;
  void Draw(int32_t DX, int32_t DY, uint8_t Alpha) override;
  bool IsActive() override;

  TMeDrawRect* Check;  // not owned
  TEditor* Editor = nullptr;
  int32_t Option;
  std::string Caption;
};

// "Меню": opens the editor menu as the overlay.
class TButtonShowMenu : public TButtonEM {
 public:
  using TButtonEM::TButtonEM;
  void Click() override;
};
