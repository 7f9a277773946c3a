#include "scenes/uGameForm.h"

#include <box2d/box2d.h>

#include <algorithm>

#include "level/uMapObj.h"

namespace {
constexpr double kButtonDegToRad = 0.017453292;
constexpr int32_t kTurnDegrees = 15;
constexpr int32_t kButtonGap = 50;  // from the object's editing position to each button
}  // namespace

TGameForm::TGameForm(int32_t X, int32_t Y, uint8_t Alpha, TMap* Map, tScene* Owner)
    : TMeForm(X, Y, Alpha, Owner), Map(Map) {
  ButtonDrawRect = new TMeFormDrawRect(PanelTexture, 64, 64);
  ButtonDrawRect->AddFrame(0, 0);
  ButtonDrawRect->AddFrame(64, 0);
  ButtonDrawRect->AddFrame(128, 0);
  ButtonDrawRect->AddFrame(192, 0);
  IconDrawRect = new TMeDrawRect(PanelTexture, 32, 32);
  IconDrawRect->AddFrame(0, 64);
  IconDrawRect->AddFrame(32, 64);
  ButtonShape = new TShapeCircle(32);
}

TGameForm::~TGameForm() {
  Clear();
  delete ButtonShape;
  delete ButtonDrawRect;
  delete IconDrawRect;
}

void TGameForm::Clear() { FreeObjects(); }

void TGameForm::AddButtons(TMapObj* Obj) {
  auto* left = new TButtonGF(kTurnDegrees, Obj->X - kButtonGap, Obj->Y, ButtonShape, ButtonDrawRect, IconDrawRect, 0,
                             this);
  left->MapObj = Obj;
  auto* right = new TButtonGF(-kTurnDegrees, Obj->X + kButtonGap, Obj->Y, ButtonShape, ButtonDrawRect, IconDrawRect,
                              1, this);
  right->MapObj = Obj;
}

void TGameForm::Forget(TMapObj* Obj) {
  auto bound = [Obj](TMeFormObject* o) {
    auto* button = dynamic_cast<TButtonGF*>(o);
    return button && button->MapObj == Obj;
  };
  // Split first, free afterwards: the test reads each button, so none may be freed yet.
  auto kept = std::stable_partition(Objects.begin(), Objects.end(), [&](TMeFormObject* o) { return !bound(o); });
  for (auto it = kept; it != Objects.end(); ++it) delete *it;
  Objects.erase(kept, Objects.end());
}

TButtonGF::TButtonGF(int32_t Degrees, int32_t X, int32_t Y, TMeFormShape* Shape, TMeFormDrawRect* DrawRect,
                     TMeDrawRect* Icon, int32_t IconFrame, TMeForm* Form)
    : TMeFormObject2(X, Y, Shape, DrawRect, Icon, IconFrame, Form),
      TurnStep(static_cast<float>(Degrees * kButtonDegToRad)) {}

void TButtonGF::Click() {
  // A bomb that has exploded has no body left to turn.
  if (!MapObj || !MapObj->Body) return;
  b2Body* body = MapObj->Body;
  body->SetTransform(body->GetPosition(), body->GetAngle() + TurnStep);
}
