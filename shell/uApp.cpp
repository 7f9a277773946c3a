#include "uApp.h"

#include "editor/uEditor.h"
#include "scenes/uLevelMenu.h"
#include "scenes/uScene.h"
#include "shell/uZenGL.h"
#include "toolkit/uMeForm.h"

tScene* Scene = nullptr;
TLevelMenu* LevelMenu = nullptr;

void AppLoad() {
  // The forms draw with the GUI resources, and the level list names the
  // editor as its owner: this order matters.
  LoadGuiResources();
  TSceneClass sceneClass = SceneClass<TEditor>;
  Scene = sceneClass(0);
  TMeFormClass formClass = FormClass<TLevelMenu>;
  LevelMenu = static_cast<TLevelMenu*>(formClass(512, 128, 255, Scene));
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
  // The engine calls the load callback once its window is open; a run that
  // never got that far failed, and says so through the exit status.
  return Scene ? 0 : 1;
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
