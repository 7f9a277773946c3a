// The in-play form: two turn buttons beside every interactive object.
#pragma once

#include <cstdint>

#include "toolkit/uMeForm.h"

class TMap;
class TMapObj;

class TGameForm : public TMeForm {
 public:
  TGameForm(int32_t X, int32_t Y, uint8_t Alpha, TMap* Map, tScene* Owner);
  ~TGameForm() override;
  // Frees every button, then empties the list.
  void Clear();
  // A +15 degree button 50 pixels left of Obj's editing position, a -15 one 50 to the right.
  void AddButtons(TMapObj* Obj);
  // Drops every button bound to Obj (the object is being freed).
  void Forget(TMapObj* Obj);

  TShapeCircle* ButtonShape;
  TMeFormDrawRect* ButtonDrawRect;
  TMeDrawRect* IconDrawRect;
  TMap* Map;
};

class TButtonGF : public TMeFormObject2 {
 public:
  TButtonGF(int32_t Degrees, int32_t X, int32_t Y, TMeFormShape* Shape, TMeFormDrawRect* DrawRect, TMeDrawRect* Icon,
            int32_t IconFrame, TMeForm* Form);
  // Turns MapObj's body by TurnStep about its position; nothing when it has no body.
  void Click() override;

  float TurnStep;
  TMapObj* MapObj = nullptr;  // not owned
};
