#pragma once
// The level texts of the level box and the level menus: captions
// "1 级(最低)", "2 级" .. "8 级", "9 级(最高)", and the short texts "1 级" .. "9 级"
// the menus write.

#include <string>
#include <vector>

namespace tessaly::rules {

// The nine captions, level 1 first (also the items of the level box).
std::vector<std::string> LevelCaptions();

// The short text of level `level` (1..9) that a level menu writes: "5 级".
std::string ShortLevelText(int level);

// The level box's initial text "3 级".
std::string InitialLevelText();

}  // namespace tessaly::rules
