#include "scenes/uEditorMenu.h"

#include "editor/uEditor.h"
#include "level/uMap.h"
#include "scenes/uLevelMenu.h"
#include "shell/uApp.h"

TEditorMenu::TEditorMenu(int32_t X, int32_t Y, TEditor* Owner) : TMeForm(X, Y, 255, Owner), Editor(Owner) {
  ButtonDrawRect = new TMeFormDrawRect(PanelTexture, 180, 52);
  ButtonDrawRect->AddFrame(0, 107);
  ButtonDrawRect->AddFrame(0, 159);
  ButtonDrawRect->AddFrame(0, 211);
  ButtonDrawRect->AddFrame(0, 263);
  ButtonShape = new TShapeRect(162, 30);

  TButtonEM* b = new TButtonEMNew(0, -100, ButtonShape, ButtonDrawRect, this);
  b->Caption = "Новый";
  b = new TButtonEMSave(0, -48, ButtonShape, ButtonDrawRect, this);
  b->Caption = "Сохранить";
  b = new TButtonEMOpen(0, 4, ButtonShape, ButtonDrawRect, this);
  b->Caption = "Открыть";
  b = new TButtonEMClose(0, 56, ButtonShape, ButtonDrawRect, this);
  b->Caption = "Закрыть";

  Alpha = 200;
}

TEditorMenu::~TEditorMenu() {
  FreeObjects();
  delete ButtonShape;
  delete ButtonDrawRect;
}

TButtonEM::TButtonEM(int32_t X, int32_t Y, TMeFormShape* Shape, TMeFormDrawRect* DrawRect, TMeForm* Form)
    : TMeFormObject(X, Y, Shape, DrawRect, Form) {}

void TButtonEM::Draw(int32_t DX, int32_t DY, uint8_t Alpha) {
  TMeFormObject::Draw(DX, DY, Alpha);
  DrawCaption(Caption, X + DX, Y + DY, Alpha);
}

namespace {

TEditor* MenuEditor(TMeForm* form) {
  TEditorMenu* menu = dynamic_cast<TEditorMenu*>(form);
  return menu ? menu->Editor : nullptr;
}

// Save and Open differ only in the list's mode.
void ShowLevelList(TMeForm* form, bool saveMode) {
  TEditor* editor = MenuEditor(form);
  if (!editor || !LevelMenu) return;
  LevelMenu->Show(editor->Map, saveMode);
  editor->Overlay = LevelMenu;
}

}  // namespace

void TButtonEMNew::Click() {
  TEditor* editor = MenuEditor(Form);
  if (editor) editor->Map->New();
}

void TButtonEMSave::Click() { ShowLevelList(Form, true); }

void TButtonEMOpen::Click() { ShowLevelList(Form, false); }

void TButtonEMClose::Click() {
  if (Form) Form->Visible = false;
}
