#include "zgl_collide.h"

bool zglPointInRect(float X, float Y, const ZglRect* Rect) {
  return Rect && X >= Rect->X && X <= Rect->X + Rect->W && Y >= Rect->Y && Y <= Rect->Y + Rect->H;
}

bool zglPointInCircle(float X, float Y, const ZglCircle* Circle) {
  if (!Circle) return false;
  float dx = X - Circle->cX, dy = Y - Circle->cY;
  return dx * dx + dy * dy <= Circle->Radius * Circle->Radius;
}
