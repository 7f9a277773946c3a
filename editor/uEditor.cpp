#include "editor/uEditor.h"

#include <algorithm>
#include <type_traits>

#include "level/uMap.h"
#include "level/uMapObj.h"
#include "objects/uBomb.h"
#include "objects/uLazer.h"
#include "objects/uRope.h"
#include "shell/uTrace.h"
#include "shell/uZenGL.h"

namespace {

constexpr uint8_t kDimmed = 155;
constexpr int32_t kGridColumns = 18;
constexpr int32_t kGridRows = 20;

// Grid snapping: (c + half a cell, rounded down) div cell, truncating toward zero.
int32_t Snap(int32_t c, int32_t cell) { return cell * ((c + cell / 2) / cell); }

TMeFormDrawRect* FourFrames(zglPTexture tex, int32_t w, int32_t h, const int32_t (&xy)[4][2]) {
  TMeFormDrawRect* r = new TMeFormDrawRect(tex, w, h);
  for (const auto& f : xy) r->AddFrame(f[0], f[1]);
  return r;
}

}  // namespace

// ---- panels -------------------------------------------------------------------

TMeFormPanel::TMeFormPanel(int32_t X, int32_t Y) : TMeForm(X, Y, 255, nullptr) {}

void TMeFormPanel::Draw() {
  if (Background) Background->DrawFrame(X, Y, 0, 0, Alpha);
  TMeForm::Draw();
}

void TMeFormEd::Draw() {
  // The background goes down twice (here and in the panel's drawing), so a
  // dimmed panel shows denser than one layer.
  if (Background) Background->DrawFrame(X, Y, 0, 0, Alpha);
  TMeFormPanel::Draw();
  if (!Editor) return;
  if (TMapObj* s = dynamic_cast<TMapObj*>(Editor->Selected)) {
    DrawCaption(std::to_string(s->Angle), X + 18, Y - 93, Alpha);
    DrawCaption(std::to_string(s->W), X + 18, Y - 3, Alpha);
    DrawCaption(std::to_string(s->H), X + 18, Y + 43, Alpha);
  }
}

// ---- the editor ---------------------------------------------------------------

template <typename T>
T* TEditor::Keep(T* p) {
  if constexpr (std::is_base_of_v<TMeFormShape, T>)
    Shapes.emplace_back(p);
  else
    Pictures.emplace_back(p);
  return p;
}

