// Point-in-shape tests of the engine. Both are inclusive: a point on the edge
// is inside. A null shape contains nothing.
//
// The engine library cannot include the game's table header (its exports carry
// the same names as the table's pointers), so the records are restated here
// with the same layout as zglTRect and zglTCircle.
#pragma once

struct ZglRect {
  float X, Y, W, H;
};

struct ZglCircle {
  float cX, cY, Radius;
};

bool zglPointInRect(float X, float Y, const ZglRect* Rect);
bool zglPointInCircle(float X, float Y, const ZglCircle* Circle);
