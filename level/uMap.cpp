#include "level/uMap.h"

#include <algorithm>

#include "level/uMapObj.h"
#include "level/uWorld.h"
#include "objects/uLazer.h"
#include "objects/uRope.h"
#include "scenes/uGameForm.h"
#include "shell/uTrace.h"
#include "shell/uZenGL.h"
#include "toolkit/uMeForm.h"

namespace {

constexpr int32_t kGridColumns = 18;
constexpr int32_t kGridRows = 20;
constexpr int32_t kGravityY = 10;
constexpr uint8_t kGameFormAlpha = 240;

struct TLookLayout {
  int32_t W, H;
  int32_t Frames;
  int32_t FrameX[3], FrameY[3];
};

// The twelve looks on the panel texture, numbered 1 to 12 in this order.
const TLookLayout kLooks[kLookCount] = {
    {26, 70, 3, {448, 512, 576}, {0, 0, 0}},
    {26, 26, 3, {448, 512, 576}, {128, 128, 128}},
    {140, 10, 1, {448}, {192}},
    {72, 72, 3, {640, 768, 896}, {0, 0, 0}},
    {34, 34, 3, {640, 704, 768}, {128, 128, 128}},
    {16, 16, 1, {408}, {472}},
    {32, 32, 1, {208}, {272}},
    {32, 52, 1, {528}, {460}},
    {40, 23, 1, {588}, {468}},
    {38, 64, 1, {512}, {320}},
    {64, 64, 1, {704}, {448}},
    {44, 44, 1, {778}, {458}},
};

}  // namespace

TMap::TMap(int32_t cellSize) {
  MapX = (1024 - kGridColumns * cellSize) / 2 + 17;
  MapY = (768 - kGridRows * cellSize) / 2;
  MapW = kGridColumns * cellSize - 17;
  MapH = kGridRows * cellSize - 17;
  Obj.reserve(150);
  Ropes.reserve(50);
  GameForm = new TGameForm(MapX, MapY, kGameFormAlpha, this, nullptr);
  for (int32_t i = 0; i < kLookCount; i++) {
    const TLookLayout& layout = kLooks[i];
    auto* look = new TMeDrawRect(PanelTexture, layout.W, layout.H);
    look->Id = i + 1;
    for (int32_t f = 0; f < layout.Frames; f++) look->AddFrame(layout.FrameX[f], layout.FrameY[f]);
    DrawRects[i + 1] = look;
  }
}

TMap::~TMap() {
  delete World;  // clears first, so no object or rope is left naming a body
  World = nullptr;
  for (TMapObj* o : Obj) {
    GameForm->Forget(o);
    delete o;
  }
  Obj.clear();
  for (TRope* r : Ropes) delete r;
  Ropes.clear();
  delete GameForm;
  for (TMeDrawRect*& look : DrawRects) {
    delete look;
    look = nullptr;
  }
}

void TMap::Draw() {
  if (Playing && World) {
    for (TMapObj* o : Obj) o->WorldDraw();
    for (TRope* r : Ropes) r->WorldDraw();
    for (TLazer* l : World->Lazers) l->Draw(MapX, MapY);
    GameForm->Draw();
  } else {
    for (TMapObj* o : Obj) o->Draw(MapX, MapY);
    // Lines first, pictures on top: two batches for all ropes instead of two
    // for every rope, and no line ever crosses a rope's picture.
    for (TRope* r : Ropes) r->DrawLink(MapX, MapY);
    for (TRope* r : Ropes) r->DrawPicture(MapX, MapY);
  }
}

void TMap::Step() {
  if (!Playing || !World) return;
  World->FreeLazers();
  if (!Paused) World->Step();
  // Indexing: objects may add beams while we walk, and a bomb may change the world.
  for (size_t i = 0; i < Obj.size(); i++) Obj[i]->Update(MapX, MapY);
  for (size_t i = 0; i < Ropes.size(); i++) Ropes[i]->Update(MapX, MapY);
  for (size_t i = 0; i < World->Lazers.size(); i++) World->Lazers[i]->Trace();
  GameForm->Update(mouse_X(), mouse_Y());
}

bool TMap::FindObj(int32_t x, int32_t y, bool withRopes, TMapObjProt* current) {
  const int32_t dx = x - MapX, dy = y - MapY;
  Found = false;
  FoundObj = nullptr;
  for (TMapObj* o : Obj) {
    if (o != current && o->PointIn(dx, dy)) {
      Found = true;
      FoundObj = o;
      break;
    }
  }
  if (withRopes) {
    for (TRope* r : Ropes) {
      if (r != current && r->PointIn(dx, dy)) {
        Found = true;
        FoundObj = r;
        break;
      }
    }
  }
  if (!Found && current && current->PointIn(dx, dy)) {
    Found = true;
    FoundObj = current;
  }
  if (FoundObj) {
    GrabX = FoundObj->X - dx;
    GrabY = FoundObj->Y - dy;
  }
  return Found;
}

void TMap::Play() {
  if (World) {
    World->Clear();
    delete World;
  }
  World = new TWorld(0, kGravityY);
  for (TMapObj* o : Obj) o->CreateBody(World);
  for (TRope* r : Ropes) r->CreateBody(World);
  Playing = true;
  Paused = false;
  GameForm->Clear();
  Step();
  for (TMapObj* o : Obj)
    if (o->Interactive) GameForm->AddButtons(o);
}

void TMap::New() {
  Trace("TMap.New");
  if (World) {
    World->Clear();
    delete World;
    World = nullptr;
  }
  Trace("TMapObj(Obj[I]).Free");
  for (TMapObj* o : Obj) {
    GameForm->Forget(o);  // a button must not outlive the object it turns
    delete o;
  }
  Trace("Obj.Clear");
  Obj.clear();
  Trace("TRope(Ropes[I]).Free");
  for (TRope* r : Ropes) delete r;
  Trace("Ropes.Clear");
  Ropes.clear();
  Trace("END");
  Found = false;
  FoundObj = nullptr;
  if (OnEmptied) OnEmptied();
}

void TMap::DeleteObj(TMapObj* obj) {
  auto it = std::find(Obj.begin(), Obj.end(), obj);
  if (it == Obj.end()) return;  // not ours: freeing it would be someone else's business
  Obj.erase(it);
  std::vector<TRope*> tied;
  for (TRope* r : Ropes)
    if (r->ObjA == obj || r->ObjB == obj) tied.push_back(r);
  for (TRope* r : tied) DeleteRope(r);
  GameForm->Forget(obj);
  if (FoundObj == obj) {
    Found = false;
    FoundObj = nullptr;
  }
  delete obj;
}

void TMap::DeleteRope(TRope* rope) {
  auto it = std::find(Ropes.begin(), Ropes.end(), rope);
  if (it == Ropes.end()) return;
  Ropes.erase(it);
  if (FoundObj == rope) {
    Found = false;
    FoundObj = nullptr;
  }
  delete rope;
}