TEditor::TEditor(int32_t ATag) : tScene(ATag) {
  // 1, 2
  CellSize = 35;
  Map = new TMap(CellSize);
  Tag = ATag;

  // 3, 4
  MainForm = new TMeForm(0, 0, 255, this);
  TShapeCircle* toolShape = Keep(new TShapeCircle(64));
  TMeFormDrawRect* toolBack = Keep(FourFrames(PanelTexture, 128, 128, {{0, 320}, {128, 320}, {256, 320}, {384, 320}}));
  TMeDrawRect* toolIcons = Keep(new TMeDrawRect(PanelTexture, 64, 64));
  for (int i = 0; i < 16; i++) toolIcons->AddFrame(64 * i, 448);

  // 5: the prototypes, by look
  TMeDrawRect* const* look = Map->DrawRects;
  Protos[1] = new TMapObj(look[1], new TShapeRect(26, 70));
  Protos[2] = new TMapObj(look[2], new TShapeRect(26, 26));
  Protos[3] = new TMapObj(look[3], new TShapeRect(140, 10));
  Protos[4] = new TMapObj(look[4], new TShapeCircle(70));
  Protos[5] = new TMapObj(look[5], new TShapeCircle(32));
  Protos[6] = new TMapObj(look[6], new TShapeCircle(16));
  Protos[7] = new TRope(look[7], nullptr, nullptr, 0, 0, 0, 0);
  Protos[8] = new TBomb(look[8], new TShapeCircle(30));
  Protos[9] = new TLazerBox(look[9], new TShapeRect(40, 20));
  Protos[10] = new TMapObj(look[10], new TShapeRect(18, 60));
  Protos[11] = new TMapObj(look[11], new TShapeRect(30, 30));
  Protos[12] = new TMapObj(look[12], new TShapeCircle(38));

  // 6: the tool buttons in two columns; 0, 13 and 14 carry no prototype
  for (int b = 0; b <= 14; b++) {
    int32_t x = b < 8 ? 50 : 132;
    int32_t y = b < 8 ? 100 + 80 * b : 100 + 80 * (b - 8);
    TButton* t = new TButton(x, y, toolShape, toolBack, MainForm);
    t->Icon = toolIcons;
    t->IconFrame = b;
    t->Proto = b <= 12 ? Protos[b] : nullptr;
    t->Editor = this;
  }

  // 7
  TButtonDel* del = new TButtonDel(132, 660, toolShape, toolBack, MainForm);
  del->Icon = toolIcons;
  del->IconFrame = 15;
  del->Editor = this;

  // 8
  EdForm = new TMeFormEd(924, 128);
  EdForm->Editor = this;
  EdForm->Background = Keep(new TMeDrawRect(PanelTexture, 180, 242));
  EdForm->Background->AddFrame(256, 0);

  // 9: the small round buttons
  TMeFormDrawRect* smallBack = Keep(FourFrames(PanelTexture, 64, 64, {{0, 0}, {64, 0}, {128, 0}, {192, 0}}));
  TMeDrawRect* smallIcons = Keep(new TMeDrawRect(PanelTexture, 32, 32));
  smallIcons->AddFrame(224, 64);
  for (int j = 1; j <= 7; j++) smallIcons->AddFrame(32 * (j - 1), 64);
  TShapeCircle* smallShape = Keep(new TShapeCircle(32));

  // 10: the steppers
  struct Stepper {
    int32_t x, y, prop, delta, icon;
  };
  const Stepper steppers[] = {{-20, -93, 1, 15, 1}, {60, -93, 1, -15, 2}, {-20, -47, 2, -8, 4}, {60, -47, 2, 8, 3},
                              {-20, -3, 3, -8, 4},  {60, -3, 3, 8, 3},    {-20, 43, 4, -8, 4},  {60, 43, 4, 8, 3}};
  for (const Stepper& s : steppers) {
    TButtonE* e = new TButtonE(s.prop, s.delta, s.x, s.y, smallShape, smallBack, smallIcons, s.icon, EdForm);
    e->Editor = this;
  }

  // 11, 12
  PlayPanel = new TMeFormPanel(512, 25);
  PlayPanel->Background = Keep(new TMeDrawRect(PanelTexture, 180, 50));
  PlayPanel->Background->AddFrame(256, 192);
  const int32_t play[3][3] = {{-50, 1, 5}, {0, 2, 7}, {50, 3, 6}};
  for (const auto& p : play) {
    TButtonP* b = new TButtonP(p[1], p[0], 0, smallShape, smallBack, smallIcons, p[2], PlayPanel);
    b->Editor = this;
  }

  // 13, 14
  TMeFormDrawRect* wideBack = Keep(FourFrames(PanelTexture, 180, 52, {{0, 107}, {0, 159}, {0, 211}, {0, 263}}));
  TShapeRect* wideShape = Keep(new TShapeRect(162, 30));
  TButtonShowMenu* menu = new TButtonShowMenu(90, 32, wideShape, wideBack, MainForm);
  menu->Caption = "Меню";

  // 15
  EditorMenu = new TEditorMenu(512, 384, this);
  Overlay = EditorMenu;

  // 16, 17
  TMeDrawRect* check = Keep(new TMeDrawRect(PanelTexture, 22, 22));
  check->AddFrame(210, 120);
  check->AddFrame(210, 172);
  struct Option {
    int32_t y, option;
    const char* caption;
  };
  const Option options[] = {
      {150, 1, "Динамический"}, {220, 2, "Черный"}, {270, 3, "Белый"}, {320, 4, "Зеркало"}, {390, 5, "Интерактивный"}};
  for (const Option& o : options) {
    TButtonOpt* b = new TButtonOpt(o.caption, o.option, 0, o.y, wideShape, wideBack, check, EdForm);
    b->Editor = this;
  }

  // 18
  Selected = nullptr;
  Placing = false;
  CursorX = CursorY = GrabX = GrabY = 0;
  Protos[0] = nullptr;

  // Emptying or loading the level frees every object; drop what names them.
  Map->OnEmptied = [this] { LevelEmptied(); };
}

