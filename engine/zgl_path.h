// File names as the game spells them ("data\level\1001.map") mapped to the
// host's paths.
#pragma once

#include <string>

// Backslashes become '/'; everything else is kept. nullptr gives "".
std::string zglMapPath(const char* FileName);
