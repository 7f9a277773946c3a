#include "uApp.h"

#include "scenes/uScene.h"
#include "shell/uZenGL.h"

tScene* Scene = nullptr;
TLevelMenu* LevelMenu = nullptr;

namespace {

// Stands in for the editor until it exists: the plain background.
class TPlaceholderScene : public tScene {
 public:
  explicit TPlaceholderScene(int32_t Tag) : tScene(Tag) {}
  void Draw() override { pr2d_Rect(0, 0, 1024, 768, 0x505050, 255, PR2D_FILL); }
};

}  // namespace

void AppLoad() {
  TSceneClass sceneClass = SceneClass<TPlaceholderScene>;
  Scene = sceneClass(0);
}

void AppDraw() { Scene->Draw(); }

void AppTimer() {
  Scene->Update();
  key_ClearState();
  mouse_ClearState();
}

void AppExit() {}

int RunGame() {
  if (!BindEngine("ZenGL.dll", true)) return 1;
  StartGame();
  return 0;
}

void StartGame() {
  zgl_Reg(SYS_LOAD, AppLoad);
  zgl_Reg(SYS_DRAW, AppDraw);
  zgl_Reg(SYS_EXIT, AppExit);
  timer_Add(AppTimer, 15);
  scr_SetOptions(1024, 768, 0, false, true);
  wnd_ShowCursor(true);
  wnd_SetCaption("Test");
  zgl_Init(0, 0);
}