TEditor::~TEditor() {
  Map->OnEmptied = nullptr;
  for (TMeForm* f : {MainForm, static_cast<TMeForm*>(PlayPanel), static_cast<TMeForm*>(EdForm),
                     static_cast<TMeForm*>(EditorMenu)}) {
    f->FreeObjects();
    delete f;
  }
  delete Map;
  for (TMapObjProt*& p : Protos) {
    delete p;
    p = nullptr;
  }
}

bool TEditor::IsProto(const TMapObjProt* p) const {
  return p && std::find(std::begin(Protos) + 1, std::end(Protos), p) != std::end(Protos);
}

void TEditor::LevelEmptied() {
  if (Selected && !IsProto(Selected)) {
    Selected = nullptr;
    Placing = false;
  }
  if (TRope* rope = dynamic_cast<TRope*>(Protos[7])) {
    rope->ObjA = nullptr;
    rope->ObjB = nullptr;
  }
}

void TEditor::Draw() {
  pr2d_Rect(0, 0, 1024, 768, 0x505050, 255, PR2D_FILL);
  for (int32_t i = 0; i < kGridColumns; i++)
    for (int32_t j = 0; j < kGridRows; j++)
      pr2d_Circle(static_cast<float>(Map->MapX + CellSize * i), static_cast<float>(Map->MapY + CellSize * j), 3.0f,
                  0xFFFFFF, 53, 25, 0);
  MainForm->Draw();
  EdForm->Draw();
  PlayPanel->Draw();
  Map->Draw();
  if (Selected) {
    // A prototype is not in the level, so the map does not draw it.
    if (Placing) Selected->Draw(Map->MapX, Map->MapY);
    Selected->ShapeDraw(Map->MapX, Map->MapY);
  }
  if (Overlay && Overlay->Visible) {
    pr2d_Rect(0, 0, 1024, 768, 0x101017, 208, PR2D_FILL);
    Overlay->Draw();
  }
}

void TEditor::ComputeCursor() {
  CursorX = mouse_X() - Map->MapX + GrabX;
  CursorY = mouse_Y() - Map->MapY + GrabY;
}

