// The scene base: a whole-window mode that draws everything and takes all input.
#pragma once

#include <cstdint>

class tScene {
 public:
  explicit tScene(int32_t Tag) : Tag(Tag) {}
  // Draws the scene's whole picture for one frame; changes no state.
  virtual void Draw() {}
  // One timer tick: reads the engine's input state, which the shell clears after the call.
  virtual void Update() {}
  virtual ~tScene() = default;

  int32_t Tag;
};

// A scene class reference: builds a scene of the class it names.
typedef tScene* (*TSceneClass)(int32_t Tag);

template <typename T>
tScene* SceneClass(int32_t Tag) {
  return new T(Tag);
}
