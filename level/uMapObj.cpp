#include "level/uMapObj.h"

#include <cmath>

#include "level/uLevelFile.h"
#include "level/uMapFile.h"
#include "level/uWorld.h"
#include "shell/uTrace.h"
#include "shell/uZenGL.h"
#include "toolkit/uMeForm.h"

namespace {

constexpr double kRadToDegExact = 57.29578049;  // not the exact inverse of the degree factor; kept as it always was

// A copy of a shape of the same kind, its sizes cut to whole pixels.
TMeFormShape* CopyShape(const TMeFormShape* source) {
  if (auto* rect = dynamic_cast<const TShapeRect*>(source))
    return new TShapeRect(static_cast<int32_t>(rect->Rect.W), static_cast<int32_t>(rect->Rect.H));
  if (auto* circle = dynamic_cast<const TShapeCircle*>(source))
    return new TShapeCircle(static_cast<int32_t>(circle->Circle.Radius * 2.0f));
  return nullptr;
}

// The look's frame for Color, or nullptr when the look has no such frame.
const zglTRect* FrameOf(const TMeDrawRect* look, uint8_t color) {
  if (!look || color >= look->Frames.size()) return nullptr;
  return &look->Frames[color];
}

}  // namespace

// ---- the base: every operation only names itself ---------------------------

void TMapObjProt::Draw(int32_t x, int32_t y) { Trace("TMapObjProt.Draw "); }
void TMapObjProt::WorldDraw() { Trace("TMapObjProt.WorldDraw "); }
void TMapObjProt::ShapeDraw(int32_t x, int32_t y) { Trace("TMapObjProt.ShapeDraw "); }
void TMapObjProt::Update(int32_t x, int32_t y) { Trace("TMapObjProt.Update "); }
bool TMapObjProt::PointIn(int32_t x, int32_t y) {
  Trace("TMapObjProt.PointIn ");
  return false;
}
void TMapObjProt::CreateBody(TWorld* world) { Trace("TMapObjProt.CreateBody "); }
bool TMapObjProt::LazerHit(b2Body* body) { return false; }

// ---- ordinary objects --------------------------------------------------------

TMapObj::TMapObj(TMeDrawRect* drawRect, TMeFormShape* shape) : Shape(shape) {
  DrawRect = drawRect;
  if (drawRect) {
    DX = drawRect->OffX;
    DY = drawRect->OffY;
    W = drawRect->W;
    H = drawRect->H;
  }
}

TMapObj::TMapObj(const TMapObj* source) {
  X = source->X;
  Y = source->Y;
  DX = source->DX;
  DY = source->DY;
  W = source->W;
  H = source->H;
  Dynamic = source->Dynamic;
  Interactive = source->Interactive;
  Color = source->Color;
  DrawRect = source->DrawRect;
  Angle = source->Angle;
  Shape = CopyShape(source->Shape);
}

TMapObj::TMapObj(const TLevelRecord& record, TMeDrawRect* drawRect) {
  X = record.X;
  Y = record.Y;
  DX = record.DX;
  DY = record.DY;
  W = record.W;
  H = record.H;
  Angle = record.Angle;
  if (record.ShapeTag == "RECT")
    Shape = new TShapeRect(record.Size1, record.Size2);
  else if (record.ShapeTag == "CIRC")
    Shape = new TShapeCircle(record.Size1 * 2);
  Interactive = record.Interactive;
  Dynamic = record.Dynamic;
  Color = record.Color;
  // A file may name a colour the look cannot show; keep the object drawable.
  if (drawRect && drawRect->LastFrame >= 0 && Color > drawRect->LastFrame)
    Color = static_cast<uint8_t>(drawRect->LastFrame);
  DrawRect = drawRect;
}

TMapObj::~TMapObj() {
  delete Shape;
  // The body outlives the object in a stopped world; nothing may reach us through it.
  if (Body) SetBodyOwner(Body, nullptr);
}

void TMapObj::Draw(int32_t x, int32_t y) {
  const zglTRect* frame = FrameOf(DrawRect, Color);
  if (!frame) return;
  csprite2d_Draw(DrawRect->Texture, static_cast<float>(x + X + DX), static_cast<float>(y + Y + DY),
                 static_cast<float>(W), static_cast<float>(H), static_cast<float>(Angle), frame, 255, FX_BLEND);
}

void TMapObj::WorldDraw() {
  const zglTRect* frame = FrameOf(DrawRect, Color);
  if (!frame) return;
  csprite2d_Draw(DrawRect->Texture, WorldX, WorldY, static_cast<float>(W), static_cast<float>(H), WorldAngle, frame,
                 255, FX_BLEND);
}

void TMapObj::ShapeDraw(int32_t x, int32_t y) {
  if (Shape) Shape->Draw(x + X, y + Y, Angle);
}

void TMapObj::Update(int32_t x, int32_t y) {
  if (!Body) return;
  WorldAngle = static_cast<float>(Body->GetAngle() * kRadToDegExact);
  const b2Vec2& p = Body->GetPosition();
  WorldX = static_cast<float>(x) + p.x + static_cast<float>(DX);
  WorldY = static_cast<float>(y) + p.y + static_cast<float>(DY);
}

bool TMapObj::PointIn(int32_t x, int32_t y) { return Shape && Shape->PointIn(x - X, y - Y, Angle); }

void TMapObj::CreateBody(TWorld* world) {
  World = world;
  Body = world->CreateObjBody(X, Y, Angle, Shape, Dynamic);
  SetBodyOwner(Body, this);
}

bool TMapObj::LazerHit(b2Body* body) { return Color == 2; }

namespace {

// Whether the shape, grown by (dW, dH), stays a shape the physics and the
// level file can take. The hit shape may be smaller than the sprite (a
// 38-wide look with an 18-wide plank), so the sprite's limit alone would let
// it shrink to nothing: Box2D cannot give a box of no area a mass.
bool ShapeCanGrow(const TMeFormShape* shape, int32_t dW, int32_t dH) {
  if (const auto* rect = dynamic_cast<const TShapeRect*>(shape))
    return StorableSize(static_cast<int64_t>(rect->Rect.W) + dW) && StorableSize(static_cast<int64_t>(rect->Rect.H) + dH);
  if (const auto* circle = dynamic_cast<const TShapeCircle*>(shape))
    return StorableSize(2 * (static_cast<int64_t>(circle->Circle.Radius) + Div2(dW)));
  return true;
}

}  // namespace

void TMapObj::Resize(int32_t dW, int32_t dH) {
  if (!(W + dW > 8 && H + dH > 8)) return;
  // Nor may the sprite outgrow what a level file keeps.
  if (W + static_cast<int64_t>(dW) > kMaxLevelSize || H + static_cast<int64_t>(dH) > kMaxLevelSize) return;
  if (!ShapeCanGrow(Shape, dW, dH)) return;
  if (Shape) Shape->Resize(dW, dH);
  DX -= Div2(dW);
  DY -= Div2(dH);
  W += dW;
  H += dH;
}