void TEditor::Update() {
  const int32_t mx = mouse_X(), my = mouse_Y();

  // 1. An open menu takes all input, and the level stands still.
  if (Overlay && Overlay->Visible) {
    Overlay->Update(mx, my);
    return;
  }
  // 2-4
  if (PlayPanel->Update(mx, my)) return;
  Map->Step();
  if (Map->Playing) {
    MainForm->Alpha = kDimmed;
    EdForm->Alpha = kDimmed;
    return;
  }
  // 5, 6
  MainForm->Alpha = 255;
  ComputeCursor();

  // 7. The panels first; a click on a button never reaches the field.
  bool onPanel = Selected && EdForm->Update(mx, my);
  if (!onPanel) onPanel = MainForm->Update(mx, my);

  // 8. The field, by the unsnapped cursor.
  bool inField = !onPanel && CursorX > 0 && CursorX < Map->MapW && CursorY > 0 && CursorY < Map->MapH;

  if (inField) {
    // 9
    if (mouse_Click(M_BLEFT)) {
      const bool shift = key_Down(K_SHIFT);
      if (!Placing && Map->FindObj(mx, my, true, Selected)) {
        // a. pick; a picked rope keeps the old grab offset
        Selected = Map->FoundObj;
        Placing = false;
        if (dynamic_cast<TMapObj*>(Selected)) {
          GrabX = Map->GrabX;
          GrabY = Map->GrabY;
          ComputeCursor();
        }
      } else if (Selected) {
        // c. stamp, the most derived class first
        if (Placing || shift) {
          if (TBomb* bomb = dynamic_cast<TBomb*>(Selected)) {
            Map->Obj.push_back(new TBomb(static_cast<const TMapObj*>(bomb)));
          } else if (TLazerBox* box = dynamic_cast<TLazerBox*>(Selected)) {
            Map->Obj.push_back(new TLazerBox(static_cast<const TMapObj*>(box)));
          } else if (TMapObj* obj = dynamic_cast<TMapObj*>(Selected)) {
            Map->Obj.push_back(new TMapObj(static_cast<const TMapObj*>(obj)));
          } else if (TRope* rope = dynamic_cast<TRope*>(Selected)) {
            if (Map->FindObj(mx, my, false, rope->ObjA)) {
              TMapObj* end = dynamic_cast<TMapObj*>(Map->FoundObj);
              if (end && rope->Attach(end, Map->GrabX, Map->GrabY, key_Down(K_CTRL))) {
                Map->Ropes.push_back(new TRope(static_cast<const TRope*>(rope)));
                // The tool's prototype is clean for the next rope.
                rope->ObjA = nullptr;
                rope->ObjB = nullptr;
                Selected = nullptr;
                Placing = false;
              }
            }
          }
        }
        // d. drop; a selected rope stays
        if (!shift && !dynamic_cast<TRope*>(Selected)) {
          Selected = nullptr;
          Placing = false;
          GrabX = 0;
          GrabY = 0;
        }
      }
    }
    // 10
    CursorX = Snap(CursorX, CellSize);
    CursorY = Snap(CursorY, CellSize);
    // 11. Drag: clamped to the field, on the grid.
    if (Selected && !Placing && mouse_Down(M_BLEFT)) {
      CursorX = std::min(std::max(CursorX, 0), Map->MapW);
      CursorY = std::min(std::max(CursorY, 0), Map->MapH);
      Selected->X = CursorX;
      Selected->Y = CursorY;
    }
  }

  // 12
  if (Selected) {
    if (Placing) {
      Selected->X = CursorX;
      Selected->Y = CursorY;
    }
    if (mouse_Click(M_BMIDDLE))
      if (TMapObj* obj = dynamic_cast<TMapObj*>(Selected)) obj->Angle += 15;
    EdForm->Alpha = 255;
  } else {
    EdForm->Alpha = kDimmed;
  }
}

// ---- buttons ------------------------------------------------------------------

TButton::TButton(int32_t X, int32_t Y, TMeFormShape* Shape, TMeFormDrawRect* DrawRect, TMeForm* Form)
    : TMeFormObject2(X, Y, Shape, DrawRect, nullptr, 0, Form) {}

void TButton::Click() {
  Editor->Placing = Proto != nullptr;
  Editor->Selected = Proto;
}

bool TButton::IsActive() {
  return (Editor->Placing && Proto == Editor->Selected) || (!Proto && !Editor->Selected);
}

TButtonDel::TButtonDel(int32_t X, int32_t Y, TMeFormShape* Shape, TMeFormDrawRect* DrawRect, TMeForm* Form)
    : TMeFormObject2(X, Y, Shape, DrawRect, nullptr, 0, Form) {}

void TButtonDel::Click() {
  TEditor* e = Editor;
  // A prototype cannot be deleted.
  if (e->Placing) return;
  if (e->Selected) {
    if (TMapObj* obj = dynamic_cast<TMapObj*>(e->Selected)) {
      // The box's last beam is the world's, which frees it; only the reference goes.
      if (TLazerBox* box = dynamic_cast<TLazerBox*>(obj)) box->Lazer = nullptr;
      // A half-built rope must not keep naming the object.
      if (TRope* tool = dynamic_cast<TRope*>(e->Protos[7]); tool && (tool->ObjA == obj || tool->ObjB == obj)) {
        tool->ObjA = nullptr;
        tool->ObjB = nullptr;
      }
      // Also frees every rope tied to it.
      e->Map->DeleteObj(obj);
    } else if (TRope* rope = dynamic_cast<TRope*>(e->Selected)) {
      e->Map->DeleteRope(rope);
    }
    e->Selected = nullptr;
  }
  Trace(std::to_string(e->Map->Obj.size()));
}

