// The editor menu: four caption buttons over the editor's level.
#pragma once

#include <cstdint>
#include <string>

#include "toolkit/uMeForm.h"

class TEditor;

class TEditorMenu : public TMeForm {
 public:
  // Not the form's virtual constructor: a fixed alpha, and the editor as owner.
  TEditorMenu(int32_t X, int32_t Y, TEditor* Owner);
  ~TEditorMenu() override;
  TEditorMenu(const TEditorMenu&) = delete;
  TEditorMenu& operator=(const TEditorMenu&) = delete;

  TEditor* Editor;  // the same object as Owner

 private:
  // Shared by the four buttons; the menu is the only one that frees them.
  TShapeRect* ButtonShape;
  TMeFormDrawRect* ButtonDrawRect;
};

// A wide button with a caption centred on it.
class TButtonEM : public TMeFormObject {
 public:
  TButtonEM(int32_t X, int32_t Y, TMeFormShape* Shape, TMeFormDrawRect* DrawRect, TMeForm* Form);
  void Draw(int32_t DX, int32_t DY, uint8_t Alpha) override;

  std::string Caption;
};

// Empties the editor's level; the menu stays.
class TButtonEMNew : public TButtonEM {
 public:
  using TButtonEM::TButtonEM;
  void Click() override;
};

// Shows the level list in save mode and hands it the overlay.
class TButtonEMSave : public TButtonEM {
 public:
  using TButtonEM::TButtonEM;
  void Click() override;
};

// Shows the level list in open mode and hands it the overlay.
class TButtonEMOpen : public TButtonEM {
 public:
  using TButtonEM::TButtonEM;
  void Click() override;
};

// Hides the form it sits on (the editor menu or the level list).
class TButtonEMClose : public TButtonEM {
 public:
  using TButtonEM::TButtonEM;
  void Click() override;
};
