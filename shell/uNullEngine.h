// A do-nothing engine for headless runs (the level runner, benchmarks): drawing
// and loading do nothing, the hit tests are the real ones, and the mouse is
// whatever the caller scripts. Fills the same table BindEngine fills.
#pragma once

#include <cstdint>

void BindNullEngine();

// The scripted mouse: position, and whether the left button was pressed since
// the last mouse_ClearState.
void NullEngineMouse(int32_t x, int32_t y, bool leftClicked);
