#include "uMeForm.h"

#include <algorithm>
#include <cmath>

zglPTexture PanelTexture = nullptr;
zglPFont MenuFont = nullptr;

void LoadGuiResources() {
  PanelTexture = tex_LoadFromFile("data\\panel_r.png", TEX_NO_COLORKEY, TEX_DEFAULT_2D);
  MenuFont = font_LoadFromFile("data\\font_1.zfi");
}

void DrawCaption(const std::string& Text, int32_t X, int32_t Y, uint8_t Alpha) {
  text_DrawEx(MenuFont, static_cast<float>(X), static_cast<float>(Y), 1.0f, 0.0f, Text.c_str(), Alpha, 0x050505,
              TEXT_HALIGN_CENTER | TEXT_VALIGN_CENTER);
}

// ---- shapes -------------------------------------------------------------------

namespace {
constexpr long double kDegToRad = 0.017453292L;
constexpr long double kPi = 3.141592654L;
constexpr uint32_t kOutlineColor = 0xFFFFFF;
}  // namespace

TShapeRect::TShapeRect(int32_t W, int32_t H)
    : Rect{static_cast<float>(Div2(-W)), static_cast<float>(Div2(-H)), static_cast<float>(W), static_cast<float>(H)} {}

void TShapeRect::Resize(int32_t dW, int32_t dH) {
  Rect.X -= static_cast<float>(Div2(dW));
  Rect.Y -= static_cast<float>(Div2(dH));
  Rect.W += static_cast<float>(dW);
  Rect.H += static_cast<float>(dH);
}

bool TShapeRect::PointIn(int32_t X, int32_t Y, int32_t Angle) {
  long double px = X, py = Y;
  if (Angle != 0) {
    // The point turns into the rectangle's own frame; a, c and s are kept as
    // floats while the products are formed at full precision, then cut to whole pixels.
    float a = static_cast<float>(Angle * kDegToRad);
    float c = static_cast<float>(std::cos(-static_cast<long double>(a)));
    float s = static_cast<float>(std::sin(-static_cast<long double>(a)));
    long double tx = std::trunc(static_cast<long double>(c) * X - static_cast<long double>(s) * Y);
    long double ty = std::trunc(static_cast<long double>(s) * X + static_cast<long double>(c) * Y);
    px = tx;
    py = ty;
  }
  return col2d_PointInRect(static_cast<float>(px), static_cast<float>(py), &Rect);
}

void TShapeRect::Draw(int32_t X, int32_t Y, int32_t Angle) {
  pr2d_Circle(static_cast<float>(X), static_cast<float>(Y), 4.0f, kOutlineColor, 255, 32, 0);
  float hw = Rect.W / 2.0f;
  float hh = Rect.H / 2.0f;
  float r = static_cast<float>(std::sqrt(static_cast<long double>(hw) * hw + static_cast<long double>(hh) * hh) + 5);
  float t = static_cast<float>(std::atan2(static_cast<long double>(-hw), static_cast<long double>(-hh)));
  float b = static_cast<float>(-Angle * kDegToRad);
  const long double phi[4] = {static_cast<long double>(t) + b, static_cast<long double>(b) - t,
                              static_cast<long double>(b) + kPi + t, static_cast<long double>(b) + kPi - t};
  float px[4], py[4];
  for (int k = 0; k < 4; k++) {
    px[k] = static_cast<float>(X + r * std::sin(phi[k]));
    py[k] = static_cast<float>(Y + r * std::cos(phi[k]));
  }
  for (int k = 0; k < 4; k++) pr2d_Circle(px[k], py[k], 3.0f, kOutlineColor, 255, 32, 0);
  for (int k = 0; k < 4; k++) pr2d_Line(px[k], py[k], px[(k + 1) % 4], py[(k + 1) % 4], kOutlineColor, 255, 0);
}

TShapeCircle::TShapeCircle(int32_t D) : Circle{0.0f, 0.0f, static_cast<float>(Div2(D))} {}

void TShapeCircle::Resize(int32_t dW, int32_t dH) { Circle.Radius += static_cast<float>(Div2(dW)); }

bool TShapeCircle::PointIn(int32_t X, int32_t Y, int32_t Angle) {
  return col2d_PointInCircle(static_cast<float>(X), static_cast<float>(Y), &Circle);
}

void TShapeCircle::Draw(int32_t X, int32_t Y, int32_t Angle) {
  float cx = static_cast<float>(X) + Circle.cX, cy = static_cast<float>(Y) + Circle.cY;
  pr2d_Circle(cx, cy, Circle.Radius + 5.0f, kOutlineColor, 255, 32, 0);
  pr2d_Circle(cx, cy, 4.0f, kOutlineColor, 255, 32, 0);
}

// ---- draw rectangles ----------------------------------------------------------

