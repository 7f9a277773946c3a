// The form toolkit: hit shapes, sprite rectangles, forms and their widgets,
// and the two shared GUI resources they all draw with.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shell/uZenGL.h"

class tScene;

// ---- shapes: hit areas in an owner's local pixel frame ----------------------

class TMeFormShape {
 public:
  virtual ~TMeFormShape() = default;
  // Grows by whole pixels. The base does nothing.
  virtual void Resize(int32_t dW, int32_t dH) {}
  // Whether the point, relative to the owner, lies inside at the owner's angle.
  virtual bool PointIn(int32_t X, int32_t Y, int32_t Angle) { return false; }
  // Draws the outline (the editor's selection mark) about the owner's position.
  virtual void Draw(int32_t X, int32_t Y, int32_t Angle) {}
};

class TShapeRect : public TMeFormShape {
 public:
  TShapeRect(int32_t W, int32_t H);
  void Resize(int32_t dW, int32_t dH) override;
  bool PointIn(int32_t X, int32_t Y, int32_t Angle) override;
  void Draw(int32_t X, int32_t Y, int32_t Angle) override;

  zglTRect Rect;  // top-left and size in the local frame, centred on the origin
};

class TShapeCircle : public TMeFormShape {
 public:
  explicit TShapeCircle(int32_t D);  // radius D div 2
  void Resize(int32_t dW, int32_t dH) override;
  bool PointIn(int32_t X, int32_t Y, int32_t Angle) override;
  void Draw(int32_t X, int32_t Y, int32_t Angle) override;

  zglTCircle Circle;
};

// ---- draw rectangles: fixed-size sprites centred on their owner -------------

class TMeDrawRect {
 public:
  TMeDrawRect(zglPTexture Texture, int32_t W, int32_t H);
  virtual ~TMeDrawRect() = default;
  // Appends the W x H frame whose top-left corner is (X, Y) in the texture.
  void AddFrame(int32_t X, int32_t Y);
  // One sprite of frame Frame centred on (X, Y). Frame must exist.
  void DrawFrame(int32_t X, int32_t Y, int32_t Angle, int32_t Frame, uint8_t Alpha) const;

  int32_t OffX, OffY;  // (-W) div 2, (-H) div 2
  int32_t W, H;
  int32_t Id = 0;
  int32_t LastFrame = -1;  // index of the frame added last
  std::vector<zglTRect> Frames;
  zglPTexture Texture;
};

// A widget background: frames 0 normal, 1 highlight, 2 active, 3 disabled.
class TMeFormDrawRect : public TMeDrawRect {
 public:
  using TMeDrawRect::TMeDrawRect;
  void DrawState(bool Enabled, bool Active, int32_t X, int32_t Y, int32_t Angle, uint8_t Alpha, uint8_t Fade) const;
};

// ---- forms and form objects -------------------------------------------------

class TMeFormObject;

class TMeForm {
 public:
  TMeForm(int32_t X, int32_t Y, uint8_t Alpha, tScene* Owner);
  virtual ~TMeForm();
  // Draws every visible object in list order at the form's origin and alpha.
  virtual void Draw();
  // Updates every enabled visible object; true when a click hit any of them.
  virtual bool Update(int32_t MouseX, int32_t MouseY);
  // Appends an object; TMeFormObject's constructor calls it.
  void Add(TMeFormObject* Object);
  // Frees every object, then empties the list (the rebuilding forms use it).
  void FreeObjects();

  tScene* Owner;
  std::vector<TMeFormObject*> Objects;  // owned only in the sense of FreeObjects
  int32_t X, Y;
  uint8_t Alpha;
  bool Visible = false;
};

// A form class reference: builds a form of the class it names.
typedef TMeForm* (*TMeFormClass)(int32_t X, int32_t Y, uint8_t Alpha, tScene* Owner);

template <typename T>
TMeForm* FormClass(int32_t X, int32_t Y, uint8_t Alpha, tScene* Owner) {
  return new T(X, Y, Alpha, Owner);
}

class TMeFormObject {
 public:
  // Shape and DrawRect are shared, not owned. Adds itself to Form unless nullptr.
  TMeFormObject(int32_t X, int32_t Y, TMeFormShape* Shape, TMeFormDrawRect* DrawRect, TMeForm* Form);
  virtual ~TMeFormObject() = default;
  // What a click does. The base does nothing.
  virtual void Click() {}
  virtual void Draw(int32_t DX, int32_t DY, uint8_t Alpha);
  // The new value of Active. The base counts the press timer down.
  virtual bool IsActive();
  // One update with the mouse relative to the form's origin; true when it took a click.
  bool Update(int32_t MX, int32_t MY);

  int32_t X, Y;
  int32_t Angle = 0;
  uint8_t PressTimer = 0;
  uint8_t Fade = 0;
  TMeForm* Form;
  TMeFormShape* Shape;
  TMeFormDrawRect* DrawRect;
  bool Active = false;
  bool Clicked = false;
  bool Hover = false;
  bool Enabled = true;
  bool Visible = true;
};

class TMeFormObject2 : public TMeFormObject {
 public:
  TMeFormObject2(int32_t X, int32_t Y, TMeFormShape* Shape, TMeFormDrawRect* DrawRect, TMeDrawRect* Icon,
                 int32_t IconFrame, TMeForm* Form);
  void Draw(int32_t DX, int32_t DY, uint8_t Alpha) override;

  TMeDrawRect* Icon;  // shared, may be nullptr
  int32_t IconFrame;
};

// ---- shared GUI resources ---------------------------------------------------

extern zglPTexture PanelTexture;
extern zglPFont MenuFont;

// Loads "data\panel_r.png" and "data\font_1.zfi"; failures are not checked.
void LoadGuiResources();

// The caption convention: text centred on (X, Y) in near-black at the given alpha.
void DrawCaption(const std::string& Text, int32_t X, int32_t Y, uint8_t Alpha);

// Whole-number halving toward zero, as every layout rule here uses it.
inline int32_t Div2(int32_t v) { return v / 2; }