TButtonE::TButtonE(int32_t AProp, int32_t ADelta, int32_t X, int32_t Y, TMeFormShape* Shape,
                   TMeFormDrawRect* DrawRect, TMeDrawRect* Icon, int32_t IconFrame, TMeForm* Form)
    : TMeFormObject2(X, Y, Shape, DrawRect, Icon, IconFrame, Form), Delta(ADelta), Prop(AProp) {}

void TButtonE::Click() {
  TMapObj* s = dynamic_cast<TMapObj*>(Editor->Selected);
  if (!s) return;
  switch (Prop) {
    case 1: s->Angle += Delta; break;
    case 2: s->Resize(Delta, Delta); break;
    case 3: s->Resize(Delta, 0); break;
    case 4: s->Resize(0, Delta); break;
    default: break;
  }
}

TButtonP::TButtonP(int32_t AMode, int32_t X, int32_t Y, TMeFormShape* Shape, TMeFormDrawRect* DrawRect,
                   TMeDrawRect* Icon, int32_t IconFrame, TMeForm* Form)
    : TMeFormObject2(X, Y, Shape, DrawRect, Icon, IconFrame, Form), Mode(AMode) {}

void TButtonP::Click() {
  TMap* map = Editor->Map;
  if (Mode == 1 || Mode == 2) {
    Editor->Selected = nullptr;
    Editor->Placing = false;
  }
  if (Mode == 1) {
    if (map->Playing)
      map->Paused = false;
    else
      map->Play();
  } else if (Mode == 2) {
    if (map->Playing) map->Paused = true;
  } else if (Mode == 3) {
    map->Playing = false;
  }
}

bool TButtonP::IsActive() {
  const TMap* map = Editor->Map;
  switch (Mode) {
    case 1: return map->Playing && !map->Paused;
    case 2: return map->Playing && map->Paused;
    case 3: return !map->Playing;
    default: return false;
  }
}

TButtonOpt::TButtonOpt(const std::string& ACaption, int32_t AOption, int32_t X, int32_t Y, TMeFormShape* Shape,
                       TMeFormDrawRect* DrawRect, TMeDrawRect* ACheck, TMeForm* Form)
    : TMeFormObject(X, Y, Shape, DrawRect, Form), Check(ACheck), Option(AOption), Caption(ACaption) {}

void TButtonOpt::Click() {
  TMapObj* s = dynamic_cast<TMapObj*>(Editor->Selected);
  if (!s) return;
  const int32_t lastFrame = s->DrawRect ? s->DrawRect->LastFrame : 0;
  switch (Option) {
    case 1: s->Dynamic = !s->Dynamic; break;
    case 2: s->Color = 0; break;
    case 3: if (lastFrame >= 1) s->Color = 1; break;
    case 4: if (lastFrame >= 2) s->Color = 2; break;
    case 5: s->Interactive = !s->Interactive; break;
    default: break;
  }
}

bool TButtonOpt::IsActive() {
  const TMapObj* s = dynamic_cast<const TMapObj*>(Editor->Selected);
  if (!s) return false;
  switch (Option) {
    case 1: return s->Dynamic;
    case 2: return s->Color == 0;
    case 3: return s->Color == 1;
    case 4: return s->Color == 2;
    case 5: return s->Interactive;
    default: return false;
  }
}

void TButtonOpt::Draw(int32_t DX, int32_t DY, uint8_t Alpha) {
  DrawRect->DrawState(Enabled, Active, X + DX, Y + DY, Angle, Alpha, Fade);
  Check->DrawFrame(X + DX - Div2(DrawRect->W) + Check->W + 4, Y + DY, Angle, Active ? 1 : 0, Alpha);
  DrawCaption(Caption, X + DX + Div2(Check->W), Y + DY, Alpha);
}

void TButtonShowMenu::Click() {
  TEditor* e = Form ? dynamic_cast<TEditor*>(Form->Owner) : nullptr;
  if (!e) return;
  e->EditorMenu->Visible = true;
  e->Overlay = e->EditorMenu;
}
