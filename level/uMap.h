// The level: its objects and ropes, twelve looks, place on screen and play state.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TMapObjProt;
class TMapObj;
class TRope;
class TWorld;
class TGameForm;
class TMeDrawRect;

constexpr int kLookCount = 12;

class TMap {
 public:
  explicit TMap(int32_t cellSize);
  // Frees objects, ropes, world, looks and game form (the program itself never does).
  ~TMap();
  TMap(const TMap&) = delete;
  TMap& operator=(const TMap&) = delete;

  // Editing poses while editing; play poses, beams and the game form while playing.
  void Draw();
  // One play tick; nothing unless Playing.
  void Step();
  // Picks the first object (then rope, which wins) under the screen point other than current.
  bool FindObj(int32_t x, int32_t y, bool withRopes, TMapObjProt* current);
  // A fresh world from the editing poses, one tick, then the turn buttons.
  void Play();
  // Empties the level, writing its six trace lines.
  void New();
  // Writes the level file. On failure the file on disk is left as it was, the
  // map unchanged, a line goes to standard error, and the answer is false.
  bool Save(const std::string& fileName);
  // Replaces the level by the file's. A file that cannot be read leaves the
  // map as it was, reports on standard error and answers false.
  bool Load(const std::string& fileName);

  // Removes and frees one object, and every rope tied to it; drops its turn buttons.
  void DeleteObj(TMapObj* obj);
  // Removes and frees one rope.
  void DeleteRope(TRope* rope);

  std::vector<TRope*> Ropes;  // owned
  std::vector<TMapObj*> Obj;  // owned
  int32_t GrabX = 0, GrabY = 0;
  int32_t MapX, MapY, MapW, MapH;
  bool Found = false;
  TMapObjProt* FoundObj = nullptr;
  TWorld* World = nullptr;  // owned
  TGameForm* GameForm;      // owned
  bool Paused = false;
  bool Playing = false;
  TMeDrawRect* DrawRects[kLookCount + 1] = {};  // 1..12, owned

  // Called at the end of New (also when a load replaces the level), so whoever
  // holds references into the lists can drop them.
  std::function<void()> OnEmptied;
};