TMeDrawRect::TMeDrawRect(zglPTexture Texture, int32_t W, int32_t H)
    : OffX(Div2(-W)), OffY(Div2(-H)), W(W), H(H), Texture(Texture) {}

void TMeDrawRect::AddFrame(int32_t X, int32_t Y) {
  Frames.push_back(zglTRect{static_cast<float>(X), static_cast<float>(Y), static_cast<float>(W),
                            static_cast<float>(H)});
  LastFrame = static_cast<int32_t>(Frames.size()) - 1;
}

void TMeDrawRect::DrawFrame(int32_t X, int32_t Y, int32_t Angle, int32_t Frame, uint8_t Alpha) const {
  // An absent frame would read past the list; draw nothing instead.
  if (Frame < 0 || Frame >= static_cast<int32_t>(Frames.size())) return;
  csprite2d_Draw(Texture, static_cast<float>(X + OffX), static_cast<float>(Y + OffY), static_cast<float>(W),
                 static_cast<float>(H), static_cast<float>(Angle), &Frames[static_cast<size_t>(Frame)], Alpha,
                 FX_BLEND);
}

void TMeFormDrawRect::DrawState(bool Enabled, bool Active, int32_t X, int32_t Y, int32_t Angle, uint8_t Alpha,
                                uint8_t Fade) const {
  if (!Enabled) {
    DrawFrame(X, Y, Angle, 3, Alpha);
  } else if (Active) {
    DrawFrame(X, Y, Angle, 2, Alpha);
  } else {
    DrawFrame(X, Y, Angle, 0, Alpha);
    int32_t h = static_cast<int32_t>(Fade) + Alpha - 255;
    if (h > 0) DrawFrame(X, Y, Angle, 1, static_cast<uint8_t>(std::min(h, 255)));
  }
}

// ---- forms --------------------------------------------------------------------

TMeForm::TMeForm(int32_t X, int32_t Y, uint8_t Alpha, tScene* Owner) : Owner(Owner), X(X), Y(Y), Alpha(Alpha) {}

TMeForm::~TMeForm() = default;

void TMeForm::Draw() {
  for (TMeFormObject* o : Objects)
    if (o->Visible) o->Draw(X, Y, Alpha);
}

bool TMeForm::Update(int32_t MouseX, int32_t MouseY) {
  int32_t lx = MouseX - X, ly = MouseY - Y;
  bool result = false;
  // Every enabled visible object is updated, so overlapping objects all see a click.
  // Indexing (not iterators) keeps this sound if a click rebuilds the list.
  for (size_t i = 0; i < Objects.size(); i++) {
    TMeFormObject* o = Objects[i];
    if (o->Enabled && o->Visible && o->Update(lx, ly)) result = true;
  }
  return result;
}

void TMeForm::Add(TMeFormObject* Object) { Objects.push_back(Object); }

void TMeForm::FreeObjects() {
  for (TMeFormObject* o : Objects) delete o;
  Objects.clear();
}

TMeFormObject::TMeFormObject(int32_t X, int32_t Y, TMeFormShape* Shape, TMeFormDrawRect* DrawRect, TMeForm* Form)
    : X(X), Y(Y), Form(Form), Shape(Shape), DrawRect(DrawRect) {
  if (Form) Form->Add(this);
}

void TMeFormObject::Draw(int32_t DX, int32_t DY, uint8_t Alpha) {
  DrawRect->DrawState(Enabled, Active, X + DX, Y + DY, Angle, Alpha, Fade);
}

bool TMeFormObject::IsActive() {
  if (PressTimer > 0) PressTimer--;
  return PressTimer > 0;
}

bool TMeFormObject::Update(int32_t MX, int32_t MY) {
  bool result = false;
  if (Shape->PointIn(MX - X, MY - Y, 0)) {
    Hover = true;
    Fade = Fade >= 245 ? 255 : static_cast<uint8_t>(Fade + 7);
    if (mouse_Click(M_BLEFT)) {
      Click();
      Clicked = true;
      Active = true;
      PressTimer = 7;
      result = true;
    }
  } else {
    Fade = Fade > 7 ? static_cast<uint8_t>(Fade - 7) : 0;
    Hover = false;
    Clicked = false;
  }
  Active = IsActive();
  return result;
}

TMeFormObject2::TMeFormObject2(int32_t X, int32_t Y, TMeFormShape* Shape, TMeFormDrawRect* DrawRect,
                               TMeDrawRect* Icon, int32_t IconFrame, TMeForm* Form)
    : TMeFormObject(X, Y, Shape, DrawRect, Form), Icon(Icon), IconFrame(IconFrame) {}

void TMeFormObject2::Draw(int32_t DX, int32_t DY, uint8_t Alpha) {
  TMeFormObject::Draw(DX, DY, Alpha);
  if (Icon) Icon->DrawFrame(X + DX, Y + DY, Angle, IconFrame, Alpha);
}
