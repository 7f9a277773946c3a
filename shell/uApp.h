// The application shell: the run's globals and the four engine callbacks.
#pragma once

class tScene;
class TLevelMenu;

// Set once by AppLoad, never replaced or freed.
extern tScene* Scene;
extern TLevelMenu* LevelMenu;

void AppLoad();
void AppDraw();
void AppTimer();
void AppExit();

// The main routine: binds the engine, registers the callbacks, sets up the
// window and runs the engine's loop. Returns the process exit status.
int RunGame();

// RunGame's steps after the engine is bound: registers the callbacks, adds the
// timer, sets up the window and runs the engine's loop until it ends.
void StartGame();
